// Every operation that touches a database, under every fault a database file can have:
// what the organiser sees, that nothing crashes, and that every row written before the
// fault is still there, unchanged, in a file that passes SQLite's integrity check.

#include "support/windowdrivers.h"
#include "support/testsupport.h"

#include "core/errorpath.h"
#include "data/dbconnection.h"
#include "data/installfolder.h"
#include "data/schema.h"
#include "history/archiveaccess.h"
#include "playereditor/datacontrol.h"
#include "playereditor/playerinfo.h"
#include "registration/throne.h"
#include "tournament/tournamentprogress.h"
#include "roundwindow/recordedgames.h"
#include "roundwindow/tournament.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableView>
#include <QTimer>
#include <QDialog>
#include <QApplication>
#include <QTest>
#include <QUrl>
#include <QWindow>

#include <csignal>
#include <memory>
#include <optional>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {

enum class Fault { Missing, Unreadable, ReadOnly, Garbage, TableMissing, Locked, DiskFull };

enum class Op {
    StartUp,
    StartTournament,
    LaterRoundLoad,
    GameOver,
    EndRound,
    Resume,
    Undo,
    Amend,
    RecordLate,
    PairAgain,
    BigScreen,
    Upgrade,
    Archive,
    HistoryRead,
    EditorLoad,
    CmdAdd,
    CmdUpdate,
    CmdDelete,
    CmdRefresh,
    CmdClose,
    Closing,
};

// What the organiser sees: the fatal message and the end of the application, the
// description in the player editor that stays usable, or nothing at all because the fault
// does not hinder the operation (reading a read-only file, for one).
enum class Seen { Fatal, Shown, Works };

struct Expected
{
    Seen seen = Seen::Works;
    int code = 0;
    QString description;
    // The operation's write reached the file before the failure (the rows then are those
    // of the healthy operation, not those from before).
    bool landed = false;
};

const QString kPlayers = Data::playersDatabase();
const QString kTourny = Data::tournyDatabase();

bool isEditorOp(Op op)
{
    return op >= Op::EditorLoad;
}

// Start-up and the player editor read and write the player database only; the
// registration window's start, the round window and the round's end the standings only.
// A fault of the other file is not met by the operation, so those cells are left out.
// The last round's end writes the archive beside the stored players (its faults of the
// standings' file are those of any round's end), and the history window reads it there.
QString databaseOf(Op op)
{
    return op == Op::StartUp || op == Op::Archive || op == Op::HistoryRead || isEditorOp(op)
               ? kPlayers
               : kTourny;
}

bool writes(Op op)
{
    switch (op) {
    case Op::StartTournament:
    case Op::LaterRoundLoad:
    case Op::GameOver:
    case Op::EndRound:
    case Op::Undo:
    case Op::Amend:
    case Op::RecordLate:
    case Op::PairAgain:
    case Op::BigScreen:
    case Op::Upgrade:
    case Op::Archive:
    case Op::CmdAdd:
    case Op::CmdUpdate:
    case Op::CmdDelete:
    case Op::CmdRefresh:
    case Op::CmdClose:
        return true;
    default:
        return false;
    }
}

// The player editor's data control keeps its own connection open from its load on: a
// fault made to the file afterwards meets an open file, as it would on a live system.
bool holdsConnection(Op op)
{
    return isEditorOp(op) && op != Op::EditorLoad;
}

// How the disk is made full: a small tmpfs filled to the last page (the real thing,
// needs root), else a file-size limit of 0 (writes fail with EFBIG, which SQLite reports
// as an I/O error).
enum class FullDisk { Tmpfs, SizeLimit };

