// Makes the pictures of the windows, the marble background of the registration window
// and the registration card of the player editor, and the application's icon.
// Run: zuvi-assets OUTDIR   (writes OUTDIR/marble.png, OUTDIR/card.png and the icon as
// OUTDIR/icon/zuvi-SIZE.png and OUTDIR/icon/zuvi.svg; the committed copies live in assets/)

#include "../../src/ui/twips.h"

#include <QDir>
#include <QSaveFile>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QTextStream>

#include <array>
#include <cmath>

namespace {

// Smooth value noise over a lattice of fixed random values (fixed seed: the same picture
// every run).
class ValueNoise
{
public:
    explicit ValueNoise(quint32 seed)
    {
        QRandomGenerator random(seed);
        for (double &value : m_values)
            value = random.generateDouble();
    }

    double at(double x, double y) const
    {
        const int x0 = int(std::floor(x));
        const int y0 = int(std::floor(y));
        const double fx = smooth(x - x0);
        const double fy = smooth(y - y0);
        const double a = lattice(x0, y0), b = lattice(x0 + 1, y0);
        const double c = lattice(x0, y0 + 1), d = lattice(x0 + 1, y0 + 1);
        return lerp(lerp(a, b, fx), lerp(c, d, fx), fy);
    }

    // Sum of octaves of the absolute deviation: the turbulence that bends the veins.
    double turbulence(double x, double y, int octaves) const
    {
        double sum = 0, scale = 1, total = 0;
        for (int i = 0; i < octaves; ++i) {
            sum += std::abs(at(x * scale, y * scale) - 0.5) * 2 / scale;
            total += 1 / scale;
            scale *= 2;
        }
        return sum / total;
    }

private:
    static double smooth(double t) { return t * t * (3 - 2 * t); }
    static double lerp(double a, double b, double t) { return a + (b - a) * t; }
    double lattice(int x, int y) const
    {
        const unsigned h = (unsigned(x) * 73856093u) ^ (unsigned(y) * 19349663u);
        return m_values[h % m_values.size()];
    }

    std::array<double, 4096> m_values{};
};

QImage marble()
{
    const int width = 720, height = 400;
    QImage image(width, height, QImage::Format_RGB888);
    const ValueNoise noise(20260101u);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double turbulence = noise.turbulence(x / 90.0, y / 90.0, 6);
            const double veins = std::abs(std::sin((x * 0.012 + y * 0.021) + turbulence * 7.5));
            const double vein = std::pow(veins, 0.35); // dark thin veins near 0
            const double cloud = noise.turbulence(x / 40.0 + 17, y / 40.0 + 5, 4);
            const double light = 0.80 + 0.14 * vein + 0.06 * cloud;
            // Pale grey-green: green a little above red and blue.
            const int r = qBound(0, int(222 * light), 255);
            const int g = qBound(0, int(235 * light), 255);
            const int b = qBound(0, int(222 * light), 255);
            image.setPixelColor(x, y, QColor(r, g, b));
        }
    }
    return image;
}

// The registration card under the player editor's boxes: a light grey card with a thin
// dark frame, a faded illustration, a logo in the lower right quarter, and the printed
// captions, each followed by a rule on which its box lies. The positions come from the
// boxes' geometry in twips, so that every box covers the space above its rule.
struct CardLine
{
    const char *caption;
    int captionLeft;               // pixels from the card's left edge
    int boxLeft, boxTop, boxWidth; // the box on the rule, in twips
    int ruleEnd;                   // pixels; 0: the rule ends with the box
};

constexpr int kCardWidth = 526, kCardHeight = 346;
constexpr int kLeftCaption = 10, kRightCaption = 280;
// Rules that run almost to the card's right edge end here.
constexpr int kLongRuleEnd = kCardWidth - 12;
// The box text's baseline lies this far below the top of its 13-pixel box.
constexpr int kBaseline = 11;

