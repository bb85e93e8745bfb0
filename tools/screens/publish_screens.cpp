// The pictures of what the room sees: the big screen and printed pages, made from a sample
// tournament of forty entrants in its third round.

#include "publish_screens.h"

#include "publish/bigscreen.h"
#include "publish/documents.h"
#include "publish/pagecode.h"
#include "publish/playercards.h"
#include "round/scoring.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>

using namespace Zuvi;
using namespace Zuvi::Publish;

namespace {

QStringList sampleNames()
{
    const char *const last[] = {"O'Neil",   "Müller",   "Żółć",      "d'Artagnan", "Åberg",
                                "Snow",     "Stark",    "Lannister", "Greyjoy",    "Baratheon",
                                "Seaworth", "Tarth",    "Novák",     "García",     "Nguyễn",
                                "Smith",    "Ødegaard", "Björk",     "Costa",      "Dubois"};
    const char *const first[] = {"Bran",   "Zoë",  "Łukasz",  "Ève",    "Astrid",  "Jon",   "Arya",
                                 "Tyrion", "Asha", "Stannis", "Davos",  "Brienne", "Jiří",  "Inés",
                                 "Minh",   "Ann",  "Martin",  "Sigrún", "João",    "Élodie"};
    QStringList names;
    for (int i = 0; i < 20; ++i) {
        names.append(QString::fromUtf8(last[i]) + QStringLiteral(", ") +
                     QString::fromUtf8(first[i]));
        names.append(QString::fromUtf8(last[(i + 7) % 20]) + QStringLiteral(", ") +
                     QString::fromUtf8(first[(i + 3) % 20]));
    }
    return names;
}

/// Round 3 of 4 in play: twenty tables, the first seven recorded, an odd entrant out.
Snapshot sampleRound(bool final)
{
    const QStringList houses = {"Stark", "Lannister", "Greyjoy", "Baratheon", "Targaryen"};
    const QStringList names = sampleNames();
    Progress::State state;
    state.started = true;
    state.roundOpen = !final;
    state.roundcounter = final ? 5 : 3;
    QList<Progress::StandingsRow> standings;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const int score = final ? int(12 - i * 12 / names.size()) : int(6 - i * 6 / names.size());
        const double power = 40 - (i * 7) % 23 + (i % 3 == 0 ? 0.5 : 0);
        state.entrants.append({names.at(i), houses.at(i % houses.size()),
                               QStringLiteral("%1(%2)").arg(score).arg(power), false, false});
        standings.append({names.at(i), houses.at(i % houses.size()), double(score), power,
                          i == names.size() - 3});
    }
    // Scores fall by the row and powers repeat: two pairs tie in rank.
    standings[4].score = standings[3].score;
    standings[4].power = standings[3].power;
    for (qsizetype i = 0; i + 1 < names.size() - 1; i += 2)
        state.seats.append({names.at(i), names.at(i + 1), i < 14});
    state.seats.append({names.at(names.size() - 2), QStringLiteral("Bye"), false});
    // The games of the first two rounds, the second round's recorded first and one game of
    // the first recorded late; the document lists them by round and table all the same.
    const QStringList results = {"Full Win", "Modified Win", "True Draw", "Modified Loss"};
    qint64 id = 0;
    for (const int round : {2, 1}) {
        for (int table = 0; table < 20; ++table) {
            if (round == 1 && table == 4)
                continue;
            const QString player1 = names.at((table * 2 + round) % names.size());
            const QString player2 = table == 19 ? QStringLiteral("Bye")
                                                : names.at((table * 2 + round + 1) % names.size());
            const QString result = results.at((table + round) % results.size());
            state.games.append({++id, round, 1, table, player1, player2, result,
                                Round::player1Points(result), double(10 + table),
                                table == 19 ? 0.0 : double(30 - table) + 0.5, QString()});
        }
    }
    state.games.append({++id, 1, 1, 4, names.at(9), names.at(10), QStringLiteral("Full Loss"), 0, 2,
                        12345.5, QString()});
    std::sort(standings.begin(), standings.end(), [](const auto &a, const auto &b) {
        if (a.score != b.score)
            return a.score > b.score;
        if (a.power != b.power)
            return a.power > b.power;
        return a.name < b.name;
    });
    return makeSnapshot(state, standings, 4, final);
}