Expected expected(Fault fault, Op op, FullDisk fullDisk)
{
    const bool fatal = !isEditorOp(op) || op == Op::Closing;
    const auto failure = [&](int code, const QString &description) {
        return Expected{fatal ? Seen::Fatal : Seen::Shown, code, description};
    };
    const QString table = op == Op::Closing || op == Op::StartUp ? QStringLiteral("playerinfo")
                                                                 : QStringLiteral("TournyInfo");
    // The archive's file is attached to the standings' by its name: SQLite names it when it
    // cannot be opened.
    const QString attachFailure =
        QStringLiteral("unable to open database: ") +
        QUrl::fromLocalFile(Data::databaseFile(kPlayers)).toString(QUrl::FullyEncoded) +
        QStringLiteral("?mode=rw");
    switch (fault) {
    case Fault::Missing:
        if (op == Op::Archive)
            return failure(14, attachFailure);
        // A file renamed away under an open connection: SQLite refuses to write to it.
        if (holdsConnection(op) && op != Op::Closing)
            return failure(8, QStringLiteral("attempt to write a readonly database"));
        return failure(14, QStringLiteral("unable to open database file"));
    case Fault::Unreadable:
        // An open file stays readable and writable whatever its mode becomes; closing
        // writes the pending change and then fails to read the stored players anew.
        if (op == Op::CmdClose)
            return {Seen::Fatal, 14, QStringLiteral("unable to open database file"), true};
        if (holdsConnection(op) && op != Op::Closing)
            return {};
        if (op == Op::Archive)
            return failure(14, attachFailure);
        return failure(14, QStringLiteral("unable to open database file"));
    case Fault::ReadOnly:
        if (!writes(op) || (holdsConnection(op) && op != Op::Closing))
            return {};
        return failure(8, QStringLiteral("attempt to write a readonly database"));
    case Fault::Garbage:
        return failure(26, QStringLiteral("file is not a database"));
    case Fault::TableMissing:
        // Start-up reads and makes only the progress tables; a standings table gone is met
        // by the first step that uses it, as it is without anything to resume.
        // The first round drawn again does not read the standings, nor does the big screen
        // before the start.
        if (op == Op::Resume || op == Op::Upgrade || op == Op::PairAgain || op == Op::BigScreen)
            return {};
        // The archive's tables are not the stored players'.
        if (op == Op::Archive || op == Op::HistoryRead)
            return {};
        if (isEditorOp(op) && op != Op::Closing)
            return failure(1, QStringLiteral("no such table: PlayerInfo"));
        return failure(1, QStringLiteral("no such table: ") + table);
    case Fault::Locked:
        return failure(5, QStringLiteral("database is locked"));
    case Fault::DiskFull:
        if (!writes(op))
            return {};
        return fullDisk == FullDisk::Tmpfs ? failure(13, QStringLiteral("database or disk is full"))
                                           : failure(10, QStringLiteral("disk I/O error"));
    }
    return {};
}

const QList<Entrant> kEntrants = {
    {QStringLiteral("Ann"), QStringLiteral("Smith"), QStringLiteral("Stark")},
    {QStringLiteral("Bob"), QStringLiteral("O'Brien"), QStringLiteral("Greyjoy")},
    {QStringLiteral("Chlo\u00e9"), QStringLiteral("Zo\u00eb"), QStringLiteral("Lannister")},
    {QStringLiteral("Dan"), QStringLiteral("Lee"), QStringLiteral("Baratheon")},
};

/// Every row of both tables, every column quoted with its storage class, in row order.
QList<QVariantList> snapshot(const TempInstall &install)
{
    QList<QVariantList> rows = install.rows(
        kPlayers,
        QStringLiteral("SELECT quote(ID), quote(\"First Name\"), quote(\"Last Name\"), "
                       "quote(Email), quote(Phone), quote(Address), quote(City), quote(State), "
                       "quote(Zip), quote(Webpage), quote(Username1), quote(Username2), "
                       "quote(Username3), quote(Birthday), quote(Password), "
                       "quote(\"Allow Email\") FROM PlayerInfo ORDER BY ID"));
    // The club's archive beside them.
    for (const char *table : {"ZuviArchive", "ZuviArchiveEntrant", "ZuviArchiveGame"}) {
        rows.append({QStringLiteral("--"), QString::fromLatin1(table)});
        rows.append(install.rows(
            kPlayers,
            QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(QString::fromLatin1(table))));
    }
    rows.append({QStringLiteral("--")});
    rows.append(install.rows(kTourny, QStringLiteral("SELECT rowid, quote(Name), quote(House), "
                                                     "quote(Score), quote(Power) FROM "
                                                     "TournyInfo ORDER BY rowid")));
    // The tournament's progress, table by table, where the file has it.
    const auto tables = install.rows(
        kTourny, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name "
                                "LIKE 'Zuvi%' ORDER BY name"));
    for (const QVariantList &table : tables) {
        rows.append({QStringLiteral("--"), table.at(0)});
        // The time of the first start differs from run to run: only whether it is kept is
        // compared.
        const QString select =
            table.at(0).toString() == QLatin1String("ZuviState")
                ? QStringLiteral("SELECT Key, CASE Key WHEN 'startedAt' THEN Value > 0 ELSE Value "
                                 "END FROM ZuviState ORDER BY rowid")
                : QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(table.at(0).toString());
        rows.append(install.rows(kTourny, select));
    }
    // The personal codes are drawn at random in each run: who has one is compared, not which.
    for (QVariantList &row : rows) {
        if (row.size() == 2 && row.at(0).toString() == QLatin1String("playerCodes"))
            row[1] = row.at(1).toString().replace(
                QRegularExpression(QStringLiteral("\"[A-Z0-9]{9}\"")), QStringLiteral("\"code\""));
    }
    return rows;
}

