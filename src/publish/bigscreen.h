#pragma once

#include "publish/documents.h"
#include "publish/screenpaging.h"
#include "publish/snapshot.h"

#include <QPointer>
#include <QImage>
#include <QTimer>
#include <QWidget>

class QPainter;

namespace Zuvi {
class TournamentProgress;
}

namespace Zuvi::Publish {

/// The window for a projector or a second monitor: the round and its clock in very large
/// type, and below them the pairings by name while a round is played, the standings
/// between rounds and after the last. A list that does not fit turns its pages every 15
/// seconds. It follows the tournament's every change at once and never takes the keyboard
/// focus from the organiser's windows.
class BigScreen final : public QWidget
{
    Q_OBJECT

public:
    /// Follows progress (when given) from the start.
    explicit BigScreen(TournamentProgress *progress = nullptr, QWidget *parent = nullptr);
    ~BigScreen() override;
    Q_DISABLE_COPY_MOVE(BigScreen)

    /// Full screen on a screen other than the organiser's when there is one; otherwise a
    /// normal window beside the organiser's windows (beside: the window that opened it, the
    /// active one when not given), covering none of them where the screen has room.
    void present(QWidget *beside = nullptr);
    /// The organiser's windows shown now: every visible window of the application but the
    /// big screens, its menus and its tips.
    static QList<QWidget *> organiserWindows();
    /// Full screen or back to a normal window.
    void toggleFullScreen();

    /// Shows a snapshot taken elsewhere (what following the tournament does on each change).
    void showSnapshot(const Snapshot &snapshot);
    /// Shows a table that is not the tournament's own (a past tournament, a league): band in
    /// the band's large type, the table's title as the heading, its columns' headings
    /// over its rows. Following a tournament, the next change shows the tournament again.
    void showTable(const QString &band, const TableDocument &table);
    /// Shows the clock's caption in the colour its count calls for.
    void showClock(const QString &caption);

    // What is shown, for tests and the benchmark.
    enum class Showing { Pairings, Standings, Table };
    Showing showing() const { return m_showing; }
    QString heading() const;
    /// The headings over the list's columns: the standings' as printed; none over the
    /// pairings, whose heading says what the columns hold.
    QStringList columnHeadings() const;
    QString roundText() const;
    QString clockCaption() const { return m_clockCaption; }
    /// The word beside the clock, so that its colour is not the only sign: "5 minutes left"
    /// in the last five minutes, "Time" once the count has run out, else nothing.
    QString clockWord() const;
    ClockTone clockTone() const { return m_watch.tone(); }
    int page() const { return m_page; }
    int pages() const;
    PageLayout layout() const { return m_layout; }
    /// The rows of the list, all pages, as the screen writes them (cells joined by " | ").
    QStringList rowTexts() const;
    /// The rows of the page shown.
    QStringList pageRowTexts() const;
    /// Which of the rows shown are marked as recorded.
    QList<bool> pageRowsRecorded() const;
    /// True while the pages turn by themselves (the list does not fit one page).
    bool pagesTurning() const { return m_pageTimer.isActive(); }
    /// Shows the next page (what the page timer does every 15 seconds).
    void turnPage();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Row
    {
        QStringList cells;
        bool recorded = false;
        bool dropped = false;
        int table = 0; ///< the table of a pairing row
    };

    struct Geometry;
    static Geometry geometryFor(const QSize &size);
    /// The part of the list area the rows take: below the column headings where there are.
    QRect rowsArea(const Geometry &g) const;
    /// The place of a row of the page shown.
    QRect rowRect(int indexOnPage) const;
    void paintBand(QPainter &painter, const QRect &band, const Geometry &g) const;
    void paintList(QPainter &painter, const QRect &exposed, const Geometry &g) const;
    void follow();
    /// Remembers the organiser's active window, to hand the activation back to it.
    void keepOrganiserWindow();
    void refresh();
    void refreshRecorded();
    void relayout();
    void restartPaging();
    QList<Row> rowsFor(const Snapshot &snapshot) const;
    /// The parts of a list column's width its cells take, left to right.
    QList<qreal> cellShares() const;
    /// Whether cell column is written to the right of its cell.
    bool alignedRight(qsizetype column) const;

    QPointer<TournamentProgress> m_progress;
    Snapshot m_snapshot;
    Showing m_showing = Showing::Standings;
    /// The table shown instead of the tournament, and the band's text over it.
    TableDocument m_table;
    QString m_tableBand;
    QList<Row> m_rows;
    /// Per seat: the names the rows were built from, to see whether a change kept the pairing.
    QList<std::pair<QString, QString>> m_seatNames;
    QString m_clockCaption = QStringLiteral("00:00:00");
    ClockWatch m_watch;
    PageLayout m_layout;
    int m_page = 0;
    QTimer m_pageTimer;
    /// The players' page's address as a QR code, null while the page is not served.
    QImage m_pageCode;
    QPointer<QWidget> m_organiser;
};

} // namespace Zuvi::Publish
