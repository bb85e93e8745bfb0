#pragma once

#include <QImage>
#include <QObject>
#include <QString>

class QPainter;
class QRectF;

namespace Zuvi::Publish {

/// The address of the players' page while it is served, for the big screen to show as a QR
/// code players scan with their phones. Empty while the page is not served.
class PageAddress final : public QObject
{
    Q_OBJECT

public:
    static PageAddress &instance();
    const QString &address() const { return m_address; }
    void setAddress(const QString &address);

Q_SIGNALS:
    void changed();

private:
    QString m_address;
};

/// The QR code of text (error correction M), one pixel per module with a quiet zone of
/// four modules, black on white; a null image where text cannot be encoded.
QImage qrCode(const QString &text);

/// Paints a QR code (one pixel a module, as qrCode() gives it) into a square, each dark
/// module a filled square, so that the printed code stays sharp at any resolution.
void paintQrCode(QPainter &painter, const QRectF &square, const QImage &code);

} // namespace Zuvi::Publish