void checkIntegrity(const TempInstall &install)
{
    for (const QString &database : {kPlayers, kTourny}) {
        const auto result = install.rows(database, QStringLiteral("PRAGMA integrity_check"));
        QCOMPARE(result, QList<QVariantList>{{QStringLiteral("ok")}});
    }
}

/// A small tmpfs mounted on the installation folder for as long as it lives.
class Tmpfs final
{
public:
    explicit Tmpfs(const QString &folder) : m_folder(QFile::encodeName(folder))
    {
        QDir().mkpath(folder);
        m_mounted = ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, "size=256k,mode=0700") == 0;
    }
    ~Tmpfs()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    Q_DISABLE_COPY_MOVE(Tmpfs)
    bool mounted() const { return m_mounted; }

private:
    QByteArray m_folder;
    bool m_mounted = false;
};

/// One fault made to one database file; undone when the object goes.
class FaultGuard final
{
public:
    FaultGuard(Fault fault, const QString &database, FullDisk fullDisk)
        : m_fault(fault), m_database(database), m_path(Data::databaseFile(database)),
          m_fullDisk(fullDisk)
    {
        const QByteArray path = QFile::encodeName(m_path);
        switch (fault) {
        case Fault::Missing:
            QVERIFY(QFile::rename(m_path, m_path + QStringLiteral(".away")));
            break;
        case Fault::Unreadable:
            QCOMPARE(::chmod(path.constData(), 0), 0);
            break;
        case Fault::ReadOnly:
            QCOMPARE(::chmod(path.constData(), 0400), 0);
            break;
        case Fault::Garbage: {
            QFile file(m_path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            m_original = file.readAll();
            m_garbage = QByteArray("These are not the pages of a database. ").repeated(200);
            // Overwritten in place, as a damaged disk or a careless copy leaves it.
            QVERIFY(file.seek(0));
            QVERIFY(file.resize(0));
            QCOMPARE(file.write(m_garbage), m_garbage.size());
            break;
        }
        case Fault::TableMissing:
            renameTable(tableName(), tableName() + QStringLiteral("Away"));
            break;
        case Fault::Locked:
            m_lock = std::make_unique<Data::DbConnection>(Data::DbConnection::AtPath{m_path});
            m_lock->exec(QStringLiteral("BEGIN EXCLUSIVE"));
            break;
        case Fault::DiskFull:
            if (fullDisk == FullDisk::Tmpfs)
                fillDisk();
            else
                setSizeLimit(0);
            break;
        }
        m_made = true;
    }

    ~FaultGuard() { undo(); }
    Q_DISABLE_COPY_MOVE(FaultGuard)

    /// What the fault left must be as it was made: no file put in place of a missing one,
    /// the garbage not overwritten.
    void checkUntouched() const
    {
        if (m_fault == Fault::Missing)
            QVERIFY2(!QFileInfo::exists(m_path), "a missing database file was created");
        if (m_fault == Fault::Garbage) {
            QFile file(m_path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY2(file.readAll() == m_garbage, "a damaged file was written to");
        }
    }

    void undo()
    {
        if (!m_made)
            return;
        m_made = false;
        const QByteArray path = QFile::encodeName(m_path);
        switch (m_fault) {
        case Fault::Missing:
            QFile::rename(m_path + QStringLiteral(".away"), m_path);
            break;
        case Fault::Unreadable:
        case Fault::ReadOnly:
            ::chmod(path.constData(), 0600);
            break;
        case Fault::Garbage: {
            QFile file(m_path);
            if (file.open(QIODevice::ReadWrite)) {
                file.resize(0);
                file.write(m_original);
            }
            break;
        }
        case Fault::TableMissing:
            renameTable(tableName() + QStringLiteral("Away"), tableName());
            break;
        case Fault::Locked:
            m_lock->exec(QStringLiteral("ROLLBACK"));
            m_lock.reset();
            break;
        case Fault::DiskFull:
            if (m_fullDisk == FullDisk::Tmpfs)
                QFile::remove(filler());
            else
                setSizeLimit(RLIM_INFINITY);
            break;
        }
    }

private:
    QString tableName() const
    {
        return m_database == kPlayers ? QStringLiteral("PlayerInfo") : QStringLiteral("TournyInfo");
    }

    void renameTable(const QString &from, const QString &to) const
    {
        Data::DbConnection connection(Data::DbConnection::AtPath{m_path});
        connection.exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(from, to));
    }

    QString filler() const { return Data::installFolder() + QStringLiteral("/filler"); }

    void fillDisk() const
    {
        QFile file(filler());
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (file.write(block) == block.size() && file.flush()) {
        }
        file.close();
        // Every page of the filesystem is taken: not one more block can be written.
        QFile probe(Data::installFolder() + QStringLiteral("/probe"));
        if (probe.open(QIODevice::WriteOnly)) {
            const bool wrote = probe.write(block) == block.size() && probe.flush();
            probe.close();
            probe.remove();
            QVERIFY2(!wrote, "the disk is not full");
        }
    }

    static void setSizeLimit(rlim_t limit)
    {
        rlimit current{};
        ::getrlimit(RLIMIT_FSIZE, &current);
        current.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &current);
    }

