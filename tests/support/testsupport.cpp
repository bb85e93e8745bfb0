#include "support/testsupport.h"

#include "support/testserver.h"
#include "tournament/storechoice.h"

#include "core/errorpath.h"
#include "data/dbconnection.h"
#include "data/installfolder.h"
#include "data/schema.h"
#include "data/serverschema.h"
#include "ui/messagebox.h"

#include <QAbstractItemView>
#include <QSqlRecord>
#include <QTest>

namespace Zuvi::Test {

TempInstall::TempInstall(bool create)
    : m_previousXdg(qgetenv("XDG_DATA_HOME")), m_hadXdg(qEnvironmentVariableIsSet("XDG_DATA_HOME"))
{
    // Without its own folder a test would run on the user's data: stop at once.
    if (!m_dir.isValid())
        qFatal("no temporary folder: %s", qPrintable(m_dir.errorString()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.path()));
    if (create)
        Data::ensureDatabases();
    // With ZUVI_TEST_STORE=server the windows keep the tournament on the emptied test
    // server instead of the files: the same tests, over the other store.
    if (qEnvironmentVariable("ZUVI_TEST_STORE") == QLatin1String("server")) {
        QString problem;
        const std::optional<TestServer> server = TestServer::find(&problem);
        if (!server)
            qFatal("%s", qPrintable(problem));
        server->reset();
        StoreChoice choice;
        choice.server = server->address;
        choice.station = QStringLiteral("Desk 1");
        setStoreChoice(choice);
    }
}

TempInstall::~TempInstall()
{
    if (m_hadXdg)
        qputenv("XDG_DATA_HOME", m_previousXdg);
    else
        qunsetenv("XDG_DATA_HOME");
}

QString TempInstall::folder() const
{
    return Data::installFolder();
}

QString TempInstall::file(const QString &databaseName) const
{
    return Data::databaseFile(databaseName);
}

void TempInstall::addPlayers(const QList<std::pair<QString, QString>> &players) const
{
    if (const std::optional<Data::ServerAddress> &server = storeChoice().server) {
        Data::ServerLink link(*server, QStringLiteral("test"));
        Data::ensureServerTables(link);
        Data::ServerTransaction transaction(link);
        for (const auto &[first, last] : players)
            link.exec(QStringLiteral("INSERT INTO PlayerInfo([First Name], [Last Name]) VALUES "
                                     "(?, ?)"),
                      {first, last});
        transaction.commit();
        return;
    }
    Data::DbConnection connection(Data::playersDatabase());
    connection.begin();
    QSqlQuery insert = connection.prepare(
        QStringLiteral("INSERT INTO PlayerInfo(\"First Name\", \"Last Name\") VALUES (?, ?)"));
    for (const auto &[first, last] : players)
        connection.exec(insert, {first, last});
    connection.commit();
}

namespace {

/// The shared server the tournament is kept on in this run, in place of both files (the
/// stored players and the archive are the server's too).
std::optional<Data::ServerAddress> tournamentServer(const QString &)
{
    return storeChoice().server;
}

} // namespace

void TempInstall::exec(const QString &databaseName, const QString &sql,
                       const QVariantList &values) const
{
    if (const auto server = tournamentServer(databaseName)) {
        Data::ServerLink link(*server, QStringLiteral("test"));
        link.exec(sql, values);
        return;
    }
    Data::DbConnection connection(databaseName);
    connection.exec(sql, values);
}

QList<QVariantList> TempInstall::rows(const QString &databaseName, const QString &sql) const
{
    QList<QVariantList> result;
    if (const auto server = tournamentServer(databaseName)) {
        Data::ServerLink link(*server, QStringLiteral("test"));
        QSqlQuery &query = link.exec(sql);
        while (link.next(query)) {
            QVariantList row;
            for (int i = 0; i < query.record().count(); ++i)
                row.append(query.value(i));
            result.append(row);
        }
        return result;
    }
    Data::DbConnection connection(databaseName);
    QSqlQuery query = connection.exec(sql);
    while (connection.next(query)) {
        QVariantList row;
        for (int i = 0; i < query.record().count(); ++i)
            row.append(query.value(i));
        result.append(row);
    }
    return result;
}

MessageLog::MessageLog()
{
    Ui::setMessageHandler([this](const QString &text) { m_texts.append(text); });
    Ui::setQuestionHandler([this](const QString &text, Ui::DefaultAnswer byDefault) {
        m_questions.append(text);
        m_defaults.append(byDefault);
        return m_answer;
    });
    Core::setEndHook([this] { ++m_ends; });
}

MessageLog::~MessageLog()
{
    Ui::setMessageHandler({});
    Ui::setQuestionHandler({});
    Core::setEndHook({});
    Core::resetEnding();
}

void MessageLog::clear()
{
    m_texts.clear();
    m_ends = 0;
    Core::resetEnding();
}

QStringList listTexts(const QAbstractItemView *list)
{
    QStringList texts;
    const QAbstractItemModel *model = list->model();
    for (int i = 0; model && i < model->rowCount(); ++i)
        texts.append(model->index(i, 0).data().toString());
    return texts;
}

int rowCount(const QAbstractItemView *list)
{
    return list->model() ? list->model()->rowCount() : 0;
}

void clickRow(QAbstractItemView *list, int row)
{
    const QModelIndex index = list->model()->index(row, 0);
    QVERIFY2(index.isValid(), "no such row");
    list->scrollTo(index);
    const QRect rect = list->visualRect(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

} // namespace Zuvi::Test
