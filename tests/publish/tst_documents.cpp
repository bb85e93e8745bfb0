// The room's documents as files: each PDF read back as text through pdftotext, each CSV
// read back field for field, and files that cannot be written.

#include "support/childprocess.h"

#include "publish/csvexport.h"
#include "publish/documents.h"

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Zuvi;
using namespace Zuvi::Publish;
using Zuvi::Test::pdfText;

Q_DECLARE_METATYPE(Zuvi::Publish::DocumentKind)

namespace {

/// A round in play: names with apostrophes and letters beyond ASCII, a bye, a tie in the
/// standings, a dropped entrant and three recorded games.
Snapshot sampleSnapshot(int tables = 0)
{
    Progress::State state;
    state.started = true;
    state.roundOpen = true;
    state.roundcounter = 2;
    const QList<std::array<const char *, 3>> entrants = {{"O'Neil, Bran", "Stark", "3(14)"},
                                                         {"Müller, Zoë", "Lannister", "3(9.5)"},
                                                         {"Żółć, Łukasz", "Greyjoy", "0(7)"},
                                                         {"d'Artagnan, Ève", "Baratheon", "0(3)"},
                                                         {"Snow, Jon", "Targaryen", "1(2)"}};
    for (const auto &[name, house, score] : entrants)
        state.entrants.append({QString::fromUtf8(name), QString::fromUtf8(house),
                               QString::fromUtf8(score), false, false});
    state.seats = {{QStringLiteral("O'Neil, Bran"), QStringLiteral("Müller, Zoë"), true},
                   {QStringLiteral("Żółć, Łukasz"), QStringLiteral("d'Artagnan, Ève"), false},
                   {QStringLiteral("Snow, Jon"), QStringLiteral("Bye"), false}};
    for (int i = 3; i < tables; ++i) {
        const QString a = QStringLiteral("Player %1a").arg(i + 1);
        const QString b = QStringLiteral("Player %1b").arg(i + 1);
        state.entrants.append({a, QStringLiteral("Stark"), QStringLiteral("0(0)"), false, false});
        state.entrants.append({b, QStringLiteral("Stark"), QStringLiteral("0(0)"), false, false});
        state.seats.append({a, b, false});
    }
    state.games = {{1,
                    1,
                    1,
                    0,
                    QStringLiteral("O'Neil, Bran"),
                    QStringLiteral("Snow, Jon"),
                    QStringLiteral("Full Win"),
                    3,
                    14,
                    2,
                    {}},
                   {2,
                    1,
                    1,
                    2,
                    QStringLiteral("Müller, Zoë"),
                    QStringLiteral("Bye"),
                    QStringLiteral("Full Win"),
                    3,
                    9.5,
                    0,
                    {}},
                   {3,
                    2,
                    2,
                    0,
                    QStringLiteral("O'Neil, Bran"),
                    QStringLiteral("Müller, Zoë"),
                    QStringLiteral("Modified Loss"),
                    1,
                    0.1 + 0.2,
                    12,
                    {}}};
    const QList<Progress::StandingsRow> standings = {
        {QStringLiteral("O'Neil, Bran"), QStringLiteral("Stark"), 4, 14.3, false},
        {QStringLiteral("Müller, Zoë"), QStringLiteral("Lannister"), 4, 14.3, false},
        {QStringLiteral("Snow, Jon"), QStringLiteral("Targaryen"), 1, 2, true},
        {QStringLiteral("d'Artagnan, Ève"), QStringLiteral("Baratheon"), 0, 3, false},
        {QStringLiteral("Żółć, Łukasz"), QStringLiteral("Greyjoy"), 0, 3, false}};
    return makeSnapshot(state, standings, 3, false);
}

/// Reads CSV text as RFC 4180 writes it (quoted fields, doubled quotes, CR LF records).
/// Returns nothing when the text breaks the format.
std::optional<QList<QStringList>> readCsv(const QByteArray &bytes)
{
    const QString text = QString::fromUtf8(bytes);
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    field.append(c);
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field.append(c);
            }
        } else if (c == QLatin1Char('"') && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else if (c == QLatin1Char(',')) {
            record.append(field);
            field.clear();
            fieldStarted = false;
        } else if (c == QLatin1Char('\r')) {
            if (i + 1 >= text.size() || text.at(i + 1) != QLatin1Char('\n'))
                return std::nullopt;
            ++i;
            record.append(field);
            records.append(record);
            record.clear();
            field.clear();
            fieldStarted = false;
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('"')) {
            return std::nullopt; // a bare LF or a quote inside an unquoted field
        } else {
            field.append(c);
            fieldStarted = true;
        }
    }
    if (quoted || fieldStarted || !record.isEmpty())
        return std::nullopt; // the last record must end with CR LF
    return records;
}

} // namespace

