#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <exception>
#include <optional>

namespace Zuvi::Players {

/// The columns of a player file, in order: the fifteen columns of the player table, then
/// "Country", which is kept in a table of its own beside it. What an import fills and an
/// export writes.
const QStringList &playerColumns();
/// How many of playerColumns() are the player table's own.
inline constexpr int kTableColumns = 15;
/// The position of "Allow Email", the one yes/no column; every other column holds text.
inline constexpr int kAllowEmail = 14;
/// The position of "Country", after the player table's columns.
inline constexpr int kCountry = 15;
/// The positions of the columns that identify a player for the duplicate test.
inline constexpr int kFirstName = 0;
inline constexpr int kLastName = 1;
inline constexpr int kEmail = 2;

/// The position of one of our columns named as a file names it (case-insensitive,
/// blanks around it ignored), or -1.
int playerColumnIndex(QStringView name);

/// A yes/no value as files write it: 1, 0, -1 (yes), yes, no, true, false (any case).
std::optional<int> parseYesNo(QStringView text);

/// A file that cannot be imported or written: which file and why, in the organiser's words.
class FileError final : public std::exception
{
public:
    FileError(QString file, QString cause);
    const QString &file() const noexcept { return m_file; }
    const QString &cause() const noexcept { return m_cause; }
    /// "FILE: cause", for the command line and the message box.
    QString text() const;
    const char *what() const noexcept override { return m_what.constData(); }

private:
    QString m_file;
    QString m_cause;
    QByteArray m_what;
};

/// The players a file holds, as they will be stored: each row has the values of
/// playerColumns() in order, a null QVariant for NULL, a QString for text and a qlonglong
/// 0 or 1 for "Allow Email".
struct PlayerTable
{
    QList<QVariantList> rows;
    /// The file's columns that are not ours, as the file names them; they are not read.
    QStringList ignoredColumns;
    /// Rows without any value (a spreadsheet's empty lines), left out.
    int blankRows = 0;
    /// Rows with values but neither a first nor a last name (both empty or blanks), left
    /// out: a player without a name cannot be told apart in any list.
    int namelessRows = 0;
};

/// True when a row holds no value but perhaps "Allow Email": a spreadsheet's empty line.
bool isBlankRow(const QVariantList &row);

/// True when a row's first and last names are both NULL, empty or blanks.
bool isNameless(const QVariantList &row);

/// Which of our columns each column of a file fills (-1: none). Throws FileError when a
/// column is named twice or neither "First Name" nor "Last Name" is there.
QList<int> mapColumns(const QString &file, const QStringList &names, QStringList *ignored);

/// Reads an Access database or a CSV file, told apart by their content; rows without a
/// name are left out and counted. Throws FileError for a file that cannot be read, is
/// neither, or is damaged.
PlayerTable readPlayerFile(const QString &file);

} // namespace Zuvi::Players
