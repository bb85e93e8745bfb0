#include "historywindow/playerrecorddialog.h"

#include "round/scoring.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace Zuvi {

namespace {

QTableWidget *table(QWidget *parent, const char *name, const QStringList &headings,
                    const QList<QStringList> &rows)
{
    auto *widget = new QTableWidget(int(rows.size()), int(headings.size()), parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setHorizontalHeaderLabels(headings);
    widget->verticalHeader()->hide();
    widget->setEditTriggers(QAbstractItemView::NoEditTriggers);
    widget->horizontalHeader()->setStretchLastSection(true);
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows.at(r).size(); ++c)
            widget->setItem(r, c, new QTableWidgetItem(rows.at(r).at(c)));
    }
    widget->resizeColumnsToContents();
    return widget;
}

} // namespace

PlayerRecordDialog::PlayerRecordDialog(const History::PlayerRecord &record, const QString &name,
                                       QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("PlayerRecordDialog"));
    setWindowTitle(QStringLiteral("Record of %1").arg(record.name.isEmpty() ? name : record.name));
    resize(640, 480);
    const qsizetype played = record.placings.size();
    auto *summary = new QLabel(this);
    summary->setObjectName(QStringLiteral("PlayerRecordSummary"));
    summary->setWordWrap(true);
    summary->setTextFormat(Qt::PlainText);
    if (played == 0) {
        summary->setText(QStringLiteral("No archived tournament of %1.").arg(name));
    } else {
        summary->setText(
            QStringLiteral("%1 %2; %3 won, %4 drawn, %5 lost, %6 byes; %7 points. Houses: %8.")
                .arg(played)
                .arg(played == 1 ? QStringLiteral("tournament") : QStringLiteral("tournaments"))
                .arg(record.wins)
                .arg(record.draws)
                .arg(record.losses)
                .arg(record.byes)
                .arg(Round::powerText(record.points))
                .arg(record.houses.join(QStringLiteral(", "))));
    }
    QList<QStringList> placings;
    for (const History::PlayerRecord::Placing &p : record.placings)
        placings.append({p.played.toString(Qt::ISODate), p.tournament,
                         QStringLiteral("%1 of %2").arg(p.rank).arg(p.entrants),
                         Round::powerText(p.score)});
    QList<QStringList> opponents;
    for (const History::HeadToHead &h : record.headToHead)
        opponents.append({h.opponent, QString::number(h.wins), QString::number(h.draws),
                          QString::number(h.losses)});
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("PlayerRecordClose"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(table(this, "PlayerRecordPlacings",
                            {QStringLiteral("Date"), QStringLiteral("Tournament"),
                             QStringLiteral("Place"), QStringLiteral("Score")},
                            placings));
    layout->addWidget(new QLabel(QStringLiteral("Head to head"), this));
    layout->addWidget(table(this, "PlayerRecordHeadToHead",
                            {QStringLiteral("Opponent"), QStringLiteral("Won"),
                             QStringLiteral("Drawn"), QStringLiteral("Lost")},
                            opponents));
    layout->addWidget(close, 0, Qt::AlignRight);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace Zuvi
