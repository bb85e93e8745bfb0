#pragma once

#include <QDialog>
#include <QStringList>

class QListView;

namespace Zuvi {

namespace Ui {
class TextListModel;
}

/// "Drop a player…": the entrants still playing, listed by name, whichever list the
/// registration window shows at the moment (during the first round the entrant list is
/// empty: the draw has taken every name into the pairing). The choice is a name, so that
/// the drop reaches that entrant even if the lists change meanwhile.
class DropPlayerDialog final : public QDialog
{
    Q_OBJECT

public:
    DropPlayerDialog(const QStringList &names, QWidget *parent = nullptr);

    /// The name chosen (valid after the dialog was accepted).
    QString chosen() const { return m_chosen; }

    void accept() override;

private:
    QListView *m_list;
    Ui::TextListModel *m_model;
    QString m_chosen;
};

} // namespace Zuvi
