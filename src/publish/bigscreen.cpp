#include "publish/bigscreen.h"

#include "publish/pagecode.h"

#include "core/errorpath.h"
#include "publish/documents.h"
#include "round/roundclock.h"
#include "tournament/tournamentprogress.h"
#include "ui/apptitle.h"
#include "ui/fonts.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace Zuvi::Publish {

namespace {

const QColor kBackground(16, 20, 24);
const QColor kText(245, 245, 245);
const QColor kDim(130, 136, 142);
const QColor kStripe(28, 34, 40);
const QColor kAmber(255, 176, 0);
const QColor kRed(255, 56, 48);

QFont pixelFont(int pixels, bool bold)
{
    QFont font = Ui::sansFont(12, bold);
    font.setPixelSize(std::max(6, pixels));
    return font;
}

/// The largest font of at most pixels that writes text within width.
QFont fittedFont(const QString &text, int pixels, int width, bool bold)
{
    QFont font = pixelFont(pixels, bold);
    while (font.pixelSize() > 8 && QFontMetrics(font).horizontalAdvance(text) > width)
        font.setPixelSize(font.pixelSize() * 9 / 10);
    return font;
}

} // namespace

/// Sizes that follow the window's height, so that the screen reads the same from the back
/// of the room at any resolution.
struct BigScreen::Geometry
{
    int margin;
    int bandHeight; ///< the round and the clock
    int headingHeight;
    int rowHeight;
    QRect list;
};

BigScreen::Geometry BigScreen::geometryFor(const QSize &size)
{
    Geometry g;
    const int height = std::max(size.height(), 200);
    g.margin = std::max(8, height / 60);
    g.bandHeight = height * 2 / 9;
    g.headingHeight = height / 14;
    g.rowHeight = std::max(20, height / 18);
    const int top = g.margin + g.bandHeight + g.headingHeight;
    g.list = QRect(g.margin, top, std::max(1, size.width() - 2 * g.margin),
                   std::max(1, size.height() - top - g.margin));
    return g;
}

BigScreen::BigScreen(TournamentProgress *progress, QWidget *parent)
    : QWidget(parent, Qt::Window), m_progress(progress)
{
    setObjectName(QStringLiteral("BigScreen"));
    setWindowTitle(Ui::appTitle());
    // The organiser keeps typing into the windows on the laptop.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(320, 200);
    setAccessibleName(QStringLiteral("Big screen"));
    resize(1280, 720);

    const auto showCode = [this] {
        const QString address = PageAddress::instance().address();
        m_pageCode = address.isEmpty() ? QImage() : qrCode(address);
        update();
    };
    connect(&PageAddress::instance(), &PageAddress::changed, this, showCode);
    showCode();
    m_pageTimer.setInterval(kPageSeconds * 1000);
    connect(&m_pageTimer, &QTimer::timeout, this, &BigScreen::turnPage);
    relayout();
    if (m_progress)
        follow();
}

BigScreen::~BigScreen() = default;

void BigScreen::follow()
{
    TournamentProgress *progress = m_progress;
    connect(progress, &TournamentProgress::entrantsChanged, this,
            [this] { Core::runGuarded([this] { refresh(); }); });
    connect(progress, &TournamentProgress::roundChanged, this, [this] {
        // A new round's window starts its clock from nothing.
        m_watch.reset();
        m_clockCaption = QStringLiteral("00:00:00");
        Core::runGuarded([this] { refresh(); });
    });
    connect(progress, &TournamentProgress::pairingChanged, this,
            [this] { Core::runGuarded([this] { refreshRecorded(); }); });
    connect(progress, &TournamentProgress::gamesChanged, this,
            [this] { Core::runGuarded([this] { refreshRecorded(); }); });
    connect(progress, &TournamentProgress::clockChanged, this, &BigScreen::showClock);
    connect(progress, &TournamentProgress::publishedChanged, this,
            [this] { Core::runGuarded([this] { refresh(); }); });

    const Round::RoundClock &clock = progress->clock();
    if (progress->clockRunning())
        m_clockCaption =
            Round::RoundClock::caption(clock.hours(), clock.minutes(), clock.seconds());
    m_watch.feed(m_clockCaption);
    Core::runGuarded([this] { refresh(); });
}

