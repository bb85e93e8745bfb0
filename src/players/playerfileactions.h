#pragma once

#include <QList>
#include <QString>

#include <functional>

class QAction;
class QWidget;

namespace Zuvi::Players {

/// The two commands for a menu: "Import players…" (Ctrl+Shift+I) and "Export players…"
/// (Ctrl+Shift+X; Ctrl+Shift+E exports the tournament's documents), parented to parent,
/// their shortcuts active in the window of the widget
/// they are added to. Each handler runs under the application's error path: a file that
/// cannot be used is shown in the message box and changes nothing; a database failure is
/// fatal as everywhere else. afterImport runs after players were written, so that the
/// lists and records that show them can be refilled.
QList<QAction *> createPlayerFileActions(QWidget *parent, std::function<void()> afterImport);

/// Asks for a file to import (a preview follows), imports the new players with a
/// progress dialog that can cancel, reports the counts and calls afterImport.
void importPlayers(QWidget *parent, const std::function<void()> &afterImport);
/// Asks for a CSV file and writes every stored player to it.
void exportPlayers(QWidget *parent);

/// What the file dialogs are asked for.
enum class FileChoice { Import, Export };
/// Replaces the file dialogs by a function that returns the chosen path (empty: none),
/// for tests. An empty function restores the dialogs. Returns the one installed before.
using FileChooser = std::function<QString(QWidget *parent, FileChoice choice)>;
FileChooser setFileChooser(FileChooser chooser);

} // namespace Zuvi::Players
