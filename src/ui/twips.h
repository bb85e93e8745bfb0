#pragma once

#include <QRect>

namespace Zuvi::Ui {

/// Converts a length in twips (1440 to the inch) to pixels at 96 dots per inch.
/// This is the one place where layout measures are divided by 15.
constexpr int twips(int value)
{
    return (value >= 0 ? value + 7 : value - 7) / 15;
}

/// A rectangle given in twips (left, top, width, height), in pixels.
constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

} // namespace Zuvi::Ui
