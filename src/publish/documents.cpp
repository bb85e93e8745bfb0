#include "publish/documents.h"

#include "publish/pagecode.h"
#include "round/scoring.h"
#include "ui/apptitle.h"
#include "ui/fonts.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace Zuvi::Publish {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Zuvi::Publish", text);
}

QString roundOf(const Snapshot &snapshot)
{
    if (snapshot.rounds)
        return tr("Round %1 of %2").arg(snapshot.round).arg(*snapshot.rounds);
    return tr("Round %1").arg(snapshot.round);
}

QString pointsText(const Progress::Game &game, bool player2)
{
    if (player2 && game.player2 == byeText())
        return QString();
    return QString::number(player2 ? 3 - game.points1 : game.points1);
}

// Sizes in points; each becomes pixels of the device at its resolution.
constexpr qreal kTitlePoints = 16;
constexpr qreal kTextPoints = 9;
constexpr qreal kSmallPoints = 8;
constexpr qreal kSlipNamePoints = 12;
constexpr qreal kMarginPoints = 0; // the device's own margins apply

QFont fontAt(qreal points, int dpi, bool bold = false)
{
    QFont font = Ui::sansFont(points, bold);
    font.setPixelSize(std::max(1, int(std::lround(points * dpi / 72.0))));
    return font;
}

} // namespace

QList<DocumentKind> allDocuments()
{
    return {DocumentKind::PairingsByTable, DocumentKind::PairingsByName, DocumentKind::MatchSlips,
            DocumentKind::Standings, DocumentKind::Games};
}

QString documentName(DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::PairingsByTable:
        return tr("Pairings by table");
    case DocumentKind::PairingsByName:
        return tr("Pairings by name");
    case DocumentKind::MatchSlips:
        return tr("Match slips");
    case DocumentKind::Standings:
        return tr("Standings");
    case DocumentKind::Games:
        return tr("Recorded games");
    }
    return QString();
}

std::optional<QString> nothingToShow(DocumentKind kind, const Snapshot &snapshot)
{
    switch (kind) {
    case DocumentKind::PairingsByTable:
    case DocumentKind::PairingsByName:
    case DocumentKind::MatchSlips:
        if (!snapshot.roundOpen || snapshot.pairings.isEmpty())
            return tr("There is no pairing: no round is being played.");
        // The bye's game is played at no table: it has no slip.
        if (kind == DocumentKind::MatchSlips && slipTables(snapshot.pairings).isEmpty())
            return tr("There is no match slip: the only game is against the bye.");
        return std::nullopt;
    case DocumentKind::Standings:
        if ((!snapshot.started && !snapshot.standingsAsStored) || snapshot.standings.isEmpty())
            return tr("There are no standings: the tournament has not started.");
        return std::nullopt;
    case DocumentKind::Games:
        if (snapshot.games.isEmpty())
            return tr("There are no games: none has been recorded.");
        return std::nullopt;
    }
    return tr("Unknown document.");
}

namespace {

QString plainTitle(DocumentKind kind, const Snapshot &snapshot)
{
    switch (kind) {
    case DocumentKind::PairingsByTable:
        return tr("Round %1: pairings by table").arg(snapshot.round);
    case DocumentKind::PairingsByName:
        return tr("Round %1: pairings by name").arg(snapshot.round);
    case DocumentKind::MatchSlips:
        return tr("Round %1: match slips").arg(snapshot.round);
    case DocumentKind::Standings:
        if (snapshot.standingsAsStored)
            return tr("Standings as stored");
        if (snapshot.final)
            return tr("Final standings");
        if (snapshot.round <= 0)
            return tr("Standings");
        return snapshot.roundOpen ? tr("Standings during round %1").arg(snapshot.round)
                                  : tr("Standings after round %1").arg(snapshot.round);
    case DocumentKind::Games:
        return tr("Recorded games");
    }
    return QString();
}

} // namespace

QString documentTitle(DocumentKind kind, const Snapshot &snapshot)
{
    const QString title = plainTitle(kind, snapshot);
    return snapshot.name.isEmpty() ? title : tr("%1: %2").arg(snapshot.name, title);
}