class TestDocuments : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pdfHoldsTheDocument_data();
    void pdfHoldsTheDocument();
    void pairingsByNameInAlphabeticalOrder();
    void standingsShowSharedRanksAndTheFinal();
    void slipsPrintInStacksOfFour_data();
    void slipsPrintInStacksOfFour();
    void noSlipForTheBye_data();
    void noSlipForTheBye();
    void gamesInRoundAndTableOrderWithWholeHeadings_data();
    void gamesInRoundAndTableOrderWithWholeHeadings();
    void longListsGoOnMorePages();
    void pairingsAndSlipsCarryThePagesCode_data();
    void pairingsAndSlipsCarryThePagesCode();
    void csvReadsBackFieldForField_data();
    void csvReadsBackFieldForField();
    void csvQuotesWhatNeedsQuoting();
    void csvKeepsFormulasFromRunning_data();
    void csvKeepsFormulasFromRunning();
    void nothingToShowIsSaid_data();
    void nothingToShowIsSaid();
    void fileThatCannotBeWrittenIsReported_data();
    void fileThatCannotBeWrittenIsReported();

    void initTestCase();

private:
    QTemporaryDir m_dir;
};

void TestDocuments::initTestCase()
{
    // The order of names follows the locale; these tests fix one.
    QLocale::setDefault(QLocale(QStringLiteral("en_GB")));
}

void TestDocuments::pdfHoldsTheDocument_data()
{
    QTest::addColumn<DocumentKind>("kind");
    QTest::addColumn<QStringList>("lines"); // each a regular expression one line must match

    QTest::newRow("pairings by table")
        << DocumentKind::PairingsByTable
        << QStringList{
               "Round 2: pairings by table", "Round 2 of 3",
               R"(^\s*1\s+O'Neil, Bran\s+Stark\s+3\(14\)\s+Müller, Zoë\s+Lannister\s+3\(9\.5\)\s*$)",
               R"(^\s*2\s+Żółć, Łukasz\s+Greyjoy\s+0\(7\)\s+d'Artagnan, Ève\s+Baratheon\s+0\(3\)\s*$)",
               R"(^\s*3\s+Snow, Jon\s+Targaryen\s+1\(2\)\s+Bye\s*$)"};
    QTest::newRow("pairings by name")
        << DocumentKind::PairingsByName
        << QStringList{"Round 2: pairings by name",
                       R"(^\s*d'Artagnan, Ève\s+Baratheon\s+0\(3\)\s+2\s+Żółć, Łukasz\s*$)",
                       R"(^\s*Snow, Jon\s+Targaryen\s+1\(2\)\s+3\s+Bye\s*$)",
                       R"(^\s*Müller, Zoë\s+Lannister\s+3\(9\.5\)\s+1\s+O'Neil, Bran\s*$)"};
    QTest::newRow("standings") << DocumentKind::Standings
                               << QStringList{
                                      "Standings during round 2",
                                      R"(^\s*1\s+O'Neil, Bran\s+Stark\s+4\s+14\.3\s*$)",
                                      R"(^\s*3\s+Snow, Jon\s+Targaryen\s+1\s+2\s+dropped\s*$)",
                                      R"(^\s*4\s+Żółć, Łukasz\s+Greyjoy\s+0\s+3\s*$)"};
    QTest::newRow("games")
        << DocumentKind::Games
        << QStringList{
               "Recorded games",
               R"(^\s*1\s+1\s+O'Neil, Bran\s+Full Win\s+3\s+14\s+Snow, Jon\s+0\s+2\s*$)",
               R"(^\s*1\s+3\s+Müller, Zoë\s+Full Win\s+3\s+9\.5\s+Bye\s*$)",
               R"(^\s*2\s+1\s+O'Neil, Bran\s+Modified Loss\s+1\s+0\.3\s+Müller, Zoë\s+2\s+12\s*$)"};
}

