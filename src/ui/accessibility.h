#pragma once

#include <QString>
#include <QWidget>

#include <functional>

class QLabel;

namespace Zuvi::Ui {

/// Gives a control the name a screen reader speaks for it and, where a caption beside it
/// explains more, a description.
void speakAs(QWidget *control, const QString &name, const QString &description = QString());

/// Names a control and makes caption its buddy, so that a reader connects the two. A
/// mnemonic letter, when given, is marked in the caption's text (its first occurrence, the
/// letters on screen unchanged): Alt and that letter then move the focus to the control.
void speakAs(QWidget *control, QLabel *caption, const QString &name, QChar mnemonic = QChar(),
             const QString &description = QString());

/// Return or Enter on the control (an editable box: also in its text field) runs action in
/// place of what the key did before.
void onReturn(QWidget *control, std::function<void()> action);

/// Return or Enter on each push button of the window clicks it, as the space bar does.
void returnClicksButtons(QWidget *window);

/// The Menu key and Shift+F10 open the control's context menu, at its current item for a
/// list, as a right-click does.
void keyboardContextMenu(QWidget *control);

/// A status line that screen readers speak: what the organiser must notice after a step
/// that shows no message box (a game recorded, a game reopened, a pairing changed). It
/// takes no room on screen; its accessible role is a status bar whose name is the last
/// announcement, and each announcement raises a name change and an alert for readers.
class Announcer final : public QWidget
{
    Q_OBJECT

public:
    explicit Announcer(QWidget *window);
    Q_DISABLE_COPY_MOVE(Announcer)

    /// Says text to assistive technology.
    void announce(const QString &text);
    /// The last announcement.
    const QString &text() const { return m_text; }

private:
    QString m_text;
};

} // namespace Zuvi::Ui
