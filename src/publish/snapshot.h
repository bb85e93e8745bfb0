#pragma once

#include "tournament/progresstypes.h"

#include <QList>
#include <QLocale>
#include <QString>

#include <array>
#include <optional>

namespace Zuvi::Publish {

/// The text that stands for a missing opponent in a pairing.
inline QString byeText()
{
    return QStringLiteral("Bye");
}

/// One table of the open round as the room sees it.
struct PairingRow
{
    int table = 0; ///< 1-based table number
    QString player1;
    QString house1;
    QString score1;  ///< "score(power)" as the registration window shows it
    QString player2; ///< "Bye" for a bye
    QString house2;
    QString score2;
    bool recorded = false; ///< the table's game has been recorded
    bool bye() const { return player2 == byeText(); }
};

/// One line of the pairings by name: a seated entrant with table and opponent.
struct NameRow
{
    QString name;
    QString house;
    QString score;
    int table = 0;
    QString opponent; ///< "Bye" for a bye
    bool recorded = false;
};

/// One line of the standings with its rank.
struct RankedRow
{
    int rank = 0; ///< entrants with the same score and power share a rank
    QString name;
    QString house;
    double score = 0;
    double power = 0;
    bool dropped = false;
};

/// What the room is shown of the tournament at one moment: the open round's pairing, the
/// standings and the recorded games. Every document, the CSV files and the big screen are
/// made from this, so that they always agree with each other.
struct Snapshot
{
    bool started = false;      ///< the first round has been started
    bool roundOpen = false;    ///< a round is being played: the pairing below is its own
    int round = 0;             ///< the round being played, or the last round ended
    std::optional<int> rounds; ///< the number of rounds as last started
    bool final = false;        ///< the last round has ended
    /// No progress is stored (a file from before it was kept, or progress declined at a
    /// start-up), but the standings table holds rows: they are shown as stored.
    bool standingsAsStored = false;
    /// The tournament's name where it has one (an archived tournament): the documents'
    /// titles begin with it.
    QString name;
    /// The players' page's address while it is served: the pairings and the match slips
    /// carry it as a QR code.
    QString pageAddress;
    QList<PairingRow> pairings;  ///< the open round's tables, in table order
    QList<RankedRow> standings;  ///< in standings order
    QList<Progress::Game> games; ///< every recorded game, oldest first
};

/// Builds the snapshot from the tournament's state and its standings as stored (score
/// descending, power descending, name ascending). rounds and over are the tournament's
/// number of rounds and whether its last round has ended.
Snapshot makeSnapshot(const Progress::State &state, const QList<Progress::StandingsRow> &standings,
                      std::optional<int> rounds, bool over);

/// What the room is shown of a snapshot whose pairing has not been published yet: no round
/// in play, the standings after the last round ended (so the big screen and the players'
/// page say the next round is coming). A published pairing is shown as it is.
Snapshot roomView(Snapshot snapshot, bool published);

/// The open round's pairing as tables, with each player's house and score text taken from
/// the entrant of that name.
QList<PairingRow> pairingRows(const Progress::State &state);

/// Ranks standings rows given in standings order: a row with the same score and power as
/// the row above shares its rank; the next different row takes its position (1, 2, 2, 4).
QList<RankedRow> rankStandings(const QList<Progress::StandingsRow> &standings);

/// Every seated entrant (both players of each table, never "Bye") in alphabetical order of
/// the name for the given locale: case and accents are secondary, so "Émile" stands among
/// the E's and "de Vries" among the D's. Names the locale ranks equal keep a fixed order.
/// The C locale (no language set) sorts as English does.
QList<NameRow> pairingsByName(const QList<PairingRow> &pairings, const QLocale &locale = QLocale());

/// The games in round order and, within a round, in table order, whatever order they were
/// recorded in; games of the same round and table keep their recorded order.
QList<Progress::Game> gamesInTableOrder(QList<Progress::Game> games);

/// The tables that get a match slip: every table of the pairing but the bye's, which has no
/// game to write down, in table order.
QList<PairingRow> slipTables(const QList<PairingRow> &pairings);

/// The number of slips on one sheet: a sheet is cut into this many strips.
inline constexpr int kSlipsPerSheet = 4;

/// The slips printed on each sheet of match slips, top to bottom, as 1-based places in the
/// list of slips (0 for an empty place), so that cutting the pile of sheets into its four
/// stacks and laying the stacks one on another (top stack first) gives the slips in table
/// order: the slip at place k of sheet p is slip k * sheets + p + 1.
QList<std::array<int, kSlipsPerSheet>> slipSheets(int slips);

/// A score or power as the documents show it: a whole number without decimals, otherwise
/// the decimal digits as the standings show them.
QString numberText(double value);

} // namespace Zuvi::Publish