const CardLine kCardLines[] = {
    {"First Name:", kLeftCaption, 1320, 120, 2655, 0},
    {"Last Name:", kRightCaption, 5400, 120, 2295, 0},
    {"Email:", kLeftCaption, 840, 600, 3015, 0},
    {"Phone:", kRightCaption, 4920, 600, 2775, 0},
    {"Address:", kLeftCaption, 1020, 1020, 4575, kLongRuleEnd},
    {"City:", kLeftCaption, 600, 1500, 3255, 0},
    {"State:", kRightCaption, 4800, 1500, 2835, 0},
    {"Zip:", kLeftCaption, 540, 1920, 3255, 0},
    {"Country:", kRightCaption, 5100, 1920, 2535, 0},
    {"Webpage:", kLeftCaption, 1200, 2400, 3315, kLongRuleEnd},
    {"Username Choice 1:", kLeftCaption, 2220, 2820, 1575, 0},
    {"Password:", kRightCaption, 5280, 2820, 2295, 0},
    {"Username Choice 2:", kLeftCaption, 2220, 3300, 1635, 0},
    {"Username Choice 3:", kLeftCaption, 2220, 3720, 1635, 0},
};

const QColor kCardGround(230, 230, 230);
const QColor kInk(0, 0, 0);
const QColor kRuleInk(70, 70, 70);

// The captions' face: plain sans-serif at 12 pixels, widened as far as every caption
// still ends before its box, so that each box starts just after its caption's colon.
QFont captionFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    font.setHintingPreference(QFont::PreferNoHinting);
    const QFontMetricsF metrics(font);
    int stretch = 130;
    for (const CardLine &line : kCardLines) {
        const qreal room = Zuvi::Ui::twips(line.boxLeft) - 3 - line.captionLeft;
        const qreal natural = metrics.horizontalAdvance(QString::fromLatin1(line.caption));
        stretch = qMin(stretch, int(100 * room / natural));
    }
    font.setStretch(qMax(100, stretch));
    return font;
}

// A faded grey illustration behind the text: overlapping rings and a fan of rays, like a
// watermark, light enough that the boxes and the captions stay easy to read.
void drawIllustration(QPainter &painter)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    const QPointF centre(250, 190);
    for (int i = 0; i < 9; ++i) {
        painter.setPen(QPen(QColor(217, 217, 217), 2 + (i % 3)));
        const qreal radius = 36 + i * 19;
        painter.drawEllipse(centre + QPointF(i * 4, -i * 2), radius, radius * 0.78);
    }
    painter.setPen(QPen(QColor(222, 222, 222), 1.5));
    for (int i = 0; i < 24; ++i) {
        const qreal angle = i * 15 * M_PI / 180;
        painter.drawLine(centre, centre + QPointF(std::cos(angle), std::sin(angle)) * 260);
    }
    painter.restore();
}

// The logo: a ring around a folded "Z" made of two bars and a diagonal, with three dots
// above it and the name below.
void drawLogo(QPainter &painter)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(452, 272);
    const QColor logoInk(96, 96, 96);
    painter.setPen(QPen(logoInk, 3));
    painter.setBrush(QColor(218, 218, 218));
    painter.drawEllipse(centre, 38, 38);
    painter.setPen(QPen(logoInk, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, 32, 32);

    QPainterPath zed;
    zed.moveTo(centre + QPointF(-17, -16));
    zed.lineTo(centre + QPointF(17, -16));
    zed.lineTo(centre + QPointF(17, -10));
    zed.lineTo(centre + QPointF(-7, 11));
    zed.lineTo(centre + QPointF(17, 11));
    zed.lineTo(centre + QPointF(17, 17));
    zed.lineTo(centre + QPointF(-17, 17));
    zed.lineTo(centre + QPointF(-17, 11));
    zed.lineTo(centre + QPointF(7, -10));
    zed.lineTo(centre + QPointF(-17, -10));
    zed.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(logoInk);
    painter.drawPath(zed);
    for (int i = -1; i <= 1; ++i)
        painter.drawEllipse(centre + QPointF(i * 9, -25), 2.2, 2.2);

    QFont name;
    name.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    name.setPixelSize(13);
    name.setBold(true);
    name.setLetterSpacing(QFont::AbsoluteSpacing, 4);
    painter.setFont(name);
    painter.setPen(logoInk);
    painter.drawText(QRectF(centre.x() - 50, centre.y() + 42, 104, 18), Qt::AlignCenter,
                     QStringLiteral("ZUVI"));
    painter.restore();
}

