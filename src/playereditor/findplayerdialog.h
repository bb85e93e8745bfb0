#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace Zuvi {

/// "Find…" in the player editor: a small window beside the card with a box for the text
/// and "Find Next", which asks the editor for the next stored player whose first name,
/// last name or e-mail contains the text. It stays open for the next search.
class FindPlayerDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit FindPlayerDialog(QWidget *parent);
    Q_DISABLE_COPY_MOVE(FindPlayerDialog)

    /// The text to find, as typed.
    QString text() const;

Q_SIGNALS:
    /// "Find Next" was pressed (or Return in the box) with some text typed.
    void findNext();

private:
    QLineEdit *m_text = nullptr;
    QPushButton *m_next = nullptr;
};

} // namespace Zuvi
