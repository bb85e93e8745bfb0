// Plays a whole tournament through the real windows, offscreen, as an organiser would, and
// notes each step in a log file that reaches the disk before the next step starts. The
// crash-safety test kills this process at random moments and compares the standings file
// with the log.
//
// Usage: zuvi-crashdriver LOG ENTRANTS ROUNDS SEED
// Log lines (fields separated by '|'):
//   begin start            before "Start Tournament" is clicked
//   started                after it returned
//   begin game|NAME1|NAME2|POINTS1|POWER1|POWER2   before "Game Over" is clicked
//   done                   after "Game Over" returned
//   finished               after the last round ended
//   message|TEXT           a message appeared (the driver then stops with status 2)

#include "round/roundwindowsupport.h"
#include "support/testsupport.h"

#include "registration/throne.h"
#include "round/scoring.h"
#include "round/tournament.h"

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
        : m_fd(::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_APPEND, 0600))
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

private:
    int m_fd;
};

void stopOnMessage(const MessageLog &messages, const Log &log)
{
    if (messages.texts().isEmpty())
        return;
    log.line(QStringLiteral("message|") + messages.texts().join(QLatin1Char(' ')));
    std::_Exit(2);
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
    QRandomGenerator random(args.at(4).toUInt());

    MessageLog messages;
    const QStringList houses = {QStringLiteral("Baratheon"), QStringLiteral("Greyjoy"),
                                QStringLiteral("Lannister"), QStringLiteral("Stark")};
    QList<Entrant> entrants;
    for (int i = 0; i < entrantCount; ++i)
        entrants.append({QStringLiteral("Player%1").arg(i), QStringLiteral("O'Club%1").arg(i),
                         houses.at(i % houses.size())});

    Throne throne;
    throne.setRandomSource([&random] { return random.generateDouble(); });
    registerEntrants(throne, entrants);
    stopOnMessage(messages, log);

    const QStringList results = Round::resultTexts();
    // The test's clock for the kill starts here, where the tournament begins.
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    log.line(QStringLiteral("begin start"));
    Tournament *round = start(throne, rounds);
    stopOnMessage(messages, log);
    if (!round)
        return 4;
    log.line(QStringLiteral("started"));

    for (int r = 1; r <= rounds.toInt(); ++r) {
        if (r > 1) {
            click(throne, "StartButton");
            stopOnMessage(messages, log);
            round = throne.tournament();
            if (!round)
                return 4;
        }
        while (rowCount(round->MatchList1()) > 0) {
            const QString name1 = listTexts(round->MatchList1()).at(0);
            const QString name2 = listTexts(round->MatchList2()).at(0);
            const QString result = results.at(int(random.bounded(results.size())));
            // Whole powers and halves: sums of them are exact in the standings.
            const QString power1 = QString::number(random.bounded(40) / 2.0);
            const QString power2 = QString::number(random.bounded(40) / 2.0);
            log.line(QStringList{QStringLiteral("begin game"), name1, name2,
                                 QString::number(Round::player1Points(result)), power1, power2}
                         .join(QLatin1Char('|')));
            recordGame(*round, 0, result, power1, power2);
            stopOnMessage(messages, log);
            log.line(QStringLiteral("done"));
        }
        click(*round, "EndTourny");
        stopOnMessage(messages, log);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    log.line(QStringLiteral("finished"));
    return 0;
}
