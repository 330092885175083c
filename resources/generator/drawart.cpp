// Draws Tessaline's bitmaps: the practice window's stone backdrop, the six picture buttons and
// the window icon. The results are committed, so the normal build never runs this program.
//
//     tessaline_drawart <output directory>
//
// writes images/*.bmp, icons/tessaline.ico (and its images as PNGs) below the given directory.
// Every random choice comes from a fixed seed, so a rerun reproduces the same files byte for byte.

#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <vector>

namespace {

constexpr std::uint32_t BaseSeed = 0x7e55a11eu;

std::uint32_t hash3(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
    std::uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    h *= 0x297a2d39u;
    h ^= h >> 15;
    return h;
}

double unitHash(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
    return hash3(x, y, seed) / 4294967296.0;
}

double fade(double t) {
    return t * t * t * (t * (t * 6 - 15) + 10);
}

double mix(double a, double b, double t) {
    return a + (b - a) * t;
}

// Value noise on a torus the size of the picture: the lattice wraps after a whole number of
// cells across and down, so the right edge continues the left one and tiles show no seam.
class TileNoise {
public:
    TileNoise(int width, int height, std::uint32_t seed) : m_w(width), m_h(height), m_seed(seed) {}

    double value(double x, double y, int cellsX, int cellsY, std::uint32_t layer) const {
        const double u = x / m_w * cellsX;
        const double v = y / m_h * cellsY;
        const int i0 = static_cast<int>(std::floor(u));
        const int j0 = static_cast<int>(std::floor(v));
        const double fu = fade(u - i0);
        const double fv = fade(v - j0);
        auto corner = [&](int i, int j) {
            const int wi = ((i % cellsX) + cellsX) % cellsX;
            const int wj = ((j % cellsY) + cellsY) % cellsY;
            return unitHash(wi, wj, m_seed + layer * 7919u);
        };
        const double top = mix(corner(i0, j0), corner(i0 + 1, j0), fu);
        const double bottom = mix(corner(i0, j0 + 1), corner(i0 + 1, j0 + 1), fu);
        return mix(top, bottom, fv);
    }