    Fault m_fault;
    QString m_database;
    QString m_path;
    FullDisk m_fullDisk;
    QByteArray m_original;
    QByteArray m_garbage;
    std::unique_ptr<Data::DbConnection> m_lock;
    bool m_made = false;
};

/// The windows of one cell, deleted in order when it ends.
struct Windows
{
    std::unique_ptr<Throne> throne;
    std::unique_ptr<RecordedGamesDialog> recordedGames;

    Windows() = default;
    Q_DISABLE_COPY_MOVE(Windows)
    ~Windows()
    {
        recordedGames.reset();
        if (!throne)
            return;
        delete throne->playerEditor();
        delete throne->tournament();
        throne.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

/// Builds the state just before the operation: stored players, standings left by an
/// earlier evening, and the windows driven up to the click that the cell makes.
void prepare(const TempInstall &install, Windows &windows, Op op)
{
    QList<std::pair<QString, QString>> players;
    for (const Entrant &entrant : kEntrants)
        players.append({entrant.first, entrant.last});
    install.addPlayers(players);
    for (const char *name : {"Old, Player", "Older, Player"})
        install.exec(kTourny, QStringLiteral("INSERT INTO TournyInfo VALUES (?, 'Stark', 6, 12.5)"),
                     {QString::fromLatin1(name)});
    if (op == Op::StartUp)
        return;
    if (op == Op::Upgrade) {
        // A file made before the progress was stored: the standings table only.
        for (const char *table : {"ZuviState", "ZuviEntrant", "ZuviSeat", "ZuviGame",
                                  "ZuviMissedGame", "ZuviEntrantPlayer"})
            install.exec(kTourny,
                         QStringLiteral("DROP TABLE IF EXISTS %1").arg(QString::fromLatin1(table)));
        return;
    }
    if (op == Op::Resume) {
        // An evening stopped in round 1 with one game of two recorded; the next start-up
        // offers to resume it.
        Windows earlier;
        earlier.throne = std::make_unique<Throne>(new TournamentProgress);
        earlier.throne->progress()->setRandomSource(firstEntrant);
        registerEntrants(*earlier.throne, kEntrants);
        Tournament *round = start(*earlier.throne, QStringLiteral("3"));
        QVERIFY(round);
        recordGame(*round, 0, QStringLiteral("Full Win"), QStringLiteral("14"),
                   QStringLiteral("9.5"));
        QCOMPARE(rowCount(round->MatchList1()), 1);
        return;
    }

    if (op == Op::HistoryRead) {
        // An evening in the archive, to be listed.
        History::ArchivedTournament evening;
        evening.name = QStringLiteral("Autumn");
        evening.played = QDate(2026, 10, 1);
        evening.rounds = 1;
        evening.entrants = {{QStringLiteral("Smith, Ann"), QStringLiteral("Stark"), 1, 1, 3, 14}};
        History::ArchiveAccess(std::nullopt).add(evening);
    }

    windows.throne = std::make_unique<Throne>(new TournamentProgress);
    Throne &throne = *windows.throne;
    throne.progress()->setRandomSource(firstEntrant);
    if (op == Op::HistoryRead)
        return;
    if (isEditorOp(op)) {
        if (op == Op::EditorLoad)
            return;
        PlayerInfo *editor = openEditor(throne);
        QVERIFY(editor);
        QCOMPARE(editor->Adodc1()->caption(), QStringLiteral("Record: 1"));
        // A change typed and not yet written, which the command writes first.
        if (op != Op::CmdDelete && op != Op::Closing)
            setText(control<QLineEdit>(*editor, "LastName"), QStringLiteral("Smith-O'Neill"));
        return;
    }

    registerEntrants(throne, kEntrants);
    if (op == Op::BigScreen)
        return;
    if (op == Op::StartTournament) {
        setText(throne.Rounds(), QStringLiteral("3"));
        return;
    }
    // A one-round evening: its end is the last round's, which archives it.
    Tournament *round =
        start(throne, op == Op::Archive ? QStringLiteral("1") : QStringLiteral("3"));
    QVERIFY(round);
    if (op == Op::PairAgain)
        return;
    if (op == Op::GameOver) {
        clickRow(round->MatchList1(), 0);
        chooseEntry(control<QComboBox>(*round, "Player1Win"), QStringLiteral("Full Win"));
        setText(control<QLineEdit>(*round, "Player1Power"), QStringLiteral("14"));
        setText(control<QLineEdit>(*round, "Player2Power"), QStringLiteral("9.5"));
        return;
    }
    recordGame(*round, 0, QStringLiteral("Full Win"), QStringLiteral("14"), QStringLiteral("9.5"));
    // A game left unrecorded at the end of the round is recorded late.
    if (op != Op::RecordLate)
        recordGame(*round, 0, QStringLiteral("Modified Loss"), QStringLiteral("7"),
                   QStringLiteral("7"));
    QCOMPARE(rowCount(round->MatchList1()), op == Op::RecordLate ? 1 : 0);
    if (op == Op::EndRound || op == Op::Undo || op == Op::Archive)
        return;
    click(*round, "EndTourny");
    QVERIFY(!throne.tournament());
    if (op == Op::RecordLate) {
        windows.recordedGames = std::make_unique<RecordedGamesDialog>(throne.progress(), &throne);
        RecordedGamesDialog &dialog = *windows.recordedGames;
        dialog.show();
        clickRow(control<QTableView>(dialog, "RecordedGamesTable"), 1);
        QCOMPARE(control<QPushButton>(dialog, "AmendGame")->text(), QStringLiteral("Record"));
        control<QComboBox>(dialog, "AmendResult")->setEditText(QStringLiteral("Modified Win"));
        setText(control<QLineEdit>(dialog, "AmendPower1"), QStringLiteral("12.5"));
        setText(control<QLineEdit>(dialog, "AmendPower2"), QStringLiteral("11"));
    }
    if (op == Op::Amend) {
        // Between rounds, the first game of round 1 corrected in "Recorded games".
        windows.recordedGames = std::make_unique<RecordedGamesDialog>(throne.progress(), &throne);
        RecordedGamesDialog &dialog = *windows.recordedGames;
        dialog.show();
        clickRow(control<QTableView>(dialog, "RecordedGamesTable"), 0);
        QVERIFY(control<QPushButton>(dialog, "AmendGame")->isEnabled());
        control<QComboBox>(dialog, "AmendResult")->setEditText(QStringLiteral("Modified Win"));
        setText(control<QLineEdit>(dialog, "AmendPower1"), QStringLiteral("12.5"));
        setText(control<QLineEdit>(dialog, "AmendPower2"), QStringLiteral("11"));
    }
}

/// The click (or the start-up) that the cell tries.
void perform(Windows &windows, Op op)
{
    switch (op) {
    case Op::StartUp:
    case Op::Resume:
        Core::runGuarded(
            [&] { windows.throne = std::make_unique<Throne>(new TournamentProgress); });
        return;
    case Op::Upgrade:
        // Start-up's upgrade of the file, then the window, as main() runs them.
        Core::runGuarded([&] {
            Data::upgradeTournyDatabase();
            windows.throne = std::make_unique<Throne>(new TournamentProgress);
        });
        return;
    case Op::Undo: {
        Tournament &round = *windows.throne->tournament();
        round.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&round));
        QTest::keySequence(&round, QKeySequence::Undo);
        return;
    }
    case Op::Amend:
    case Op::RecordLate:
        click(*windows.recordedGames, "AmendGame");
        return;
    case Op::PairAgain:
        windows.throne->tournament()->pairAgainAction()->trigger();
        return;
    case Op::BigScreen:
        // F11 on the registration window: the big screen opens and the file keeps that it is.
        windows.throne->findChild<QAction *>(QStringLiteral("BigScreenAction"))->trigger();
        return;
    case Op::StartTournament:
    case Op::LaterRoundLoad:
        click(*windows.throne, "StartButton");
        return;
    case Op::GameOver:
        click(*windows.throne->tournament(), "GameDone");
        return;
    case Op::EndRound:
    case Op::Archive:
        click(*windows.throne->tournament(), "EndTourny");
        return;
    case Op::HistoryRead: {
        // The history window opens over the archive and is closed again; where a fault
        // keeps it from opening, nothing is left waiting for it.
        QObject closer;
        QTimer::singleShot(0, &closer, [] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (dialog && dialog->objectName() == QStringLiteral("HistoryDialog"))
                dialog->reject();
        });
        windows.throne->findChild<QAction *>(QStringLiteral("History"))->trigger();
        return;
    }
    case Op::EditorLoad:
        click(*windows.throne, "Command1");
        return;
    case Op::CmdAdd:
        click(*windows.throne->playerEditor(), "cmdAdd");
        return;
    case Op::CmdUpdate:
        click(*windows.throne->playerEditor(), "cmdUpdate");
        return;
    case Op::CmdDelete:
        click(*windows.throne->playerEditor(), "cmdDelete");
        return;
    case Op::CmdRefresh:
        click(*windows.throne->playerEditor(), "cmdRefresh");
        return;
    case Op::CmdClose:
        click(*windows.throne->playerEditor(), "cmdClose");
        return;
    case Op::Closing:
        // The close box of the caption bar, with no change pending.
        windows.throne->playerEditor()->windowHandle()->close();
        return;
    }
}