void TestDocuments::pdfHoldsTheDocument()
{
    QFETCH(DocumentKind, kind);
    QFETCH(QStringList, lines);
    const QString path = m_dir.filePath(QStringLiteral("%1.pdf").arg(int(kind)));
    const std::optional<QString> error = writePdf(kind, sampleSnapshot(), path);
    QVERIFY2(!error, qPrintable(error.value_or(QString())));
    const QString text = pdfText(path);
    for (const QString &line : lines) {
        const QRegularExpression pattern(line, QRegularExpression::MultilineOption);
        QVERIFY2(pattern.match(text).hasMatch(),
                 qPrintable(QStringLiteral("no line matches %1 in:\n%2").arg(line, text)));
    }
}

void TestDocuments::pairingsByNameInAlphabeticalOrder()
{
    const QString path = m_dir.filePath(QStringLiteral("names.pdf"));
    QVERIFY(!writePdf(DocumentKind::PairingsByName, sampleSnapshot(), path));
    const QString text = pdfText(path);
    QStringList names = {"d'Artagnan, Ève", "Müller, Zoë", "O'Neil, Bran", "Snow, Jon",
                         "Żółć, Łukasz"};
    qsizetype last = -1;
    for (const QString &name : names) {
        const qsizetype at = text.indexOf(
            QRegularExpression(QStringLiteral("^\\s*") + QRegularExpression::escape(name),
                               QRegularExpression::MultilineOption));
        QVERIFY2(at > last, qPrintable(name + QStringLiteral(" out of order in:\n") + text));
        last = at;
    }
}

void TestDocuments::standingsShowSharedRanksAndTheFinal()
{
    Snapshot snapshot = sampleSnapshot();
    snapshot.roundOpen = false;
    snapshot.round = 3;
    snapshot.final = true;
    const QString path = m_dir.filePath(QStringLiteral("final.pdf"));
    QVERIFY(!writePdf(DocumentKind::Standings, snapshot, path));
    const QString text = pdfText(path);
    QVERIFY2(text.contains(QStringLiteral("Final standings")), qPrintable(text));
    QStringList ranks;
    const QRegularExpression row(QStringLiteral(R"(^\s*(\d+)\s+(\S.*?, \S+)\s{2,})"),
                                 QRegularExpression::MultilineOption);
    for (auto it = row.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        ranks.append(match.captured(1) + QLatin1Char(' ') + match.captured(2));
    }
    QCOMPARE(ranks, QStringList({"1 O'Neil, Bran", "1 Müller, Zoë", "3 Snow, Jon",
                                 "4 d'Artagnan, Ève", "4 Żółć, Łukasz"}));
}

void TestDocuments::slipsPrintInStacksOfFour_data()
{
    QTest::addColumn<int>("tables");
    QTest::addColumn<QList<QList<int>>>("pages");

    QTest::newRow("1 table") << 1 << QList<QList<int>>{{1}};
    QTest::newRow("4 tables") << 4 << QList<QList<int>>{{1, 2, 3, 4}};
    QTest::newRow("5 tables") << 5 << QList<QList<int>>{{1, 3, 5}, {2, 4}};
    QTest::newRow("17 tables")
        << 17
        << QList<QList<int>>{{1, 6, 11, 16}, {2, 7, 12, 17}, {3, 8, 13}, {4, 9, 14}, {5, 10, 15}};
}