    // Octaves double the cell count, which keeps every octave periodic over the same picture.
    double fbm(double x, double y, int cellsX, int cellsY, int octaves, double gain,
               std::uint32_t layer) const {
        double sum = 0, amplitude = 1, total = 0;
        for (int o = 0; o < octaves; ++o) {
            sum += amplitude * value(x, y, cellsX << o, cellsY << o, layer + o);
            total += amplitude;
            amplitude *= gain;
        }
        return sum / total;
    }

private:
    int m_w, m_h;
    std::uint32_t m_seed;
};

// A stone surface as brightness around 0.5: broad cloudy patches, fine grain, a few faint
// veins and the odd speck. The contrast is kept low so text stays readable on top of it.
// width and height are the picture's size at 1x; scale samples the same stone more finely,
// so every variant shows the same surface (scale * size must be whole). copies > 1 draws that
// many tiles side by side, for a scale at which one tile is not a whole number of pixels.
std::vector<double> stoneField(int width, int height, std::uint32_t seed, double contrast,
                               double scale = 1, int copies = 1) {
    const TileNoise noise(width, height, seed);
    const int grainX = std::max(1, width / 2);
    const int grainY = std::max(1, height / 2);
    const int mottleX = std::max(1, width / 14);
    const int mottleY = std::max(1, height / 14);
    const int outW = qRound(width * copies * scale), outH = qRound(height * scale);
    std::vector<double> field(static_cast<size_t>(outW) * outH);
    for (int y = 0; y < outH; ++y) {
        for (int x = 0; x < outW; ++x) {
            const double px = (x + 0.5) / scale, py = (y + 0.5) / scale;
            const double clouds = noise.fbm(px, py, 4, 4, 3, 0.5, 1) - 0.5;
            const double mottle = noise.fbm(px, py, mottleX, mottleY, 3, 0.6, 20) - 0.5;
            const double grain = noise.value(px, py, grainX, grainY, 40) - 0.5;
            const double ridge = 1 - std::abs(2 * noise.fbm(px, py, 3, 3, 4, 0.5, 60) - 1);
            const double vein = std::pow(ridge, 10);
            // The noise wraps by itself; the specks' grid is wrapped here.
            const double speck = unitHash(static_cast<std::uint32_t>(std::fmod(px, width)),
                                          static_cast<std::uint32_t>(py), seed ^ 0x5bd1e995u);
            double t = 0.5 + contrast * (0.9 * clouds + 0.9 * mottle + 0.35 * grain - 0.3 * vein);
            if (speck < 0.015)
                t -= 0.06 * contrast / 0.3;
            else if (speck > 0.99)
                t += 0.05 * contrast / 0.3;
            field[static_cast<size_t>(y) * outW + x] = std::clamp(t, 0.0, 1.0);
        }
    }
    return field;
}

QRgb lerpColor(QColor a, QColor b, double t) {
    return qRgb(qRound(mix(a.red(), b.red(), t)), qRound(mix(a.green(), b.green(), t)),
                qRound(mix(a.blue(), b.blue(), t)));
}

bool save(const QImage& image, const QString& path) {
    if (!image.save(path, "BMP")) {
        std::fprintf(stderr, "tessaline_drawart: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// --- Backdrop ------------------------------------------------------------------------------

// copies tiles side by side: at 150 % one tile is 256.5 pixels wide, two are 513.
bool drawBackdrop(const QString& path, double scale, int copies = 1) {
    const int w = qRound(171 * copies * scale), h = qRound(164 * scale);
    const std::vector<double> field = stoneField(171, 164, BaseSeed, 0.30, scale, copies);

    // The palette is one ramp from shadow to highlight, so a brightness is also an index and
    // nothing is lost to colour reduction.
    const QColor dark(70, 83, 102), light(178, 190, 204);
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i)
        table.append(lerpColor(dark, light, i / 255.0));

    QImage image(w, h, QImage::Format_Indexed8);
    image.setColorTable(table);
    for (int y = 0; y < h; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < w; ++x)
            line[x] = static_cast<uchar>(qRound(field[static_cast<size_t>(y) * w + x] * 255));
    }
    return save(image, path);
}

// --- Buttons -------------------------------------------------------------------------------

// Warm-ish grey from black to white: the stone, the bevel, the white words and their dark
// shadow all lie close to this line, so nearest-colour reduction keeps the edges smooth.
QList<QRgb> buttonPalette() {
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i) {
        const double v = i / 255.0;
        const double tint = 5 * std::sin(v * std::numbers::pi);
        table.append(qRgb(std::clamp(qRound(v * 255 + tint), 0, 255),
                          std::clamp(qRound(v * 255 + tint * 0.3), 0, 255),
                          std::clamp(qRound(v * 255 - tint), 0, 255)));
    }
    return table;
}

QImage toIndexed(const QImage& rgb, const QList<QRgb>& table) {
    QImage out(rgb.size(), QImage::Format_Indexed8);
    out.setColorTable(table);
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* line = out.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            int best = 0, bestDistance = INT32_MAX;
            for (int i = 0; i < table.size(); ++i) {
                const int dr = qRed(in[x]) - qRed(table[i]);
                const int dg = qGreen(in[x]) - qGreen(table[i]);
                const int db = qBlue(in[x]) - qBlue(table[i]);
                const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
                if (d < bestDistance) {
                    bestDistance = d;
                    best = i;
                }
            }
            line[x] = static_cast<uchar>(best);
        }
    }
    return out;
}

