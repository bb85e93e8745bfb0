#include "playereditor/playerinfo.h"

#include "core/errorpath.h"
#include "data/displayname.h"
#include "data/dberror.h"
#include "data/installfolder.h"
#include "data/playercountrystore.h"
#include "playereditor/birthday.h"
#include "playereditor/datacontrol.h"
#include "playereditor/findplayerdialog.h"
#include "playereditor/recordrefusal.h"
#include "players/playerfileactions.h"
#include "tournament/storechoice.h"
#include "ui/accessibility.h"
#include "ui/fonts.h"
#include "ui/layout.h"
#include "ui/messagebox.h"
#include "ui/twips.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QSqlRecord>

#include <limits>
#include <string_view>

namespace Zuvi {

using Core::guarded;
using Ui::place;

namespace {

// The colour of the card's ground, of the boxes printed on it and of the label that
// blanks out the "_No" of the card.
const QColor kCardGround(230, 230, 230);

// The card's controls keep the look the card was drawn for: the password box masks with
// "*", and the check box is exactly the size of its 13-pixel control.
class CardStyle final : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

    int pixelMetric(PixelMetric metric, const QStyleOption *option,
                    const QWidget *widget) const override
    {
        if (metric == PM_IndicatorWidth || metric == PM_IndicatorHeight)
            return Ui::twips(195);
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

QString instructions()
{
    const auto blanks = [](int count) { return QString(count, QLatin1Char(' ')); };
    return QStringLiteral("Click the Add button to create a new entry in the database.") +
           blanks(26) +
           QStringLiteral("Click the Update button to update the database with any new "
                          "information you've entered.") +
           blanks(23) + QStringLiteral("Click the Delete button to delete an entire entry.") +
           blanks(26) +
           QStringLiteral(
               "Click the Refresh button to refresh the database information and screen.") +
           blanks(36) +
           QStringLiteral("Click the Close button to close this database editing window.") +
           blanks(28) + QStringLiteral("Move between records using arrow buttons.");
}

} // namespace

PlayerInfo::PlayerInfo() : QWidget(nullptr)
{
    setObjectName(QStringLiteral("PlayerInfo"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A sizable tool window: a small caption bar with the close box only, and no button
    // on the task bar.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    // Qt lets a tool window close with the last main window; this one is a window of its
    // own: the application goes on while it is open, even after the registration window
    // was closed, and ends only when it closes too.
    setAttribute(Qt::WA_QuitOnClose, true);
    setWindowTitle(QStringLiteral("Input Player Information"));
    setFont(Ui::defaultFont());
    resize(Ui::twips(9180), Ui::twips(5880));
    m_card.load(QStringLiteral(":/card.png"));
    buildControls();
    // The country is kept in a table of its own, keyed by the player's id.
    m_adodc1->setCompanion({QStringLiteral("Country"), Data::PlayerCountryStore::tableName(),
                            Data::PlayerCountryStore::keyColumn(),
                            Data::PlayerCountryStore::valueColumn()});
    m_adodc1->setWriteCheck([](QSqlRecord &values) { checkRecord(values); });
    // On a shared tournament the stored players are the server's.
    m_adodc1->setServer(storeChoice().server, storeChoice().stationName());
    m_adodc1->open(Data::playersDatabase(), QStringLiteral("PlayerInfo"));
    // Finding a player, and import and export of player files, on the card's context menu
    // with their shortcuts. After an import the records are read anew and the lists of
    // stored players refilled.
    m_findAction = new QAction(QStringLiteral("&Find…"), this);
    m_findAction->setObjectName(QStringLiteral("FindPlayer"));
    m_findAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    m_findAction->setShortcutContext(Qt::WindowShortcut);
    connect(m_findAction, &QAction::triggered, this, guarded([this] { openFind(); }));
    addAction(m_findAction);
    // The club's history and the record of the player shown.
    auto *history = new QAction(QStringLiteral("&History…"), this);
    history->setObjectName(QStringLiteral("EditorHistory"));
    history->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    connect(history, &QAction::triggered, this, guarded([this] { Q_EMIT historyRequested(); }));
    auto *record = new QAction(QStringLiteral("Player's &record…"), this);
    record->setObjectName(QStringLiteral("EditorPlayerRecord"));
    record->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    connect(record, &QAction::triggered, this, guarded([this] {
                // A record not yet written has no history.
                const qint64 id = m_adodc1->storedValue(QStringLiteral("ID")).toLongLong();
                if (id <= 0 || m_adodc1->isNewRecord()) {
                    Ui::message(this, QStringLiteral("Please select a player"));
                    return;
                }
                Q_EMIT recordRequested(
                    id,
                    displayName(m_adodc1->storedValue(QStringLiteral("Last Name")).toString(),
                                m_adodc1->storedValue(QStringLiteral("First Name")).toString()));
            }));
    for (QAction *action : {history, record}) {
        action->setShortcutContext(Qt::WindowShortcut);
        action->setShortcutVisibleInContextMenu(true);
        addAction(action);
    }
    addActions(m_adodc1->navigationActions());
    addActions(Players::createPlayerFileActions(this, [this] {
        runCommand([this] { m_adodc1->refresh(); });
        Q_EMIT playersChanged();
    }));
    setContextMenuPolicy(Qt::ActionsContextMenu);
    Ui::fitTexts(this);
}

PlayerInfo::~PlayerInfo() = default;

QLineEdit *PlayerInfo::cardBox(const char *name, int left, int top, int width)
{
    auto *box = place(new QLineEdit(this), name, left, top, width, 195);
    box->setFont(Ui::sansFont(8.25, true));
    // No frame and no margins: a whole line of bold text fits the 13-pixel box, which
    // blends into the card.
    box->setFrame(false);
    box->setTextMargins(0, 0, 0, 0);
    box->setMaxLength(std::numeric_limits<int>::max());
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, kCardGround);
    box->setPalette(palette);
    return box;
}

void PlayerInfo::buildControls()
{
    struct Bound
    {
        const char *name;
        const char *column;
        int left, top, width;
    };
    const Bound first[] = {
        {"FirstName", "First Name", 1320, 120, 2655},
        {"LastName", "Last Name", 5400, 120, 2295},
        {"Email", "Email", 840, 600, 3015},
        {"PhoneNumber", "Phone", 4920, 600, 2775},
        {"StreetAddress", "Address", 1020, 1020, 4575},
        {"City", "City", 600, 1500, 3255},
        {"State", "State", 4800, 1500, 2835},
        {"Zip", "Zip", 540, 1920, 3255},
    };
    const Bound rest[] = {
        {"Webpage", "Webpage", 1200, 2400, 3315},     {"Username1", "Username1", 2220, 2820, 1575},
        {"Username2", "Username2", 2220, 3300, 1635}, {"Username3", "Username3", 2220, 3720, 1635},
        {"Birthday", "Birthday", 1020, 4200, 2535},   {"Password", "Password", 5280, 2820, 2295},
    };

    m_adodc1 = place(new DataControl(this), "Adodc1", 0, 5220, 7875, 375);

    QList<QWidget *> tabOrder;
    const auto addBound = [&](const Bound &bound) {
        QLineEdit *box = cardBox(bound.name, bound.left, bound.top, bound.width);
        m_adodc1->bind(box, QString::fromLatin1(bound.column));
        tabOrder.append(box);
        return box;
    };
    for (const Bound &bound : first)
        addBound(bound);
    // Country is kept beside the record, in a table of its own.
    m_country = cardBox("Country", 5100, 1920, 2535);
    m_adodc1->bind(m_country, QStringLiteral("Country"));
    tabOrder.append(m_country);
    QLineEdit *password = nullptr;
    for (const Bound &bound : rest)
        password = addBound(bound);
    password->setEchoMode(QLineEdit::Password);
    password->setStyle(new CardStyle);
    password->style()->setParent(password);

    const struct
    {
        const char *name;
        const char *caption;
        int left, width;
        void (PlayerInfo::*command)();
    } commands[] = {
        {"cmdAdd", "&Add", 0, 1635, &PlayerInfo::cmdAdd},
        {"cmdUpdate", "&Update", 1680, 1515, &PlayerInfo::cmdUpdate},
        {"cmdDelete", "&Delete", 3240, 1515, &PlayerInfo::cmdDelete},
        {"cmdRefresh", "&Refresh", 4800, 1515, &PlayerInfo::cmdRefresh},
        {"cmdClose", "&Close", 6360, 1515, nullptr},
    };
    for (const auto &command : commands) {
        auto *button = place(new QPushButton(QString::fromLatin1(command.caption), this),
                             command.name, command.left, 5580, command.width, 300);
        tabOrder.append(button);
        if (command.command)
            connect(button, &QPushButton::clicked, this,
                    guarded([this, step = command.command] { (this->*step)(); }));
        else
            connect(button, &QPushButton::clicked, this, guarded([this] { close(); }));
    }

    // Only the box of the check box shows; its caption lies outside its 195 twips.
    m_check1 = place(new QCheckBox(QStringLiteral("Check1"), this), "Check1", 2700, 4860, 195, 195);
    m_check1->setStyle(new CardStyle);
    m_check1->style()->setParent(m_check1);
    m_adodc1->bind(m_check1, QStringLiteral("Allow Email"));
    tabOrder.append(m_check1);

    auto *label1 = place(new QLabel(this), "Label1", 3360, 4800, 495, 315);
    Ui::styleLabel(label1, false);
    QPalette palette = label1->palette();
    palette.setColor(label1->backgroundRole(), kCardGround);
    label1->setPalette(palette);

    auto *label2 = place(new QLabel(instructions(), this), "Label2", 7920, 0, 1215, 5895);
    Ui::styleLabel(label2, false);

    // What a screen reader says for each box: the card shows the captions in its picture.
    const std::pair<const char *, QString> spoken[] = {
        {"FirstName", QStringLiteral("First name")},
        {"LastName", QStringLiteral("Last name")},
        {"Email", QStringLiteral("E-mail")},
        {"PhoneNumber", QStringLiteral("Phone number")},
        {"StreetAddress", QStringLiteral("Street address")},
        {"City", QStringLiteral("City")},
        {"State", QStringLiteral("State")},
        {"Zip", QStringLiteral("Zip code")},
        {"Country", QStringLiteral("Country")},
        {"Webpage", QStringLiteral("Web page")},
        {"Username1", QStringLiteral("Username 1")},
        {"Username2", QStringLiteral("Username 2")},
        {"Username3", QStringLiteral("Username 3")},
        {"Birthday", QStringLiteral("Birthday")},
        {"Password", QStringLiteral("Password")},
        {"Check1", QStringLiteral("Allow e-mail")},
        {"Adodc1", QStringLiteral("Player records")},
    };
    for (const auto &[name, text] : spoken) {
        if (auto *control = findChild<QWidget *>(QLatin1String(name)))
            Ui::speakAs(control, text,
                        name == std::string_view("Adodc1") ? label2->text() : QString());
    }
    // Return on a button clicks it, as the space bar does.
    Ui::returnClicksButtons(this);

    Ui::setTabChain(tabOrder);
    tabOrder.first()->setFocus();

    connect(m_adodc1, &DataControl::moveComplete, this, guarded([this] { showPosition(); }));
}

void PlayerInfo::showPosition()
{
    m_adodc1->setCaption(QStringLiteral("Record: ") +
                         QString::number(m_adodc1->absolutePosition()));
}

void PlayerInfo::paintEvent(QPaintEvent *)
{
    // The card at its own size from the top left; the rest stays the window colour.
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_card);
}

void PlayerInfo::runCommand(const std::function<void()> &steps)
{
    try {
        steps();
    } catch (const Failure &error) {
        // A database failure, the server's, or the record refused.
        Ui::message(this, error.description());
    }
}

void PlayerInfo::cmdAdd()
{
    runCommand([this] { m_adodc1->addNew(); });
}

void PlayerInfo::cmdUpdate()
{
    runCommand([this] { m_adodc1->updateBatch(); });
}

void PlayerInfo::showPlayer(qint64 playerId)
{
    runCommand([this, playerId] {
        if (m_adodc1->isOpen())
            m_adodc1->moveToId(playerId);
    });
}

void PlayerInfo::checkRecord(QSqlRecord &values)
{
    const auto blank = [&values](const QString &column) {
        return values.value(column).toString().trimmed().isEmpty();
    };
    const QString first = QStringLiteral("First Name");
    const QString last = QStringLiteral("Last Name");
    if (values.contains(first) && values.contains(last) && blank(first) && blank(last))
        throw RecordRefusal(QStringLiteral("Please enter a first or a last name."));
    // Only a birthday typed since the record was read is checked: a stored value that is no
    // date stays as it is.
    const int birthday = values.indexOf(QStringLiteral("Birthday"));
    if (birthday >= 0 && values.isGenerated(birthday)) {
        const QLocale locale = QLocale::system();
        const QDate today = QDate::currentDate();
        const std::optional<QString> date =
            storedBirthday(values.value(birthday).toString(), locale, today);
        if (!date)
            throw RecordRefusal(birthdayRefusal(locale));
        if (birthdayAfterToday(*date, today))
            throw RecordRefusal(futureBirthdayRefusal(locale, today));
        values.setValue(birthday, *date);
    }
}

QString PlayerInfo::deleteQuestion() const
{
    const QString last = m_adodc1->storedValue(QStringLiteral("Last Name")).toString();
    const QString first = m_adodc1->storedValue(QStringLiteral("First Name")).toString();
    if (last.trimmed().isEmpty() && first.trimmed().isEmpty())
        return QStringLiteral("Delete this record from the stored players? This cannot be "
                              "undone.");
    // The display name the stored players' list shows: last name, first name.
    return QStringLiteral("Delete %1, %2 from the stored players? This cannot be undone.")
        .arg(last, first);
}

void PlayerInfo::openFind()
{
    if (!m_find) {
        m_find = new FindPlayerDialog(this);
        connect(m_find, &FindPlayerDialog::findNext, this, guarded([this] { findNext(); }));
    }
    m_find->show();
    m_find->raise();
    m_find->activateWindow();
}

void PlayerInfo::findNext()
{
    if (!m_find)
        return;
    const QString text = m_find->text().trimmed();
    if (text.isEmpty())
        return;
    runCommand([this, &text] {
        const bool found = m_adodc1->findNext(
            {QStringLiteral("First Name"), QStringLiteral("Last Name"), QStringLiteral("Email")},
            text);
        if (!found)
            Ui::message(this, QStringLiteral("No stored player matches \"%1\".").arg(text));
    });
}

void PlayerInfo::cmdDelete()
{
    runCommand([this] {
        // A stored record goes for good: the organiser says so first. A new record not yet
        // written only leaves the window.
        if (m_adodc1->absolutePosition() > 0 && !m_adodc1->isNewRecord() &&
            !Ui::ask(this, deleteQuestion(), Ui::DefaultAnswer::No))
            return;
        m_adodc1->deleteCurrent();
        m_adodc1->moveNext();
        if (m_adodc1->isEof())
            m_adodc1->moveLast();
    });
}

void PlayerInfo::cmdRefresh()
{
    runCommand([this] { m_adodc1->refresh(); });
}

void PlayerInfo::closeEvent(QCloseEvent *event)
{
    bool written = false;
    Core::runGuarded([&] {
        try {
            m_adodc1->leaveRecord();
            written = true;
        } catch (const Failure &error) {
            Ui::message(this, error.description());
        }
    });
    if (!written && !Core::isEnding()) {
        event->ignore();
        return;
    }
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    Q_EMIT playersChanged();
    event->accept();
}

} // namespace Zuvi