void TestDocuments::slipsPrintInStacksOfFour()
{
    QFETCH(int, tables);
    QFETCH(QList<QList<int>>, pages);
    Snapshot snapshot = sampleSnapshot(std::max(tables, 3));
    snapshot.pairings.resize(tables);
    // Every table a game: the bye's table has no slip (noSlipForTheBye).
    for (PairingRow &row : snapshot.pairings) {
        if (row.bye())
            row.player2 = QStringLiteral("Stannis, Baratheon");
    }
    const QString path = m_dir.filePath(QStringLiteral("slips%1.pdf").arg(tables));
    QVERIFY(!writePdf(DocumentKind::MatchSlips, snapshot, path));
    QStringList texts = pdfText(path).split(QLatin1Char('\f'));
    if (!texts.isEmpty() && texts.constLast().trimmed().isEmpty())
        texts.removeLast();
    QList<QList<int>> got;
    const QRegularExpression table(QStringLiteral(R"(Table (\d+))"));
    for (const QString &page : std::as_const(texts)) {
        QList<int> onPage;
        for (auto it = table.globalMatch(page); it.hasNext();)
            onPage.append(it.next().captured(1).toInt());
        got.append(onPage);
    }
    QCOMPARE(got, pages);
    // A slip carries the round, both names, the five results and the lines to write on.
    const QString first = texts.value(0);
    for (const char *expected :
         {"Round 2 of 3", "O'Neil, Bran", "Full Win", "Modified Win", "True Draw", "Modified Loss",
          "Full Loss", "Power of player 1:", "Power of player 2:", "Initials of player 1:"})
        QVERIFY2(first.contains(QString::fromUtf8(expected)), expected);
}

void TestDocuments::noSlipForTheBye_data()
{
    QTest::addColumn<int>("tables");
    QTest::addColumn<QList<QList<int>>>("pages"); // the tables on each sheet of slips

    // Five entrants: tables 1 and 2 play, Snow, Jon has the bye at table 3.
    QTest::newRow("5 entrants") << 3 << QList<QList<int>>{{1, 2}};
    // Eleven entrants: five games and the bye at table 3; the stacks skip the bye's table.
    QTest::newRow("11 entrants") << 6 << QList<QList<int>>{{1, 4, 6}, {2, 5}};
}

void TestDocuments::noSlipForTheBye()
{
    QFETCH(int, tables);
    QFETCH(QList<QList<int>>, pages);
    const Snapshot snapshot = sampleSnapshot(tables);
    QVERIFY(snapshot.pairings.at(2).bye());
    const QString path = m_dir.filePath(QStringLiteral("bye-slips%1.pdf").arg(tables));
    QVERIFY(!writePdf(DocumentKind::MatchSlips, snapshot, path));
    const QString text = pdfText(path);
    QVERIFY2(!text.contains(QStringLiteral("Bye")), qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("Snow, Jon")), qPrintable(text));
    QList<QList<int>> got;
    const QRegularExpression table(QStringLiteral(R"(Table (\d+))"));
    for (const QString &page : text.split(QLatin1Char('\f'), Qt::SkipEmptyParts)) {
        QList<int> onPage;
        for (auto it = table.globalMatch(page); it.hasNext();)
            onPage.append(it.next().captured(1).toInt());
        if (!onPage.isEmpty() || !page.trimmed().isEmpty())
            got.append(onPage);
    }
    QCOMPARE(got, pages);

    // The pairings still show the bye's game.
    const QString pairings = m_dir.filePath(QStringLiteral("bye-pairings%1.pdf").arg(tables));
    QVERIFY(!writePdf(DocumentKind::PairingsByTable, snapshot, pairings));
    QVERIFY(pdfText(pairings).contains(
        QRegularExpression(QStringLiteral(R"(^\s*3\s+Snow, Jon\s+Targaryen\s+1\(2\)\s+Bye\s*$)"),
                           QRegularExpression::MultilineOption)));

    // A round of one entrant has no game to write down: no slips, and the reason.
    Snapshot alone = snapshot;
    alone.pairings = {snapshot.pairings.at(2)};
    QCOMPARE(nothingToShow(DocumentKind::MatchSlips, alone),
             std::optional<QString>(
                 QStringLiteral("There is no match slip: the only game is against the bye.")));
    QVERIFY(!nothingToShow(DocumentKind::PairingsByTable, alone));
}

