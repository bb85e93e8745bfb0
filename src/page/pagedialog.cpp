#include "page/pagedialog.h"

#include "core/errorpath.h"
#include "page/pageserver.h"
#include "ui/messagebox.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QNetworkInterface>
#include <QPushButton>
#include <QSpinBox>

namespace Zuvi {

PageDialog::PageDialog(PageServer *server, QWidget *parent) : QDialog(parent), m_server(server)
{
    setObjectName(QStringLiteral("PageDialog"));
    setWindowTitle(QStringLiteral("Players' page on the network"));
    m_address = new QComboBox(this);
    m_address->setObjectName(QStringLiteral("PageAddress"));
    m_address->addItem(QStringLiteral("127.0.0.1 (this computer only)"),
                       QStringLiteral("127.0.0.1"));
    const auto addresses = QNetworkInterface::allAddresses();
    for (const QHostAddress &address : addresses) {
        if (!address.isLoopback() && address.protocol() == QAbstractSocket::IPv4Protocol)
            m_address->addItem(address.toString(), address.toString());
    }
    m_port = new QSpinBox(this);
    m_port->setObjectName(QStringLiteral("PagePort"));
    m_port->setRange(1024, 65535);
    m_port->setValue(8080);
    m_start = new QPushButton(this);
    m_start->setObjectName(QStringLiteral("PageStart"));
    m_state = new QLabel(this);
    m_state->setObjectName(QStringLiteral("PageState"));
    m_state->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_state->setWordWrap(true);
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("PageClose"));

    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("&Address:"), m_address);
    form->addRow(QStringLiteral("&Port:"), m_port);
    form->addRow(QString(), m_start);
    form->addRow(m_state);
    form->addRow(QString(), close);
    connect(m_start, &QPushButton::clicked, this, Core::guarded([this] { startOrStop(); }));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    showState();
}

void PageDialog::startOrStop()
{
    if (m_server->isServing()) {
        m_server->stop();
    } else {
        QString problem;
        const QHostAddress address(m_address->currentData().toString());
        if (!m_server->start(address, quint16(m_port->value()), &problem))
            Ui::message(this, QStringLiteral("The page cannot be served at %1, port %2: %3")
                                  .arg(address.toString())
                                  .arg(m_port->value())
                                  .arg(problem));
    }
    showState();
}

void PageDialog::showState()
{
    const bool serving = m_server->isServing();
    m_start->setText(serving ? QStringLiteral("&Stop") : QStringLiteral("&Start"));
    m_address->setEnabled(!serving);
    m_port->setEnabled(!serving);
    m_state->setText(
        serving
            ? QStringLiteral("Players open %1 on the same network.").arg(m_server->pageAddress())
            : QStringLiteral("The page is not served."));
}

} // namespace Zuvi
