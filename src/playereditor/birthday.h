#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

#include <optional>

namespace Zuvi {

/// A birthday as typed into the player editor, in the form in which it is stored: the date
/// as YYYY-MM-DD. The editor takes the locale's short date form, with a year of two digits
/// or four (two digits name the latest such year that does not put the date after today),
/// or YYYY-MM-DD, with blanks around it; a text of blanks is no birthday, stored as empty
/// text.
/// Any other text, or a day that does not exist (30 February), gives nothing.
std::optional<QString> storedBirthday(const QString &typed, const QLocale &locale,
                                      const QDate &today);

/// What the editor says when a typed birthday is not a date: the forms it takes, shown on
/// an example date.
QString birthdayRefusal(const QLocale &locale);

/// True when a birthday as stored (YYYY-MM-DD) lies after today: nobody is born in the
/// future, so the editor refuses it. An empty birthday is never after today.
bool birthdayAfterToday(const QString &stored, const QDate &today);

/// What the editor says when a typed birthday lies after today, with today's date.
QString futureBirthdayRefusal(const QLocale &locale, const QDate &today);

} // namespace Zuvi
