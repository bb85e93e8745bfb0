#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <array>
#include <exception>
#include <initializer_list>
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
/// The position of "Password", which an export leaves empty unless asked to write it.
inline constexpr int kPassword = 13;

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

/// One player of a file: the values of playerColumns() in order, each NULL, text or (for
/// "Allow Email") 0 or 1. The texts are kept as their UTF-8 bytes in one buffer for the row,
/// so that a file of a hundred thousand players is not a million and a half text objects,
/// and the import binds the bytes as they are.
class PlayerRow final
{
public:
    static constexpr int kColumns = 16;

    /// Every value NULL.
    PlayerRow() = default;
    /// From values as QVariants: a null QVariant is NULL, "Allow Email" a whole number,
    /// anything else its text; missing values are NULL.
    PlayerRow(const QVariantList &values); // NOLINT(google-explicit-constructor)
    PlayerRow(std::initializer_list<QVariant> values) : PlayerRow(QVariantList(values)) {}

    /// A row made of parts: the text of each column (unused where null), NULL where a
    /// column's bit is set in nulls, and "Allow Email" (ignored where NULL).
    struct Parts
    {
        std::array<QByteArrayView, kColumns> texts{};
        quint32 nulls = (1u << kColumns) - 1;
        qint64 allowEmail = 0;
    };
    explicit PlayerRow(const Parts &parts);

    static constexpr qsizetype size() { return kColumns; }
    bool isNull(int column) const { return (m_nulls >> column) & 1u; }
    /// The UTF-8 bytes of a text value (empty for NULL and for "Allow Email").
    QByteArrayView utf8(int column) const;
    qint64 allowEmail() const { return m_allowEmail; }
    /// A value as a QVariant: null for NULL, qlonglong for "Allow Email", else QString
    /// (an empty text is empty, not null).
    QVariant at(int column) const;
    QVariant value(int column) const { return at(column); }
    QVariantList toList() const;

    friend bool operator==(const PlayerRow &a, const PlayerRow &b)
    {
        return a.m_nulls == b.m_nulls && a.m_allowEmail == b.m_allowEmail && a.m_ends == b.m_ends &&
               a.m_text == b.m_text;
    }

private:
    QByteArray m_text;
    std::array<qint32, kColumns> m_ends{};
    quint32 m_nulls = (1u << kColumns) - 1;
    qint64 m_allowEmail = 0;
};

/// The values of rows, for showing and comparing them.
QList<QVariantList> rowValues(const QList<PlayerRow> &rows);

/// The players a file holds, as they will be stored.
struct PlayerTable
{
    QList<PlayerRow> rows;
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
bool isNameless(const PlayerRow &row);

/// Text without the blanks around it, as QString::trimmed() removes them.
QByteArrayView trimmedUtf8(QByteArrayView text, QByteArray &scratch);

/// Which of our columns each column of a file fills (-1: none). Throws FileError when a
/// column is named twice or neither "First Name" nor "Last Name" is there.
QList<int> mapColumns(const QString &file, const QStringList &names, QStringList *ignored);

/// Reads an Access database or a CSV file, told apart by their content; rows without a
/// name are left out and counted. Throws FileError for a file that cannot be read, is
/// neither, or is damaged.
PlayerTable readPlayerFile(const QString &file);

} // namespace Zuvi::Players