void TestDocuments::gamesInRoundAndTableOrderWithWholeHeadings_data()
{
    QTest::addColumn<bool>("printer");
    QTest::newRow("PDF") << false;
    QTest::newRow("printer") << true;
}

void TestDocuments::gamesInRoundAndTableOrderWithWholeHeadings()
{
    QFETCH(bool, printer);
    // Recorded in another order than round and table: a late game of round 1 after round 2's,
    // round 2's tables backwards, and a power wider than its heading.
    Snapshot snapshot = sampleSnapshot();
    snapshot.games = {
        {1,
         2,
         1,
         1,
         QStringLiteral("Müller, Zoë"),
         QStringLiteral("Snow, Jon"),
         QStringLiteral("True Draw"),
         2,
         12345.25,
         7,
         {}},
        {2,
         1,
         1,
         0,
         QStringLiteral("O'Neil, Bran"),
         QStringLiteral("Snow, Jon"),
         QStringLiteral("Full Win"),
         3,
         14,
         2,
         {}},
        {3,
         2,
         1,
         2,
         QStringLiteral("Żółć, Łukasz"),
         QStringLiteral("Bye"),
         QStringLiteral("Full Win"),
         3,
         9,
         0,
         {}},
        {4,
         1,
         1,
         2,
         QStringLiteral("d'Artagnan, Ève"),
         QStringLiteral("Bye"),
         QStringLiteral("Modified Win"),
         2,
         5,
         0,
         {}},
    };
    const QString path = m_dir.filePath(QStringLiteral("games-%1.pdf").arg(printer));
    if (printer) {
        // What Print does, onto a printer that writes a file.
        QPrinter device(QPrinter::HighResolution);
        device.setOutputFormat(QPrinter::PdfFormat);
        device.setOutputFileName(path);
        device.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        QVERIFY(paintDocument(DocumentKind::Games, snapshot, device));
    } else {
        QVERIFY(!writePdf(DocumentKind::Games, snapshot, path));
    }
    const QString text = pdfText(path);
    // Every heading whole, and no value cut short.
    QVERIFY2(QRegularExpression(
                 QStringLiteral(R"(^\s*Round\s+Table\s+Player 1\s+Result\s+Points\s+Power\s+)"
                                R"(Player 2\s+Points\s+Power\s*$)"),
                 QRegularExpression::MultilineOption)
                 .match(text)
                 .hasMatch(),
             qPrintable(text));
    QVERIFY2(!text.contains(QChar(0x2026)), qPrintable(text));
    // Round 1 table 1, round 1 table 3, round 2 table 2, round 2 table 3.
    const QStringList rows = {
        R"(^\s*1\s+1\s+O'Neil, Bran\s+Full Win\s+3\s+14\s+Snow, Jon\s+0\s+2\s*$)",
        R"(^\s*1\s+3\s+d'Artagnan, Ève\s+Modified Win\s+2\s+5\s+Bye\s*$)",
        R"(^\s*2\s+2\s+Müller, Zoë\s+True Draw\s+2\s+12345\.25\s+Snow, Jon\s+1\s+7\s*$)",
        R"(^\s*2\s+3\s+Żółć, Łukasz\s+Full Win\s+3\s+9\s+Bye\s*$)"};
    qsizetype last = -1;
    for (const QString &row : rows) {
        const qsizetype at =
            text.indexOf(QRegularExpression(row, QRegularExpression::MultilineOption));
        QVERIFY2(at > last,
                 qPrintable(QStringLiteral("%1 missing or out of order in:\n%2").arg(row, text)));
        last = at;
    }
}

