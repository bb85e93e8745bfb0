#include "support/testsupport.h"

#include "core/errorpath.h"
#include "data/dbconnection.h"
#include "data/installfolder.h"
#include "data/schema.h"
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
    Data::DbConnection connection(Data::playersDatabase());
    connection.begin();
    QSqlQuery insert = connection.prepare(
        QStringLiteral("INSERT INTO PlayerInfo(\"First Name\", \"Last Name\") VALUES (?, ?)"));
    for (const auto &[first, last] : players)
        connection.exec(insert, {first, last});
    connection.commit();
}

void TempInstall::exec(const QString &databaseName, const QString &sql,
                       const QVariantList &values) const
{
    Data::DbConnection connection(databaseName);
    connection.exec(sql, values);
}

QList<QVariantList> TempInstall::rows(const QString &databaseName, const QString &sql) const
{
    QList<QVariantList> result;
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
    Ui::setQuestionHandler([this](const QString &text) {
        m_questions.append(text);
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
