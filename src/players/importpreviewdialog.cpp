#include "players/importpreviewdialog.h"

#include "ui/accessibility.h"
#include "ui/layout.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QColor>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace Zuvi::Players {

namespace {

// The first new players, one row each, every column as it will be stored; a row that
// repeats an earlier row of the file is marked in its heading and greyed.
class PreviewModel final : public QAbstractTableModel
{
public:
    PreviewModel(QList<QVariantList> rows, QList<bool> repeats, QObject *parent)
        : QAbstractTableModel(parent), m_rows(std::move(rows)), m_repeats(std::move(repeats))
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
        if (index.isValid() && role == Qt::ForegroundRole && isRepeat(index.row()))
            return QColor(Qt::gray);
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
            return {};
        const QVariant &value = m_rows.at(index.row()).at(index.column());
        if (index.column() == kAllowEmail && !value.isNull())
            return value.toInt() ? QStringLiteral("Yes") : QStringLiteral("No");
        // The file's text is shown as it stands, in the tool tip too.
        return role == Qt::ToolTipRole ? Ui::plainToolTip(value.toString()) : value.toString();
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        if (orientation == Qt::Vertical)
            return isRepeat(section) ? QStringLiteral("%1 (repeat)").arg(section + 1)
                                     : QString::number(section + 1);
        return playerColumns().value(section);
    }

private:
    bool isRepeat(int row) const { return m_repeats.value(row, false); }

    QList<QVariantList> m_rows;
    QList<bool> m_repeats;
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
    if (preview.repeats > 0)
        lines.append(
            (preview.repeats == 1 ? QStringLiteral("1 row repeats an earlier row of the file")
                                  : QStringLiteral("%1 rows repeat an earlier row of the file")
                                        .arg(preview.repeats)) +
            QStringLiteral(" (same first name, last name and e-mail), marked \"(repeat)\" below: "
                           "imported only if \"Import the repeated rows too\" is ticked."));
    if (table.namelessRows > 0)
        lines.append(
            table.namelessRows == 1
                ? QStringLiteral("1 row without a name is skipped.")
                : QStringLiteral("%1 rows without a name are skipped.").arg(table.namelessRows));
    if (table.blankRows > 0)
        lines.append(QStringLiteral("Empty rows left out: %1.").arg(table.blankRows));
    if (!preview.firstRows.isEmpty())
        lines.append(preview.firstRows.size() < preview.newPlayers + preview.repeats
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
    rows->setModel(new PreviewModel(preview.firstRows, preview.firstRowRepeats, rows));
    rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rows->setSelectionMode(QAbstractItemView::NoSelection);
    rows->verticalHeader()->setDefaultSectionSize(rows->fontMetrics().height() + 6);
    rows->setVisible(!preview.firstRows.isEmpty());
    // What a screen reader says for the rows: the summary above explains them.
    Ui::speakAs(rows, QStringLiteral("First rows of the file"), text->text());
    layout->addWidget(rows, 1);

    m_importRepeats = new QCheckBox(QStringLiteral("Import the repeated rows too"), this);
    m_importRepeats->setObjectName(QStringLiteral("ImportRepeats"));
    m_importRepeats->setChecked(false);
    m_importRepeats->setVisible(preview.repeats > 0);
    layout->addWidget(m_importRepeats);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("Buttons"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("Ok"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("Cancel"));
    // Nothing to write: only Cancel makes sense.
    QPushButton *ok = buttons->button(QDialogButtonBox::Ok);
    const auto updateOk = [ok, newPlayers = preview.newPlayers > 0, repeats = preview.repeats > 0,
                           this] {
        ok->setEnabled(newPlayers || (repeats && m_importRepeats->isChecked()));
    };
    updateOk();
    connect(m_importRepeats, &QCheckBox::toggled, this, updateOk);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(760, preview.firstRows.isEmpty() ? 160 : 420);
}

Repeats ImportPreviewDialog::repeats() const
{
    return m_importRepeats->isChecked() ? Repeats::Import : Repeats::Skip;
}

} // namespace Zuvi::Players