void TestDocuments::longListsGoOnMorePages()
{
    const Snapshot snapshot = sampleSnapshot(400);
    const QString path = m_dir.filePath(QStringLiteral("long.pdf"));
    QVERIFY(!writePdf(DocumentKind::PairingsByTable, snapshot, path));
    const QString text = pdfText(path);
    const int pages = int(text.count(QLatin1Char('\f')));
    QVERIFY2(pages > 1, qPrintable(QString::number(pages)));
    QVERIFY(text.contains(QStringLiteral("Page 1 of %1").arg(pages)));
    QVERIFY(text.contains(QStringLiteral("Page %1 of %1").arg(pages)));
    // Every table once: the headers repeat on every page, the rows do not.
    for (int table : {1, 200, 400})
        QCOMPARE(text.count(QRegularExpression(QStringLiteral(R"(^\s*%1\s+\S)").arg(table),
                                               QRegularExpression::MultilineOption)),
                 1);
    QCOMPARE(int(text.count(QRegularExpression(QStringLiteral(R"(Player 1\b)")))), pages);
}

void TestDocuments::pairingsAndSlipsCarryThePagesCode_data()
{
    QTest::addColumn<DocumentKind>("kind");
    QTest::addColumn<bool>("carries");
    QTest::newRow("pairings by table") << DocumentKind::PairingsByTable << true;
    QTest::newRow("pairings by name") << DocumentKind::PairingsByName << true;
    QTest::newRow("match slips") << DocumentKind::MatchSlips << true;
    QTest::newRow("standings") << DocumentKind::Standings << false;
}

void TestDocuments::pairingsAndSlipsCarryThePagesCode()
{
    // While the players' page is served, the code stands in the top right corner (of the
    // page, or of the first slip); without it the corner holds text only.
    QFETCH(DocumentKind, kind);
    QFETCH(bool, carries);
    Snapshot snapshot = sampleSnapshot(40);
    const auto darkInCorner = [&](const Snapshot &shown) {
        const QImage page = renderPage(kind, shown, 0, 100);
        // 15 mm margins at 100 dpi: the printable area's top right 20 mm square.
        const int right = page.width() - 59;
        const int top = 59;
        int dark = 0;
        for (int y = top + 10; y < top + 70; ++y) {
            for (int x = right - 70; x < right - 10; ++x)
                dark += qGray(page.pixel(x, y)) < 100 ? 1 : 0;
        }
        return dark;
    };
    const int without = darkInCorner(snapshot);
    snapshot.pageAddress = QStringLiteral("http://192.168.1.20:8080/");
    const int with = darkInCorner(snapshot);
    if (carries)
        QVERIFY2(with > without + 600,
                 qPrintable(QStringLiteral("%1 / %2").arg(with).arg(without)));
    else
        QCOMPARE(with, without);
    if (kind == DocumentKind::PairingsByTable) {
        const QString path = m_dir.filePath(QStringLiteral("coded.pdf"));
        QVERIFY(!writePdf(kind, snapshot, path));
        QVERIFY(pdfText(path).contains(QStringLiteral("http://192.168.1.20:8080/")));
    }
}