void BigScreen::refresh()
{
    if (!m_progress)
        return;
    const Progress::State &state = m_progress->state();
    // The standings are read from the database only when they are shown; a pairing still
    // being reviewed is not shown.
    const bool published = m_progress->pairingPublished();
    const bool pairing = state.roundOpen && !state.seats.isEmpty() && published;
    const QList<Progress::StandingsRow> standings =
        pairing || !state.started ? QList<Progress::StandingsRow>() : m_progress->standings();
    const std::optional<qint16> rounds = m_progress->rounds();
    showSnapshot(
        roomView(makeSnapshot(state, standings, rounds ? std::optional<int>(*rounds) : std::nullopt,
                              m_progress->over()),
                 published));
}

void BigScreen::refreshRecorded()
{
    if (!m_progress)
        return;
    const Progress::State &state = m_progress->state();
    bool samePairing = m_showing == Showing::Pairings && state.roundOpen &&
                       state.seats.size() == m_seatNames.size();
    for (qsizetype i = 0; samePairing && i < state.seats.size(); ++i) {
        const Progress::Seat &seat = state.seats.at(i);
        samePairing =
            seat.player1 == m_seatNames.at(i).first && seat.player2 == m_seatNames.at(i).second;
    }
    if (!samePairing) {
        refresh();
        return;
    }
    // A game recorded or taken back: the same rows, other marks.
    for (qsizetype i = 0; i < state.seats.size(); ++i)
        m_snapshot.pairings[i].recorded = state.seats.at(i).recorded;
    const int first = m_page * m_layout.rowsPerPage();
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        Row &row = m_rows[i];
        if (row.table < 1 || row.table > m_snapshot.pairings.size())
            continue;
        const bool recorded = m_snapshot.pairings.at(row.table - 1).recorded;
        if (row.recorded == recorded)
            continue;
        row.recorded = recorded;
        // Only a row on the page shown is painted again.
        if (i >= first && i < first + m_layout.rowsPerPage())
            update(rowRect(int(i - first)));
    }
    m_snapshot.games = state.games;
}

QList<qreal> BigScreen::cellShares() const
{
    if (m_showing == Showing::Pairings)
        return {0.50, 0.15, 0.35};
    if (m_showing == Showing::Standings)
        return {0.09, 0.43, 0.22, 0.11, 0.15};
    // A table of its own: the fitted columns (numbers) as wide as their longest text, the
    // others by their shares.
    QList<qreal> weights;
    qreal sum = 0;
    for (qsizetype c = 0; c < m_table.columns.size(); ++c) {
        const TableColumn &column = m_table.columns.at(c);
        qsizetype longest = column.header.size();
        for (const QStringList &row : std::as_const(m_table.rows))
            longest = std::max(longest, row.value(c).size());
        weights.append(column.fitted ? 0.15 * qreal(std::max<qsizetype>(longest, 3))
                                     : std::max<qreal>(0.5, column.share));
        sum += weights.constLast();
    }
    for (qreal &weight : weights)
        weight /= std::max<qreal>(sum, 1e-9);
    return weights;
}

bool BigScreen::alignedRight(qsizetype column) const
{
    if (m_showing == Showing::Table)
        return column < m_table.columns.size() && m_table.columns.at(column).alignRight;
    return m_showing == Showing::Standings && (column == 0 || column >= 3);
}

void BigScreen::showTable(const QString &band, const TableDocument &table)
{
    m_table = table;
    m_tableBand = band;
    m_snapshot = Snapshot();
    m_snapshot.started = true;
    m_showing = Showing::Table;
    m_rows.clear();
    m_rows.reserve(table.rows.size());
    for (const QStringList &cells : table.rows)
        m_rows.append({cells, false, false, 0});
    m_seatNames.clear();
    relayout();
    update();
}

void BigScreen::showSnapshot(const Snapshot &snapshot)
{
    m_snapshot = snapshot;
    m_showing =
        snapshot.roundOpen && !snapshot.pairings.isEmpty() ? Showing::Pairings : Showing::Standings;
    const bool headings = !columnHeadings().isEmpty();
    m_rows = rowsFor(m_snapshot);
    m_seatNames.clear();
    m_seatNames.reserve(m_snapshot.pairings.size());
    for (const PairingRow &row : std::as_const(m_snapshot.pairings))
        m_seatNames.append({row.player1, row.player2});
    // The column headings take a row of the list where they come or go.
    if (headings != !columnHeadings().isEmpty())
        relayout();
    else
        restartPaging();
    update();
}

