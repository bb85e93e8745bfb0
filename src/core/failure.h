#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace Zuvi {

/// A failure that stops an organiser's action: a number and a description. Thrown below
/// the windows and caught only at the boundary of a window's handler, which reports it
/// as "Error N: description" and ends the application (or, in the player editor, shows
/// it). Failures of the databases are DbError; others are this (a counter at its limit)
/// or a type derived from it (the player editor's RecordRefusal).
class Failure : public std::exception
{
public:
    Failure(int code, QString description)
        : m_code(code), m_description(std::move(description)), m_what(m_description.toUtf8())
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

/// A failure after which the organiser carries on: the step changed nothing and the
/// message says why (a shared server that could not be reached, another station that
/// acted first). The error path shows it without ending the application.
class Interruption : public Failure
{
public:
    using Failure::Failure;
};

} // namespace Zuvi