bool savePicture(const QImage &image, const QDir &out, const QString &name)
{
    const QString file = out.filePath(name);
    const bool ok = image.save(file);
    QTextStream(stdout) << (ok ? "wrote " : "FAILED ") << file << "\n";
    return ok;
}

bool renderBigScreen(const Snapshot &snapshot, const QStringList &captions, const QSize &size,
                     const QDir &out, const QString &name)
{
    BigScreen screen;
    screen.showSnapshot(snapshot);
    for (const QString &caption : captions)
        screen.showClock(caption);
    screen.resize(size);
    screen.show();
    QApplication::processEvents();
    return savePicture(screen.grab().toImage(), out, name);
}

} // namespace

bool renderPublishScreens(const QDir &out)
{
    bool ok = true;
    const Snapshot round = sampleRound(false);
    const Snapshot final = sampleRound(true);
    const QStringList lastMinutes = {QStringLiteral("00:03:13"), QStringLiteral("00:03:12")};
    for (const QSize size : {QSize(1920, 1080), QSize(1280, 720)}) {
        const QString suffix = QStringLiteral("-%1x%2.png").arg(size.width()).arg(size.height());
        ok = renderBigScreen(round, lastMinutes, size, out,
                             QStringLiteral("BigScreen-round") + suffix) &&
             ok;
        ok =
            renderBigScreen(final, {}, size, out, QStringLiteral("BigScreen-final") + suffix) && ok;
    }
    // While the players' page is served on the network: its address to scan.
    PageAddress::instance().setAddress(QStringLiteral("http://192.168.1.20:8080/"));
    ok = renderBigScreen(round, lastMinutes, QSize(1280, 720), out,
                         QStringLiteral("BigScreen-round-page-code-1280x720.png")) &&
         ok;
    PageAddress::instance().setAddress(QString());
    ok = savePicture(renderPage(DocumentKind::PairingsByName, round, 0, 100), out,
                     QStringLiteral("Print-pairings-by-name.png")) &&
         ok;
    ok = savePicture(renderPage(DocumentKind::MatchSlips, round, 0, 100), out,
                     QStringLiteral("Print-match-slips.png")) &&
         ok;
    // The pairings and the slips while the page is served: its code to scan.
    Snapshot coded = round;
    coded.pageAddress = QStringLiteral("http://192.168.1.20:8080/");
    ok = savePicture(renderPage(DocumentKind::PairingsByTable, coded, 0, 100), out,
                     QStringLiteral("Print-pairings-page-code.png")) &&
         ok;
    ok = savePicture(renderPage(DocumentKind::MatchSlips, coded, 0, 100), out,
                     QStringLiteral("Print-match-slips-page-code.png")) &&
         ok;
    ok = savePicture(renderPage(DocumentKind::Standings, final, 0, 100), out,
                     QStringLiteral("Print-final-standings.png")) &&
         ok;
    // Player cards: with the page served (a link and its square), and without it.
    Progress::State entered;
    const QStringList codes{"FCPF6A46Y", "CYKCXC9NW", "XEMGWAV6Q", "K7QMA4RTX",
                            "DAMY6VEQ7", "TGH3KHN4P", "QWX9MUTJC", "NPRA7E3DF"};
    for (qsizetype i = 0; i < codes.size(); ++i) {
        const QString name = sampleNames().at(i);
        Progress::Entrant entrant;
        entrant.name = name;
        entrant.house = i % 2 ? QStringLiteral("Stark") : QStringLiteral("Lannister");
        entered.entrants.append(entrant);
        entered.playerCodes.insert(name, codes.at(i));
    }
    ok = savePicture(renderCardPage(
                         playerCards(entered, QStringLiteral("http://192.168.1.20:8080/")), 0, 100),
                     out, QStringLiteral("Print-player-cards.png")) &&
         ok;
    ok = savePicture(renderCardPage(playerCards(entered, QString()), 0, 100), out,
                     QStringLiteral("Print-player-cards-no-page.png")) &&
         ok;
    ok = savePicture(renderPage(DocumentKind::Games, final, 0, 100), out,
                     QStringLiteral("Print-recorded-games.png")) &&
         ok;
    return ok;
}
