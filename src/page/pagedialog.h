#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace Zuvi {

class PageServer;

/// "Players' page on the network…": where the page is served (this computer only, or one
/// of its network addresses, and a port), Start and Stop, and the address to give out.
class PageDialog final : public QDialog
{
    Q_OBJECT

public:
    PageDialog(PageServer *server, QWidget *parent = nullptr);

private:
    void startOrStop();
    void showState();

    PageServer *m_server;
    QComboBox *m_address;
    QSpinBox *m_port;
    QPushButton *m_start;
    QLabel *m_state;
};

} // namespace Zuvi
