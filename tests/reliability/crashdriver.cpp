// Plays a whole tournament through the real windows, offscreen, as an organiser would, and
// notes each step in a log file that reaches the disk before the next step starts. The
// crash-safety test kills this process at random moments and starts it again on the same
// installation: it then answers Yes to the question to resume, reads from the windows where
// the tournament stands and plays on. Every result is a function of the round and the two
// players, and the draw takes a random source seeded afresh at each start, so a tournament
// killed any number of times ends as an uninterrupted one does.
//
// Usage: zuvi-crashdriver LOG ENTRANTS ROUNDS SEED
// Log lines (fields separated by '|'):
//   run|fresh or run|resumed  the windows are built; whether the resume question came
//   begin start            before "Start Tournament" is clicked
//   started                after it returned
//   begin game|NAME1|NAME2|POINTS1|POWER1|POWER2   before "Game Over" is clicked
//   done                   after "Game Over" returned
//   begin end|ROUND        before "End Round" is clicked
//   ended|ROUND            after it returned
//   finished               the last round has ended
//   message|TEXT           a message appeared (the driver then stops with status 2)
// The test itself appends "done", "started" or "lost" after a kill, once it has seen in the
// file whether the step in flight was made.

#include "support/windowdrivers.h"
#include "support/testsupport.h"

#include "registration/throne.h"
#include "tournament/tournamentprogress.h"
#include "round/scoring.h"
#include "roundwindow/tournament.h"

#include <QApplication>
#include <QFile>
#include <QRandomGenerator>

#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {

class Log final
{
public:
    explicit Log(const QString &path)
        : m_path(path),
          m_fd(::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_APPEND, 0600))
    {
    }
    ~Log()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Q_DISABLE_COPY_MOVE(Log)

    bool isOpen() const { return m_fd >= 0; }

    /// Writes one line and waits until it is on the disk.
    void line(const QString &text) const
    {
        const QByteArray bytes = text.toUtf8() + '\n';
        if (::write(m_fd, bytes.constData(), size_t(bytes.size())) != bytes.size() ||
            ::fsync(m_fd) != 0) {
            std::perror("log");
            std::_Exit(3);
        }
    }

    /// Whether an earlier run of this tournament logged a line that starts so.
    bool has(const QByteArray &start) const
    {
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QList<QByteArray> lines = file.readAll().split('\n');
        return std::any_of(lines.cbegin(), lines.cend(),
                           [&](const QByteArray &line) { return line == start; });
    }

private:
    QString m_path;
    int m_fd;
};

void stopOnMessage(const MessageLog &messages, const Log &log)
{
    if (messages.texts().isEmpty())
        return;
    log.line(QStringLiteral("message|") + messages.texts().join(QLatin1Char(' ')));
    std::_Exit(2);
}

/// FNV-1a: a hash that is the same in every process (qHash is seeded per process).
quint32 stableHash(const QString &text)
{
    quint32 hash = 2166136261u;
    for (const char byte : text.toUtf8()) {
        hash ^= quint8(byte);
        hash *= 16777619u;
    }
    return hash;
}

struct Result
{
    QString result1;
    QString power1;
    QString power2;
};

/// The result of a game, fixed by its round and its players.
Result resultOf(int round, const QString &name1, const QString &name2)
{
    const QStringList results = Round::resultTexts();
    const quint32 hash = stableHash(QStringLiteral("%1|%2|%3").arg(round).arg(name1, name2));
    // Whole powers and halves: sums of them are exact in the standings.
    return {results.at(int(hash % quint32(results.size()))),
            QString::number(((hash >> 8) % 40) / 2.0), QString::number(((hash >> 16) % 40) / 2.0)};
}

} // namespace

int main(int argc, char *argv[])
{
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 5) {
        std::fprintf(stderr, "usage: zuvi-crashdriver LOG ENTRANTS ROUNDS SEED\n");
        return 64;
    }
    const Log log(args.at(1));
    if (!log.isOpen())
        return 65;
    const int entrantCount = args.at(2).toInt();
    const QString rounds = args.at(3);
    const int roundCount = rounds.toInt();
    QRandomGenerator random(args.at(4).toUInt());

    // The test's clock for the kill starts here: the start-up and the resume are in reach.
    std::fputs("ready\n", stdout);
    std::fflush(stdout);

    MessageLog messages;
    messages.setAnswer(true);
    const QStringList houses = {QStringLiteral("Baratheon"), QStringLiteral("Greyjoy"),
                                QStringLiteral("Lannister"), QStringLiteral("Stark")};
    QList<Entrant> entrants;
    for (int i = 0; i < entrantCount; ++i)
        entrants.append({QStringLiteral("Player%1").arg(i), QStringLiteral("O'Club%1").arg(i),
                         houses.at(i % houses.size())});

    Throne throne(new TournamentProgress);
    throne.progress()->setRandomSource([&random] { return random.generateDouble(); });
    const bool resumed = !messages.questions().isEmpty();
    stopOnMessage(messages, log);
    log.line(resumed ? QStringLiteral("run|resumed") : QStringLiteral("run|fresh"));

    // A tournament whose last round has ended is not offered again: it is over.
    if (!resumed && log.has("begin end|" + rounds.toUtf8())) {
        log.line(QStringLiteral("finished"));
        return 0;
    }

    Tournament *round = throne.tournament();
    if (!round && throne.StartButton()->text() == QStringLiteral("Start Tournament")) {
        // Registration, or what is left of it: the entrants not yet listed, in order.
        const QStringList listed = listTexts(throne.TournyPlayers());
        for (const Entrant &entrant : entrants) {
            if (listed.contains(entrant.name()))
                continue;
            const int row = int(listTexts(throne.StoredPlayers()).indexOf(entrant.name()));
            if (row < 0)
                return 4;
            registerEntrant(throne, row, entrant.house);
            stopOnMessage(messages, log);
        }
        log.line(QStringLiteral("begin start"));
        round = start(throne, rounds);
        stopOnMessage(messages, log);
        if (!round)
            return 4;
        log.line(QStringLiteral("started"));
    }

    for (;;) {
        const int number = throne.roundcounter();
        if (!round) {
            if (number > roundCount)
                break;
            click(throne, "StartButton");
            stopOnMessage(messages, log);
            round = throne.tournament();
            if (!round)
                return 4;
        }
        // The lists show exactly the games not yet recorded, in seat order.
        while (rowCount(round->MatchList1()) > 0) {
            const QString name1 = listTexts(round->MatchList1()).at(0);
            const QString name2 = listTexts(round->MatchList2()).at(0);
            const Result result = resultOf(number, name1, name2);
            log.line(QStringList{QStringLiteral("begin game"), name1, name2,
                                 QString::number(Round::player1Points(result.result1)),
                                 result.power1, result.power2}
                         .join(QLatin1Char('|')));
            recordGame(*round, 0, result.result1, result.power1, result.power2);
            stopOnMessage(messages, log);
            log.line(QStringLiteral("done"));
        }
        log.line(QStringLiteral("begin end|%1").arg(number));
        click(*round, "EndTourny");
        stopOnMessage(messages, log);
        log.line(QStringLiteral("ended|%1").arg(number));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        round = nullptr;
        if (number >= roundCount)
            break;
    }
    log.line(QStringLiteral("finished"));
    return 0;
}
