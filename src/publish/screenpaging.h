#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

/// The big screen's rules, free of widgets: how many rows fit, which rows a page shows, how
/// the pages turn, and the colour of the clock.
namespace Zuvi::Publish {

/// How a list is laid out on the big screen: rows of a fixed height in one or more columns.
struct PageLayout
{
    int columns = 1;
    int rowsPerColumn = 1;
    int rowsPerPage() const { return columns * rowsPerColumn; }
};

/// The layout for a list area of the given size in pixels: as many rows of rowHeight as
/// the height holds (at least one) and as many columns of at least minColumnWidth as the
/// width holds (at least one, at most maxColumns).
PageLayout pageLayout(int width, int height, int rowHeight, int minColumnWidth, int maxColumns);

/// The number of pages a list of rows takes (at least one: an empty list is one empty page).
int pageCount(int rows, int rowsPerPage);

/// The page shown after page current: the next, or the first after the last.
int nextPage(int current, int pages);

/// The page to keep showing when the list changes to pages pages: the same page while it
/// still exists, else the first.
int keptPage(int current, int pages);

/// Where the big screen's frame goes on a screen it shares with the organiser's windows
/// (their frames in organiser), within available (the screen's area without its panels):
/// beside them, in the largest free strip to their right, below, to their left or above
/// (in that order where two are as large), at the preferred size or as much of it as the
/// strip holds, and never smaller than minimum. Where no strip holds the minimum, the
/// minimum size in the corner of the screen that covers the least of them.
QRect placeBeside(const QRect &available, const QList<QRect> &organiser, const QSize &preferred,
                  const QSize &minimum);

/// Seconds between two pages.
inline constexpr int kPageSeconds = 15;

/// The colours of the clock.
enum class ClockTone {
    Normal, ///< more than five minutes left, or the clock has not run out
    Amber,  ///< the last five minutes
    Red,    ///< the count has run out
};

/// The seconds a clock caption ("01:05:09", minutes may exceed 59 as in "00:90:00") stands
/// for, or nothing for a text that is not such a caption.
std::optional<int> captionSeconds(const QString &caption);

/// Follows the captions the round clock shows, one after another, and tells its colour.
/// The clock shows 00:00:01 and then 00:00:00 when it runs out; any other way to 00:00:00
/// (a new round window, a clock never started) is not running out and stays Normal.
class ClockWatch final
{
public:
    /// Takes the next caption and returns the colour to show it in.
    ClockTone feed(const QString &caption);
    /// Starts over, as for a new round: the next 00:00:00 is not a run-out.
    void reset();
    ClockTone tone() const { return m_tone; }

private:
    std::optional<int> m_lastSeconds;
    ClockTone m_tone = ClockTone::Normal;
};

/// The colour for a number of seconds left: Amber from 5:00 down to 0:01, Red at 0 once
/// the clock has run out, Normal otherwise.
ClockTone clockTone(int secondsLeft, bool ranOut);

} // namespace Zuvi::Publish