/// What the organiser sees after an operation of the tournament's progress that worked.
void checkWorked(const TempInstall &install, const Windows &windows, Op op, const MessageLog &log)
{
    switch (op) {
    case Op::Resume: {
        // Asked once, and round 1 is back with its one game not yet recorded.
        QCOMPARE(log.questions().size(), 1);
        QVERIFY(windows.throne);
        const Tournament *round = windows.throne->tournament();
        QVERIFY(round);
        QCOMPARE(rowCount(round->MatchList1()), 1);
        break;
    }
    case Op::Upgrade:
        QCOMPARE(log.questions(), QStringList());
        QVERIFY(windows.throne);
        break;
    case Op::Undo:
        // The last game is back in the lists.
        QCOMPARE(rowCount(windows.throne->tournament()->MatchList1()), 1);
        break;
    case Op::Amend: {
        // The standings moved by the difference: a full win 14 to 9.5 became a modified
        // win 12.5 to 11.
        const auto rows = install.rows(
            kTourny, QStringLiteral("SELECT Name, Score, Power FROM TournyInfo WHERE Name IN "
                                    "('Smith, Ann', 'O''Brien, Bob') ORDER BY Name"));
        const QList<QVariantList> want = {{QStringLiteral("O'Brien, Bob"), 1, 11.0},
                                          {QStringLiteral("Smith, Ann"), 2, 12.5}};
        QCOMPARE(rows, want);
        break;
    }
    case Op::RecordLate: {
        // The game of table 2, left at the end of round 1, now counts.
        const auto rows = install.rows(
            kTourny, QStringLiteral("SELECT Name, Score, Power FROM TournyInfo WHERE Name IN "
                                    "('Zo\u00eb, Chlo\u00e9', 'Lee, Dan') ORDER BY Name"));
        const QList<QVariantList> want = {{QStringLiteral("Lee, Dan"), 1, 11.0},
                                          {QStringLiteral("Zo\u00eb, Chlo\u00e9"), 2, 12.5}};
        QCOMPARE(rows, want);
        break;
    }
    case Op::PairAgain:
        QCOMPARE(rowCount(windows.throne->tournament()->MatchList1()), 2);
        break;
    case Op::Archive:
        // The evening is in the archive with its four entrants and two games.
        QCOMPARE(install.rows(kPlayers, QStringLiteral("SELECT (SELECT count(*) FROM ZuviArchive), "
                                                       "(SELECT count(*) FROM ZuviArchiveEntrant), "
                                                       "(SELECT count(*) FROM ZuviArchiveGame)")),
                 (QList<QVariantList>{{qlonglong(1), qlonglong(4), qlonglong(2)}}));
        break;
    default:
        break;
    }
}

