#include "ui/accessibility.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace Zuvi::Ui {

namespace {

/// The keys a control answers besides its own: Return runs an action, the Menu key and
/// Shift+F10 open the context menu. One filter per control holds both.
class KeyboardFilter final : public QObject
{
public:
    explicit KeyboardFilter(QWidget *control) : QObject(control), m_control(control)
    {
        setObjectName(QStringLiteral("zuviKeyboardFilter"));
        control->installEventFilter(this);
    }
    Q_DISABLE_COPY_MOVE(KeyboardFilter)

    static KeyboardFilter *of(QWidget *control)
    {
        auto *filter = control->findChild<KeyboardFilter *>(QStringLiteral("zuviKeyboardFilter"),
                                                            Qt::FindDirectChildrenOnly);
        return filter ? filter : new KeyboardFilter(control);
    }

    std::function<void()> returnAction;
    bool contextMenu = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_control || event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers modifiers =
            key->modifiers() & ~Qt::KeypadModifier & ~Qt::GroupSwitchModifier;
        if (returnAction && modifiers == Qt::NoModifier &&
            (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            returnAction();
            return true;
        }
        if (contextMenu && ((key->key() == Qt::Key_Menu && modifiers == Qt::NoModifier) ||
                            (key->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier))) {
            openMenu();
            return true;
        }
        return false;
    }

private:
    void openMenu()
    {
        // At the current item of a list, else in the middle of the control.
        QPoint at = m_control->rect().center();
        if (auto *list = qobject_cast<QAbstractItemView *>(m_control)) {
            const QRect item = list->visualRect(list->currentIndex());
            if (item.isValid())
                at = list->viewport()->mapTo(list, item.center());
        }
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, m_control->mapToGlobal(at));
        QApplication::sendEvent(m_control, &menu);
    }

    QWidget *m_control;
};

/// The accessible face of an Announcer: a status bar named by its last announcement.
class AccessibleAnnouncer final : public QAccessibleWidget
{
public:
    explicit AccessibleAnnouncer(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::StatusBar)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<const Announcer *>(widget())->text();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *announcerFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("Zuvi::Ui::Announcer") && object && object->isWidgetType())
        return new AccessibleAnnouncer(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

void speakAs(QWidget *control, const QString &name, const QString &description)
{
    control->setAccessibleName(name);
    if (!description.isEmpty())
        control->setAccessibleDescription(description);
    // An editable box takes the focus in its text field: the field speaks the same.
    if (auto *box = qobject_cast<QComboBox *>(control); box && box->lineEdit())
        speakAs(box->lineEdit(), name, description);
}

void speakAs(QWidget *control, QLabel *caption, const QString &name, QChar mnemonic,
             const QString &description)
{
    speakAs(control, name, description);
    caption->setBuddy(control);
    if (mnemonic.isNull())
        return;
    QString text = caption->text();
    const qsizetype at = text.indexOf(mnemonic);
    if (at >= 0 && !text.contains(QLatin1Char('&'))) {
        text.insert(at, QLatin1Char('&'));
        caption->setText(text);
    }
}

void onReturn(QWidget *control, std::function<void()> action)
{
    // An editable box has the focus itself or in its text field, as it was reached.
    if (auto *box = qobject_cast<QComboBox *>(control); box && box->lineEdit())
        KeyboardFilter::of(box->lineEdit())->returnAction = action;
    KeyboardFilter::of(control)->returnAction = std::move(action);
}

void returnClicksButtons(QWidget *window)
{
    const QList<QPushButton *> buttons = window->findChildren<QPushButton *>();
    for (QPushButton *button : buttons) {
        if (!button->autoDefault())
            onReturn(button, [button] {
                if (button->isEnabled())
                    button->click();
            });
    }
}

void keyboardContextMenu(QWidget *control)
{
    KeyboardFilter::of(control)->contextMenu = true;
}

Announcer::Announcer(QWidget *window) : QWidget(window)
{
    static const bool installed = [] {
        QAccessible::installFactory(announcerFactory);
        return true;
    }();
    Q_UNUSED(installed);
    setObjectName(QStringLiteral("Announcement"));
    // Shown, so that readers take it for part of the window, but without a pixel on screen.
    setGeometry(0, 0, 0, 0);
    setFocusPolicy(Qt::NoFocus);
}

void Announcer::announce(const QString &text)
{
    m_text = text;
    QAccessibleEvent changed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

} // namespace Zuvi::Ui
