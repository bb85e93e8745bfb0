#include "registration/dropplayerdialog.h"

#include "ui/accessibility.h"
#include "ui/listutil.h"
#include "ui/messagebox.h"
#include "ui/textlistmodel.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

namespace Zuvi {

DropPlayerDialog::DropPlayerDialog(const QStringList &names, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DropPlayer"));
    setWindowTitle(QStringLiteral("Drop a player"));
    auto *layout = new QVBoxLayout(this);

    auto *caption = new QLabel(QStringLiteral("Player to drop from the tournament (kept in the "
                                              "standings, paired no more):"),
                               this);
    caption->setObjectName(QStringLiteral("DropPlayerCaption"));
    caption->setWordWrap(true);
    layout->addWidget(caption);

    m_model = new Ui::TextListModel(this);
    m_model->setTexts(names);
    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("DropPlayerList"));
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setModel(m_model);
    layout->addWidget(m_list);
    Ui::speakAs(m_list, caption, QStringLiteral("Player to drop"), QLatin1Char('P'));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    QPushButton *drop = buttons->addButton(QStringLiteral("&Drop"), QDialogButtonBox::AcceptRole);
    drop->setObjectName(QStringLiteral("DropPlayerDrop"));
    drop->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("DropPlayerCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListView::doubleClicked, this, [this] { accept(); });
    layout->addWidget(buttons);
    Ui::returnClicksButtons(this);
    resize(360, 420);
}

void DropPlayerDialog::accept()
{
    const int row = Ui::selectedRow(m_list);
    if (row < 0) {
        Ui::message(this, QStringLiteral("Please select a player to drop"));
        return;
    }
    m_chosen = m_model->texts().at(row);
    QDialog::accept();
}

} // namespace Zuvi
