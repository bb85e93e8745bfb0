#include "tournament/tournamentprogress.h"

#include "core/errorpath.h"
#include "data/dberror.h"
#include "round/firstdraw.h"
#include "round/numbertext.h"
#include "round/pairing.h"
#include "round/rematchpairing.h"
#include "round/scoring.h"
#include "round/standingspairing.h"
#include "tournament/statechanges.h"
#include "tournament/storechoice.h"
#include "tournament/tournamentstore.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSet>

#include <algorithm>
#include <limits>
#include <tuple>
#include <memory>

namespace Zuvi {

using Progress::Entrant;
using Progress::Game;
using Progress::Seat;
using Progress::State;

namespace {

/// A game played at a seat of a pairing, with player 1's result and both powers (a bye has
/// no power): what "Game Over", a game recorded late and an amend record.
Game gameWithResult(Game game, const QString &result1, double power1, double power2,
                    const QString &station)
{
    game.station = station;
    game.result1 = result1;
    game.points1 = Round::player1Points(result1);
    game.power1 = power1;
    game.power2 = game.player2 == Round::bye() ? 0 : power2;
    return game;
}

/// The standings changes of a game: player 1's points and power, and player 2's unless
/// the game is against the bye; sign -1 takes them back.
QList<TournamentStore::StandingsChange> changesOf(const Game &game, int sign)
{
    QList<TournamentStore::StandingsChange> changes{
        {game.player1, sign * game.points1, sign * game.power1}};
    if (game.player2 != Round::bye())
        changes.append({game.player2, sign * (3 - game.points1), sign * game.power2});
    return changes;
}

bool isOver(const State &state)
{
    const std::optional<qint16> rounds = Round::parseRounds(state.roundsText);
    return state.started && rounds && *rounds == state.roundcounter - 1;
}

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

TournamentProgress::TournamentProgress(QObject *parent)
    : QObject(parent), m_ownStore(openChosenStore()), m_store(m_ownStore.get())
{
    m_store->setChangeHandler([this] { Core::runGuarded([this] { reload(); }); });
}

TournamentProgress::TournamentProgress(TournamentStore *store, QObject *parent)
    : QObject(parent), m_store(store)
{
    m_store->setChangeHandler([this] { Core::runGuarded([this] { reload(); }); });
}

TournamentProgress::~TournamentProgress()
{
    m_store->setChangeHandler({});
}

std::optional<qint16> TournamentProgress::rounds() const
{
    if (!m_state.started)
        return std::nullopt;
    return Round::parseRounds(m_state.roundsText);
}

bool TournamentProgress::over() const
{
    return isOver(m_state);
}

QList<Game> TournamentProgress::openRoundGames() const
{
    QList<Game> result;
    if (!m_state.roundOpen)
        return result;
    for (const Game &game : m_state.games) {
        if (game.round == m_state.roundcounter && game.pairing == m_state.pairingNumber)
            result.append(game);
    }
    return result;
}

QList<Progress::StandingsRow> TournamentProgress::standings() const
{
    QSet<QString> dropped;
    for (const Entrant &entrant : m_state.entrants) {
        if (entrant.dropped)
            dropped.insert(entrant.name);
    }
    QList<Progress::StandingsRow> rows = m_store->standings();
    for (Progress::StandingsRow &row : rows)
        row.dropped = dropped.contains(row.name);
    return rows;
}

// ---- Start-up ----------------------------------------------------------------------------

std::optional<TournamentProgress::StoredTournament> TournamentProgress::loadStored()
{
    m_stored = m_store->read();
    const State &stored = *m_stored;
    if (!stored.started) {
        if (stored.entrants.isEmpty())
            return std::nullopt;
        return StoredTournament{false, stored.entrants.size(), 1, std::nullopt, false, 0, 0};
    }
    if (isOver(stored)) {
        // A finished tournament is not offered; its record stays for the exports until
        // the next tournament's first step replaces it (that step clears it first, so
        // that the new registration is stored on its own and offered after a restart).
        m_staleStored = true;
        return std::nullopt;
    }
    int recorded = 0;
    for (const Seat &seat : stored.seats)
        recorded += seat.recorded ? 1 : 0;
    return StoredTournament{true,
                            stored.entrants.size(),
                            stored.roundcounter,
                            Round::parseRounds(stored.roundsText),
                            stored.roundOpen,
                            recorded,
                            int(stored.seats.size())};
}

void TournamentProgress::resume()
{
    if (!m_stored)
        return;
    m_state = *std::exchange(m_stored, std::nullopt);
    m_staleStored = false;
    if (m_state.clockRunning) {
        const qint64 left = (m_state.clockEndMs - nowMs() + 999) / 1000;
        m_clock.restore(left, true);
    } else {
        m_clock.restore(m_state.clockLeftSeconds, false);
    }
    rebuildOpenSeats();
    Q_EMIT roundChanged();
    Q_EMIT entrantsChanged();
    Q_EMIT pairingChanged({});
    Q_EMIT gamesChanged();
    Q_EMIT reportsChanged();
}

void TournamentProgress::reload()
{
    // What the start-up read and left untaken (nothing to offer) is older than this.
    m_stored.reset();
    State previous = std::exchange(m_state, m_store->read());
    // A finished tournament's record stays shown; the next tournament's first step
    // replaces it, as after a start-up.
    m_staleStored = isOver(m_state);
    const Progress::StateChanges changes = Progress::compareStates(previous, m_state);
    if (changes.clock) {
        if (m_state.clockRunning)
            m_clock.restore((m_state.clockEndMs - nowMs() + 999) / 1000, true);
        else
            m_clock.restore(m_state.clockLeftSeconds, false);
    }

    if (changes.samePairing) {
        // Games recorded elsewhere leave the lists row by row, from the bottom, then the
        // games taken back come in, from the top: each signal's row is valid when it is
        // sent.
        for (int row = int(m_openSeats.size()) - 1; row >= 0; --row) {
            if (m_state.seats.at(m_openSeats.at(row)).recorded) {
                m_openSeats.removeAt(row);
                Q_EMIT pairingChanged({Progress::PairingChange::Kind::Recorded, row});
            }
        }
        for (int seat = 0; seat < m_state.seats.size(); ++seat) {
            if (m_state.seats.at(seat).recorded || m_openSeats.contains(seat))
                continue;
            const int row = int(std::lower_bound(m_openSeats.begin(), m_openSeats.end(), seat) -
                                m_openSeats.begin());
            m_openSeats.insert(row, seat);
            Q_EMIT pairingChanged({Progress::PairingChange::Kind::Reopened, row});
        }
    } else {
        rebuildOpenSeats();
        if (changes.pairing)
            Q_EMIT pairingChanged({});
    }
    if (changes.round)
        Q_EMIT roundChanged();
    if (changes.entrants)
        Q_EMIT entrantsChanged();
    if (changes.games)
        Q_EMIT gamesChanged();
    if (changes.published)
        Q_EMIT publishedChanged();
    if (changes.reports)
        Q_EMIT reportsChanged();
}

void TournamentProgress::discard()
{
    m_store->clear();
    m_stored.reset();
    m_staleStored = false;
}

// ---- Registration ------------------------------------------------------------------------

std::optional<QString> TournamentProgress::entrantNameFor(const QString &displayName,
                                                          qint64 playerId,
                                                          const QString &city) const
{
    QSet<QString> taken;
    for (const Entrant &entrant : std::as_const(m_state.entrants)) {
        if (playerId != 0 && entrant.playerId == playerId)
            return std::nullopt;
        // An entrant whose stored player is not known cannot be told apart from one of
        // the same name: it counts as the same player.
        if (entrant.name == displayName && (entrant.playerId == 0 || playerId == 0))
            return std::nullopt;
        taken.insert(entrant.name);
    }
    if (!taken.contains(displayName))
        return displayName;
    const QString place = city.simplified();
    if (!place.isEmpty()) {
        const QString withCity = QStringLiteral("%1 (%2)").arg(displayName, place);
        if (!taken.contains(withCity))
            return withCity;
    }
    for (int number = 2;; ++number) {
        const QString numbered = QStringLiteral("%1 (%2)").arg(displayName).arg(number);
        if (!taken.contains(numbered))
            return numbered;
    }
}

TournamentProgress::AddResult TournamentProgress::addEntrant(const QString &name,
                                                             const QString &house, qint64 playerId)
{
    for (const Entrant &entrant : std::as_const(m_state.entrants)) {
        if (entrant.name == name || (playerId != 0 && entrant.playerId == playerId))
            return AddResult::AlreadyEntered;
    }
    const Entrant entrant{name, house, QStringLiteral("0(0)"), true, false, playerId};
    // After the start a late entrant joins the standings with score and power 0 and is
    // paired from the next pairing on.
    m_store->addEntrant(m_state, int(m_state.entrants.size()), entrant, m_state.started,
                        m_staleStored);
    m_staleStored = false;
    m_state.entrants.append(entrant);
    Q_EMIT entrantsChanged();
    // An entrant who comes after the start gets a personal code at once (the others got
    // theirs with the start).
    if (m_state.started)
        ensurePlayerCodes();
    return AddResult::Added;
}

int TournamentProgress::entrantOfRow(int row) const
{
    // Rows of the entrant list count only the entrants whose name it shows.
    for (int i = 0, shown = 0; i < m_state.entrants.size(); ++i) {
        if (!m_state.entrants.at(i).nameShown)
            continue;
        if (shown++ == row)
            return i;
    }
    return -1;
}

void TournamentProgress::removeEntrant(int row)
{
    const int index = entrantOfRow(row);
    if (index < 0)
        return;
    removeEntrantNamed(m_state.entrants.at(index).name);
}

QStringList TournamentProgress::playingNames() const
{
    QStringList names;
    for (const Entrant &entrant : m_state.entrants) {
        if (!entrant.dropped)
            names.append(entrant.name);
    }
    return names;
}

bool TournamentProgress::removeEntrantNamed(const QString &name)
{
    // The entrant is found by name at the moment of the change, never by a row that the
    // lists may have moved since the organiser chose it.
    const auto found =
        std::find_if(m_state.entrants.cbegin(), m_state.entrants.cend(),
                     [&name](const Entrant &entrant) { return entrant.name == name; });
    if (found == m_state.entrants.cend())
        return false;
    const qsizetype index = found - m_state.entrants.cbegin();
    QList<Entrant> next = m_state.entrants;
    if (m_state.started) {
        if (next.at(index).dropped)
            return false;
        next[index].dropped = true;
    } else {
        next.removeAt(index);
    }
    replaceEntrants(std::move(next));
    return true;
}

void TournamentProgress::reinstate(int row)
{
    const int index = entrantOfRow(row);
    if (index < 0 || index >= m_state.entrants.size() || !m_state.entrants.at(index).dropped)
        return;
    QList<Entrant> next = m_state.entrants;
    next[index].dropped = false;
    replaceEntrants(std::move(next));
}

void TournamentProgress::replaceEntrants(QList<Entrant> next)
{
    m_store->changeEntrants(next);
    m_state.entrants = std::move(next);
    Q_EMIT entrantsChanged();
}

void TournamentProgress::setAvoidRematches(bool on)
{
    if (m_state.avoidRematches == on)
        return;
    State next = m_state;
    next.avoidRematches = on;
    m_store->setOptions(next, m_staleStored);
    m_staleStored = false;
    m_state.avoidRematches = on;
}

void TournamentProgress::setBigScreenOpen(bool open)
{
    if (m_state.bigScreenOpen == open)
        return;
    // Before a new tournament's first step the stored record is still a finished
    // tournament's: the flag is stored with the state that step writes.
    if (!m_staleStored) {
        State next = m_state;
        next.bigScreenOpen = open;
        m_store->setOptions(next, false);
    }
    m_state.bigScreenOpen = open;
}

void TournamentProgress::setReviewPairings(bool on)
{
    if (m_state.reviewPairings == on)
        return;
    State next = m_state;
    next.reviewPairings = on;
    // What the room is shown now stays shown.
    if (on) {
        next.publishedRound = next.roundcounter;
        next.publishedPairing = next.pairingNumber;
    }
    m_store->setOptions(next, m_staleStored);
    m_staleStored = false;
    m_state.reviewPairings = next.reviewPairings;
    m_state.publishedRound = next.publishedRound;
    m_state.publishedPairing = next.publishedPairing;
    Q_EMIT publishedChanged();
}

void TournamentProgress::publishPairing()
{
    if (pairingPublished())
        return;
    State next = m_state;
    next.publishedRound = next.roundcounter;
    next.publishedPairing = next.pairingNumber;
    m_store->setOptions(next, false);
    m_state.publishedRound = next.publishedRound;
    m_state.publishedPairing = next.publishedPairing;
    Q_EMIT publishedChanged();
}

// ---- Rounds ----------------------------------------------------------------------------

TournamentProgress::StartRefusal TournamentProgress::checkStart(const QString &roundsText) const
{
    // Only a whole number of rounds from 1 to 99 counts; anything else is refused before
    // anything is written or opened. An empty box or a number below 0 is asked for again.
    const std::optional<double> typed = Round::parseDecimal(roundsText);
    if (roundsText.trimmed().isEmpty() || (typed && *typed < 0))
        return StartRefusal::NoRounds;
    const std::optional<qint16> rounds = Round::parseTypedRounds(roundsText);
    if (!rounds)
        return StartRefusal::NotWholeInRange;
    // Fewer rounds than the tournament has reached would never equal the rounds ended,
    // and the tournament would go on for ever.
    if (*rounds < fewestRounds())
        return StartRefusal::FewerThanReached;
    if (*rounds == m_state.roundcounter - 1)
        return StartRefusal::Over;
    return StartRefusal::None;
}

qint16 TournamentProgress::fewestRounds() const
{
    return qint16(m_state.roundOpen ? m_state.roundcounter : m_state.roundcounter - 1);
}

bool TournamentProgress::changesRounds(const QString &roundsText) const
{
    return m_state.started &&
           Round::parseTypedRounds(roundsText) != Round::parseRounds(m_state.roundsText);
}

void TournamentProgress::startRound(const QString &roundsText)
{
    const qsizetype previousCodes = m_state.playerCodes.size();
    State next = m_state;
    next.roundsText = roundsText;
    const bool firstStart = next.randomFirst == 0 && !next.roundOpen;
    const bool pair = !next.roundOpen;
    if (firstStart) {
        next.started = true;
        // The tournament's own name for its backups: no later tournament writes over them.
        next.startedAtMs = nowMs();
        next.games.clear();
        next.missed.clear();
    }
    // Every entrant has a personal code by the start, stored with it.
    giveMissingCodes(next);
    // The pairing reads the standings inside the store's transaction that stores it.
    TournamentStore::Pairer pairer;
    if (pair) {
        pairer = [this](State &state, const TournamentStore::StandingsReader &standings) {
            return pairRound(state, false, standings);
        };
    }
    m_store->startRound(next, firstStart, m_staleStored, pairer);

    m_staleStored = false;
    m_state = std::move(next);
    if (pair) {
        m_clock.reset();
        rebuildOpenSeats();
    }
    if (firstStart || pair)
        Q_EMIT entrantsChanged();
    if (pair)
        Q_EMIT pairingChanged({});
    if ((pair && m_state.takeReports) || m_state.playerCodes.size() != previousCodes)
        Q_EMIT reportsChanged();
}

bool TournamentProgress::pairRound(State &next, bool redraw,
                                   const TournamentStore::StandingsReader &standings) const
{
    Round::Pairing pairing;
    const bool draw = next.randomFirst == 0 || redraw;
    if (draw) {
        // The flag is raised before anything is drawn.
        if (next.randomFirst == 0)
            next.randomFirst = qint16(next.randomFirst + 1);
        QStringList names;
        names.reserve(next.entrants.size());
        // A first round drawn again takes everyone who is in it: the names the first draw
        // took out of the list as well as those entered since.
        for (Entrant &entrant : next.entrants) {
            if ((entrant.nameShown || redraw) && !entrant.dropped)
                names.append(entrant.name);
            // Every entrant is drawn: the entrant list empties, its companion lists stay
            // as they are until the round ends.
            entrant.nameShown = false;
        }
        RandomSource random = m_randomSource;
        if (!random) {
            auto generator = std::make_shared<QRandomGenerator>(
                quint32(QDateTime::currentMSecsSinceEpoch() & 0xffffffff));
            random = [generator] { return generator->generateDouble(); };
        }
        pairing = Round::drawFirstRound(names, random);
    } else {
        // The standings as stored (a first start always draws).
        const QList<Progress::StandingsRow> stored = standings();
        QList<Round::StandingsRow> rows;
        rows.reserve(stored.size());
        for (const Progress::StandingsRow &row : stored)
            rows.append({row.name, row.score});
        // The pairing covers every score present, whatever the number of rounds says.
        // Dropped entrants are left out; with the option on, entrants who met are kept
        // apart.
        QSet<QString> dropped;
        for (const Entrant &entrant : std::as_const(next.entrants)) {
            if (entrant.dropped)
                dropped.insert(entrant.name);
        }
        QList<Round::PlayedGame> played;
        if (next.avoidRematches) {
            played.reserve(next.games.size());
            for (const Game &game : std::as_const(next.games))
                played.append({game.player1, game.player2});
        }
        pairing = Round::pairNextRound(rows, dropped, played, next.avoidRematches);
    }
    next.seats.clear();
    next.seats.reserve(pairing.left.size());
    for (qsizetype i = 0; i < pairing.left.size(); ++i)
        next.seats.append({pairing.left.at(i),
                           i < pairing.right.size() ? pairing.right.at(i) : QString(), false});
    next.roundOpen = true;
    ++next.pairingNumber;
    // A new pairing has new codes, stored with it, where results come from the tables.
    if (next.takeReports)
        next.reports = newReportBook(next);
    // A new round's clock stands still at 00:00:00: no time left from the round before
    // carries over.
    next.clockRunning = false;
    next.clockLeftSeconds = 0;
    return draw;
}

// ---- Results reported from the tables -------------------------------------------------

Progress::ReportBook TournamentProgress::newReportBook(const State &state)
{
    Progress::ReportBook book;
    book.round = state.roundcounter;
    book.pairing = state.pairingNumber;
    return book;
}

bool TournamentProgress::bookIsCurrent() const
{
    return Progress::bookIsCurrent(m_state);
}

void TournamentProgress::storeReports(const State &next)
{
    m_store->saveReports(next);
    m_state.takeReports = next.takeReports;
    m_state.confirmReports = next.confirmReports;
    m_state.reports = next.reports;
    m_state.playerCodes = next.playerCodes;
    Q_EMIT reportsChanged();
}

void TournamentProgress::setTakeReports(bool on)
{
    if (m_state.takeReports == on)
        return;
    State next = m_state;
    next.takeReports = on;
    // The open round takes reports from now on; every entrant has a code for them.
    if (on && m_state.roundOpen && !bookIsCurrent())
        next.reports = newReportBook(next);
    if (on)
        giveMissingCodes(next);
    storeReports(next);
}

void TournamentProgress::setConfirmReports(bool on)
{
    if (m_state.confirmReports == on)
        return;
    State next = m_state;
    next.confirmReports = on;
    storeReports(next);
}

namespace {

/// A personal code from the system's random source that is not among taken, which it joins.
QString freshCode(QSet<QString> &taken)
{
    for (;;) {
        // One call to the system's source for the code's letters.
        quint32 words[Progress::kPersonalCodeLength];
        QRandomGenerator::system()->fillRange(words);
        int next = 0;
        const QString code = Progress::newPersonalCode([&] { return words[next++]; });
        if (!taken.contains(code)) {
            taken.insert(code);
            return code;
        }
    }
}

} // namespace

bool TournamentProgress::giveMissingCodes(State &next)
{
    bool changed = false;
    QSet<QString> names;
    names.reserve(next.entrants.size());
    for (const Entrant &entrant : std::as_const(next.entrants))
        names.insert(entrant.name);
    // A name no longer entered keeps no code: its card lets nobody in.
    changed |= next.playerCodes.removeIf(
                   [&](const auto &entry) { return !names.contains(entry.key()); }) > 0;
    QSet<QString> taken;
    for (const QString &code : std::as_const(next.playerCodes))
        taken.insert(code);
    for (const Entrant &entrant : std::as_const(next.entrants)) {
        if (!next.playerCodes.contains(entrant.name)) {
            next.playerCodes.insert(entrant.name, freshCode(taken));
            changed = true;
        }
    }
    return changed;
}

void TournamentProgress::ensurePlayerCodes()
{
    State next = m_state;
    if (giveMissingCodes(next))
        storeReports(next);
}

QString TournamentProgress::renewPlayerCode(const QString &name)
{
    const bool entered = std::any_of(m_state.entrants.cbegin(), m_state.entrants.cend(),
                                     [&](const Entrant &e) { return e.name == name; });
    if (!entered)
        return QString();
    State next = m_state;
    next.playerCodes.remove(name);
    giveMissingCodes(next);
    const QString code = next.playerCodes.value(name);
    storeReports(next);
    return code;
}

QString TournamentProgress::ownerOfCode(const QString &code) const
{
    return Progress::ownerOfCode(m_state, code);
}

int TournamentProgress::tableOf(const QString &name) const
{
    if (!m_state.roundOpen || name.isEmpty())
        return 0;
    for (qsizetype i = 0; i < m_state.seats.size(); ++i) {
        const Seat &seat = m_state.seats.at(i);
        if (seat.player1 == name || seat.player2 == name)
            return int(i) + 1;
    }
    return 0;
}

int TournamentProgress::refusedReports(int table) const
{
    return bookIsCurrent() ? m_state.reports.refused.value(table) : 0;
}

TournamentProgress::ReportOutcome TournamentProgress::takeReport(const ReportRequest &request)
{
    using Progress::Report;
    if (!m_state.takeReports || !bookIsCurrent())
        return ReportOutcome::NotTaking;
    State next = m_state;
    // The code alone says who reports: the player at whose table the report counts.
    const QString name = ownerOfCode(request.code);
    if (name.isEmpty()) {
        if (request.table >= 1 && request.table <= m_state.seats.size()) {
            next.reports.refused[request.table] += 1;
            storeReports(next);
        }
        return ReportOutcome::WrongCode;
    }
    const int table = tableOf(name);
    if (table == 0)
        return ReportOutcome::NoSuchTable;
    const Seat &seat = m_state.seats.at(table - 1);
    Report report;
    report.table = table;
    report.reporter = seat.player1 == name ? 1 : 2;
    report.drop = request.drop;
    report.at = nowMs();
    if (request.drop) {
        for (const Entrant &entrant : m_state.entrants) {
            if (entrant.name == name && entrant.dropped)
                return ReportOutcome::AlreadyDropped;
        }
    } else {
        // The player with the bye has no result to report (but may drop).
        if (seat.player2 == Round::bye())
            return ReportOutcome::NoSuchTable;
        if (seat.recorded)
            return ReportOutcome::AlreadyRecorded;
        const std::optional<std::pair<double, double>> powers =
            Round::parseGamePowers(request.power1, request.power2, false);
        if (!Round::resultTexts().contains(request.result1) || !powers)
            return ReportOutcome::BadReport;
        report.result1 = request.result1;
        report.power1 = powers->first;
        report.power2 = powers->second;
    }
    // A player's later report takes the place of the earlier one still pending.
    for (Report &earlier : next.reports.reports) {
        if (earlier.table == table && earlier.reporter == report.reporter &&
            earlier.drop == report.drop && earlier.fate == Report::Fate::Pending)
            earlier.fate = Report::Fate::Replaced;
    }
    next.reports.reports.append(report);
    const std::optional<Report> agreed = Progress::agreedReport(next.reports, table);
    if (!agreed || report.drop || m_state.confirmReports) {
        storeReports(next);
        return ReportOutcome::Taken;
    }
    // Both players agree: the game is recorded as "Game Over" records it, and the reports
    // are kept as recorded. Should the game not be recorded, they stay pending.
    storeReports(next);
    recordFromReports(table, *agreed);
    return ReportOutcome::Recorded;
}

void TournamentProgress::recordFromReports(int table, const Progress::Report &agreed)
{
    const Progress::GameRef game = openRoundGame(table);
    if (!isOpen(game))
        return;
    State next = m_state;
    for (Progress::Report &r : next.reports.reports) {
        if (r.table == table && !r.drop && r.fate == Progress::Report::Fate::Pending)
            r.fate = Progress::Report::Fate::Recorded;
    }
    m_settlingTable = table;
    const auto settled = qScopeGuard([this] { m_settlingTable = 0; });
    // While the game is announced, the reports already say they recorded it, so that a
    // view can tell the organiser where the result came from; they are stored right after.
    const Progress::ReportBook before = std::exchange(m_state.reports, next.reports);
    auto restore = qScopeGuard([this, &before] { m_state.reports = before; });
    if (recordGame(game, agreed.result1, agreed.power1, agreed.power2) != RecordRefusal::None)
        return;
    restore.dismiss();
    m_state.reports = before;
    storeReports(next);
}

Progress::TableReports TournamentProgress::tableReports(int table) const
{
    return bookIsCurrent() ? Progress::tableReports(m_state.reports, table)
                           : Progress::TableReports::None;
}

QList<Progress::Report> TournamentProgress::pendingReports(int table) const
{
    return bookIsCurrent() ? Progress::pendingResults(m_state.reports, table)
                           : QList<Progress::Report>();
}

bool TournamentProgress::recordReport(int table)
{
    const std::optional<Progress::Report> agreed =
        bookIsCurrent() ? Progress::agreedReport(m_state.reports, table) : std::nullopt;
    if (!agreed)
        return false;
    recordFromReports(table, *agreed);
    return true;
}

void TournamentProgress::rejectReports(int table)
{
    if (table < 1 || pendingReports(table).isEmpty())
        return;
    State next = m_state;
    for (Progress::Report &r : next.reports.reports) {
        if (r.table == table && !r.drop && r.fate == Progress::Report::Fate::Pending)
            r.fate = Progress::Report::Fate::Rejected;
    }
    storeReports(next);
}

void TournamentProgress::settleTable(int table)
{
    if (table == m_settlingTable || pendingReports(table).isEmpty())
        return;
    State next = m_state;
    for (Progress::Report &r : next.reports.reports) {
        if (r.table == table && !r.drop && r.fate == Progress::Report::Fate::Pending)
            r.fate = Progress::Report::Fate::Replaced;
    }
    storeReports(next);
}

QStringList TournamentProgress::dropRequests() const
{
    QStringList names;
    if (!bookIsCurrent())
        return names;
    for (const Progress::Report &r : m_state.reports.reports) {
        if (!r.drop || r.fate != Progress::Report::Fate::Pending || r.table < 1 ||
            r.table > m_state.seats.size())
            continue;
        const Seat &seat = m_state.seats.at(r.table - 1);
        const QString &name = r.reporter == 1 ? seat.player1 : seat.player2;
        const bool dropped =
            std::any_of(m_state.entrants.cbegin(), m_state.entrants.cend(),
                        [&](const Entrant &e) { return e.name == name && e.dropped; });
        if (!dropped && !names.contains(name))
            names.append(name);
    }
    return names;
}

void TournamentProgress::settleDropRequest(const QString &name, bool drop)
{
    if (drop && m_state.started) {
        for (qsizetype i = 0; i < m_state.entrants.size(); ++i) {
            if (m_state.entrants.at(i).name != name || m_state.entrants.at(i).dropped)
                continue;
            QList<Entrant> entrants = m_state.entrants;
            entrants[i].dropped = true;
            replaceEntrants(std::move(entrants));
            break;
        }
    }
    State next = m_state;
    bool changed = false;
    for (Progress::Report &r : next.reports.reports) {
        if (!r.drop || r.fate != Progress::Report::Fate::Pending || r.table < 1 ||
            r.table > next.seats.size())
            continue;
        const Seat &seat = next.seats.at(r.table - 1);
        if ((r.reporter == 1 ? seat.player1 : seat.player2) == name) {
            r.fate = drop ? Progress::Report::Fate::Recorded : Progress::Report::Fate::Rejected;
            changed = true;
        }
    }
    if (changed)
        storeReports(next);
}

void TournamentProgress::swapOpponents(int row, int otherRow)
{
    const int seatA = seatOfRow(row);
    const int seatB = seatOfRow(otherRow);
    if (seatA < 0 || seatB < 0 || seatA == seatB)
        return;
    Seat a = m_state.seats.at(seatA);
    Seat b = m_state.seats.at(seatB);
    std::swap(a.player2, b.player2);
    // Reports name a table's first or second player: a result reported at either table was
    // about the game that is no more, and lapses; a second player's wish to drop moves with
    // the player. Settled first, so that a failure leaves no report on the wrong game.
    if (bookIsCurrent()) {
        State next = m_state;
        bool changed = false;
        for (Progress::Report &r : next.reports.reports) {
            if (r.fate != Progress::Report::Fate::Pending ||
                (r.table != seatA + 1 && r.table != seatB + 1))
                continue;
            if (r.drop) {
                if (r.reporter == 2)
                    r.table = r.table == seatA + 1 ? seatB + 1 : seatA + 1;
            } else {
                r.fate = Progress::Report::Fate::Replaced;
            }
            changed = true;
        }
        if (changed)
            storeReports(next);
    }
    m_store->swapSeats(seatA, a, seatB, b);
    m_state.seats[seatA] = a;
    m_state.seats[seatB] = b;
    Q_EMIT pairingChanged({Progress::PairingChange::Kind::Swapped, row, otherRow});
}

bool TournamentProgress::isOpen(const Progress::GameRef &game) const
{
    return m_state.roundOpen && game.round == m_state.roundcounter &&
           game.pairing == m_state.pairingNumber && game.table >= 1 &&
           game.table <= m_state.seats.size() && !m_state.seats.at(game.table - 1).recorded;
}

std::optional<Game> TournamentProgress::recordedGame(const Progress::GameRef &game) const
{
    for (auto it = m_state.games.crbegin(); it != m_state.games.crend(); ++it) {
        if (it->round == game.round && it->pairing == game.pairing && it->seat + 1 == game.table)
            return *it;
    }
    return std::nullopt;
}

bool TournamentProgress::recordedFromReports(const Progress::GameRef &game) const
{
    const Progress::ReportBook &book = m_state.reports;
    if (book.round != game.round || book.pairing != game.pairing)
        return false;
    return std::any_of(book.reports.cbegin(), book.reports.cend(), [&](const Progress::Report &r) {
        return r.table == game.table && !r.drop && r.fate == Progress::Report::Fate::Recorded;
    });
}

TournamentProgress::RecordRefusal TournamentProgress::recordGame(const Progress::GameRef &ref,
                                                                 const QString &result1,
                                                                 double power1, double power2)
{
    if (!m_state.roundOpen || ref.round != m_state.roundcounter ||
        ref.pairing != m_state.pairingNumber)
        return RecordRefusal::NotOpen;
    if (ref.table < 1 || ref.table > m_state.seats.size())
        return RecordRefusal::NoSuchTable;
    const int seatIndex = ref.table - 1;
    const int row = int(m_openSeats.indexOf(seatIndex));
    if (m_state.seats.at(seatIndex).recorded || row < 0)
        return RecordRefusal::Recorded;
    Seat seat = m_state.seats.at(seatIndex);
    Game game;
    game.round = m_state.roundcounter;
    game.pairing = m_state.pairingNumber;
    game.seat = seatIndex;
    game.player1 = seat.player1;
    game.player2 = seat.player2;
    game = gameWithResult(std::move(game), result1, power1, power2, m_store->station());
    seat.recorded = true;
    // Both players' rows, the game and its seat change together or not at all.
    game.id = m_store->recordGame(game, seat, changesOf(game, 1));
    m_state.seats[seatIndex] = seat;
    m_state.games.append(game);
    m_openSeats.removeAt(row);
    Q_EMIT pairingChanged({Progress::PairingChange::Kind::Recorded, row});
    Q_EMIT gamesChanged();
    // Reports of the table still pending lapse: the desk's result stands.
    settleTable(seatIndex + 1);
    return RecordRefusal::None;
}

std::optional<int> TournamentProgress::undoLastGame()
{
    const QList<Game> games = openRoundGames();
    if (games.isEmpty())
        return std::nullopt;
    return reopenGame(games.last().id);
}

std::optional<int> TournamentProgress::reopenGame(qint64 gameId)
{
    const qsizetype at = gameIndex(gameId);
    if (at < 0)
        return std::nullopt;
    const Game game = m_state.games.at(at);
    if (!m_state.roundOpen || game.round != m_state.roundcounter ||
        game.pairing != m_state.pairingNumber || game.seat < 0 || game.seat >= m_state.seats.size())
        return std::nullopt;
    Seat seat = m_state.seats.at(game.seat);
    seat.recorded = false;
    m_store->reopenGame(game, seat, changesOf(game, -1));
    m_state.seats[game.seat] = seat;
    m_state.games.removeAt(at);
    rebuildOpenSeats();
    const int row = int(m_openSeats.indexOf(game.seat));
    Q_EMIT pairingChanged({Progress::PairingChange::Kind::Reopened, row});
    Q_EMIT gamesChanged();
    return row;
}

void TournamentProgress::amendGame(qint64 gameId, const QString &result1, double power1,
                                   double power2)
{
    const qsizetype at = gameIndex(gameId);
    if (at < 0)
        return;
    const Game old = m_state.games.at(at);
    const Game game = gameWithResult(old, result1, power1, power2, m_store->station());

    QList<TournamentStore::StandingsChange> changes{
        {game.player1, game.points1 - old.points1, game.power1 - old.power1}};
    if (game.player2 != Round::bye())
        changes.append({game.player2, old.points1 - game.points1, game.power2 - old.power2});
    // A finished tournament's archived results follow the amended game.
    State after;
    if (isOver(m_state)) {
        after = m_state;
        after.games[at] = game;
    }
    QList<Entrant> entrants = m_store->amendGame(
        game, changes, [this](const auto &rows) { return entrantsFromStandings(rows, false); },
        archiveIfOver(after));
    m_state.games[at] = game;
    m_state.entrants = std::move(entrants);
    Q_EMIT gamesChanged();
    Q_EMIT entrantsChanged();
}

void TournamentProgress::recordMissedGame(const Progress::MissedGame &missed,
                                          const QString &result1, double power1, double power2)
{
    qsizetype at = -1;
    for (qsizetype i = 0; i < m_state.missed.size(); ++i) {
        const Progress::MissedGame &g = m_state.missed.at(i);
        if (g.round == missed.round && g.pairing == missed.pairing && g.seat == missed.seat)
            at = i;
    }
    if (at < 0)
        return;
    const Progress::MissedGame kept = m_state.missed.at(at);
    Game game;
    game.round = kept.round;
    game.pairing = kept.pairing;
    game.seat = kept.seat;
    game.player1 = kept.player1;
    game.player2 = kept.player2;
    game = gameWithResult(std::move(game), result1, power1, power2, m_store->station());

    // Both players' rows, the game, the missing game's row and the lists' scores change
    // together or not at all.
    State after;
    if (isOver(m_state)) {
        after = m_state;
        after.missed.removeAt(at);
        after.games.append(game);
    }
    QList<Entrant> entrants = m_store->recordMissedGame(
        game, kept, changesOf(game, 1),
        [this](const auto &rows) { return entrantsFromStandings(rows, false); },
        archiveIfOver(after));
    m_state.missed.removeAt(at);
    m_state.games.append(game);
    m_state.entrants = std::move(entrants);
    Q_EMIT gamesChanged();
    Q_EMIT entrantsChanged();
}

QList<Entrant> TournamentProgress::entrantsFromStandings(const QList<Progress::StandingsRow> &rows,
                                                         bool showAllNames) const
{
    QHash<QString, const Entrant *> known;
    for (const Entrant &entrant : m_state.entrants)
        known.insert(entrant.name, &entrant);
    QList<Entrant> entrants;
    entrants.reserve(rows.size());
    for (const Progress::StandingsRow &row : rows) {
        // "score(power)": a power of 23 as "23", a fractional one with its fraction but
        // without the binary noise of summed decimals.
        Entrant entrant{
            row.name, row.house,
            QStringLiteral("%1(%2)").arg(qint64(row.score)).arg(Round::powerText(row.power)), true,
            false};
        if (const Entrant *before = known.value(entrant.name)) {
            entrant.dropped = before->dropped;
            entrant.nameShown = showAllNames || before->nameShown;
            entrant.playerId = before->playerId;
        }
        entrants.append(std::move(entrant));
    }
    return entrants;
}

void TournamentProgress::endRound()
{
    // The round counter is a 16-bit number: one round more than it can hold is a failure
    // on the error path, never a wrap to a negative round.
    if (m_state.roundcounter == std::numeric_limits<qint16>::max())
        throw Failure(6, QStringLiteral("Overflow"));
    State next = withRoundClosed();
    next.roundcounter = qint16(next.roundcounter + 1);
    // The games not recorded are kept, so that they can still be recorded late.
    QList<Progress::MissedGame> missed;
    if (m_state.roundOpen) {
        for (int seat : std::as_const(m_openSeats)) {
            const Seat &open = m_state.seats.at(seat);
            missed.append(
                {m_state.roundcounter, m_state.pairingNumber, seat, open.player1, open.player2});
        }
    }
    next.missed.append(missed);
    // The store keeps a copy of the round where it keeps copies; the last round's end puts
    // the finished tournament in the club's archive in the same transaction.
    next.entrants = m_store->endRound(
        next, missed, [this](const auto &rows) { return entrantsFromStandings(rows, true); },
        archiveIfOver(next));
    takeClosedRound(std::move(next));
    Q_EMIT entrantsChanged();
    Q_EMIT pairingChanged({});
    Q_EMIT roundChanged();
}

TournamentStore::ArchiveOf TournamentProgress::archiveIfOver(const State &finished) const
{
    if (!isOver(finished))
        return {};
    return [this, &finished](const QList<Progress::StandingsRow> &rows) {
        return std::optional<History::ArchivedTournament>(archiveOfTournament(finished, rows));
    };
}

History::ArchivedTournament
TournamentProgress::archiveOfTournament(const State &finished,
                                        const QList<Progress::StandingsRow> &rows) const
{
    QHash<QString, const Entrant *> byName;
    for (const Entrant &entrant : finished.entrants)
        byName.insert(entrant.name, &entrant);
    QList<History::ArchivedEntrant> standings;
    standings.reserve(rows.size());
    for (const Progress::StandingsRow &row : rows) {
        const Entrant *entrant = byName.value(row.name);
        standings.append({row.name, row.house, entrant ? entrant->playerId : 0, 0, row.score,
                          row.power, entrant ? entrant->dropped : false});
    }
    QList<History::ArchivedGame> games;
    games.reserve(finished.games.size());
    for (const Game &game : finished.games) {
        games.append({game.round, game.seat + 1, game.player1, game.player2, game.result1,
                      game.points1, game.power1, game.power2});
    }
    // Everyone paired in the first round has a game of it, recorded or missed: the others
    // entered late.
    QStringList unrecorded;
    for (const Progress::MissedGame &missed : finished.missed) {
        if (missed.round == 1)
            unrecorded << missed.player1 << missed.player2;
    }
    return History::archiveOf(QDate::currentDate(), finished.roundcounter - 1, std::move(standings),
                              std::move(games), unrecorded);
}

void TournamentProgress::abandonRound()
{
    if (!m_state.roundOpen)
        return;
    State next = withRoundClosed();
    m_store->leaveRound(next, {});
    takeClosedRound(std::move(next));
    Q_EMIT pairingChanged({});
}

TournamentProgress::RepairRefusal TournamentProgress::repairRound()
{
    if (!m_state.roundOpen)
        return RepairRefusal::NoRound;
    if (!openRoundGames().isEmpty())
        return RepairRefusal::GamesRecorded;
    State next = withRoundClosed();
    const bool redraw = next.roundcounter == 1;
    m_store->leaveRound(
        next, [this, redraw](State &state, const TournamentStore::StandingsReader &standings) {
            return pairRound(state, redraw, standings);
        });
    m_state = std::move(next);
    m_clock.restore(m_state.clockLeftSeconds, false);
    rebuildOpenSeats();
    Q_EMIT entrantsChanged();
    Q_EMIT pairingChanged({});
    if (m_state.takeReports)
        Q_EMIT reportsChanged();
    return RepairRefusal::None;
}

State TournamentProgress::withRoundClosed() const
{
    State next = m_state;
    next.roundOpen = false;
    next.seats.clear();
    next.clockRunning = false;
    next.clockLeftSeconds = m_clock.remainingSeconds();
    return next;
}

void TournamentProgress::takeClosedRound(State next)
{
    m_state = std::move(next);
    m_openSeats.clear();
    m_clock.restore(m_state.clockLeftSeconds, false);
}

// ---- Clock -----------------------------------------------------------------------------

void TournamentProgress::startClock(qint16 minutes)
{
    Round::RoundClock clock = m_clock;
    clock.start(minutes);
    State next = m_state;
    next.clockRunning = true;
    next.clockLeftSeconds = clock.remainingSeconds();
    next.clockEndMs = nowMs() + next.clockLeftSeconds * 1000;
    m_store->saveClock(next);
    m_state = std::move(next);
    m_clock = clock;
}

Round::RoundClock::Tick TournamentProgress::tickClock()
{
    const Round::RoundClock::Tick tick = m_clock.tick();
    if (tick.stopped && m_state.clockRunning) {
        State next = m_state;
        next.clockRunning = false;
        next.clockLeftSeconds = 0;
        m_store->saveClock(next);
        m_state = std::move(next);
    }
    Q_EMIT clockChanged(tick.caption);
    return tick;
}

// ---- Helpers ---------------------------------------------------------------------------

void TournamentProgress::rebuildOpenSeats()
{
    m_openSeats.clear();
    if (!m_state.roundOpen)
        return;
    for (int i = 0; i < m_state.seats.size(); ++i) {
        if (!m_state.seats.at(i).recorded)
            m_openSeats.append(i);
    }
}

qsizetype TournamentProgress::gameIndex(qint64 gameId) const
{
    for (qsizetype i = 0; i < m_state.games.size(); ++i) {
        if (m_state.games.at(i).id == gameId)
            return i;
    }
    return -1;
}

int TournamentProgress::seatOfRow(int row) const
{
    return row >= 0 && row < m_openSeats.size() ? m_openSeats.at(row) : -1;
}

} // namespace Zuvi