// How far a pixel lies inside a raised frame: positive on the lit top/left band, negative on
// the shaded bottom/right band, zero inside. The corners split along their diagonal.
double bevelLight(int x, int y, int w, int h, int width) {
    const int left = x, top = y, right = w - 1 - x, bottom = h - 1 - y;
    const int nearest = std::min({left, top, right, bottom});
    if (nearest >= width)
        return 0;
    const double strength = 1.0 - nearest / static_cast<double>(width) * 0.55;
    const bool lit = std::min(left, top) <= std::min(right, bottom) &&
                     !(right < width && right <= top) && !(bottom < width && bottom <= left);
    return lit ? strength : -strength;
}

QFont wordsFont(int pixelSize) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

// scale draws the same face for a screen with that many pixels per logical pixel.
bool drawButton(const QString& path, const QStringList& lines, std::uint32_t seed,
                const QList<QRgb>& table, double scale) {
    const int w = qRound(90 * scale), h = qRound(50 * scale), frame = qRound(3 * scale);
    const std::vector<double> field = stoneField(90, 50, seed, 0.22, scale);

    QImage rgb(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(rgb.scanLine(y));
        for (int x = 0; x < w; ++x) {
            double v = 0.27 + 0.26 * field[static_cast<size_t>(y) * w + x];
            const double light = bevelLight(x, y, w, h, frame);
            if (light > 0)
                v += (0.92 - v) * 0.62 * light;
            else if (light < 0)
                v *= 1 - 0.68 * -light;
            const int g = std::clamp(qRound(v * 255), 0, 255);
            line[x] = qRgb(g, g, g);
        }
    }

    QPainter painter(&rgb);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // The words are laid out at 1x and drawn through the scale, so every variant matches.
    if (scale != 1)
        painter.scale(scale, scale);
    const QFont font = wordsFont(14);
    if (QFontInfo(font).family() != QLatin1String("Liberation Sans"))
        std::fprintf(stderr, "tessaline_drawart: warning: Liberation Sans not found, using %s\n",
                     qPrintable(QFontInfo(font).family()));
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const int lineHeight = metrics.ascent() + 1;
    const int blockHeight = lineHeight * static_cast<int>(lines.size()) - 1;
    // Centre the lines' ascent only: none of these words has a descender.
    int baseline = (50 - blockHeight) / 2 + metrics.ascent() - 1;
    for (const QString& words : lines) {
        const int x = (90 - metrics.horizontalAdvance(words)) / 2;
        painter.setPen(QColor(0, 0, 0, 150));
        painter.drawText(x + 1, baseline + 1, words);
        painter.setPen(QColor(0, 0, 0, 60));
        painter.drawText(x + 2, baseline + 2, words);
        painter.setPen(Qt::white);
        painter.drawText(x, baseline, words);
        baseline += lineHeight;
    }
    painter.end();
    return save(toIndexed(rgb, table), path);
}

// --- Icon ----------------------------------------------------------------------------------

// Sixteen colours chosen for the motif, so the 4-bit images need no dithering.
const QList<QRgb> IconPalette = {
    qRgb(0, 0, 0),       qRgb(38, 48, 66),    qRgb(64, 82, 108),   qRgb(92, 112, 140),
    qRgb(124, 144, 170), qRgb(160, 178, 200), qRgb(255, 255, 255), qRgb(246, 240, 222),
    qRgb(222, 212, 186), qRgb(176, 162, 132), qRgb(110, 60, 40),   qRgb(150, 86, 52),
    qRgb(70, 70, 78),    qRgb(40, 110, 190),  qRgb(200, 160, 60),  qRgb(20, 24, 32),
};

// An open book on a rounded blue-grey tile; the page lines are words, the blue dashes are
// the letters still to be recalled. One design for 32 px and up, a simpler one for less; each
// is a list of shapes in its own pixel grid, drawn both as pixels and as SVG.
struct Shape {
    QRectF rect;
    double radius;
    int colour; // index into IconPalette
};

