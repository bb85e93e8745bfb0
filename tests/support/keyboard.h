#pragma once

// Driving the windows from the keyboard alone: moving the focus with Tab, pressing keys on
// whatever has the focus, and a watch that no mouse event reached the application.

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

namespace Zuvi::Test {

/// The control that has the focus; an editable box counts as itself, not its text field.
inline QWidget *focusedControl()
{
    QWidget *focus = QApplication::focusWidget();
    if (auto *box = focus ? qobject_cast<QComboBox *>(focus->parentWidget()) : nullptr;
        box && static_cast<QWidget *>(box->lineEdit()) == focus)
        return box;
    return focus;
}

/// Presses a key on the control that has the focus; false when nothing has it.
[[nodiscard]] inline bool press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus)
        return false;
    QTest::keyClick(focus, key, modifiers);
    return true;
}

/// Types a text (ASCII) into the control that has the focus, replacing what it holds.
[[nodiscard]] inline bool typeOver(const QString &text)
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus)
        return false;
    QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(focus, Qt::Key_Delete);
    QTest::keyClicks(focus, text);
    return true;
}

/// Presses Tab until target (or its text field) has the focus; false when a whole round of
/// the window's tab chain never reaches it.
[[nodiscard]] inline bool tabTo(QWidget *target)
{
    for (int step = 0; step < 40; ++step) {
        if (focusedControl() == target)
            return true;
        if (!press(Qt::Key_Tab))
            return false;
    }
    return focusedControl() == target;
}

/// Counts the mouse events the application receives while it lives.
class MouseWatch final : public QObject
{
public:
    MouseWatch() { qApp->installEventFilter(this); }
    ~MouseWatch() override { qApp->removeEventFilter(this); }
    Q_DISABLE_COPY_MOVE(MouseWatch)

    int events() const { return m_events; }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            ++m_events;
            break;
        default:
            break;
        }
        return false;
    }

private:
    int m_events = 0;
};

} // namespace Zuvi::Test
