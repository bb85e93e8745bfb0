// Every caption meets the contrast a reader with low vision needs: the colour of its text
// against the window's background where the text is drawn, sampled from a rendered
// screenshot (the marble and the card included), at least 4.5:1, or 3:1 for large text.

#include "support/allwindows.h"

#include "ui/textlistmodel.h"

#include <QBrush>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QTest>

#include <algorithm>
#include <cmath>

using namespace Zuvi;
using namespace Zuvi::Test;

namespace {

/// The relative luminance of a colour as WCAG 2 defines it.
double luminance(QRgb rgb)
{
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) +
           0.0722 * channel(qBlue(rgb));
}

/// The contrast ratio of two colours, 1 to 21.
double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

/// WCAG's large text: 18 points, or 14 points bold.
bool isLarge(const QFont &font)
{
    return font.pointSizeF() >= 18 || (font.bold() && font.pointSizeF() >= 14);
}

/// The captions of a window whose text falls below the contrast it needs, each with its
/// ratio, its text colour and the background colour that gives the lowest ratio. The
/// background is sampled from the window rendered with that caption's text taken away,
/// over the rectangle where its text is drawn: every pixel there counts.
QStringList lowContrastCaptions(QWidget *window)
{
    QStringList low;
    const QList<QLabel *> labels = window->findChildren<QLabel *>();
    for (QLabel *label : labels) {
        // A dialog that belongs to the window is a window of its own, measured on its own.
        if (label->window() != window || !label->isVisibleTo(window) ||
            label->text().trimmed().isEmpty() || label->width() == 0 || label->height() == 0)
            continue;
        const QString text = label->text();
        const QRgb ink = label->palette().color(label->foregroundRole()).rgb();
        const QRect inside = label->contentsRect();
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        QRect drawn = label->fontMetrics().boundingRect(inside, flags, text).intersected(inside);
        if (drawn.isEmpty())
            continue;

        label->setText(QString());
        const QImage shot = window->grab().toImage();
        label->setText(text);
        const QRect area(label->mapTo(window, drawn.topLeft()), drawn.size());

        double worst = 21;
        QRgb worstGround = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QRgb ground = shot.pixel(x * shot.width() / window->width(),
                                               y * shot.height() / window->height());
                const double ratio = contrast(ink, ground);
                if (ratio < worst) {
                    worst = ratio;
                    worstGround = ground;
                }
            }
        }
        const double needed = isLarge(label->font()) ? 3.0 : 4.5;
        if (worst < needed)
            low.append(QStringLiteral("%1 %2:1 (%3 on %4)")
                           .arg(label->objectName())
                           .arg(worst, 0, 'f', 2)
                           .arg(QColor(ink).name(), QColor(worstGround).name()));
    }
    return low;
}

} // namespace

class TestContrast final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void captionsStandOutFromTheirBackground_data();
    void captionsStandOutFromTheirBackground();
    void droppedEntrantsAreGreyedReadably();
    void theMeasureFindsLowContrast_data();
    void theMeasureFindsLowContrast();
};

void TestContrast::captionsStandOutFromTheirBackground_data()
{
    QTest::addColumn<QString>("window");
    for (const QString &window : allWindowNames())
        QTest::newRow(qPrintable(window)) << window;
}

void TestContrast::captionsStandOutFromTheirBackground()
{
    QFETCH(QString, window);
    AllWindows windows;
    QVERIFY(windows.complete());
    QWidget *top = windows.window(window);
    QVERIFY2(top, qPrintable(window));
    QVERIFY(QTest::qWaitForWindowExposed(top));
    const QStringList low = lowContrastCaptions(top);
    QVERIFY2(low.isEmpty(), qPrintable(low.join(QStringLiteral("; "))));
}

void TestContrast::droppedEntrantsAreGreyedReadably()
{
    // A greyed row (a dropped entrant) stands apart from the others and is still read as
    // text: 4.5:1 or more against the list's background.
    Ui::TextListModel model;
    model.setTexts({QStringLiteral("Adams, Ann"), QStringLiteral("Baker, Bob")}, {false, true});
    const QPalette palette = QGuiApplication::palette();
    const QRgb base = palette.color(QPalette::Base).rgb();
    const QVariant plain = model.data(model.index(0), Qt::ForegroundRole);
    const QRgb text =
        plain.isValid() ? plain.value<QBrush>().color().rgb() : palette.color(QPalette::Text).rgb();
    const QRgb greyed =
        model.data(model.index(1), Qt::ForegroundRole).value<QBrush>().color().rgb();
    QVERIFY(greyed != text);
    QVERIFY2(contrast(greyed, base) >= 4.5,
             qPrintable(QStringLiteral("%1:1").arg(contrast(greyed, base), 0, 'f', 2)));
}

void TestContrast::theMeasureFindsLowContrast_data()
{
    QTest::addColumn<QString>("ink");
    QTest::addColumn<QString>("ground");
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("low");

    QTest::newRow("4.48:1, small") << "#777777"
                                   << "#ffffff" << 10 << false << true;
    QTest::newRow("4.54:1, small") << "#767676"
                                   << "#ffffff" << 10 << false << false;
    QTest::newRow("3.03:1, 14 points bold") << "#949494"
                                            << "#ffffff" << 14 << true << false;
    QTest::newRow("3.03:1, 14 points") << "#949494"
                                       << "#ffffff" << 14 << false << true;
    QTest::newRow("3.03:1, 18 points") << "#949494"
                                       << "#ffffff" << 18 << false << false;
    QTest::newRow("light on dark") << "#ffffff"
                                   << "#3b3b3b" << 10 << false << false;
    QTest::newRow("light on mid grey") << "#ffffff"
                                       << "#8a8a8a" << 10 << false << true;
}

void TestContrast::theMeasureFindsLowContrast()
{
    QFETCH(QString, ink);
    QFETCH(QString, ground);
    QFETCH(int, points);
    QFETCH(bool, bold);
    QFETCH(bool, low);

    // The background is painted by the window, as the marble is, not by the caption.
    QWidget window;
    window.resize(300, 80);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(ground));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    auto *caption = new QLabel(QStringLiteral("Number of Rounds"), &window);
    caption->setObjectName(QStringLiteral("Caption"));
    caption->setGeometry(10, 10, 280, 60);
    QFont font = caption->font();
    font.setPointSize(points);
    font.setBold(bold);
    caption->setFont(font);
    palette.setColor(QPalette::WindowText, QColor(ink));
    caption->setPalette(palette);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(lowContrastCaptions(&window).size(), low ? 1 : 0);
}

QTEST_MAIN(TestContrast)
#include "tst_contrast.moc"