QList<Shape> iconDesign(int base) {
    const double radius = base >= 32 ? 5 : 3;
    // A rounded tile: dark outline, a lit rim top and left, a shaded rim bottom and right.
    QList<Shape> shapes = {
        {QRectF(0, 0, base, base), radius, 1},
        {QRectF(1, 1, base - 2, base - 2), radius - 1, 4},
        {QRectF(2, 2, base - 3, base - 3), radius - 1, 2},
        {QRectF(2, 2, base - 4, base - 4), radius - 2, 3},
    };
    auto rect = [&shapes](int x, int y, int w, int h, int colour) {
        shapes.append({QRectF(x, y, w, h), 0, colour});
    };
    if (base >= 32) {
        // A shadow under the book, the cover showing round the pages, the pages, the gutter.
        rect(5, 26, 22, 1, 1);
        rect(4, 8, 24, 18, 10);
        rect(4, 24, 24, 2, 11);
        rect(4, 25, 24, 1, 10);
        rect(5, 6, 11, 18, 7);
        rect(16, 6, 11, 18, 7);
        rect(5, 22, 11, 2, 8);
        rect(16, 22, 11, 2, 8);
        rect(15, 6, 1, 18, 9);
        rect(16, 6, 1, 18, 8);
        // Lines of text: dark runs are shown words, blue runs are hidden letters.
        struct Run {
            int x, y, w;
            bool hidden;
        };
        const Run runs[] = {
            {7, 9, 4, false},  {12, 9, 2, false},  {7, 12, 2, false},  {10, 12, 4, true},
            {7, 15, 5, false}, {13, 15, 1, false}, {7, 18, 3, true},   {11, 18, 3, false},
            {18, 9, 3, false}, {22, 9, 3, true},   {18, 12, 6, false}, {18, 15, 2, false},
            {21, 15, 4, true}, {18, 18, 4, false}, {23, 18, 2, false},
        };
        for (const Run& run : runs)
            rect(run.x, run.y, run.w, 1, run.hidden ? 13 : 12);
    } else {
        rect(2, 4, 12, 9, 10);
        rect(3, 3, 5, 9, 7);
        rect(8, 3, 5, 9, 7);
        rect(7, 3, 1, 9, 9);
        rect(3, 11, 5, 1, 8);
        rect(8, 11, 5, 1, 8);
        rect(4, 5, 3, 1, 12);
        rect(4, 7, 2, 1, 13);
        rect(4, 9, 3, 1, 12);
        rect(9, 5, 2, 1, 13);
        rect(9, 7, 3, 1, 12);
        rect(9, 9, 2, 1, 12);
    }
    return shapes;
}

// The 16 px design up to 24 px, the 32 px one above; a size that is a whole multiple of its
// design keeps hard pixel edges.
int iconBase(int size) {
    return size >= 32 ? 32 : 16;
}

QImage drawIconImage(int size) {
    const int base = iconBase(size);
    const double scale = static_cast<double>(size) / base;
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, scale != std::floor(scale) || scale > 1);
    p.scale(scale, scale);
    for (const Shape& shape : iconDesign(base)) {
        QPainterPath path;
        path.addRoundedRect(shape.rect, shape.radius, shape.radius);
        p.fillPath(path, QColor(IconPalette[shape.colour]));
    }
    p.end();
    return image;
}

QByteArray iconSvg() {
    QByteArray svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" "
                     "viewBox=\"0 0 32 32\">\n";
    for (const Shape& shape : iconDesign(32)) {
        svg += QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\"")
                   .arg(shape.rect.x())
                   .arg(shape.rect.y())
                   .arg(shape.rect.width())
                   .arg(shape.rect.height())
                   .toUtf8();
        if (shape.radius > 0)
            svg += QStringLiteral(" rx=\"%1\"").arg(shape.radius).toUtf8();
        svg += " fill=\"" + QColor(IconPalette[shape.colour]).name().toUtf8() + "\"/>\n";
    }
    return svg + "</svg>\n";
}