QImage card()
{
    using Zuvi::Ui::twips;
    QImage image(kCardWidth, kCardHeight, QImage::Format_RGB888);
    image.fill(kCardGround);
    QPainter painter(&image);
    drawIllustration(painter);
    drawLogo(painter);

    // The thin dark frame.
    painter.setPen(QPen(QColor(60, 60, 60), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, kCardWidth - 1, kCardHeight - 1);
    painter.drawRect(2, 2, kCardWidth - 5, kCardHeight - 5);

    const QFont font = captionFont();
    const QFontMetricsF metrics(font);
    painter.setFont(font);
    const auto rule = [&painter](qreal from, qreal to, int y) {
        painter.setPen(QPen(kRuleInk, 1));
        painter.drawLine(QPointF(from, y + 0.5), QPointF(to, y + 0.5));
    };
    const auto caption = [&painter, &metrics](const QString &text, int left, int top) {
        painter.setPen(kInk);
        painter.drawText(QPointF(left, top + kBaseline), text);
        return left + metrics.horizontalAdvance(text);
    };

    for (const CardLine &line : kCardLines) {
        const int top = twips(line.boxTop);
        const qreal end = caption(QString::fromLatin1(line.caption), line.captionLeft, top);
        const int boxRight = twips(line.boxLeft) + twips(line.boxWidth);
        // The rule lies just under the box (13 pixels high) and begins after the colon.
        rule(end + 1, line.ruleEnd ? line.ruleEnd : boxRight, top + twips(195));
    }

    // Birthday: three rules separated by "/", all under the one box.
    {
        const int top = twips(4200);
        const qreal end = caption(QStringLiteral("Birthday:"), kLeftCaption, top);
        const int left = twips(1020), width = twips(2535), y = top + twips(195);
        const qreal part = (width - 2 * 10) / 3.0;
        qreal from = left;
        for (int i = 0; i < 3; ++i) {
            rule(i == 0 ? end + 1 : from, from + part, y);
            from += part;
            if (i < 2) {
                caption(QStringLiteral("/"), int(from + 3), top);
                from += 10;
            }
        }
    }

    // The question about emails: two lines of text, then a blank rule for the tick under
    // Check1 before "Yes" and another for "No", which Label1 blanks out.
    caption(QStringLiteral("Is it ok if we send you emails"), kLeftCaption, twips(4620));
    {
        const int top = twips(4860);
        caption(QStringLiteral("about upcoming events?"), kLeftCaption, top);
        const int y = top + twips(195);
        const int yes = twips(2700), no = twips(3360) + 2;
        rule(yes, yes + twips(195), y);
        caption(QStringLiteral("Yes"), yes + twips(195) + 2, top);
        rule(no, no + 11, y);
        caption(QStringLiteral("No"), no + 13, top);
    }
    painter.end();
    return image;
}

// The application's icon: a red card lying behind an ivory card that carries a golden
// crown. The shapes are given once, on a 256 x 256 grid, and drawn both into PNG files
// at the desktop's usual sizes and into an SVG file. The outlines never get thinner than
// one pixel, so that the card and the crown stay apart at 16 pixels.
struct IconCard
{
    QRectF rect;
    qreal angle; // degrees, clockwise, about the card's centre
    QColor fill;
    QColor ink;
};

const IconCard kIconCards[] = {
    {QRectF(38, 34, 128, 178), -13, QColor(178, 34, 34), QColor(92, 16, 16)},
    {QRectF(90, 50, 128, 178), 9, QColor(255, 250, 236), QColor(52, 40, 28)},
};
constexpr qreal kIconCardRadius = 16;
constexpr qreal kIconCardStroke = 8;

// The crown in the frame of the front card (before its rotation).
const QPointF kCrown[] = {{104, 170}, {99, 102},  {129, 134}, {154, 86},
                          {179, 134}, {209, 102}, {204, 170}};
const QPointF kCrownJewels[] = {{99, 102}, {154, 86}, {209, 102}};
const QRectF kCrownBand(104, 170, 100, 26);
const QColor kCrownGold(242, 183, 5);
const QColor kCrownInk(112, 72, 0);
const QColor kCrownSmall(200, 132, 0);
constexpr qreal kCrownStroke = 6;
constexpr qreal kJewelRadius = 9;

const int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

QImage icon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal scale = size / 256.0;
    painter.scale(scale, scale);
    // A stroke of at least one pixel, in grid units.
    const auto stroke = [scale](qreal width) { return qMax(width, 1.0 / scale); };
    // Up to 24 pixels the front card stands upright, so that its edges fall on whole
    // pixels, and the crown is one solid darker shape: outlines and jewels would blur.
    const bool small = size <= 24;
    for (const IconCard &card : kIconCards) {
        const bool front = &card == &kIconCards[std::size(kIconCards) - 1];
        painter.save();
        painter.translate(card.rect.center());
        painter.rotate(small && front ? 0 : card.angle);
        painter.translate(-card.rect.center());
        painter.setPen(QPen(card.ink, stroke(kIconCardStroke)));
        painter.setBrush(card.fill);
        painter.drawRoundedRect(card.rect, kIconCardRadius, kIconCardRadius);
        if (front && small) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(kCrownSmall);
            painter.drawPolygon(kCrown, int(std::size(kCrown)));
            painter.drawRect(kCrownBand);
        } else if (front) {
            QPen ink(kCrownInk, stroke(kCrownStroke));
            ink.setJoinStyle(Qt::RoundJoin);
            painter.setPen(ink);
            painter.setBrush(kCrownGold);
            painter.drawPolygon(kCrown, int(std::size(kCrown)));
            painter.drawRect(kCrownBand);
            for (const QPointF &jewel : kCrownJewels)
                painter.drawEllipse(jewel, kJewelRadius, kJewelRadius);
        }
        painter.restore();
    }
    painter.end();
    return image;
}