QList<BigScreen::Row> BigScreen::rowsFor(const Snapshot &snapshot) const
{
    QList<Row> rows;
    if (m_showing == Showing::Pairings) {
        const QList<NameRow> names = pairingsByName(snapshot.pairings);
        rows.reserve(names.size());
        for (const NameRow &name : names)
            rows.append({{name.name, QString::number(name.table), name.opponent},
                         name.recorded,
                         false,
                         name.table});
        return rows;
    }
    rows.reserve(snapshot.standings.size());
    for (const RankedRow &row : snapshot.standings)
        rows.append({{QString::number(row.rank), row.name, row.house, numberText(row.score),
                      numberText(row.power)},
                     false,
                     row.dropped,
                     0});
    return rows;
}

QString BigScreen::clockWord() const
{
    switch (m_watch.tone()) {
    case ClockTone::Amber:
        return QStringLiteral("5 minutes left");
    case ClockTone::Red:
        return QStringLiteral("Time");
    case ClockTone::Normal:
        break;
    }
    return QString();
}

void BigScreen::showClock(const QString &caption)
{
    m_clockCaption = caption;
    m_watch.feed(caption);
    // Readers of the window hear the clock and its word.
    const QString word = clockWord();
    setAccessibleDescription(word.isEmpty() ? caption : caption + QStringLiteral(", ") + word);
    update(QRect(0, 0, width(), geometryFor(size()).list.top()));
}

QRect BigScreen::rowsArea(const Geometry &g) const
{
    if (columnHeadings().isEmpty())
        return g.list;
    return g.list.adjusted(0, g.rowHeight, 0, 0);
}

QRect BigScreen::rowRect(int indexOnPage) const
{
    const Geometry g = geometryFor(size());
    const QRect rows = rowsArea(g);
    const int columnGap = g.margin * 2;
    const int columnWidth =
        (rows.width() - (m_layout.columns - 1) * columnGap) / std::max(1, m_layout.columns);
    const int column = indexOnPage / m_layout.rowsPerColumn;
    const int line = indexOnPage % m_layout.rowsPerColumn;
    return QRect(rows.left() + column * (columnWidth + columnGap), rows.top() + line * g.rowHeight,
                 columnWidth, g.rowHeight);
}

QString BigScreen::heading() const
{
    if (m_showing == Showing::Table)
        return m_table.title;
    if (m_showing == Showing::Pairings)
        return tr("Find your name: your table and opponent");
    if (!m_snapshot.started)
        return tr("Registration");
    return documentTitle(DocumentKind::Standings, m_snapshot);
}

QStringList BigScreen::columnHeadings() const
{
    if (m_showing == Showing::Pairings || m_rows.isEmpty())
        return {};
    if (m_showing == Showing::Table) {
        QStringList headings;
        for (const TableColumn &column : std::as_const(m_table.columns))
            headings.append(column.header);
        return headings;
    }
    return standingsHeadings();
}

QString BigScreen::roundText() const
{
    if (m_showing == Showing::Table)
        return m_tableBand;
    if (!m_snapshot.started)
        return Ui::appTitle();
    // A past tournament shown again goes by its name.
    if (m_snapshot.final && !m_snapshot.name.isEmpty())
        return m_snapshot.name;
    if (m_snapshot.final)
        return tr("Tournament over");
    const int round = m_snapshot.roundOpen ? m_snapshot.round : m_snapshot.round + 1;
    const QString text = m_snapshot.rounds ? tr("Round %1 of %2").arg(round).arg(*m_snapshot.rounds)
                                           : tr("Round %1").arg(round);
    return m_snapshot.roundOpen ? text : tr("Next: %1").arg(text);
}

int BigScreen::pages() const
{
    return pageCount(int(m_rows.size()), m_layout.rowsPerPage());
}

QStringList BigScreen::rowTexts() const
{
    QStringList texts;
    texts.reserve(m_rows.size());
    for (const Row &row : m_rows)
        texts.append(row.cells.join(QStringLiteral(" | ")));
    return texts;
}

QStringList BigScreen::pageRowTexts() const
{
    const int first = m_page * m_layout.rowsPerPage();
    return rowTexts().mid(first, m_layout.rowsPerPage());
}

