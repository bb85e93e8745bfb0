#pragma once

#include <QString>

#include <exception>

namespace Zuvi::Data {

/// A failure of a database operation: SQLite's primary result code and its description.
/// Thrown by the data layer and caught only at the boundary of a window's handler,
/// which reports it and ends the application (or, in the player editor, shows it).
class DbError final : public std::exception
{
public:
    DbError(int code, QString description)
        : m_code(code), m_description(std::move(description)),
          m_what(m_description.toUtf8())
    {
    }

    int code() const noexcept { return m_code; }
    const QString &description() const noexcept { return m_description; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    int m_code;
    QString m_description;
    QByteArray m_what;
};

} // namespace Zuvi::Data
