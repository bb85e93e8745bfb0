#pragma once

// Driving the windows as an organiser does: registering entrants, starting rounds, choosing
// results, recording games and opening the player editor.

#include "support/testsupport.h"

#include "playereditor/playerinfo.h"
#include "registration/throne.h"
#include "roundwindow/tournament.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace Zuvi::Test {

/// A stored player who enters the tournament with a house.
struct Entrant
{
    QString first;
    QString last;
    QString house;

    QString name() const { return last + QStringLiteral(", ") + first; }
};

/// Stores the players and builds the registration window over them.
inline void storePlayers(const TempInstall &install, const QList<Entrant> &entrants)
{
    QList<std::pair<QString, QString>> players;
    for (const Entrant &entrant : entrants)
        players.append({entrant.first, entrant.last});
    install.addPlayers(players);
}

/// Types a text at the cursor of a box, one key press a character. QTest's own typing
/// takes Latin-1 only: here a character outside ASCII arrives as the text of one key
/// event, as an input method delivers it (a character beyond 16 bits as its pair).
inline void typeText(QWidget *box, const QString &text)
{
    const QList<uint> characters = text.toUcs4();
    for (const uint ch : characters) {
        if (ch < 0x80) {
            QTest::keyClick(box, char(ch));
        } else {
            const char32_t character = ch;
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown,
                                QString::fromUcs4(&character, 1), Qt::NoModifier);
        }
    }
}

/// Replaces the text of a box as a user does: select all, then type (or delete).
inline void setText(QLineEdit *field, const QString &text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    typeText(field, text);
}

template <typename W> W *control(const QWidget &window, const char *name)
{
    W *widget = window.findChild<W *>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

inline void click(const QWidget &window, const char *name)
{
    QTest::mouseClick(control<QPushButton>(window, name), Qt::LeftButton);
}

/// Registers the stored player at a row of the stored players' list with a house: selects
/// the row, types the house and clicks the add button.
inline void registerEntrant(Throne &throne, int storedRow, const QString &house)
{
    clickRow(throne.StoredPlayers(), storedRow);
    setText(throne.House()->lineEdit(), house);
    click(throne, "AddTourny");
}

/// Registers the stored players at rows 0 to entrants.size() - 1, each with its house.
inline void registerEntrants(Throne &throne, const QList<Entrant> &entrants)
{
    for (int i = 0; i < entrants.size(); ++i)
        registerEntrant(throne, i, entrants.at(i).house);
}

/// Opens the player editor through the registration window's button.
inline PlayerInfo *openEditor(Throne &throne)
{
    click(throne, "Command1");
    return throne.playerEditor();
}

/// Draws the first entrant left each time: the pairing follows the registration order.
inline double firstEntrant()
{
    return 0.0;
}

/// Types the number of rounds and clicks the start button; returns the open round window.
inline Tournament *start(Throne &throne, const QString &rounds)
{
    setText(throne.Rounds(), rounds);
    click(throne, "StartButton");
    return throne.tournament();
}

/// The round windows that exist and have not ended their round.
inline int openRoundWindows()
{
    int count = 0;
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (auto *round = qobject_cast<Tournament *>(window); round && !round->roundEnded())
            ++count;
    }
    return count;
}

/// Chooses an entry of a combo box's list with the mouse, as a user does.
inline void chooseEntry(QComboBox *combo, const QString &text)
{
    const int index = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        qFatal("no entry %s", qPrintable(text));
    combo->showPopup();
    QAbstractItemView *view = combo->view();
    const QRect rect = view->visualRect(view->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
}

/// One game as the organiser records it: select game row, choose player 1's result (an
/// empty result leaves the field as it is), type both powers, click "Game Over".
inline void recordGame(Tournament &round, int row, const QString &result, const QString &power1,
                       const QString &power2)
{
    clickRow(round.MatchList1(), row);
    if (!result.isEmpty())
        chooseEntry(control<QComboBox>(round, "Player1Win"), result);
    setText(control<QLineEdit>(round, "Player1Power"), power1);
    setText(control<QLineEdit>(round, "Player2Power"), power2);
    click(round, "GameDone");
}

/// Runs fn once the modal dialog named name is open, then closes it.
void whenDialogOpens(const char *name, std::function<void(QDialog &)> fn)
{
    QTimer::singleShot(0, qApp, [name, fn = std::move(fn)] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != QLatin1String(name)) {
            QTest::qFail(
                qPrintable(QStringLiteral("dialog %1 did not open").arg(QLatin1String(name))),
                __FILE__, __LINE__);
            if (dialog)
                dialog->reject();
            return;
        }
        fn(*dialog);
        dialog->reject();
    });
}

/// The standings table as (name, score, power) rows in the order of the names.
inline QList<QVariantList> standingsByName(const TempInstall &install)
{
    return install.rows(QStringLiteral("Tourny"),
                        QStringLiteral("SELECT Name, Score, Power FROM TournyInfo ORDER BY Name"));
}

} // namespace Zuvi::Test
