#pragma once

class QListWidget;

namespace Zuvi::Ui {

/// The row the user has selected in a single-selection list, or -1 when none is.
/// A current row that is not selected (the keyboard cursor alone) does not count.
int selectedRow(const QListWidget *list);

/// Leaves the list with no selected row and no current row.
void clearSelection(QListWidget *list);

/// Removes the row at index and leaves nothing selected: Qt otherwise moves the current
/// row to a neighbour of the removed one.
void removeRowUnselected(QListWidget *list, int index);

/// A list box as the windows use them: single selection, uniform row heights (long
/// lists stay fast) and nothing selected.
void setUpListBox(QListWidget *list);

} // namespace Zuvi::Ui
