// Makes the pictures of the windows: the marble background of the registration window.
// Run: zuvi-assets OUTDIR   (writes OUTDIR/marble.png; the committed copy lives in assets/)

#include <QCoreApplication>
#include <QDir>
#include <QImage>
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
            const double vein = std::pow(veins, 0.35);       // dark thin veins near 0
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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
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
    return 0;
}
