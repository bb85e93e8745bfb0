#pragma once

#include <QByteArrayView>
#include <QString>

namespace Zuvi {

/// What stands between the last and the first name of a display name.
inline QByteArrayView displayNameSeparator()
{
    return ", ";
}

/// A player's display name: last name, ", ", first name. An empty (null) part adds
/// nothing, so a player without names shows as ", ". It identifies an entrant everywhere.

inline QString displayName(const QString &lastName, const QString &firstName)
{
    return lastName + QString::fromLatin1(displayNameSeparator()) + firstName;
}

} // namespace Zuvi
