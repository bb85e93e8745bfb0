#include "publish/playercards.h"

#include "publish/pagecode.h"
#include "tournament/tablereports.h"
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

#include <algorithm>
#include <cmath>

namespace Zuvi::Publish {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Zuvi::Publish::PlayerCards", text);
}

QFont fontAt(qreal points, int dpi, bool bold = false)
{
    QFont font = Ui::sansFont(points, bold);
    font.setPixelSize(std::max(1, int(std::lround(points * dpi / 72.0))));
    return font;
}

QPageLayout cardLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                       QPageLayout::Millimeter);
}

void paintCard(QPainter &painter, const QRectF &card, int dpi, const PlayerCard &entry)
{
    const qreal mm = dpi / 25.4;
    // Dashed lines to cut along.
    painter.save();
    painter.setPen(QPen(Qt::gray, 0.2 * mm, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(card);
    painter.restore();

    const QRectF inner = card.adjusted(4 * mm, 4 * mm, -4 * mm, -4 * mm);
    const QFont small = fontAt(7.5, dpi);
    const QFont name = fontAt(12, dpi, true);
    const QFont code = fontAt(15, dpi, true);
    const qreal smallLine = QFontMetricsF(small).height();
    // The link stands whole on the card's last line, under the square to scan.
    const qreal linkRoom = entry.link.isEmpty() ? 0 : smallLine * 1.2;
    const qreal qrSide =
        entry.link.isEmpty() ? 0 : std::min(inner.height() - linkRoom - 1 * mm, 28 * mm);
    const QRectF text(inner.left(), inner.top(), inner.width() - (qrSide > 0 ? qrSide + 3 * mm : 0),
                      inner.height() - linkRoom);
    qreal y = text.top();
    const auto line = [&](const QFont &font, const QString &words, qreal room = 1.0) {
        painter.setFont(font);
        const QFontMetricsF metrics(font);
        painter.drawText(QRectF(text.left(), y, text.width(), metrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(words, Qt::ElideRight, text.width()));
        y += metrics.height() * room;
    };
    painter.setPen(Qt::black);
    line(small, tr("Player card: keep it to yourself"), 1.3);
    line(name, entry.name);
    if (!entry.house.isEmpty())
        line(small, entry.house, 1.4);
    else
        y += smallLine * 1.4;
    line(small, tr("Your code to report your results:"));
    line(code, Progress::groupedCode(entry.code), 1.2);
    // What to do with it, wrapped in the room left.
    painter.setFont(small);
    const QString how = entry.link.isEmpty()
                            ? tr("The players' page was not on the network when this card was "
                                 "printed: open the page the organiser gives out and type the "
                                 "code under \"Code on your player card\".")
                            : tr("Scan the square, or open the link below, or type the code on "
                                 "the players' page.");
    painter.drawText(QRectF(text.left(), y, text.width(), text.bottom() - y),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, how);
    if (qrSide > 0) {
        paintQrCode(painter, QRectF(inner.right() - qrSide, inner.top(), qrSide, qrSide),
                    qrCode(entry.link));
        painter.setFont(small);
        painter.drawText(QRectF(inner.left(), inner.bottom() - smallLine, inner.width(), smallLine),
                         Qt::AlignRight | Qt::AlignVCenter, entry.link);
    }
}

bool paintPages(const QList<PlayerCard> &cards, QPagedPaintDevice &device)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const int dpi = device.logicalDpiY();
    const QRectF page(QPointF(0, 0), device.pageLayout().paintRectPixels(dpi).size());
    const int pages = cardPageCount(cards.size());
    for (int index = 0; index < pages; ++index) {
        if (index > 0 && !device.newPage())
            return false;
        paintCardPage(painter, page, dpi, cards, index);
    }
    return painter.end();
}

} // namespace

QList<PlayerCard> playerCards(const Progress::State &state, const QString &pageAddress,
                              const QString &only)
{
    QList<PlayerCard> cards;
    for (const Progress::Entrant &entrant : state.entrants) {
        const QString code = state.playerCodes.value(entrant.name);
        if (code.isEmpty() || (!only.isEmpty() && entrant.name != only))
            continue;
        QString link;
        if (!pageAddress.isEmpty()) {
            link = pageAddress;
            if (!link.endsWith(QLatin1Char('/')))
                link += QLatin1Char('/');
            link += QStringLiteral("p/") + code;
        }
        cards.append({entrant.name, entrant.house, code, link});
    }
    return cards;
}

int cardPageCount(qsizetype cards)
{
    return int(std::max<qsizetype>(1, (cards + kCardsPerPage - 1) / kCardsPerPage));
}

void paintCardPage(QPainter &painter, const QRectF &page, int dpi, const QList<PlayerCard> &cards,
                   int index)
{
    constexpr int across = 2;
    constexpr int down = kCardsPerPage / across;
    const qreal width = page.width() / across;
    const qreal height = page.height() / down;
    for (int i = 0; i < kCardsPerPage; ++i) {
        const qsizetype at = qsizetype(index) * kCardsPerPage + i;
        if (at >= cards.size())
            break;
        const QRectF card(page.left() + (i % across) * width, page.top() + (i / across) * height,
                          width, height);
        paintCard(painter, card, dpi, cards.at(at));
    }
}

bool paintCards(const QList<PlayerCard> &cards, QPagedPaintDevice &device)
{
    return paintPages(cards, device);
}

std::optional<QString> writeCardsPdf(const QList<PlayerCard> &cards, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    {
        QPdfWriter writer(&file);
        writer.setResolution(300);
        writer.setCreator(Ui::appTitle());
        writer.setTitle(tr("Player cards"));
        writer.setPageLayout(cardLayout());
        if (!paintPages(cards, writer)) {
            file.cancelWriting();
            return tr("The PDF could not be made.");
        }
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

QImage renderCardPage(const QList<PlayerCard> &cards, int index, int dpi)
{
    const QPageLayout layout = cardLayout();
    const QRect full = layout.fullRectPixels(dpi);
    const QRect paint = layout.paintRectPixels(dpi);
    QImage image(full.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.translate(paint.topLeft());
    paintCardPage(painter, QRectF(QPointF(0, 0), paint.size()), dpi, cards, index);
    return image;
}

} // namespace Zuvi::Publish
