#pragma once

class QAbstractItemView;
class QListView;

namespace Zuvi::Ui {

/// The row the user has selected in a single-selection list, or -1 when none is.
/// A current row that is not selected (the keyboard cursor alone) does not count.
int selectedRow(const QAbstractItemView *list);

/// Selects a row and makes it current, as a click does; -1 leaves nothing selected.
void selectRow(QAbstractItemView *list, int row);

/// Leaves the list with no selected row and no current row.
void clearSelection(QAbstractItemView *list);

/// The number of rows a list shows.
int rowCount(const QAbstractItemView *list);

/// A list box as the windows use them: single selection, uniform row heights (long
/// lists stay fast), no horizontal scroll bar and nothing selected.
void setUpListBox(QListView *list);

} // namespace Zuvi::Ui
