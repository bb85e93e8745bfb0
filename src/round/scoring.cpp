#include "round/scoring.h"

#include <algorithm>
#include <cmath>

namespace Zuvi::Round {

namespace {

struct ResultRow
{
    QString result;
    QString opposite;
    int points;
};

// Player 1's result, what it means for player 2, and player 1's share of the 3 points.
// A true draw is 1.5 points held as a whole number, which rounds half to even to 2.
const QList<ResultRow> &resultTable()
{
    static const QList<ResultRow> table = {
        {QStringLiteral("Full Win"), QStringLiteral("Full Loss"), 3},
        {QStringLiteral("Full Loss"), QStringLiteral("Full Win"), 0},
        {QStringLiteral("Modified Win"), QStringLiteral("Modified Loss"), 2},
        {QStringLiteral("Modified Loss"), QStringLiteral("Modified Win"), 1},
        {QStringLiteral("True Draw"), QStringLiteral("True Draw"), 2},
    };
    return table;
}

const ResultRow *find(const QString &result)
{
    for (const ResultRow &row : resultTable()) {
        if (row.result.compare(result, Qt::CaseSensitive) == 0)
            return &row;
    }
    return nullptr;
}

} // namespace

QStringList resultTexts()
{
    QStringList texts;
    for (const ResultRow &row : resultTable())
        texts.append(row.result);
    return texts;
}

int player1Points(const QString &result)
{
    const ResultRow *row = find(result);
    return row ? row->points : 0;
}

std::optional<QString> player2Result(const QString &result)
{
    const ResultRow *row = find(result);
    if (!row)
        return std::nullopt;
    return row->opposite;
}

QString powerText(double power)
{
    if (!std::isfinite(power))
        return QString::number(power);
    const double magnitude = std::fabs(power);
    const int integerDigits = magnitude < 1 ? 0 : int(std::floor(std::log10(magnitude))) + 1;
    QString text = QString::number(power, 'f', std::clamp(15 - integerDigits, 0, 15));
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    // A sum that comes to nothing shows no sign.
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text;
}

} // namespace Zuvi::Round
