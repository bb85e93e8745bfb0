#include "registration/throne.h"

#include "app/errorpath.h"
#include "data/dbconnection.h"
#include "data/installfolder.h"
#include "data/statements.h"
#include "playereditor/playerinfo.h"
#include "registration/displayname.h"
#include "round/numbertext.h"
#include "round/tournament.h"
#include "ui/apptitle.h"
#include "ui/fonts.h"
#include "ui/layout.h"
#include "ui/listutil.h"
#include "ui/messagebox.h"
#include "ui/twips.h"

#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>

namespace Zuvi {

using App::guarded;
using Ui::place;

Throne::Throne(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("throne"));
    setWindowTitle(Ui::appTitle());
    setFont(Ui::defaultFont());
    resize(Ui::twips(9120), Ui::twips(5835));
    m_background.load(QStringLiteral(":/marble.png"));
    buildControls();
    load();
}

Throne::~Throne()
{
    // The round window and the player editor are windows of their own that use this
    // window's members; they cannot outlive it.
    delete m_tournament.data();
    delete m_playerEditor.data();
}

void Throne::buildControls()
{
    m_playerLabel = place(new QLabel(QStringLiteral(" Stored Players"), this), "PlayerLabel", 60,
                          60, 2295, 315);
    Ui::styleLabel(m_playerLabel, true);
    m_playerLabel->setFont(Ui::sansFont(9.75, true));

    m_storedPlayers = place(new QListWidget(this), "StoredPlayers", 60, 420, 2295, 4545);
    m_command1 = place(new QPushButton(QStringLiteral("Edit Player Database"), this), "Command1",
                       60, 4980, 2295, 375);

    auto *label2 = place(
        new QLabel(QStringLiteral("Click Edit Player Database to add or remove entries above."),
                   this),
        "Label2", 60, 5400, 2355, 435);
    Ui::styleLabel(label2, true);
    Ui::fitLabelText(label2);

    m_house = place(new QComboBox(this), "House", 2400, 120, 2115, 315);
    m_house->setEditable(true);
    m_house->setInsertPolicy(QComboBox::NoInsert);
    // The house is taken exactly as typed: no completion may turn "Star" into "Stark".
    m_house->setCompleter(nullptr);
    m_house->addItems({QStringLiteral("Baratheon"), QStringLiteral("Greyjoy"),
                       QStringLiteral("Lannister"), QStringLiteral("Stark")});
    m_house->setCurrentIndex(-1);
    m_house->setEditText(QStringLiteral("House"));

    m_addTourny = place(new QPushButton(QStringLiteral("Add To Tournament"), this), "AddTourny",
                        2400, 480, 2115, 495);
    m_removeTourny = place(new QPushButton(QStringLiteral("Remove From Tournament"), this),
                           "RemoveTourny", 2400, 1020, 2115, 495);

    auto *label3 = place(
        new QLabel(QStringLiteral(
                       "Click on your name in the list on the left, choose which house you will "
                       "play from the drop down box in the middle, and then click on Add To "
                       "Tournament.  If you want to remove your name from the tournament, click "
                       "on it in the list to the right and click on Remove From Tournament."),
                   this),
        "Label3", 2460, 1740, 1995, 2235);
    Ui::styleLabel(label3, true);
    Ui::fitLabelText(label3);

    auto *roundsLbl = place(new QLabel(QStringLiteral("Number of Rounds"), this), "RoundsLbl", 2400,
                            4200, 2115, 315);
    Ui::styleLabel(roundsLbl, true);
    roundsLbl->setFont(Ui::sansFont(9.75, true));
    roundsLbl->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    m_rounds = place(new QLineEdit(this), "Rounds", 2820, 4560, 1215, 375);
    m_rounds->setFont(Ui::sansFont(9.75, true));
    m_rounds->setAlignment(Qt::AlignCenter);

    auto *tournyLabel = place(new QLabel(QStringLiteral(" Tournament Players"), this),
                              "TournyLabel", 4560, 60, 2235, 315);
    Ui::styleLabel(tournyLabel, true);
    tournyLabel->setFont(Ui::sansFont(9.75, true));
    m_tournyPlayers = place(new QListWidget(this), "TournyPlayers", 4560, 420, 2235, 4545);

    auto *houseLabel =
        place(new QLabel(QStringLiteral(" House"), this), "HouseLabel", 6780, 60, 1515, 315);
    Ui::styleLabel(houseLabel, true);
    houseLabel->setFont(Ui::sansFont(9.75, true));
    m_playerHouses = place(new QListWidget(this), "PlayerHouses", 6780, 420, 1515, 4545);

    auto *label1 = place(new QLabel(QStringLiteral(" Score"), this), "Label1", 8280, 60, 795, 315);
    Ui::styleLabel(label1, true);
    label1->setFont(Ui::sansFont(9.75, true));
    m_playerScores = place(new QListWidget(this), "PlayerScores", 8280, 420, 795, 4545);

    m_startButton = place(new QPushButton(QStringLiteral("Start Tournament"), this), "StartButton",
                          4560, 4980, 4515, 375);
    m_startButton->setFont(Ui::sansFont(12, true));

    auto *label4 = place(new QLabel(QStringLiteral("Once all players have been added to the "
                                                   "tournament, and the Number of Rounds has "
                                                   "been filled in, click Start Tournament"),
                                    this),
                         "Label4", 4560, 5400, 4515, 435);
    Ui::styleLabel(label4, true);
    Ui::fitLabelText(label4);

    for (QListWidget *list : {m_storedPlayers, m_tournyPlayers, m_playerHouses, m_playerScores})
        Ui::setUpListBox(list);

    // Labels never take the focus; the controls follow their tab indices.
    Ui::setTabChain({m_storedPlayers, m_command1, m_addTourny, m_tournyPlayers, m_removeTourny,
                     m_house, m_playerHouses, m_startButton, m_playerScores, m_rounds});
    m_storedPlayers->setFocus();

    connect(m_addTourny, &QPushButton::clicked, this, guarded([this] { addEntrant(); }));
    connect(m_removeTourny, &QPushButton::clicked, this, guarded([this] { removeEntrant(); }));
    connect(m_startButton, &QPushButton::clicked, this, guarded([this] { start(); }));
    connect(m_command1, &QPushButton::clicked, this, guarded([this] { openPlayerEditor(); }));
}