QList<bool> BigScreen::pageRowsRecorded() const
{
    QList<bool> marks;
    const int first = m_page * m_layout.rowsPerPage();
    for (qsizetype i = first; i < m_rows.size() && i < first + m_layout.rowsPerPage(); ++i)
        marks.append(m_rows.at(i).recorded);
    return marks;
}

void BigScreen::turnPage()
{
    m_page = nextPage(m_page, pages());
    update();
}

void BigScreen::relayout()
{
    const Geometry g = geometryFor(size());
    const QRect rows = rowsArea(g);
    // A table of many columns takes more width per list column.
    const int widest = m_showing == Showing::Table
                           ? g.rowHeight * std::max<int>(15, 4 * int(m_table.columns.size()))
                           : g.rowHeight * 15;
    m_layout = pageLayout(rows.width(), rows.height(), g.rowHeight, widest, 3);
    restartPaging();
}

void BigScreen::restartPaging()
{
    m_page = keptPage(m_page, pages());
    if (pages() > 1) {
        if (!m_pageTimer.isActive())
            m_pageTimer.start();
    } else {
        m_pageTimer.stop();
    }
}

void BigScreen::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void BigScreen::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect exposed = event->rect();
    painter.fillRect(exposed, kBackground);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const Geometry g = geometryFor(size());

    // The round on the left, the clock on the right, both as large as the band allows.
    const QRect band(g.margin, g.margin, width() - 2 * g.margin, g.bandHeight);
    if (exposed.intersects(QRect(0, 0, width(), g.list.top())))
        paintBand(painter, band, g);
    paintList(painter, exposed, g);
}

void BigScreen::paintBand(QPainter &painter, const QRect &band, const Geometry &g) const
{
    painter.setPen(kText);
    const QRect roundArea(band.left(), band.top(), band.width() * 45 / 100, band.height());
    painter.setFont(fittedFont(roundText(), g.bandHeight * 45 / 100, roundArea.width(), true));
    painter.drawText(roundArea, Qt::AlignLeft | Qt::AlignVCenter, roundText());
    // The players' page's address as a QR code at the band's right end, while it is served:
    // the clock gives up that room, the pairings none.
    int codeWidth = 0;
    if (!m_pageCode.isNull()) {
        codeWidth = band.height();
        const QRect codeArea(band.right() - codeWidth + 1, band.top(), codeWidth, band.height());
        painter.fillRect(codeArea, Qt::white);
        painter.drawImage(codeArea, m_pageCode);
        codeWidth += g.margin;
    }
    if (m_snapshot.roundOpen) {
        QColor clockColour = kText;
        if (m_watch.tone() == ClockTone::Amber)
            clockColour = kAmber;
        else if (m_watch.tone() == ClockTone::Red)
            clockColour = kRed;
        painter.setPen(clockColour);
        const QRect clockArea(band.left() + band.width() * 45 / 100, band.top(),
                              band.width() * 55 / 100 - codeWidth, band.height());
        painter.setFont(
            fittedFont(m_clockCaption, g.bandHeight * 85 / 100, clockArea.width(), true));
        painter.drawText(clockArea, Qt::AlignRight | Qt::AlignVCenter, m_clockCaption);
        // The word in the clock's colour, under the round, where the band has room.
        const QString word = clockWord();
        if (!word.isEmpty()) {
            const QRect wordArea(roundArea.left(), band.top() + band.height() * 75 / 100,
                                 roundArea.width(), band.height() * 25 / 100);
            painter.setFont(fittedFont(word, wordArea.height() * 85 / 100, wordArea.width(), true));
            painter.drawText(wordArea, Qt::AlignLeft | Qt::AlignVCenter, word);
        }
    }

    // The heading, with the page when the list turns pages.
    const QRect headingRect(g.margin, g.margin + g.bandHeight, width() - 2 * g.margin,
                            g.headingHeight);
    painter.setPen(kDim);
    painter.setFont(pixelFont(g.headingHeight * 55 / 100, false));
    painter.drawText(headingRect, Qt::AlignLeft | Qt::AlignVCenter, heading());
    if (pages() > 1)
        painter.drawText(headingRect, Qt::AlignRight | Qt::AlignVCenter,
                         tr("Page %1 of %2").arg(m_page + 1).arg(pages()));
    painter.drawLine(headingRect.bottomLeft(), headingRect.bottomRight());
}