void TestDocuments::csvReadsBackFieldForField_data()
{
    QTest::addColumn<DocumentKind>("kind");
    QTest::addColumn<QList<QStringList>>("records");

    QTest::newRow("pairings by table")
        << DocumentKind::PairingsByTable
        << QList<QStringList>{{"round", "table", "player1", "house1", "score1", "player2", "house2",
                               "score2", "recorded"},
                              {"2", "1", "O'Neil, Bran", "Stark", "3(14)", "Müller, Zoë",
                               "Lannister", "3(9.5)", "yes"},
                              {"2", "2", "Żółć, Łukasz", "Greyjoy", "0(7)", "d'Artagnan, Ève",
                               "Baratheon", "0(3)", "no"},
                              {"2", "3", "Snow, Jon", "Targaryen", "1(2)", "Bye", "", "", "no"}};
    QTest::newRow("pairings by name")
        << DocumentKind::PairingsByName
        << QList<QStringList>{
               {"round", "name", "house", "score", "table", "opponent", "recorded"},
               {"2", "d'Artagnan, Ève", "Baratheon", "0(3)", "2", "Żółć, Łukasz", "no"},
               {"2", "Müller, Zoë", "Lannister", "3(9.5)", "1", "O'Neil, Bran", "yes"},
               {"2", "O'Neil, Bran", "Stark", "3(14)", "1", "Müller, Zoë", "yes"},
               {"2", "Snow, Jon", "Targaryen", "1(2)", "3", "Bye", "no"},
               {"2", "Żółć, Łukasz", "Greyjoy", "0(7)", "2", "d'Artagnan, Ève", "no"}};
    QTest::newRow("standings") << DocumentKind::Standings
                               << QList<QStringList>{
                                      {"rank", "name", "house", "score", "power", "dropped"},
                                      {"1", "O'Neil, Bran", "Stark", "4", "14.3", "no"},
                                      {"1", "Müller, Zoë", "Lannister", "4", "14.3", "no"},
                                      {"3", "Snow, Jon", "Targaryen", "1", "2", "yes"},
                                      {"4", "d'Artagnan, Ève", "Baratheon", "0", "3", "no"},
                                      {"4", "Żółć, Łukasz", "Greyjoy", "0", "3", "no"}};
    QTest::newRow("games")
        << DocumentKind::Games
        << QList<QStringList>{
               {"round", "table", "player1", "player2", "result1", "points1", "points2", "power1",
                "power2"},
               {"1", "1", "O'Neil, Bran", "Snow, Jon", "Full Win", "3", "0", "14", "2"},
               {"1", "3", "Müller, Zoë", "Bye", "Full Win", "3", "", "9.5", ""},
               {"2", "1", "O'Neil, Bran", "Müller, Zoë", "Modified Loss", "1", "2", "0.3", "12"}};
}

void TestDocuments::csvReadsBackFieldForField()
{
    QFETCH(DocumentKind, kind);
    QFETCH(QList<QStringList>, records);
    const QString path = m_dir.filePath(QStringLiteral("%1.csv").arg(int(kind)));
    const std::optional<QString> error = writeCsv(kind, sampleSnapshot(), path);
    QVERIFY2(!error, qPrintable(error.value_or(QString())));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY2(!bytes.startsWith("\xEF\xBB\xBF"), "no byte-order mark");
    const std::optional<QList<QStringList>> read = readCsv(bytes);
    QVERIFY2(read, bytes.constData());
    QCOMPARE(*read, records);
}

void TestDocuments::csvQuotesWhatNeedsQuoting()
{
    const QList<QStringList> rows = {{"say \"hi\"", "a,b", "two\r\nlines", "", "ünï"}};
    const QByteArray text = csvText(rows);
    QCOMPARE(
        text,
        QByteArray("\"say \"\"hi\"\"\",\"a,b\",\"two\r\nlines\",\"\",\"\xC3\xBCn\xC3\xAF\"\r\n"));
    QCOMPARE(readCsv(text).value_or(QList<QStringList>{}), rows);
}

