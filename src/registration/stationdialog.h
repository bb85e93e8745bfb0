#pragma once

#include "tournament/storechoice.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace Zuvi {

/// "Connect to a shared tournament…": the server (host, port, database, user, password,
/// TLS) and this station (its name, full or results only). OK connects once to check
/// what was typed; where that fails the reason is shown and the dialog stays.
class StationDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit StationDialog(QWidget *parent = nullptr);

    /// The choice typed (valid after the dialog was accepted).
    StoreChoice choice() const;

    void accept() override;

private:
    QLineEdit *m_host;
    QSpinBox *m_port;
    QLineEdit *m_database;
    QLineEdit *m_user;
    QLineEdit *m_password;
    QComboBox *m_sslmode;
    QLineEdit *m_station;
    QCheckBox *m_resultsOnly;
};

/// Opens the store of the current choice for the windows. Where the server asks for a
/// password, it is asked for; where the server cannot be reached, the organiser may work on
/// this computer instead. Nothing when the organiser gives up.
std::unique_ptr<TournamentStore> openStoreForStation(QWidget *parent);

} // namespace Zuvi
