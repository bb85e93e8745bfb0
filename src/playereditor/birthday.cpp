#include "playereditor/birthday.h"

#include <QRegularExpression>
#include <QStringList>

namespace Zuvi {

namespace {

// A date format with its day and month digits made optional in their second digit (dd
// becomes d, MM becomes M) and, if asked, its year of two digits made four and one of four
// made two. Quoted text is kept as it is.
QString variant(const QString &format, bool singleDigits, bool otherYear)
{
    QString out;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            qsizetype end = format.indexOf(QLatin1Char('\''), i + 1);
            if (end < 0)
                end = format.size() - 1;
            out += format.mid(i, end - i + 1);
            i = end + 1;
            continue;
        }
        qsizetype end = i;
        while (end < format.size() && format.at(end) == c)
            ++end;
        QString run = format.mid(i, end - i);
        if (singleDigits && (run == QStringLiteral("dd") || run == QStringLiteral("MM")))
            run.chop(1);
        else if (otherYear && run == QStringLiteral("yy"))
            run = QStringLiteral("yyyy");
        else if (otherYear && run == QStringLiteral("yyyy"))
            run = QStringLiteral("yy");
        out += run;
        i = end;
    }
    return out;
}

bool hasTwoDigitYear(const QString &format)
{
    static const QRegularExpression twoDigits(QStringLiteral("(^|[^y])yy([^y]|$)"));
    return twoDigits.match(format).hasMatch();
}

} // namespace

std::optional<QString> storedBirthday(const QString &typed, const QLocale &locale,
                                      const QDate &today)
{
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return QStringLiteral("");

    static const QRegularExpression iso(QStringLiteral("^[0-9]{4}-[0-9]{1,2}-[0-9]{1,2}$"));
    if (iso.match(text).hasMatch()) {
        const QDate date = QDate::fromString(text, QStringLiteral("yyyy-M-d"));
        if (!date.isValid())
            return std::nullopt;
        return date.toString(Qt::ISODate);
    }

    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QStringList formats;
    for (const bool singleDigits : {false, true}) {
        for (const bool otherYear : {false, true}) {
            const QString candidate = variant(format, singleDigits, otherYear);
            if (!formats.contains(candidate))
                formats.append(candidate);
        }
    }
    for (const QString &candidate : std::as_const(formats)) {
        QDate date = locale.toDate(text, candidate);
        if (!date.isValid())
            continue;
        // Two digits name a year of the last hundred: 05 is 2005 rather than 1905, unless
        // that lies after today.
        if (hasTwoDigitYear(candidate)) {
            while (date.addYears(100) <= today)
                date = date.addYears(100);
        }
        return date.toString(Qt::ISODate);
    }
    return std::nullopt;
}

QString birthdayRefusal(const QLocale &locale)
{
    const QDate example(1990, 12, 31);
    return QStringLiteral("Please enter the birthday as a date, such as %1 or %2, or leave it "
                          "empty.")
        .arg(locale.toString(example, QLocale::ShortFormat), example.toString(Qt::ISODate));
}

bool birthdayAfterToday(const QString &stored, const QDate &today)
{
    const QDate date = QDate::fromString(stored, Qt::ISODate);
    return date.isValid() && date > today;
}

QString futureBirthdayRefusal(const QLocale &locale, const QDate &today)
{
    return QStringLiteral("The birthday cannot be after today (%1): please enter the date "
                          "the player was born, or leave it empty.")
        .arg(locale.toString(today, QLocale::ShortFormat));
}

} // namespace Zuvi
