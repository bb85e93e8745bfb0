#include "registration/stationdialog.h"

#include "ui/messagebox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace Zuvi {

namespace {

// Longer names are refused, not cut: a server's names are at most 63 bytes.
constexpr int kLongestName = 63;

QLineEdit *field(QWidget *parent, const char *name, const QString &text = QString())
{
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(200);
    return edit;
}

/// True where the server refused the connection for want of the right password.
bool wantsPassword(const QString &reason)
{
    return reason.contains(QLatin1String("password authentication failed")) ||
           reason.contains(QLatin1String("no password supplied")) ||
           reason.contains(QLatin1String("fe_sendauth"));
}

} // namespace

StationDialog::StationDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("StationDialog"));
    setWindowTitle(QStringLiteral("Connect to a shared tournament"));
    const StoreChoice remembered = storeChoice().server ? storeChoice() : rememberedStoreChoice();
    const Data::ServerAddress address = remembered.server.value_or(Data::ServerAddress{});

    m_host = field(this, "ServerHost", address.host);
    m_port = new QSpinBox(this);
    m_port->setObjectName(QStringLiteral("ServerPort"));
    m_port->setRange(1, 65535);
    m_port->setValue(address.port);
    m_database = field(this, "ServerDatabase", address.database);
    m_user = field(this, "ServerUser", address.user);
    m_password = field(this, "ServerPassword");
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setPlaceholderText(QStringLiteral("asked by the server, or from ~/.pgpass"));
    m_sslmode = new QComboBox(this);
    m_sslmode->setObjectName(QStringLiteral("ServerTls"));
    m_sslmode->addItems({QStringLiteral("prefer"), QStringLiteral("require"),
                         QStringLiteral("verify-ca"), QStringLiteral("verify-full"),
                         QStringLiteral("disable")});
    if (!address.sslmode.isEmpty())
        m_sslmode->setCurrentText(address.sslmode);
    m_station = field(this, "StationName", remembered.stationName());
    m_resultsOnly =
        new QCheckBox(QStringLiteral("Results only (no registration or pairing)"), this);
    m_resultsOnly->setObjectName(QStringLiteral("ResultsOnly"));
    m_resultsOnly->setChecked(remembered.resultsOnly);

    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("&Host:"), m_host);
    form->addRow(QStringLiteral("P&ort:"), m_port);
    form->addRow(QStringLiteral("&Database:"), m_database);
    form->addRow(QStringLiteral("&User:"), m_user);
    form->addRow(QStringLiteral("Pass&word:"), m_password);
    form->addRow(QStringLiteral("&TLS:"), m_sslmode);
    form->addRow(QStringLiteral("&Station name:"), m_station);
    form->addRow(QString(), m_resultsOnly);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Connect"));
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &StationDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &StationDialog::reject);
}

StoreChoice StationDialog::choice() const
{
    StoreChoice choice;
    Data::ServerAddress address;
    address.host = m_host->text().trimmed();
    address.port = m_port->value();
    address.database = m_database->text().trimmed();
    address.user = m_user->text().trimmed();
    address.password = m_password->text();
    address.sslmode = m_sslmode->currentText();
    if (address.sslmode == QLatin1String("prefer"))
        address.sslmode.clear(); // libpq's own default
    choice.server = address;
    choice.station = m_station->text().simplified();
    choice.resultsOnly = m_resultsOnly->isChecked();
    return choice;
}

void StationDialog::accept()
{
    const StoreChoice typed = choice();
    const Data::ServerAddress &address = *typed.server;
    if (address.host.isEmpty() || address.database.isEmpty() || address.user.isEmpty()) {
        Ui::message(this, QStringLiteral("Please enter the server's host, the database and the "
                                         "user."));
        return;
    }
    for (const QString &name : {address.database, address.user, typed.station}) {
        if (name.toUtf8().size() > kLongestName) {
            Ui::message(this, QStringLiteral("Names of the database, the user and the station "
                                             "are at most 63 letters long."));
            return;
        }
    }
    // One connection to check what was typed; the windows then open their own.
    const StoreChoice before = storeChoice();
    setStoreChoice(typed);
    try {
        openChosenStore();
    } catch (const Data::ServerError &error) {
        setStoreChoice(before);
        Ui::message(this, error.description());
        return;
    }
    rememberStoreChoice(typed);
    QDialog::accept();
}

std::unique_ptr<TournamentStore> openStoreForStation(QWidget *parent)
{
    for (;;) {
        try {
            return openChosenStore();
        } catch (const Data::ServerError &error) {
            StoreChoice choice = storeChoice();
            if (choice.server && wantsPassword(error.description())) {
                bool given = false;
                const QString password =
                    QInputDialog::getText(parent, QStringLiteral("Connect to a shared tournament"),
                                          QStringLiteral("Password of %1 on %2:")
                                              .arg(choice.server->user, choice.server->where()),
                                          QLineEdit::Password, QString(), &given);
                if (given && !password.isEmpty() && password != choice.server->password) {
                    choice.server->password = password;
                    setStoreChoice(choice);
                    continue;
                }
            }
            if (!Ui::ask(parent, error.description() +
                                     QStringLiteral("\n\nWork on this computer instead?"))) {
                return nullptr;
            }
            setStoreChoice({});
        }
    }
}

} // namespace Zuvi
