// Draws start-up and editor-open time against the number of verses from bench_suite's
// startup-scaling.tsv:
//
//     bench_plot <startup-scaling.tsv> <out.png>
//
// The verse counts go on a logarithmic axis, the times on a linear one.

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>

namespace {

struct Series {
    QString name;
    QColor colour;
    int column;
    bool dashed;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_plot <startup-scaling.tsv> <out.png>\n");
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    QList<QList<double>> rows;
    for (const QByteArray& line : in.readAll().split('\n').mid(1)) {
        const QList<QByteArray> cells = line.split('\t');
        if (cells.size() < 4)
            continue;
        QList<double> row;
        for (const QByteArray& c : cells)
            row.append(c.toDouble());
        rows.append(row);
    }
    if (rows.size() < 2) {
        std::fprintf(stderr, "too few rows in %s\n", argv[1]);
        return 1;
    }

    const QList<Series> series{
        {QStringLiteral("start-up (process start to window shown, exit)"), QColor(0x1f, 0x5f, 0xbf),
         1, false},
        {QStringLiteral("floor program start-up"), QColor(0x80, 0x80, 0x80), 2, true},
        {QStringLiteral("editor open (\"Change Verse\" to \"Record: 1\")"),
         QColor(0xc0, 0x40, 0x20), 3, false}};
    double top = 0;
    for (const auto& row : rows)
        for (const Series& s : series)
            top = std::max(top, row[s.column]);
    // A round top for the time axis.
    const double step = std::pow(10.0, std::floor(std::log10(std::max(top, 1.0))));
    double yMax = std::ceil(top / step) * step;
    if (yMax / step < 4)
        yMax = std::ceil(top / (step / 2)) * (step / 2);
    const double xMin = std::log10(rows.first()[0]) - 0.1;
    const double xMax = std::log10(rows.last()[0]) + 0.1;

    QImage image(900, 560, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(13);
    p.setFont(font);
    const QRectF area(80, 40, 790, 420);
    auto at = [&](double verses, double msValue) {
        return QPointF(area.left() + (std::log10(verses) - xMin) / (xMax - xMin) * area.width(),
                       area.bottom() - msValue / yMax * area.height());
    };

    p.setPen(QColor(0xdd, 0xdd, 0xdd));
    const int ticks = int(std::round(yMax / (yMax > 4 * step ? step : step / 2)));
    for (int i = 0; i <= ticks; ++i) {
        const double v = yMax * i / ticks;
        const QPointF a = at(rows.first()[0], v);
        p.setPen(QColor(0xdd, 0xdd, 0xdd));
        p.drawLine(QPointF(area.left(), a.y()), QPointF(area.right(), a.y()));
        p.setPen(Qt::black);
        p.drawText(QRectF(0, a.y() - 10, area.left() - 8, 20), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(v));
    }
    for (const auto& row : rows) {
        const QPointF a = at(row[0], 0);
        p.setPen(QColor(0xdd, 0xdd, 0xdd));
        p.drawLine(QPointF(a.x(), area.top()), QPointF(a.x(), area.bottom()));
        p.setPen(Qt::black);
        p.drawText(QRectF(a.x() - 50, area.bottom() + 6, 100, 20), Qt::AlignCenter,
                   QLocale(QLocale::English).toString(int(row[0])));
    }
    p.setPen(Qt::black);
    p.drawRect(area);
    p.drawText(QRectF(area.left(), area.bottom() + 28, area.width(), 20), Qt::AlignCenter,
               QStringLiteral("verses in verses.mdb (logarithmic)"));
    p.save();
    p.translate(18, area.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-100, -10, 200, 20), Qt::AlignCenter, QStringLiteral("median time, ms"));
    p.restore();
    QFont titleFont = font;
    titleFont.setPixelSize(16);
    titleFont.setBold(true);
    p.setFont(titleFont);
    p.drawText(QRectF(0, 8, image.width(), 24), Qt::AlignCenter,
               QStringLiteral("Tessaline: start-up and editor open against library size"));
    p.setFont(font);

    int legendY = int(area.top()) + 12;
    for (const Series& s : series) {
        QPen pen(s.colour, 2.5);
        if (s.dashed)
            pen.setStyle(Qt::DashLine);
        p.setPen(pen);
        QPainterPath path;
        bool any = false;
        for (const auto& row : rows) {
            if (!(row[s.column] > 0))
                continue;
            const QPointF pt = at(row[0], row[s.column]);
            any ? path.lineTo(pt) : path.moveTo(pt);
            any = true;
        }
        p.drawPath(path);
        p.setBrush(s.colour);
        for (const auto& row : rows)
            if (row[s.column] > 0)
                p.drawEllipse(at(row[0], row[s.column]), 3.5, 3.5);
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(area.left() + 14, legendY), QPointF(area.left() + 44, legendY));
        p.setPen(Qt::black);
        p.drawText(QPointF(area.left() + 52, legendY + 5),
                   any ? s.name : s.name + QStringLiteral(" (not measured)"));
        legendY += 20;
    }
    p.end();
    if (!image.save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
