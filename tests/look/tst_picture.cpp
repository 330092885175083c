#include "look/picture.h"
#include "tests/support/testmain.h"

#include <QTest>

// Every bitmap keeps its logical size whatever variant a scaled screen gets.
class TestPicture : public QObject {
    Q_OBJECT

private slots:
    void variantForTheScreen_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<qreal>("screen");
        QTest::addColumn<qreal>("variant");
        QTest::addColumn<QSize>("logical");
        const QString face = QStringLiteral(":/images/hint.bmp");
        const QString tile = QStringLiteral(":/images/picture1.bmp");
        QTest::newRow("face at 100 %") << face << 1.0 << 1.0 << QSize(90, 50);
        QTest::newRow("face at 125 %") << face << 1.25 << 1.5 << QSize(90, 50);
        QTest::newRow("face at 150 %") << face << 1.5 << 1.5 << QSize(90, 50);
        QTest::newRow("face at 175 %") << face << 1.75 << 2.0 << QSize(90, 50);
        QTest::newRow("face at 200 %") << face << 2.0 << 2.0 << QSize(90, 50);
        QTest::newRow("face at 300 %: the finest") << face << 3.0 << 2.0 << QSize(90, 50);
        QTest::newRow("tile at 150 %: the 200 % one, not the block")
            << tile << 1.5 << 2.0 << QSize(171, 164);
        QTest::newRow("tile at 200 %") << tile << 2.0 << 2.0 << QSize(171, 164);
        QTest::newRow("tile at 100 %") << tile << 1.0 << 1.0 << QSize(171, 164);
    }
    void variantForTheScreen() {
        QFETCH(QString, path);
        QFETCH(qreal, screen);
        QFETCH(qreal, variant);
        QFETCH(QSize, logical);
        const QPixmap picture = Look::picture(path, screen);
        QCOMPARE(picture.devicePixelRatio(), variant);
        QCOMPARE(picture.deviceIndependentSize(), QSizeF(logical));
        QCOMPARE(picture.size(), logical * variant);
    }

    // At 150 % the backdrop comes as a block of two tiles; elsewhere no block is needed.
    void tileBlockOnlyAt150Percent() {
        const QString tile = QStringLiteral(":/images/picture1.bmp");
        QCOMPARE(Look::tiles(tile, 1.5).size(), QSize(513, 246));
        QVERIFY(Look::tiles(tile, 1).isNull());
        QVERIFY(Look::tiles(tile, 2).isNull());
        QVERIFY(Look::tiles(QStringLiteral(":/images/hint.bmp"), 1.5).isNull());
    }

    void missingPictureIsNull() {
        QVERIFY(Look::picture(QStringLiteral(":/images/none.bmp"), 2).isNull());
    }
};

TESSALINE_TEST_MAIN(TestPicture)
#include "tst_picture.moc"