TableDocument tableDocument(DocumentKind kind, const Snapshot &snapshot)
{
    TableDocument doc;
    doc.title = documentTitle(kind, snapshot);
    doc.subtitle = Ui::appTitle();
    if (kind == DocumentKind::PairingsByTable || kind == DocumentKind::PairingsByName)
        doc.pageAddress = snapshot.pageAddress;
    switch (kind) {
    case DocumentKind::PairingsByTable:
    case DocumentKind::MatchSlips:
        doc.subtitle = roundOf(snapshot);
        doc.columns = {{tr("Table"), 0, true, true}, {tr("Player 1"), 2.2}, {tr("House"), 1.3},
                       {tr("Score"), 0, true, true}, {tr("Player 2"), 2.2}, {tr("House"), 1.3},
                       {tr("Score"), 0, true, true}};
        for (const PairingRow &row : snapshot.pairings)
            doc.rows.append({QString::number(row.table), row.player1, row.house1, row.score1,
                             row.player2, row.house2, row.score2});
        break;
    case DocumentKind::PairingsByName:
        doc.subtitle = roundOf(snapshot);
        doc.columns = {{tr("Name"), 2.6},
                       {tr("House"), 1.2},
                       {tr("Score"), 0, true, true},
                       {tr("Table"), 0, true, true},
                       {tr("Opponent"), 2.6}};
        for (const NameRow &row : pairingsByName(snapshot.pairings))
            doc.rows.append(
                {row.name, row.house, row.score, QString::number(row.table), row.opponent});
        break;
    case DocumentKind::Standings:
        if (snapshot.round > 0)
            doc.subtitle =
                snapshot.rounds
                    ? tr("After round %1 of %2").arg(snapshot.round).arg(*snapshot.rounds)
                    : tr("After round %1").arg(snapshot.round);
        if (snapshot.roundOpen)
            doc.subtitle = tr("Round %1 in play: games recorded so far count").arg(snapshot.round);
        {
            const QStringList headings = standingsHeadings();
            doc.columns = {{headings.at(0), 0, true, true}, {headings.at(1), 2.8},
                           {headings.at(2), 1.4},           {headings.at(3), 0, true, true},
                           {headings.at(4), 0, true, true}, {QString(), 0, false, true}};
        }
        for (const RankedRow &row : snapshot.standings)
            doc.rows.append({QString::number(row.rank), row.name, row.house, numberText(row.score),
                             numberText(row.power), row.dropped ? tr("dropped") : QString()});
        break;
    case DocumentKind::Games:
        doc.columns = {{tr("Round"), 0, true, true},  {tr("Table"), 0, true, true},
                       {tr("Player 1"), 2.0},         {tr("Result"), 0, false, true},
                       {tr("Points"), 0, true, true}, {tr("Power"), 0, true, true},
                       {tr("Player 2"), 2.0},         {tr("Points"), 0, true, true},
                       {tr("Power"), 0, true, true}};
        // In round and table order, whatever order they were recorded (or amended) in.
        for (const Progress::Game &game : gamesInTableOrder(snapshot.games)) {
            const bool bye = game.player2 == byeText();
            doc.rows.append({QString::number(game.round), QString::number(game.seat + 1),
                             game.player1, game.result1, pointsText(game, false),
                             Round::powerText(game.power1), game.player2, pointsText(game, true),
                             bye ? QString() : Round::powerText(game.power2)});
        }
        break;
    }
    return doc;
}

QStringList standingsHeadings()
{
    return {tr("Rank"), tr("Name"), tr("House"), tr("Score"), tr("Power")};
}