// The desktop's icon theme: PNGs at the usual sizes and the SVG, in the hicolor layout.
bool writeThemeIcons(const QDir& out) {
    bool ok = true;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("icons/hicolor/%1x%1/apps").arg(size);
        ok = out.mkpath(dir) && ok;
        const QString path = out.filePath(dir + QStringLiteral("/tessaline.png"));
        if (!drawIconImage(size).save(path, "PNG")) {
            std::fprintf(stderr, "tessaline_drawart: cannot write %s\n", qPrintable(path));
            ok = false;
        }
    }
    ok = out.mkpath(QStringLiteral("icons/hicolor/scalable/apps")) && ok;
    QFile svg(out.filePath(QStringLiteral("icons/hicolor/scalable/apps/tessaline.svg")));
    const QByteArray text = iconSvg();
    if (!svg.open(QIODevice::WriteOnly) || svg.write(text) != text.size()) {
        std::fprintf(stderr, "tessaline_drawart: cannot write %s\n", qPrintable(svg.fileName()));
        ok = false;
    }
    return ok;
}

void putLe16(QByteArray& out, int v) {
    char b[2];
    qToLittleEndian<quint16>(static_cast<quint16>(v), b);
    out.append(b, 2);
}

void putLe32(QByteArray& out, quint32 v) {
    char b[4];
    qToLittleEndian<quint32>(v, b);
    out.append(b, 4);
}

// One 4-bit icon image as stored in an ICO file: a bitmap header whose height counts both
// masks, the palette, the colour bits and the transparency (AND) mask, rows bottom-up.
QByteArray iconImageData(const QImage& image) {
    const int w = image.width(), h = image.height();
    const int xorStride = (w * 4 + 31) / 32 * 4;
    const int andStride = (w + 31) / 32 * 4;
    QByteArray out;
    putLe32(out, 40);
    putLe32(out, w);
    putLe32(out, 2 * h);
    putLe16(out, 1);
    putLe16(out, 4);
    putLe32(out, 0);
    putLe32(out, (xorStride + andStride) * h);
    putLe32(out, 0);
    putLe32(out, 0);
    putLe32(out, 16);
    putLe32(out, 0);
    for (QRgb c : IconPalette) {
        out.append(static_cast<char>(qBlue(c)));
        out.append(static_cast<char>(qGreen(c)));
        out.append(static_cast<char>(qRed(c)));
        out.append('\0');
    }
    QByteArray mask;
    for (int y = h - 1; y >= 0; --y) {
        QByteArray bits(xorStride, '\0');
        QByteArray maskBits(andStride, '\0');
        for (int x = 0; x < w; ++x) {
            const QRgb c = image.pixel(x, y);
            int index = 0;
            if (qAlpha(c) < 128) {
                maskBits[x / 8] = static_cast<char>(maskBits[x / 8] | (0x80 >> (x % 8)));
            } else {
                int best = INT32_MAX;
                for (int i = 0; i < IconPalette.size(); ++i) {
                    const int dr = qRed(c) - qRed(IconPalette[i]);
                    const int dg = qGreen(c) - qGreen(IconPalette[i]);
                    const int db = qBlue(c) - qBlue(IconPalette[i]);
                    const int d = dr * dr + dg * dg + db * db;
                    if (d < best) {
                        best = d;
                        index = i;
                    }
                }
            }
            const int shift = x % 2 == 0 ? 4 : 0;
            bits[x / 2] = static_cast<char>(bits[x / 2] | (index << shift));
        }
        out.append(bits);
        mask.append(maskBits);
    }
    out.append(mask);
    return out;
}

