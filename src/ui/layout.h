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

/// Shows every label in widget (its own, and those a standard dialog makes) as plain text,
/// so that a name typed with markup in it is shown as typed, never formatted.
void plainTextLabels(QWidget *widget);

/// A tool tip that shows text as typed: a tool tip is taken as rich text when it looks
/// like markup, so such a text is handed over escaped; any other text stays as it is.
QString plainToolTip(const QString &text);

/// Narrows the letter spacing of a word-wrapped label a little, where needed, so that its
/// whole text fits inside the label: the layouts were drawn for a narrower face than the
/// sans-serif faces of this platform.
void fitLabelText(QLabel *label);

/// Makes every caption of a window fit its control: each label, push button and check box
/// whose text does not fit inside its box with the current font gets a smaller point size,
/// in quarter points down to 70% of the size it was laid out with (which it keeps as a
/// property, so that a control whose text changes can be fitted again from that size). The
/// layouts were drawn for Liberation Sans; where another face stands in, no text is cut.
/// A check box whose box leaves no room for its caption is left alone: only its box shows.
void fitTexts(QWidget *window);

/// The property in which fitTexts() keeps a control's point size from before its first
/// fitting; controls without it were never made smaller.
inline constexpr char kDesignPointSize[] = "zuviDesignPointSize";

/// Fits the text of one label or button as fitTexts() does (after its text has changed).
void fitText(QWidget *control);

/// True when the text of a label or button fits inside its box with its current font
/// (always true for other widgets and for an empty text).
bool textFits(const QWidget *control);

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
