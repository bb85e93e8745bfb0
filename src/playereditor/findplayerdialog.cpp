#include "playereditor/findplayerdialog.h"

#include "ui/accessibility.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace Zuvi {

FindPlayerDialog::FindPlayerDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FindPlayerDialog"));
    setWindowTitle(QStringLiteral("Find Player"));
    auto *layout = new QVBoxLayout(this);

    auto *label =
        new QLabel(QStringLiteral("Find a first name, last name or e-mail containing:"), this);
    label->setObjectName(QStringLiteral("FindLabel"));
    layout->addWidget(label);

    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("FindText"));
    Ui::speakAs(m_text, label, QStringLiteral("Find a first name, last name or e-mail"));
    layout->addWidget(m_text);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_next = new QPushButton(QStringLiteral("&Find Next"), this);
    m_next->setObjectName(QStringLiteral("FindNext"));
    m_next->setDefault(true);
    m_next->setEnabled(false);
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("FindClose"));
    buttons->addWidget(m_next);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    // Blanks alone find nothing worth finding.
    connect(m_text, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_next->setEnabled(!text.trimmed().isEmpty()); });
    connect(m_next, &QPushButton::clicked, this, [this] {
        if (!text().trimmed().isEmpty())
            Q_EMIT findNext();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

QString FindPlayerDialog::text() const
{
    return m_text->text();
}

} // namespace Zuvi