void Throne::load()
{
    FillNames();
    m_tournyPlayers->clear();
    m_playerHouses->clear();
    m_playerScores->clear();
    m_roundcounter = 1;
    m_randomFirst = 0;
}

void Throne::paintEvent(QPaintEvent *)
{
    // The marble picture at its own size from the top left; the rest stays window colour.
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_background);
}

void Throne::FillNames()
{
    m_storedPlayers->clear();
    QStringList names;
    {
        Data::DbConnection connection(Data::playersDatabase());
        // The display name is put together from the stored bytes and decoded once.
        QByteArray name;
        connection.readRows(Data::Sql::selectPlayers(), [&](const Data::RowView &row) {
            if (row.isNumber(0) || row.isNumber(1)) {
                names.append(displayName(row.text(1), row.text(0)));
                return;
            }
            name.clear();
            name.append(row.utf8(1));
            name.append(displayNameSeparator());
            name.append(row.utf8(0));
            names.append(QString::fromUtf8(name));
        });
    }
    m_storedPlayers->addItems(names);
}

void Throne::addEntrant()
{
    const int row = Ui::selectedRow(m_storedPlayers);
    if (row < 0) {
        Ui::message(this, QStringLiteral("Please select a player to add"));
        return;
    }
    const QString house = m_house->currentText();
    if (house == QStringLiteral("House")) {
        Ui::message(this, QStringLiteral("Please select a house to play"));
        return;
    }
    const QString name = m_storedPlayers->item(row)->text();
    for (int i = 0; i < m_tournyPlayers->count(); ++i) {
        if (m_tournyPlayers->item(i)->text() == name) {
            Ui::message(this, QStringLiteral("That player is already in the tournament."));
            return;
        }
    }
    m_tournyPlayers->addItem(name);
    m_playerHouses->addItem(house);
    m_playerScores->addItem(QStringLiteral("0(0)"));
}

