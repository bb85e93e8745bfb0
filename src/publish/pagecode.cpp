#include "publish/pagecode.h"

#include <QPainter>
#include <QRectF>

#include <qrencode.h>

#include <memory>

namespace Zuvi::Publish {

PageAddress &PageAddress::instance()
{
    static PageAddress address;
    return address;
}

void PageAddress::setAddress(const QString &address)
{
    if (m_address == address)
        return;
    m_address = address;
    Q_EMIT changed();
}

QImage qrCode(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    const std::unique_ptr<QRcode, void (*)(QRcode *)> code(
        QRcode_encodeString8bit(utf8.constData(), 0, QR_ECLEVEL_M), &QRcode_free);
    if (!code)
        return QImage();
    constexpr int quiet = 4;
    const int size = code->width + 2 * quiet;
    QImage image(size, size, QImage::Format_Mono);
    image.setColor(0, qRgb(255, 255, 255));
    image.setColor(1, qRgb(0, 0, 0));
    image.fill(0);
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            if (code->data[y * code->width + x] & 1)
                image.setPixel(x + quiet, y + quiet, 1);
        }
    }
    return image;
}

void paintQrCode(QPainter &painter, const QRectF &square, const QImage &code)
{
    if (code.isNull() || code.width() <= 0)
        return;
    const qreal module = square.width() / code.width();
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.fillRect(square, Qt::white);
    painter.setBrush(Qt::black);
    for (int y = 0; y < code.height(); ++y) {
        for (int x = 0; x < code.width(); ++x) {
            if (qGray(code.pixel(x, y)) < 128)
                painter.drawRect(
                    QRectF(square.left() + x * module, square.top() + y * module, module, module));
        }
    }
    painter.restore();
}

} // namespace Zuvi::Publish