QList<qreal> columnWidths(const TableDocument &table, qreal width, const QFont &textFont,
                          const QFont &headingFont, qreal pad)
{
    const QFontMetricsF text(textFont);
    const QFontMetricsF heading(headingFont);
    const qsizetype count = table.columns.size();
    QList<qreal> widths(count, 0);
    QList<qreal> headingWidths(count, 0);
    qreal fitted = 0;
    qreal shares = 0;
    qreal sharedHeadings = 0;
    for (qsizetype c = 0; c < count; ++c) {
        const TableColumn &column = table.columns.at(c);
        headingWidths[c] = std::ceil(heading.horizontalAdvance(column.header)) + 2 * pad;
        if (!column.fitted) {
            shares += column.share;
            sharedHeadings += headingWidths.at(c);
            continue;
        }
        // Numbers and results repeat: each distinct text is measured once.
        QSet<QString> seen;
        qreal widest = 0;
        for (const QStringList &row : table.rows) {
            const QString value = row.value(c);
            if (!seen.contains(value)) {
                seen.insert(value);
                widest = std::max(widest, text.horizontalAdvance(value));
            }
        }
        widths[c] = std::max(headingWidths.at(c), std::min(std::ceil(widest) + 2 * pad, width / 4));
        fitted += widths.at(c);
    }

    // The rest by shares; a column whose share is narrower than its heading takes the
    // heading's width, and the others share what is left.
    qreal rest = width - fitted;
    if (rest < sharedHeadings) {
        // Not even the headings fit: every column gives up the same part of its width.
        const qreal total = fitted + sharedHeadings;
        for (qsizetype c = 0; c < count; ++c) {
            if (!table.columns.at(c).fitted)
                widths[c] = headingWidths.at(c);
            widths[c] *= total > 0 ? width / total : 0;
        }
        return widths;
    }
    QList<bool> settled(count, false);
    for (bool again = true; again;) {
        again = false;
        for (qsizetype c = 0; c < count; ++c) {
            const TableColumn &column = table.columns.at(c);
            if (column.fitted || settled.at(c))
                continue;
            const qreal share = shares > 0 ? rest * column.share / shares : 0;
            if (share < headingWidths.at(c)) {
                widths[c] = headingWidths.at(c);
                settled[c] = true;
                rest -= widths.at(c);
                shares -= column.share;
                again = true;
                break;
            }
            widths[c] = share;
        }
    }
    return widths;
}

// ---- Layout -----------------------------------------------------------------------------

struct DocumentPainter::Metrics
{
    int dpi = 300;
    QFont title;
    QFont text;
    QFont bold;
    QFont small;
    QFont slipName;
    qreal rowHeight = 0;
    qreal headHeight = 0; ///< title, subtitle and the column headers
    qreal footHeight = 0;
    int rowsPerPage = 1;
    int pages = 1;
};

DocumentPainter::DocumentPainter(DocumentKind kind, const Snapshot &snapshot)
    : m_kind(kind), m_snapshot(snapshot)
{
    if (kind == DocumentKind::MatchSlips)
        m_slips = slipTables(snapshot.pairings);
    else
        m_table = tableDocument(kind, snapshot);
    // The slips carry the page's code; of the tables, those that name it (the pairings).
    const QString &address =
        kind == DocumentKind::MatchSlips ? snapshot.pageAddress : m_table.pageAddress;
    if (!address.isEmpty())
        m_pageCode = qrCode(address);
}

DocumentPainter::DocumentPainter(const TableDocument &table)
    : m_kind(DocumentKind::Standings), m_table(table)
{
    if (!m_table.pageAddress.isEmpty())
        m_pageCode = qrCode(m_table.pageAddress);
}

namespace {

/// A QR code's side on paper: large enough for a phone to read across a table.
qreal codeSide(int dpi)
{
    return 20.0 / 25.4 * dpi;
}

} // namespace

DocumentPainter::Metrics DocumentPainter::metrics(QSizeF page, int dpi) const
{
    Metrics m;
    m.dpi = dpi;
    m.title = fontAt(kTitlePoints, dpi, true);
    m.text = fontAt(kTextPoints, dpi);
    m.bold = fontAt(kTextPoints, dpi, true);
    m.small = fontAt(kSmallPoints, dpi);
    m.slipName = fontAt(kSlipNamePoints, dpi, true);
    const qreal line = QFontMetricsF(m.text).height();
    m.rowHeight = std::ceil(line * 1.35);
    m.headHeight = QFontMetricsF(m.title).height() * 1.2 + QFontMetricsF(m.small).height() * 1.6 +
                   m.rowHeight * 1.2;
    m.footHeight = QFontMetricsF(m.small).height() * 1.8;
    // The players' page's code stands at the head's right: the head is as tall as it.
    if (!m_pageCode.isNull() && m_kind != DocumentKind::MatchSlips) {
        const qreal text =
            QFontMetricsF(m.title).height() * 1.2 + QFontMetricsF(m.small).height() * 1.6;
        m.headHeight += std::max<qreal>(0, codeSide(dpi) + m.rowHeight * 0.3 - text);
    }
    if (m_kind == DocumentKind::MatchSlips) {
        m.pages = std::max<int>(1, int(slipSheets(int(m_slips.size())).size()));
        return m;
    }
    const qreal body = page.height() - m.headHeight - m.footHeight - kMarginPoints;
    m.rowsPerPage = std::max(1, int(body / m.rowHeight));
    const int rows = int(m_table.rows.size());
    m.pages = std::max(1, (rows + m.rowsPerPage - 1) / m.rowsPerPage);
    return m;
}