void Throne::removeEntrant()
{
    const int row = Ui::selectedRow(m_tournyPlayers);
    if (row < 0) {
        Ui::message(this, QStringLiteral("Please select a player to remove"));
        return;
    }
    // The three lists are parallel: the same row goes from each, the entrant list last.
    if (row < m_playerScores->count())
        delete m_playerScores->takeItem(row);
    if (row < m_playerHouses->count())
        delete m_playerHouses->takeItem(row);
    Ui::removeRowUnselected(m_tournyPlayers, row);
}

void Throne::start()
{
    // Only a whole number of rounds counts; anything else is refused before anything is
    // written or opened.
    const std::optional<qint16> rounds = Round::parseRounds(m_rounds->text());
    if (!rounds || *rounds < 0) {
        Ui::message(this, QStringLiteral("Please enter the number of rounds"));
        return;
    }
    if (*rounds == m_roundcounter - 1) {
        Ui::message(this, QStringLiteral("The tournament is over!"));
        return;
    }
    StoreTournament();

    // One round window at most: a second click brings the open one to the front.
    if (!tournament()) {
        m_tournament = new Tournament(this);
        placeBeside(m_tournament);
    }
    m_tournament->show();
    m_tournament->raise();
    m_tournament->activateWindow();
}

void Throne::placeBeside(QWidget *window) const
{
    // To the right of this window where the screen has room; else where the system puts it.
    const QScreen *screen = this->screen();
    if (!screen || !isVisible())
        return;
    const QRect frame = frameGeometry();
    const QRect wanted(QPoint(frame.right() + 1, frame.top()), window->frameGeometry().size());
    if (screen->availableGeometry().contains(wanted))
        window->move(wanted.topLeft());
}

void Throne::openPlayerEditor()
{
    if (!m_playerEditor)
        m_playerEditor = new PlayerInfo(this);
    m_playerEditor->show();
    m_playerEditor->raise();
    m_playerEditor->activateWindow();
}

void Throne::StoreTournament()
{
    // The standings are written once, at the first start.
    if (m_randomFirst != 0)
        return;
    // The old standings go and the entrants come in one transaction: a failure part-way
    // leaves the previous table as it was.
    Data::DbConnection connection(Data::tournyDatabase());
    connection.begin();
    ClearTournament(connection);
    QList<QVariantList> entrants;
    entrants.reserve(m_tournyPlayers->count());
    for (int i = 0; i < m_tournyPlayers->count(); ++i) {
        const QString house =
            i < m_playerHouses->count() ? m_playerHouses->item(i)->text() : QStringLiteral("");
        entrants.append({m_tournyPlayers->item(i)->text(), house});
    }
    connection.execForEach(Data::Sql::insertEntrant(), entrants);
    connection.commit();
}

void Throne::ClearTournament(Data::DbConnection &connection)
{
    connection.exec(Data::Sql::deleteStandings());
}

Tournament *Throne::tournament() const
{
    return m_tournament && !m_tournament->roundEnded() ? m_tournament.data() : nullptr;
}

PlayerInfo *Throne::playerEditor() const
{
    return m_playerEditor;
}

Throne::RandomSource Throne::randomSource() const
{
    if (m_randomSource)
        return m_randomSource;
    auto generator = std::make_shared<QRandomGenerator>(
        quint32(QDateTime::currentMSecsSinceEpoch() & 0xffffffff));
    return [generator] { return generator->generateDouble(); };
}

} // namespace Zuvi