void TestDocuments::csvKeepsFormulasFromRunning_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("=") << "=HYPERLINK(\"http://x\")"
                       << QByteArray("\"'=HYPERLINK(\"\"http://x\"\")\"");
    QTest::newRow("+") << "+44 20 7946" << QByteArray("\"'+44 20 7946\"");
    QTest::newRow("-") << "-2+3" << QByteArray("\"'-2+3\"");
    QTest::newRow("@") << "@SUM(A1)" << QByteArray("\"'@SUM(A1)\"");
    QTest::newRow("tab") << "\t=1" << QByteArray("\"'\t=1\"");
    QTest::newRow("carriage return") << "\r=1" << QByteArray("\"'\r=1\"");
    QTest::newRow("apostrophes before a sign") << "''=x" << QByteArray("\"'''=x\"");
    QTest::newRow("an apostrophe alone stays") << "O'Neil, Bran" << QByteArray("\"O'Neil, Bran\"");
    QTest::newRow("a sign inside stays")
        << "Smith-Jones, A=B" << QByteArray("\"Smith-Jones, A=B\"");
}

void TestDocuments::csvKeepsFormulasFromRunning()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, written);
    // A player's name that a spreadsheet would run is written as text.
    const QByteArray text = csvText({{name, QStringLiteral("3")}});
    QCOMPARE(text, written + QByteArray(",\"3\"\r\n"));
}

void TestDocuments::nothingToShowIsSaid_data()
{
    QTest::addColumn<DocumentKind>("kind");
    QTest::addColumn<bool>("roundOpen");
    QTest::addColumn<bool>("started");
    QTest::addColumn<bool>("games");
    QTest::addColumn<bool>("nothing");

    QTest::newRow("pairings between rounds")
        << DocumentKind::PairingsByTable << false << true << true << true;
    QTest::newRow("names between rounds")
        << DocumentKind::PairingsByName << false << true << true << true;
    QTest::newRow("slips between rounds")
        << DocumentKind::MatchSlips << false << true << true << true;
    QTest::newRow("pairings in play")
        << DocumentKind::PairingsByTable << true << true << true << false;
    QTest::newRow("standings before the start")
        << DocumentKind::Standings << false << false << false << true;
    QTest::newRow("standings between rounds")
        << DocumentKind::Standings << false << true << true << false;
    QTest::newRow("games before any") << DocumentKind::Games << true << true << false << true;
}

void TestDocuments::nothingToShowIsSaid()
{
    QFETCH(DocumentKind, kind);
    QFETCH(bool, roundOpen);
    QFETCH(bool, started);
    QFETCH(bool, games);
    QFETCH(bool, nothing);
    Snapshot snapshot = sampleSnapshot();
    snapshot.roundOpen = roundOpen;
    if (!roundOpen)
        snapshot.pairings.clear();
    snapshot.started = started;
    if (!started)
        snapshot.standings.clear();
    if (!games)
        snapshot.games.clear();
    QCOMPARE(nothingToShow(kind, snapshot).has_value(), nothing);
}

void TestDocuments::fileThatCannotBeWrittenIsReported_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing folder") << "missing/standings";
    QTest::newRow("folder that is a file") << "plain-file/standings";
}

void TestDocuments::fileThatCannotBeWrittenIsReported()
{
    QFETCH(QString, name);
    QFile plain(m_dir.filePath(QStringLiteral("plain-file")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    for (const QString &suffix : {QStringLiteral(".pdf"), QStringLiteral(".csv")}) {
        const QString path = m_dir.filePath(name + suffix);
        const std::optional<QString> error =
            suffix == QStringLiteral(".pdf")
                ? writePdf(DocumentKind::Standings, sampleSnapshot(), path)
                : writeCsv(DocumentKind::Standings, sampleSnapshot(), path);
        QVERIFY2(error && !error->isEmpty(), qPrintable(path));
        QVERIFY(!QFile::exists(path));
    }
    // Slips have no CSV.
    QVERIFY(writeCsv(DocumentKind::MatchSlips, sampleSnapshot(), m_dir.filePath("s.csv")));
    QVERIFY(!QFile::exists(m_dir.filePath("s.csv")));
}

QTEST_MAIN(TestDocuments)
#include "tst_documents.moc"