int DocumentPainter::pageCount(QSizeF page, int dpi) const
{
    return metrics(page, dpi).pages;
}

const QList<qreal> &DocumentPainter::widths(qreal pageWidth, const Metrics &m) const
{
    const std::pair<qreal, int> key(pageWidth, m.dpi);
    if (m_widthsFor != key) {
        m_widths = columnWidths(m_table, pageWidth, m.text, m.bold, 3 * m.dpi / 72.0);
        m_widthsFor = key;
    }
    return m_widths;
}

void DocumentPainter::paintPage(QPainter &painter, const QRectF &page, int dpi, int index) const
{
    const Metrics m = metrics(page.size(), dpi);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (m_kind == DocumentKind::MatchSlips)
        paintSlipsPage(painter, page, m, index);
    else
        paintTablePage(painter, page, m, index);
    painter.restore();
}

void DocumentPainter::paintTablePage(QPainter &painter, const QRectF &page, const Metrics &m,
                                     int index) const
{
    const qreal unit = m.dpi / 72.0; // one point
    qreal y = page.top();

    // Title, then the subtitle and the page number on one line; the players' page's code at
    // the right, its address under the subtitle.
    painter.setPen(Qt::black);
    qreal textWidth = page.width();
    const qreal top = y;
    if (!m_pageCode.isNull()) {
        const qreal side = codeSide(m.dpi);
        paintQrCode(painter, QRectF(page.right() - side, page.top(), side, side), m_pageCode);
        textWidth -= side + 6 * unit;
    }
    painter.setFont(m.title);
    const qreal titleHeight = QFontMetricsF(m.title).height() * 1.2;
    painter.drawText(QRectF(page.left(), y, textWidth, titleHeight),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_table.title);
    y += titleHeight;
    painter.setFont(m.small);
    const qreal smallHeight = QFontMetricsF(m.small).height() * 1.6;
    const QRectF subtitle(page.left(), y, textWidth, smallHeight);
    painter.drawText(subtitle, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_table.subtitle);
    painter.drawText(subtitle, Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine,
                     tr("Page %1 of %2").arg(index + 1).arg(m.pages));
    y += smallHeight;
    if (!m_pageCode.isNull()) {
        painter.drawText(
            QRectF(page.left(), y, textWidth, smallHeight),
            Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
            tr("Find your table on your phone: scan the code or open %1").arg(m_table.pageAddress));
        y = std::max(y + smallHeight, top + codeSide(m.dpi) + m.rowHeight * 0.3);
    }

    const qreal pad = 3 * unit;
    QList<QRectF> cells;
    qreal x = page.left();
    for (const qreal width : widths(page.width(), m)) {
        cells.append(QRectF(x, 0, width, m.rowHeight));
        x += width;
    }
    auto drawRow = [&](const QStringList &texts, qreal top, const QFont &font) {
        painter.setFont(font);
        const QFontMetricsF metrics(font);
        for (qsizetype c = 0; c < cells.size() && c < texts.size(); ++c) {
            const QRectF cell = cells.at(c).translated(0, top).adjusted(pad, 0, -pad, 0);
            const Qt::Alignment align =
                (m_table.columns.at(c).alignRight ? Qt::AlignRight : Qt::AlignLeft) |
                Qt::AlignVCenter;
            painter.drawText(cell, align | Qt::TextSingleLine,
                             metrics.elidedText(texts.at(c), Qt::ElideRight, cell.width()));
        }
    };

    QStringList headers;
    for (const TableColumn &column : m_table.columns)
        headers.append(column.header);
    drawRow(headers, y, m.bold);
    y += m.rowHeight;
    painter.setPen(QPen(Qt::black, 0.8 * unit));
    painter.drawLine(QPointF(page.left(), y), QPointF(page.right(), y));
    y += m.rowHeight * 0.2;

    const qsizetype first = qsizetype(index) * m.rowsPerPage;
    const qsizetype last = std::min<qsizetype>(m_table.rows.size(), first + m.rowsPerPage);
    for (qsizetype r = first; r < last; ++r) {
        if ((r - first) % 2 == 1)
            painter.fillRect(QRectF(page.left(), y, page.width(), m.rowHeight),
                             QColor(235, 235, 235));
        painter.setPen(Qt::black);
        drawRow(m_table.rows.at(r), y, m.text);
        y += m.rowHeight;
    }
}