void BigScreen::paintList(QPainter &painter, const QRect &exposed, const Geometry &g) const
{
    // The rows of the page, column after column.
    const QList<qreal> shares = cellShares();
    const QFont rowFont = pixelFont(g.rowHeight * 58 / 100, false);
    const QFont nameFont = pixelFont(g.rowHeight * 58 / 100, true);
    const QFontMetrics rowMetrics(rowFont);
    const QFontMetrics nameMetrics(nameFont);
    const QRect rows = rowsArea(g);
    const int columnGap = g.margin * 2;
    const int columnWidth =
        (rows.width() - (m_layout.columns - 1) * columnGap) / std::max(1, m_layout.columns);
    const int first = m_page * m_layout.rowsPerPage();
    int nameCell = m_showing == Showing::Pairings ? 0 : 1;
    if (m_showing == Showing::Table) {
        // The name is the table's first column that is not a number.
        for (qsizetype c = 0; c < m_table.columns.size(); ++c) {
            if (!m_table.columns.at(c).fitted) {
                nameCell = int(c);
                break;
            }
        }
    }
    // "Table 12" on every row, or the numbers alone where the widest does not fit.
    const int pad = g.rowHeight / 6;
    const bool tableWord =
        m_showing == Showing::Pairings &&
        rowMetrics.horizontalAdvance(tr("Table %1").arg(m_snapshot.pairings.size())) <=
            int(columnWidth * shares.value(1)) - 2 * pad;
    // The column headings over every column of the page that has rows, as the printed
    // standings head theirs.
    const QStringList headings = columnHeadings();
    const int shown = std::min<int>(m_layout.rowsPerPage(), int(m_rows.size()) - first);
    const int columnsShown = (shown + m_layout.rowsPerColumn - 1) / m_layout.rowsPerColumn;
    // One size for every heading, small enough for the narrowest cell to hold its heading.
    QFont headingFont = rowFont;
    for (qsizetype c = 0; c < headings.size() && c < shares.size(); ++c) {
        const int cellWidth = int(columnWidth * shares.at(c)) - 2 * pad;
        const QFont fitted = fittedFont(headings.at(c), headingFont.pixelSize(), cellWidth, false);
        if (fitted.pixelSize() < headingFont.pixelSize())
            headingFont = fitted;
    }
    const QFontMetrics headingMetrics(headingFont);
    for (int column = 0; column < columnsShown && !headings.isEmpty(); ++column) {
        const QRect headingRow(g.list.left() + column * (columnWidth + columnGap), g.list.top(),
                               columnWidth, g.rowHeight);
        if (!exposed.intersects(headingRow))
            continue;
        painter.setFont(headingFont);
        painter.setPen(kDim);
        int x = headingRow.left();
        for (qsizetype c = 0; c < headings.size() && c < shares.size(); ++c) {
            const int cellWidth = int(columnWidth * shares.at(c));
            const QRect cell(x + pad, headingRow.top(), cellWidth - 2 * pad, headingRow.height());
            x += cellWidth;
            const Qt::Alignment align =
                (alignedRight(c) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
            painter.drawText(
                cell, align,
                headingMetrics.elidedText(headings.at(c), Qt::ElideRight, cell.width()));
        }
        painter.drawLine(headingRow.left(), headingRow.bottom(), headingRow.right(),
                         headingRow.bottom());
    }
    for (int i = 0; i < m_layout.rowsPerPage() && first + i < m_rows.size(); ++i) {
        const Row &row = m_rows.at(first + i);
        const int column = i / m_layout.rowsPerColumn;
        const int line = i % m_layout.rowsPerColumn;
        const QRect rowRect(rows.left() + column * (columnWidth + columnGap),
                            rows.top() + line * g.rowHeight, columnWidth, g.rowHeight);
        if (!exposed.intersects(rowRect))
            continue;
        if (line % 2 == 1)
            painter.fillRect(rowRect, kStripe);
        const bool dim = row.recorded || row.dropped;
        int x = rowRect.left();
        for (qsizetype c = 0; c < row.cells.size() && c < shares.size(); ++c) {
            const int cellWidth = int(columnWidth * shares.at(c));
            QRect cell(x + pad, rowRect.top(), cellWidth - 2 * pad, rowRect.height());
            x += cellWidth;
            QString text = row.cells.at(c);
            Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
            if (m_showing == Showing::Pairings && c == 1) {
                if (tableWord)
                    text = tr("Table %1").arg(text);
                align = Qt::AlignRight | Qt::AlignVCenter;
            } else if (alignedRight(c)) {
                align = Qt::AlignRight | Qt::AlignVCenter;
            }
            if (row.dropped && c == nameCell)
                text += tr(" (dropped)");
            const bool isName = c == nameCell;
            painter.setFont(isName ? nameFont : rowFont);
            painter.setPen(dim ? kDim : kText);
            const QFontMetrics &metrics = isName ? nameMetrics : rowMetrics;
            painter.drawText(cell, align, metrics.elidedText(text, Qt::ElideRight, cell.width()));
        }
        if (row.recorded) {
            // The table's game is recorded: a tick at the row's end.
            painter.setPen(QPen(kDim, std::max(2, g.rowHeight / 14)));
            const int s = g.rowHeight / 3;
            const QPoint end(rowRect.right() - pad, rowRect.center().y());
            painter.drawPolyline(QList<QPoint>{end + QPoint(-s, 0), end + QPoint(-s * 2 / 3, s / 2),
                                               end + QPoint(0, -s / 2)});
        }
    }
    if (m_rows.isEmpty()) {
        painter.setPen(kDim);
        painter.setFont(rowFont);
        painter.drawText(g.list, Qt::AlignLeft | Qt::AlignTop,
                         m_snapshot.started ? tr("Nothing to show yet.")
                                            : tr("The tournament has not started."));
    }
}

void BigScreen::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    QAction *full = menu.addAction(tr("Full screen"));
    full->setCheckable(true);
    full->setChecked(isFullScreen());
    QAction *close = menu.addAction(tr("Close"));
    QAction *chosen = menu.exec(event->globalPos());
    if (chosen == full)
        toggleFullScreen();
    else if (chosen == close)
        this->close();
}

