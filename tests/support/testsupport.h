#pragma once

#include "ui/messagebox.h"

#include <QList>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>

#include <functional>

class QAbstractItemView;

namespace Zuvi::Test {

/// A temporary installation folder for one test: XDG_DATA_HOME points into it while the
/// object lives, so nothing touches the user's own data folder.
class TempInstall final
{
public:
    /// create: make the two databases with their tables, as a first start does.
    explicit TempInstall(bool create = true);
    ~TempInstall();
    Q_DISABLE_COPY_MOVE(TempInstall)

    QString folder() const;
    QString file(const QString &databaseName) const;

    /// Inserts stored players as (first name, last name) pairs; a null QString is NULL.
    void addPlayers(const QList<std::pair<QString, QString>> &players) const;
    /// Runs a statement on a database with bound values.
    void exec(const QString &databaseName, const QString &sql,
              const QVariantList &values = {}) const;
    /// The rows of a query as lists of values.
    QList<QVariantList> rows(const QString &databaseName, const QString &sql) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_previousXdg;
    bool m_hadXdg;
};

/// Records the system's messages and fatal ends instead of showing boxes or ending the
/// process, for as long as it lives.
class MessageLog final
{
public:
    MessageLog();
    ~MessageLog();
    Q_DISABLE_COPY_MOVE(MessageLog)

    const QStringList &texts() const { return m_texts; }
    /// The questions asked (Yes/No boxes), answered with answer().
    const QStringList &questions() const { return m_questions; }
    /// The default answer of each question, in the order asked.
    const QList<Ui::DefaultAnswer> &questionDefaults() const { return m_defaults; }
    void setAnswer(bool yes) { m_answer = yes; }
    QString last() const { return m_texts.isEmpty() ? QString() : m_texts.last(); }
    int ends() const { return m_ends; }
    void clear();

private:
    QStringList m_texts;
    QStringList m_questions;
    QList<Ui::DefaultAnswer> m_defaults;
    bool m_answer = false;
    int m_ends = 0;
};

/// The texts of a list box, in order.
QStringList listTexts(const QAbstractItemView *list);

/// The number of rows a list box shows.
int rowCount(const QAbstractItemView *list);

/// Selects a row of a list box as a mouse click does.
void clickRow(QAbstractItemView *list, int row);

} // namespace Zuvi::Test