/// The rows an operation leaves when nothing goes wrong (the same windows driven in a
/// healthy installation).
QList<QVariantList> healthyResult(Op op)
{
    TempInstall install;
    MessageLog log;
    log.setAnswer(true);
    QList<QVariantList> rows;
    {
        Windows windows;
        prepare(install, windows, op);
        perform(windows, op);
        [&] {
            if (op == Op::CmdClose || op == Op::Closing)
                QTRY_VERIFY(!windows.throne->playerEditor());
            QCOMPARE(log.texts(), QStringList());
            checkWorked(install, windows, op, log);
        }();
        rows = snapshot(install);
    }
    return rows;
}

const char *faultName(Fault fault)
{
    switch (fault) {
    case Fault::Missing:
        return "missing";
    case Fault::Unreadable:
        return "unreadable";
    case Fault::ReadOnly:
        return "read-only";
    case Fault::Garbage:
        return "not a database";
    case Fault::TableMissing:
        return "table missing";
    case Fault::Locked:
        return "locked";
    case Fault::DiskFull:
        return "disk full";
    }
    return "";
}

const char *opName(Op op)
{
    switch (op) {
    case Op::StartUp:
        return "start-up";
    case Op::StartTournament:
        return "Start Tournament";
    case Op::LaterRoundLoad:
        return "later round load";
    case Op::GameOver:
        return "Game Over";
    case Op::EndRound:
        return "End Round";
    case Op::Resume:
        return "resume";
    case Op::Undo:
        return "undo";
    case Op::Amend:
        return "amend";
    case Op::RecordLate:
        return "record late";
    case Op::PairAgain:
        return "pair again";
    case Op::BigScreen:
        return "big screen opens";
    case Op::Upgrade:
        return "upgrade";
    case Op::Archive:
        return "archive";
    case Op::HistoryRead:
        return "history read";
    case Op::EditorLoad:
        return "editor load";
    case Op::CmdAdd:
        return "cmdAdd";
    case Op::CmdUpdate:
        return "cmdUpdate";
    case Op::CmdDelete:
        return "cmdDelete";
    case Op::CmdRefresh:
        return "cmdRefresh";
    case Op::CmdClose:
        return "cmdClose";
    case Op::Closing:
        return "closing step";
    }
    return "";
}

