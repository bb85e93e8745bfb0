#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace Zuvi::Progress {

/// One entrant as the registration window lists it.
struct Entrant
{
    QString name;
    QString house;
    /// "score(power)" as of the last "End Round", "0(0)" before the first.
    QString scoreText;
    /// False once the first-round draw has taken the name out of the entrant list (the
    /// house and score lists keep their rows until the round ends).
    bool nameShown = true;
    /// Left the tournament after its start: kept in the standings, never paired again.
    bool dropped = false;
    /// The stored player (PlayerInfo's id) the entrant was registered from, 0 when unknown
    /// (an entrant stored before the link was kept).
    qint64 playerId = 0;
};

/// One table of the round being played: player1 plays player2 (or "Bye").
struct Seat
{
    QString player1;
    QString player2;
    bool recorded = false;
};

/// One recorded game.
struct Game
{
    qint64 id = 0;   ///< increases with every game recorded
    int round = 0;   ///< the round it was played in
    int pairing = 0; ///< which pairing of that round (a round re-paired after its
                     ///< window was closed gets a new one)
    int seat = 0;    ///< 0-based table of the pairing
    QString player1;
    QString player2; ///< "Bye" for a bye
    QString result1; ///< player 1's result as chosen or typed
    int points1 = 0; ///< player 1's points; player 2 got 3 - points1 (none for a bye)
    double power1 = 0;
    double power2 = 0;
    QString station; ///< the station that recorded it, where stations share the tournament
};

/// One game as the organiser names it: a table of one pairing of one round. A panel, a
/// report or a command that acts on a game holds this, never a row of a list, so that a
/// list changing under it (a game recorded elsewhere) cannot turn it into another game.
struct GameRef
{
    int round = 0;   ///< the round
    int pairing = 0; ///< the pairing of that round
    int table = 0;   ///< 1-based table; 0 names no game

    bool isNull() const { return table <= 0; }
    friend bool operator==(const GameRef &, const GameRef &) = default;
};

/// A game of an ended round that was not recorded before "End Round": it scores nothing
/// until it is recorded late from the recorded games.
struct MissedGame
{
    int round = 0;
    int pairing = 0;
    int seat = 0; ///< 0-based table of the pairing
    QString player1;
    QString player2; ///< "Bye" for a bye
};

/// What changed in the open round's lists (row i of both lists is the i-th open seat), so
/// that a view changes only that.
struct PairingChange
{
    enum class Kind {
        Whole,    ///< a new pairing, the end of the round, a resume: show it all again
        Recorded, ///< the game at row left the lists
        Reopened, ///< a game came back at row
        Swapped,  ///< the opponents at row and otherRow changed places
    };
    Kind kind = Kind::Whole;
    int row = -1;
    int otherRow = -1;
};

/// One row of the standings, in standings order.
struct StandingsRow
{
    QString name;
    QString house;
    double score = 0;
    double power = 0;
    bool dropped = false;
};

/// A result (or a wish to drop) reported from a table on the players' page.
struct Report
{
    enum class Fate : quint8 {
        Pending,  ///< waits for the other player or the organiser
        Recorded, ///< its result was recorded
        Rejected, ///< the organiser rejected it
        Replaced, ///< a later report of the same player, or the desk's result, took its place
    };
    int table = 0;     ///< 1-based table of the open round
    int reporter = 0;  ///< 1 or 2: the player of the table who reported
    bool drop = false; ///< "I am dropping" instead of a result
    QString result1;   ///< the table's first player's result
    double power1 = 0;
    double power2 = 0;
    qint64 at = 0; ///< when it arrived (ms since the epoch)
    Fate fate = Fate::Pending;
};

inline bool operator==(const Report &a, const Report &b)
{
    return a.table == b.table && a.reporter == b.reporter && a.drop == b.drop &&
           a.result1 == b.result1 && a.power1 == b.power1 && a.power2 == b.power2 && a.at == b.at &&
           a.fate == b.fate;
}

/// One report as the players' page sends it, before the model checks it. Who reports is
/// the owner of the personal code; nothing posted besides the code says it.
struct ReportRequest
{
    QString code;  ///< the reporter's personal code
    int table = 0; ///< the table the page meant (0: not said); a refusal is marked there
    bool drop = false;
    QString result1;
    QString power1; ///< as typed on the page: the desk's rule for a power applies
    QString power2;
};

/// The reports of the open round: every report with its fate, and the reports refused for a
/// wrong code, counted by the table they named.
struct ReportBook
{
    int round = 0;   ///< the round the reports belong to
    int pairing = 0; ///< and its pairing
    /// Reports refused for a wrong code, by the (1-based) table they named.
    QMap<int, int> refused;
    QList<Report> reports;

    friend bool operator==(const ReportBook &, const ReportBook &) = default;
};

/// Everything that is stored about the tournament in progress.
struct State
{
    QList<Entrant> entrants;  ///< registration order; standings order after "End Round"
    QString roundsText;       ///< the number of rounds as typed at the last start
    qint16 roundcounter = 1;  ///< the round the next start plays
    qint16 randomFirst = 0;   ///< 1 once the first round has been drawn
    bool started = false;     ///< the standings were written by the first start
    bool roundOpen = false;   ///< a round window shows the pairing below
    int pairingNumber = 0;    ///< increases with every pairing made
    QList<Seat> seats;        ///< the open round's pairing in seat order
    QList<Game> games;        ///< every recorded game, oldest first
    QList<MissedGame> missed; ///< games of ended rounds not recorded, in round and table order
    bool clockRunning = false;
    qint64 clockEndMs = 0;       ///< when a running clock reaches 0 (ms since the epoch)
    qint64 clockLeftSeconds = 0; ///< time left on a stopped clock
    bool avoidRematches = false;
    bool bigScreenOpen = false; ///< the big screen was open: a resume opens it again
    /// A new pairing reaches the players' page and the big screen only when the organiser
    /// publishes it.
    bool reviewPairings = false;
    int publishedRound = 0;   ///< the round and pairing last published
    int publishedPairing = 0; ///< (while pairings are reviewed first)
    /// Each entrant's personal code for the tournament (by entrant name): the one key with
    /// which the entrant reports from the players' page.
    QMap<QString, QString> playerCodes;
    /// Results are taken from the players' page; agreed reports wait for the organiser's
    /// key where confirmReports is set.
    bool takeReports = false;
    bool confirmReports = false;
    ReportBook reports;
    /// When the first start was made (ms since the epoch): the tournament's backups are
    /// kept under it. 0 for a tournament stored before the start was kept.
    qint64 startedAtMs = 0;
};

/// Whether the open round's pairing is shown to the room: always, unless pairings are
/// reviewed first and this one has not been published.
inline bool pairingPublished(const State &state)
{
    return !state.reviewPairings || (state.publishedRound == state.roundcounter &&
                                     state.publishedPairing == state.pairingNumber);
}

} // namespace Zuvi::Progress