QString svgColour(const QColor &colour)
{
    return colour.name(QColor::HexRgb);
}

QString iconSvg()
{
    QString svg;
    QTextStream out(&svg);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
           "viewBox=\"0 0 256 256\">\n";
    for (const IconCard &card : kIconCards) {
        const QPointF centre = card.rect.center();
        out << "  <g transform=\"rotate(" << card.angle << ' ' << centre.x() << ' ' << centre.y()
            << ")\">\n";
        out << "    <rect x=\"" << card.rect.x() << "\" y=\"" << card.rect.y() << "\" width=\""
            << card.rect.width() << "\" height=\"" << card.rect.height() << "\" rx=\""
            << kIconCardRadius << "\" fill=\"" << svgColour(card.fill) << "\" stroke=\""
            << svgColour(card.ink) << "\" stroke-width=\"" << kIconCardStroke << "\"/>\n";
        if (&card == &kIconCards[std::size(kIconCards) - 1]) {
            out << "    <g fill=\"" << svgColour(kCrownGold) << "\" stroke=\""
                << svgColour(kCrownInk) << "\" stroke-width=\"" << kCrownStroke
                << "\" stroke-linejoin=\"round\">\n";
            out << "      <polygon points=\"";
            for (const QPointF &point : kCrown)
                out << point.x() << ',' << point.y() << (&point == std::end(kCrown) - 1 ? "" : " ");
            out << "\"/>\n";
            out << "      <rect x=\"" << kCrownBand.x() << "\" y=\"" << kCrownBand.y()
                << "\" width=\"" << kCrownBand.width() << "\" height=\"" << kCrownBand.height()
                << "\"/>\n";
            for (const QPointF &jewel : kCrownJewels)
                out << "      <circle cx=\"" << jewel.x() << "\" cy=\"" << jewel.y() << "\" r=\""
                    << kJewelRadius << "\"/>\n";
            out << "    </g>\n";
        }
        out << "  </g>\n";
    }
    out << "</svg>\n";
    return svg;
}

bool writeIcons(const QDir &out, QTextStream &err)
{
    if (!out.mkpath(QStringLiteral("icon"))) {
        err << "cannot create " << out.filePath(QStringLiteral("icon")) << "\n";
        return false;
    }
    for (const int size : kIconSizes) {
        const QString file = out.filePath(QStringLiteral("icon/zuvi-%1.png").arg(size));
        if (!icon(size).save(file)) {
            err << "cannot write " << file << "\n";
            return false;
        }
    }
    QSaveFile svg(out.filePath(QStringLiteral("icon/zuvi.svg")));
    if (!svg.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        svg.write(iconSvg().toUtf8()) < 0 || !svg.commit()) {
        err << "cannot write " << svg.fileName() << "\n";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    // Text is drawn without a screen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: zuvi-assets OUTDIR\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path())) {
        err << "cannot create " << out.path() << "\n";
        return 1;
    }
    if (!marble().save(out.filePath(QStringLiteral("marble.png")))) {
        err << "cannot write marble.png\n";
        return 1;
    }
    if (!card().save(out.filePath(QStringLiteral("card.png")))) {
        err << "cannot write card.png\n";
        return 1;
    }
    if (!writeIcons(out, err))
        return 1;
    return 0;
}
