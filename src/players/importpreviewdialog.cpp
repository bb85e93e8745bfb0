#include "players/importpreviewdialog.h"

#include <QAbstractTableModel>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace Zuvi::Players {

namespace {

// The first new players, one row each, every column as it will be stored.
class PreviewModel final : public QAbstractTableModel
{
public:
    PreviewModel(QList<QVariantList> rows, QObject *parent)
        : QAbstractTableModel(parent), m_rows(std::move(rows))
    {
    }

    int rowCount(const QModelIndex &parent) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    int columnCount(const QModelIndex &parent) const override
    {
        return parent.isValid() ? 0 : int(playerColumns().size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
            return {};
        const QVariant &value = m_rows.at(index.row()).at(index.column());
        if (index.column() == kAllowEmail && !value.isNull())
            return value.toInt() ? QStringLiteral("Yes") : QStringLiteral("No");
        return value.toString();
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        if (orientation == Qt::Vertical)
            return section + 1;
        return playerColumns().value(section);
    }

private:
    QList<QVariantList> m_rows;
};

} // namespace

QString ImportPreviewDialog::summary(const QString &file, const PlayerTable &table,
                                     const ImportPreview &preview)
{
    QStringList lines;
    lines.append(file);
    lines.append(QStringLiteral("%1 new, to be imported.").arg(playerCount(preview.newPlayers)));
    lines.append(QStringLiteral("%1 already stored (same first name, last name and e-mail), "
                                "to be skipped.")
                     .arg(playerCount(preview.alreadyStored)));
    if (!table.ignoredColumns.isEmpty())
        lines.append(QStringLiteral("Columns not imported: %1.")
                         .arg(table.ignoredColumns.join(QStringLiteral(", "))));
    if (table.blankRows > 0)
        lines.append(QStringLiteral("Empty rows left out: %1.").arg(table.blankRows));
    if (!preview.firstRows.isEmpty())
        lines.append(preview.firstRows.size() < preview.newPlayers
                         ? QStringLiteral("The first %1 new players as they will be stored:")
                               .arg(preview.firstRows.size())
                         : QStringLiteral("The new players as they will be stored:"));
    return lines.join(QLatin1Char('\n'));
}

ImportPreviewDialog::ImportPreviewDialog(const QString &file, const PlayerTable &table,
                                         const ImportPreview &preview, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ImportPreview"));
    setWindowTitle(QStringLiteral("Import Players"));
    auto *layout = new QVBoxLayout(this);

    auto *text = new QLabel(summary(file, table, preview), this);
    text->setObjectName(QStringLiteral("Summary"));
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    layout->addWidget(text);

    auto *rows = new QTableView(this);
    rows->setObjectName(QStringLiteral("Rows"));
    rows->setModel(new PreviewModel(preview.firstRows, rows));
    rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rows->setSelectionMode(QAbstractItemView::NoSelection);
    rows->verticalHeader()->setDefaultSectionSize(rows->fontMetrics().height() + 6);
    rows->setVisible(!preview.firstRows.isEmpty());
    layout->addWidget(rows, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("Buttons"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("Ok"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("Cancel"));
    // Nothing to write: only Cancel makes sense.
    buttons->button(QDialogButtonBox::Ok)->setEnabled(preview.newPlayers > 0);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(760, preview.firstRows.isEmpty() ? 160 : 420);
}

} // namespace Zuvi::Players