void BigScreen::keepOrganiserWindow()
{
    QWidget *active = QApplication::activeWindow();
    if (active && active != this)
        m_organiser = active;
}

void BigScreen::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // A window system that activates every window it shows gets the activation handed back,
    // so that the organiser's typing never lands here.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_organiser &&
        m_organiser->isVisible())
        m_organiser->activateWindow();
}

QList<QWidget *> BigScreen::organiserWindows()
{
    QList<QWidget *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = widget->windowType();
        if (widget->isVisible() && !widget->isMinimized() && !qobject_cast<BigScreen *>(widget) &&
            (type == Qt::Window || type == Qt::Dialog))
            windows.append(widget);
    }
    return windows;
}

void BigScreen::present(QWidget *beside)
{
    if (beside && beside != this)
        m_organiser = beside;
    else
        keepOrganiserWindow();
    QScreen *primary = QGuiApplication::primaryScreen();
    QScreen *other = nullptr;
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen != primary) {
            other = screen;
            break;
        }
    }
    if (other) {
        // The window has to be on the other screen before it goes full screen there.
        winId();
        if (QWindow *window = windowHandle())
            window->setScreen(other);
        setGeometry(other->geometry());
        showFullScreen();
    } else if (!isVisible()) {
        // One screen for all: beside the organiser's windows, not over them. A frame is
        // taken to be as wide as the organiser's window has it.
        QScreen *screen = m_organiser ? m_organiser->screen() : primary;
        QMargins frame;
        QList<QRect> organiser;
        for (QWidget *window : organiserWindows()) {
            if (window->screen() != screen)
                continue;
            organiser.append(window->frameGeometry());
            if (window == m_organiser) {
                const QRect outer = window->frameGeometry();
                const QRect inner = window->geometry();
                frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                                 outer.right() - inner.right(), outer.bottom() - inner.bottom());
            }
        }
        if (screen) {
            const QSize grow(frame.left() + frame.right(), frame.top() + frame.bottom());
            const QRect place = placeBeside(screen->availableGeometry(), organiser, size() + grow,
                                            minimumSize() + grow);
            setGeometry(place.marginsRemoved(frame));
        }
        showNormal();
    }
    raise();
}

void BigScreen::toggleFullScreen()
{
    keepOrganiserWindow();
    if (isFullScreen())
        showNormal();
    else
        showFullScreen();
}

} // namespace Zuvi::Publish