bool needsUnprivileged(Fault fault)
{
    return fault == Fault::Unreadable || fault == Fault::ReadOnly;
}

} // namespace

class TestDbFaults final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void faults_data();
    void faults();
    void withoutFault_data();
    void withoutFault();
};

void TestDbFaults::initTestCase()
{
    // A file-size limit reached while writing is a reported failure here too, as in main().
    std::signal(SIGXFSZ, SIG_IGN);
}

void TestDbFaults::faults_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<Op>("op");
    const Fault faults[] = {Fault::Missing,      Fault::Unreadable, Fault::ReadOnly, Fault::Garbage,
                            Fault::TableMissing, Fault::Locked,     Fault::DiskFull};
    // Each operation meets the faults of the one database it uses (see databaseOf()).
    for (int o = int(Op::StartUp); o <= int(Op::Closing); ++o) {
        for (const Fault fault : faults)
            QTest::addRow("%s/%s", faultName(fault), opName(Op(o))) << fault << Op(o);
    }
}

void TestDbFaults::faults()
{
    QFETCH(Fault, fault);
    QFETCH(Op, op);

    // Root reads and writes any file whatever its mode: these cells run again in a child
    // process that has given up root.
    if (needsUnprivileged(fault) && ::geteuid() == 0) {
        QProcess child;
        child.setWorkingDirectory(QDir::tempPath());
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QStringLiteral("setpriv"),
                    {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                     QStringLiteral("--clear-groups"), QCoreApplication::applicationFilePath(),
                     QStringLiteral("faults:") + QString::fromUtf8(QTest::currentDataTag())});
        if (!child.waitForStarted())
            QSKIP("setpriv is not available to run this cell as an unprivileged user");
        QVERIFY(child.waitForFinished(120000));
        const QByteArray output = child.readAll();
        if (output.contains("Operation not permitted"))
            QSKIP("the uid cannot be dropped here");
        QVERIFY2(child.exitStatus() == QProcess::NormalExit, output.constData());
        QVERIFY2(child.exitCode() == 0, output.constData());
        QVERIFY2(output.contains(", 0 failed, 0 skipped"), output.constData());
        return;
    }

    TempInstall install(false);
    std::optional<Tmpfs> tmpfs;
    FullDisk fullDisk = FullDisk::Tmpfs;
    if (fault == Fault::DiskFull) {
        tmpfs.emplace(install.folder());
        if (!tmpfs->mounted()) {
            qInfo("no tmpfs can be mounted here: a file-size limit of 0 fills the disk");
            fullDisk = FullDisk::SizeLimit;
        }
    }
    Data::ensureDatabases();
    const Expected want = expected(fault, op, fullDisk);
    const QList<QVariantList> healthy =
        want.seen == Seen::Works || want.landed ? healthyResult(op) : QList<QVariantList>();
    if (QTest::currentTestFailed())
        return;

    MessageLog log;
    log.setAnswer(true);
    Windows windows;
    prepare(install, windows, op);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(log.texts(), QStringList());
    const QList<QVariantList> before = snapshot(install);

    QPointer<PlayerInfo> editor = windows.throne ? windows.throne->playerEditor() : nullptr;
    {
        FaultGuard guard(fault, databaseOf(op), fullDisk);
        if (QTest::currentTestFailed())
            return;
        perform(windows, op);
        guard.checkUntouched();
        if (QTest::currentTestFailed())
            return;

        switch (want.seen) {
        case Seen::Fatal:
            QCOMPARE(log.texts(), QStringList{Core::fatalText(want.code, want.description)});
            QCOMPARE(log.ends(), 1);
            break;
        case Seen::Shown:
            QCOMPARE(log.texts(), QStringList{want.description});
            QCOMPARE(log.ends(), 0);
            editor = windows.throne->playerEditor();
            QVERIFY(editor);
            QVERIFY(editor->isVisible());
            break;
        case Seen::Works:
            QCOMPARE(log.texts(), QStringList());
            QCOMPARE(log.ends(), 0);
            break;
        }
    }

    checkIntegrity(install);
    if (want.seen == Seen::Works) {
        if (op == Op::CmdClose || op == Op::Closing)
            QTRY_VERIFY(!windows.throne->playerEditor());
        checkWorked(install, windows, op, log);
        QCOMPARE(snapshot(install), healthy);
        return;
    }
    QCOMPARE(snapshot(install), want.landed ? healthy : before);

    if (want.seen == Seen::Shown) {
        // The window stays usable: with the fault gone, the change still typed in it is
        // written and the table read anew.
        log.clear();
        const QString typed = control<QLineEdit>(*editor, "LastName")->text();
        click(*editor, "cmdRefresh");
        QCOMPARE(log.texts(), QStringList());
        QVERIFY(editor->Adodc1()->isOpen());
        QCOMPARE(editor->Adodc1()->caption(), QStringLiteral("Record: 1"));
        if (op == Op::CmdAdd || op == Op::CmdUpdate || op == Op::CmdRefresh || op == Op::CmdClose) {
            const auto rows = install.rows(
                kPlayers, QStringLiteral("SELECT \"Last Name\" FROM PlayerInfo WHERE ID = 1"));
            QCOMPARE(rows, QList<QVariantList>{{QStringLiteral("Smith-O'Neill")}});
            QCOMPARE(typed, QStringLiteral("Smith-O'Neill"));
        }
        checkIntegrity(install);
    }
}

