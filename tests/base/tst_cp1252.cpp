#include "base/cp1252.h"
#include <QTest>

class TestCp1252 : public QObject {
    Q_OBJECT
private slots:
    void codes_data() {
        QTest::addColumn<QString>("character");
        QTest::addColumn<int>("code");
        QTest::newRow("letter") << "A" << 65;
        QTest::newRow("at sign") << "@" << 64;
        QTest::newRow("euro sign") << QStringLiteral("\u20ac") << 0x80;
        QTest::newRow("left double quote") << QStringLiteral("\u201c") << 0x93;
        QTest::newRow("e acute") << QStringLiteral("\u00e9") << 0xE9;
        QTest::newRow("y diaeresis capital") << QStringLiteral("\u0178") << 0x9F;
        QTest::newRow("unassigned code point kept") << QStringLiteral("\u0081") << 0x81;
        QTest::newRow("Greek omega has no code") << QStringLiteral("\u03a9") << 63;
        QTest::newRow("C1 control that 1252 reassigns") << QStringLiteral("\u0080") << 63;
    }
    void codes() {
        QFETCH(QString, character);
        QFETCH(int, code);
        QCOMPARE(Cp1252::code(character.at(0)), code);
    }

    void everyByteRoundTrips() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = Cp1252::decode(all);
        QVERIFY(Cp1252::canEncode(text));
        QCOMPARE(Cp1252::encode(text), all);
    }

    void canEncodeRejectsCharactersWithoutCode() {
        QVERIFY(Cp1252::canEncode(QStringLiteral("caf\u00e9 \u201cq\u201d")));
        QVERIFY(!Cp1252::canEncode(QStringLiteral("\u03a9mega")));
    }
};

QTEST_GUILESS_MAIN(TestCp1252)
#include "tst_cp1252.moc"