// Qt's ICO writer stores one image per file and only at its own depths, so the file is laid
// out here: header, one directory entry per image, then the images.
bool writeIcon(const QString& path) {
    const QImage images[] = {drawIconImage(32), drawIconImage(16)};
    QByteArray dir, data;
    putLe16(dir, 0);
    putLe16(dir, 1);
    putLe16(dir, 2);
    int offset = 6 + 16 * 2;
    for (const QImage& image : images) {
        const QByteArray bits = iconImageData(image);
        dir.append(static_cast<char>(image.width()));
        dir.append(static_cast<char>(image.height()));
        dir.append(static_cast<char>(16));
        dir.append('\0');
        putLe16(dir, 1);
        putLe16(dir, 4);
        putLe32(dir, bits.size());
        putLe32(dir, offset);
        offset += bits.size();
        data.append(bits);
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(dir + data) != dir.size() + data.size()) {
        std::fprintf(stderr, "tessaline_drawart: cannot write %s\n", qPrintable(path));
        return false;
    }
    file.close();

    // Read it back the way the program will, so a layout mistake shows up here and not as a
    // missing window icon.
    // Each image is also written as a PNG: the program reads those, since Qt decodes PNG
    // itself but needs a plugin, loaded at start-up, for ICO.
    QImageReader reader(path);
    QList<QSize> sizes;
    do {
        const QImage back = reader.read();
        if (back.isNull())
            break;
        sizes.append(back.size());
        const QString png =
            QFileInfo(path).dir().filePath(QStringLiteral("tessaline-%1.png").arg(back.width()));
        if (!back.save(png, "PNG")) {
            std::fprintf(stderr, "tessaline_drawart: cannot write %s\n", qPrintable(png));
            return false;
        }
    } while (reader.jumpToNextImage());
    const QIcon icon(path);
    const QList<QSize> available = icon.availableSizes();
    if (!sizes.contains(QSize(32, 32)) || !sizes.contains(QSize(16, 16)) ||
        !available.contains(QSize(32, 32)) || !available.contains(QSize(16, 16))) {
        std::fprintf(stderr, "tessaline_drawart: %s does not read back as 32x32 and 16x16\n",
                     qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // Fonts need a GUI application, but nothing here needs a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tessaline_drawart <output directory>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("images")) || !out.mkpath(QStringLiteral("icons"))) {
        std::fprintf(stderr, "tessaline_drawart: cannot create folders in %s\n", argv[1]);
        return 1;
    }

    // Each picture also comes in variants for screens scaled to 150 % and 200 %, named as Qt
    // expects ("@2x"). The backdrop's 150 % variant holds two tiles side by side: one alone
    // would not be whole pixels wide, two repeat on whole pixels.
    bool ok = drawBackdrop(out.filePath(QStringLiteral("images/picture1.bmp")), 1);
    ok = drawBackdrop(out.filePath(QStringLiteral("images/picture1@1.5x.bmp")), 1.5, 2) && ok;
    ok = drawBackdrop(out.filePath(QStringLiteral("images/picture1@2x.bmp")), 2) && ok;

    struct Button {
        const char* file;
        QStringList lines;
    };
    const Button buttons[] = {
        {"select-verse.bmp", {QStringLiteral("Select"), QStringLiteral("Verse")}},
        {"show-verse.bmp", {QStringLiteral("Show"), QStringLiteral("Verse")}},
        {"hint.bmp", {QStringLiteral("Hint")}},
        {"letter-mode.bmp", {QStringLiteral("Letter"), QStringLiteral("Mode")}},
        {"word-mode.bmp", {QStringLiteral("Word"), QStringLiteral("Mode")}},
        {"exit.bmp", {QStringLiteral("Exit")}},
    };
    const QList<QRgb> table = buttonPalette();
    // All 1x faces first: once the words were drawn through a scale, the font engine no longer
    // hints them the same way at 1x.
    for (const auto& [scale, suffix] : {std::pair{1.0, ""}, {1.5, "@1.5x"}, {2.0, "@2x"}}) {
        std::uint32_t seed = BaseSeed + 1;
        for (const Button& b : buttons) {
            QString path = out.filePath(QStringLiteral("images/") + QLatin1String(b.file));
            path.insert(path.size() - 4, QLatin1String(suffix));
            ok = drawButton(path, b.lines, seed++, table, scale) && ok;
        }
    }

    ok = writeIcon(out.filePath(QStringLiteral("icons/tessaline.ico"))) && ok;
    ok = writeThemeIcons(out) && ok;
    return ok ? 0 : 1;
}