void DocumentPainter::paintSlipsPage(QPainter &painter, const QRectF &page, const Metrics &m,
                                     int index) const
{
    // The slips are numbered in table order without the bye's table; each shows its table.
    const QList<std::array<int, kSlipsPerSheet>> sheets = slipSheets(int(m_slips.size()));
    if (index < 0 || index >= sheets.size())
        return;
    const qreal unit = m.dpi / 72.0;
    const qreal height = page.height() / kSlipsPerSheet;
    for (int place = 0; place < kSlipsPerSheet; ++place) {
        const QRectF area(page.left(), page.top() + place * height, page.width(), height);
        if (place > 0) {
            // The cutting line between two slips.
            QPen cut(Qt::gray, 0.6 * unit, Qt::DashLine);
            painter.setPen(cut);
            painter.drawLine(area.topLeft(), area.topRight());
        }
        const int slip = sheets.at(index)[place];
        if (slip > 0)
            paintSlip(painter, area.adjusted(0, 8 * unit, 0, -8 * unit), m, m_slips.at(slip - 1));
    }
}

void DocumentPainter::paintSlip(QPainter &painter, const QRectF &area, const Metrics &m,
                                const PairingRow &row) const
{
    const qreal unit = m.dpi / 72.0;
    const qreal line = QFontMetricsF(m.text).height();
    const qreal nameLine = QFontMetricsF(m.slipName).height();
    const qreal half = area.width() / 2;
    qreal y = area.top();
    painter.setPen(Qt::black);

    // The players' page's code in the top right corner, beside the head and the players.
    qreal codeRoom = 0;
    if (!m_pageCode.isNull()) {
        const qreal side = codeSide(m.dpi);
        paintQrCode(painter, QRectF(area.right() - side, area.top(), side, side), m_pageCode);
        codeRoom = side + 6 * unit;
    }
    painter.setFont(m.title);
    const qreal titleHeight = QFontMetricsF(m.title).height();
    const QRectF head(area.left(), y, area.width() - codeRoom, titleHeight);
    painter.drawText(head, Qt::AlignLeft | Qt::AlignVCenter, roundOf(m_snapshot));
    painter.drawText(head, Qt::AlignRight | Qt::AlignVCenter, tr("Table %1").arg(row.table));
    y += titleHeight + line * 0.4;

    auto playerBlock = [&](qreal left, const QString &label, const QString &name,
                           const QString &house, const QString &score) {
        const qreal width = half - 6 * unit - (left > area.left() ? codeRoom : 0);
        painter.setFont(m.small);
        painter.drawText(QRectF(left, y, width, line), Qt::AlignLeft | Qt::AlignVCenter, label);
        painter.setFont(m.slipName);
        const QFontMetricsF metrics(m.slipName);
        painter.drawText(QRectF(left, y + line, width, nameLine), Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(name, Qt::ElideRight, width));
        painter.setFont(m.small);
        const QString detail = house.isEmpty()   ? score
                               : score.isEmpty() ? house
                                                 : house + QStringLiteral(" · ") + score;
        painter.drawText(QRectF(left, y + line + nameLine, width, line),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         QFontMetricsF(m.small).elidedText(detail, Qt::ElideRight, width));
    };
    playerBlock(area.left(), tr("Player 1"), row.player1, row.house1, row.score1);
    playerBlock(area.left() + half, tr("Player 2"), row.player2, row.house2, row.score2);
    y += line * 2 + nameLine + line * 0.4;
    if (codeRoom > 0)
        y = std::max(y, area.top() + codeRoom);

    // Player 1's result: one box per result.
    painter.setFont(m.text);
    painter.drawText(QRectF(area.left(), y, area.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                     tr("Result of player 1:"));
    y += line * 1.2;
    const QStringList results = Round::resultTexts();
    const qreal box = line * 0.8;
    const qreal slot = area.width() / results.size();
    painter.setPen(QPen(Qt::black, 0.8 * unit));
    for (qsizetype i = 0; i < results.size(); ++i) {
        const qreal left = area.left() + slot * i;
        painter.drawRect(QRectF(left, y + (line - box) / 2, box, box));
        painter.drawText(QRectF(left + box + 4 * unit, y, slot - box - 6 * unit, line),
                         Qt::AlignLeft | Qt::AlignVCenter, results.at(i));
    }
    y += line * 1.8;

    // Lines to write both powers and both initials on.
    auto writeLine = [&](qreal left, const QString &label) {
        const qreal width = half - 12 * unit;
        const QFontMetricsF metrics(m.text);
        const qreal labelWidth = metrics.horizontalAdvance(label) + 6 * unit;
        painter.drawText(QRectF(left, y, labelWidth, line), Qt::AlignLeft | Qt::AlignBottom, label);
        painter.drawLine(QPointF(left + labelWidth, y + line),
                         QPointF(left + std::max(labelWidth, width), y + line));
    };
    writeLine(area.left(), tr("Power of player 1:"));
    writeLine(area.left() + half, tr("Power of player 2:"));
    y += line * 2;
    writeLine(area.left(), tr("Initials of player 1:"));
    writeLine(area.left() + half, tr("Initials of player 2:"));
}

// ---- Output -------------------------------------------------------------------------------

namespace {

bool paintPages(const DocumentPainter &document, QPagedPaintDevice &device)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const int dpi = device.logicalDpiY();
    const QRectF page(QPointF(0, 0), device.pageLayout().paintRectPixels(dpi).size());
    const int pages = document.pageCount(page.size(), dpi);
    for (int index = 0; index < pages; ++index) {
        if (index > 0 && !device.newPage())
            return false;
        document.paintPage(painter, page, dpi, index);
    }
    return painter.end();
}

std::optional<QString> writePdfPages(const DocumentPainter &document, const QString &title,
                                     const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    {
        QPdfWriter writer(&file);
        writer.setResolution(300);
        writer.setCreator(Ui::appTitle());
        writer.setTitle(title);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        if (!paintPages(document, writer)) {
            file.cancelWriting();
            return tr("The PDF could not be made.");
        }
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

QImage renderPicture(const DocumentPainter &document, int index, int dpi)
{
    const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                             QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    const QRect full = layout.fullRectPixels(dpi);
    const QRect paint = layout.paintRectPixels(dpi);
    QImage image(full.size(), QImage::Format_RGB32);
    const int dotsPerMeter = int(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.translate(paint.topLeft());
    document.paintPage(painter, QRectF(QPointF(0, 0), paint.size()), dpi, index);
    return image;
}

} // namespace

bool paintDocument(DocumentKind kind, const Snapshot &snapshot, QPagedPaintDevice &device)
{
    return paintPages(DocumentPainter(kind, snapshot), device);
}

std::optional<QString> writePdf(DocumentKind kind, const Snapshot &snapshot, const QString &path)
{
    return writePdfPages(DocumentPainter(kind, snapshot), documentTitle(kind, snapshot), path);
}

QImage renderPage(DocumentKind kind, const Snapshot &snapshot, int index, int dpi)
{
    return renderPicture(DocumentPainter(kind, snapshot), index, dpi);
}

bool paintDocument(const TableDocument &table, QPagedPaintDevice &device)
{
    return paintPages(DocumentPainter(table), device);
}

std::optional<QString> writePdf(const TableDocument &table, const QString &path)
{
    return writePdfPages(DocumentPainter(table), table.title, path);
}

QImage renderPage(const TableDocument &table, int index, int dpi)
{
    return renderPicture(DocumentPainter(table), index, dpi);
}

} // namespace Zuvi::Publish