void TestDbFaults::withoutFault_data()
{
    QTest::addColumn<Op>("op");
    for (int o = int(Op::StartUp); o <= int(Op::Closing); ++o)
        QTest::addRow("%s", opName(Op(o))) << Op(o);
}

void TestDbFaults::withoutFault()
{
    // Each operation in a healthy installation: it works, and it changes the rows exactly
    // when the table above counts it as writing, so that "rows unchanged" under a fault
    // says something.
    QFETCH(Op, op);
    TempInstall install(false);
    Data::ensureDatabases();
    MessageLog log;
    log.setAnswer(true);
    Windows windows;
    prepare(install, windows, op);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(log.texts(), QStringList());
    const QList<QVariantList> before = snapshot(install);
    perform(windows, op);
    if (QTest::currentTestFailed())
        return;
    if (op == Op::CmdClose || op == Op::Closing)
        QTRY_VERIFY(!windows.throne->playerEditor());
    QCOMPARE(log.texts(), QStringList());
    QCOMPARE(log.ends(), 0);
    checkWorked(install, windows, op, log);
    if (QTest::currentTestFailed())
        return;
    checkIntegrity(install);
    QCOMPARE(snapshot(install) != before, writes(op));
}

QTEST_MAIN(TestDbFaults)
#include "tst_dbfaults.moc"
