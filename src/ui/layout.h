#pragma once

#include <QList>
#include <QString>

class QFrame;
class QLabel;
class QWidget;

namespace Zuvi::Ui {

/// Names a control, places it at a rectangle given in twips and returns it.
template <typename W>
W *place(W *widget, const char *objectName, int left, int top, int width, int height);

/// Gives a label the look of the windows' labels: opaque in the standard control colour,
/// word-wrapped, text at the top left, with an optional single-line border.
void styleLabel(QLabel *label, bool border);

/// Narrows the letter spacing of a word-wrapped label a little, where needed, so that its
/// whole text fits inside the label: the layouts were drawn for a narrower face than the
/// sans-serif faces of this platform.
void fitLabelText(QLabel *label);

/// Chains the focus order of the controls in the order given.
void setTabChain(const QList<QWidget *> &controls);

void placeWidget(QWidget *widget, const char *objectName, int left, int top, int width, int height);

template <typename W>
W *place(W *widget, const char *objectName, int left, int top, int width, int height)
{
    placeWidget(widget, objectName, left, top, width, height);
    return widget;
}

} // namespace Zuvi::Ui
