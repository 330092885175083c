#include "card/form3.h"
#include "look/backdrop.h"
#include "practice/form1.h"
#include "tests/support/testmain.h"
#include "tests/support/testsupport.h"
#include "windowbase/formbase.h"
#include "windowbase/forms.h"

#include <QPainter>
#include <QTest>

namespace {

class RecordingSurface : public Backdrop::Surface {
public:
    RecordingSurface(double w, double h) : width(w), height(h) {}
    double scaleWidth() const override { return width; }
    double scaleHeight() const override { return height; }
    void paintPicture(double x, double y, double w, double h) override {
        tiles.append(QRectF(x, y, w, h));
    }
    double width, height;
    QList<QRectF> tiles;
};

} // namespace

class TestBackdrop : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { resetProgram(); }

    void tilePositions_data() {
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("height");
        QTest::addColumn<QList<double>>("xs");
        QTest::addColumn<QList<double>>("ys");
        QTest::newRow("verse card")
            << 7605.0 << 4470.0 << QList<double>{0, 2565, 5130} << QList<double>{0, 2460};
        QTest::newRow("practice window") << 8955.0 << 5505.0 << QList<double>{0, 2565, 5130, 7695}
                                         << QList<double>{0, 2460, 4920};
        QTest::newRow("exactly two tiles wide")
            << 5130.0 << 100.0 << QList<double>{0, 2565} << QList<double>{0};
        QTest::newRow("one twip wider")
            << 5131.0 << 100.0 << QList<double>{0, 2565, 5130} << QList<double>{0};
        QTest::newRow("smaller than a tile")
            << 100.0 << 100.0 << QList<double>{0} << QList<double>{0};
        QTest::newRow("no height") << 7605.0 << 0.0 << QList<double>{} << QList<double>{};
        QTest::newRow("no width") << 0.0 << 4470.0 << QList<double>{} << QList<double>{};
    }
    void tilePositions() {
        QFETCH(double, width);
        QFETCH(double, height);
        QFETCH(QList<double>, xs);
        QFETCH(QList<double>, ys);
        RecordingSurface surface(width, height);
        Backdrop::paintTiles(surface, 2565, 2460);
        QList<QRectF> expected;
        for (double y : ys)
            for (double x : xs)
                expected.append(QRectF(x, y, 2565, 2460));
        QCOMPARE(surface.tiles, expected);
    }

    void tileWithoutAreaDrawsNothing_data() {
        QTest::addColumn<double>("tileWidth");
        QTest::addColumn<double>("tileHeight");
        QTest::newRow("zero width") << 0.0 << 2460.0;
        QTest::newRow("zero height") << 2565.0 << 0.0;
        QTest::newRow("negative") << -1.0 << -1.0;
    }
    void tileWithoutAreaDrawsNothing() {
        QFETCH(double, tileWidth);
        QFETCH(double, tileHeight);
        RecordingSurface surface(7605, 4470);
        Backdrop::paintTiles(surface, tileWidth, tileHeight);
        QVERIFY(surface.tiles.isEmpty());
    }

    // However the tiles are drawn, a window of any size shows exactly the pixels of one
    // picture per tile, row by row from the top-left corner.
    void everyTileIsThePicture_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("practice window") << QSize(597, 367);
        QTest::newRow("one tile") << QSize(171, 164);
        QTest::newRow("smaller than a tile") << QSize(100, 50);
        QTest::newRow("one pixel past two tiles") << QSize(343, 329);
        QTest::newRow("wide and low") << QSize(2000, 30);
        // Past a full-HD screen the tiles are drawn as one tiled fill, below it one by one.
        QTest::newRow("larger than full HD") << QSize(2000, 1200);
    }
    void everyTileIsThePicture() {
        QFETCH(QSize, size);
        ScriptedHost host;
        FormBase window;
        window.resize(size);
        const QPixmap picture = Forms::get<Form1>().Picture1->pixmap();
        if (picture.devicePixelRatio() != window.devicePixelRatioF())
            QSKIP("the picture is scaled on this screen; windowIsCoveredWithThePicture checks it");
        QImage shown(size * picture.devicePixelRatio(), QImage::Format_RGB32);
        shown.setDevicePixelRatio(picture.devicePixelRatio());
        QImage expected = shown;
        window.render(&shown, {}, {}, QWidget::RenderFlags());
        QPainter p(&expected);
        for (int y = 0; y < size.height(); y += 164)
            for (int x = 0; x < size.width(); x += 171)
                p.drawPixmap(x, y, picture);
        p.end();
        QCOMPARE(shown, expected);
    }

    // A real window shows the practice window's picture repeated from its top-left corner, at
    // the screen's own resolution (ctest also runs this at 150 % and 200 %) and always on the
    // grid of a 171 x 164 tile.
    void windowIsCoveredWithThePicture() {
        ScriptedHost host;
        Form3& card = Forms::show<Form3>();
        QVERIFY(QTest::qWaitForWindowExposed(&card));
        QVERIFY(isLoaded<Form1>()); // painting created the picture's owner
        const Form1& main = Forms::get<Form1>();
        QCOMPARE(main.Picture1ScaleWidth(), 2565.0);
        QCOMPARE(main.Picture1ScaleHeight(), 2460.0);
        const QPixmap picture = main.Picture1->pixmap();
        const qreal ratio = card.devicePixelRatioF();
        QCOMPARE(ratio, qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble());
        QCOMPARE(picture.devicePixelRatio(), ratio > 1 ? 2.0 : 1.0);
        const QImage shot = card.grab().toImage();
        QCOMPARE(shot.size(), card.size() * ratio);
        if (ratio == 1.5) {
            // A tile is 256.5 pixels wide: every pixel outside the button comes from the
            // block of two tiles drawn at 150 %, which repeats on whole pixels.
            const QImage block = QImage(QStringLiteral(":/images/picture1@1.5x.bmp"))
                                     .convertToFormat(QImage::Format_RGB32);
            QCOMPARE(block.size(), QSize(513, 246));
            const QRect button(card.Command1->geometry().topLeft() * ratio,
                               card.Command1->size() * ratio);
            const QImage screen = shot.convertToFormat(QImage::Format_RGB32);
            int differing = 0;
            for (int y = 0; y < screen.height(); ++y)
                for (int x = 0; x < screen.width(); ++x)
                    if (!button.adjusted(-1, -1, 1, 1).contains(x, y) &&
                        screen.pixel(x, y) != block.pixel(x % 513, y % 246))
                        ++differing;
            QCOMPARE(differing, 0);
            return;
        }
        if (picture.devicePixelRatio() != ratio)
            return; // scaled down: no pixel of the shot is a pixel of the picture
        const QImage tile = picture.toImage();
        const auto at = [ratio](int x, int y) {
            return QPoint(qRound(x * ratio), qRound(y * ratio));
        };
        for (QPoint p : {QPoint(0, 0), QPoint(100, 5), QPoint(3, 120)}) {
            const QColor expected = tile.pixelColor(at(p.x(), p.y()));
            QCOMPARE(shot.pixelColor(at(p.x(), p.y())), expected);
            QCOMPARE(shot.pixelColor(at(p.x() + 171, p.y())), expected);
            QCOMPARE(shot.pixelColor(at(p.x() + 171 * 2, p.y() + 164)), expected);
        }
    }
};

TESSALINE_TEST_MAIN(TestBackdrop)
#include "tst_backdrop.moc"
