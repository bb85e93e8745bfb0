#pragma once

#include <QString>

namespace Zuvi {

/// A player's display name: last name, ", ", first name. An empty (null) part adds
/// nothing, so a player without names shows as ", ". It identifies an entrant everywhere.
inline QString displayName(const QString &lastName, const QString &firstName)
{
    return lastName + QStringLiteral(", ") + firstName;
}

} // namespace Zuvi
