#include "app/forms.h"
#include "app/module1.h"
#include "card/form3.h"
#include "tests/support/testmain.h"
#include "tests/support/testsupport.h"

#include <QElapsedTimer>

// The verse card shows the verse that was current when it loaded, exactly as written.
class TestVerseCard : public ProgramTestCase {
    Q_OBJECT

    void setVerse(const QString& title, const QString& text) {
        shared().CurrentTitle = title;
        shared().CurrentText = text;
    }

private slots:
    void keepsItsVerseUntilClosed() {
        setVerse(QStringLiteral("First"), QStringLiteral("one"));
        Form3& card = Forms::show<Form3>();
        QCOMPARE(card.windowTitle(), QStringLiteral("First"));
        QCOMPARE(card.Label1->text(), QStringLiteral("one"));

        setVerse(QStringLiteral("Second"), QStringLiteral("two"));
        QCOMPARE(&Forms::show<Form3>(), &card); // shown again while open: same verse
        QCOMPARE(card.windowTitle(), QStringLiteral("First"));
        QCOMPARE(card.Label1->text(), QStringLiteral("one"));

        card.Command1->click();
        settle();
        QVERIFY(!Forms::isLoaded<Form3>());
        Form3& again = Forms::show<Form3>();
        QCOMPARE(again.windowTitle(), QStringLiteral("Second"));
        QCOMPARE(again.Label1->text(), QStringLiteral("two"));
    }

    void opensEmptyBeforeAnyVerseWithOkFocused() {
        Form3& card = Forms::show<Form3>();
        QVERIFY(QTest::qWaitForWindowActive(&card));
        QVERIFY(card.windowTitle().trimmed().isEmpty());
        QVERIFY(card.Label1->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), card.Command1);
        QCOMPARE(card.Command1->geometry(), QRect(208, 264, 73, 25));
        QCOMPARE(card.Label1->geometry(), QRect(24, 24, 457, 209));
        QVERIFY(card.Label1->alignment() & Qt::AlignHCenter);
        QVERIFY(card.Label1->wordWrap());
    }

    void enterOnOkClosesTheCard() {
        Form3& card = Forms::show<Form3>();
        QVERIFY(QTest::qWaitForWindowActive(&card));
        QVERIFY(keyDown(Qt::Key_Return, QStringLiteral("\r")));
        QVERIFY(keyUp(Qt::Key_Return, QStringLiteral("\r")));
        settle();
        QVERIFY(!Forms::isLoaded<Form3>());
    }

    void showsTheTextLiterally_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("ampersand") << "Faith & hope";
        QTest::newRow("markup") << "<b>not bold</b>";
        QTest::newRow("entity") << "&amp; stays five characters";
    }
    void showsTheTextLiterally() {
        QFETCH(QString, text);
        setVerse(QStringLiteral("t"), text);
        Form3& card = Forms::show<Form3>();
        QCOMPARE(card.Label1->text(), text);
        QCOMPARE(card.Label1->spokenText(), text);
        QCOMPARE(card.size(), QSize(507, 298));
    }

    // The card hides nothing, so a verse reads in its own direction: a right-to-left verse
    // ends at the left. Which end of the line its full stop is at: the end whose outermost
    // ink is low (a stop) rather than tall (a letter).
    void verseReadsInItsOwnDirection_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stopAt");
        QTest::newRow("Hebrew") << QStringLiteral("\u05D0 \u05D1\u05D1 \u05D2\u05D2\u05D2.")
                                << "left";
        QTest::newRow("Arabic") << QStringLiteral(
                                       "\u0633\u0644\u0627\u0645 \u0639\u0644\u064A\u0643\u0645.")
                                << "left";
        QTest::newRow("English with a Hebrew word")
            << QStringLiteral("Go \u05D0\u05D1 on.") << "right";
    }
    void verseReadsInItsOwnDirection() {
        QFETCH(QString, text);
        QFETCH(QString, stopAt);
        setVerse(QStringLiteral("t"), text);
        Form3& card = Forms::show<Form3>();
        QCOMPARE(card.Label1->accessibleName(), QStringLiteral("Verse"));
        const QImage shot = card.Label1->grab().toImage();
        card.Label1->setText(QString());
        const QImage blank = card.Label1->grab().toImage();
        // The topmost ink row of the outermost two ink columns at each end.
        QList<int> columns;
        for (int x = 0; x < shot.width(); ++x)
            for (int y = 0; y < shot.height(); ++y)
                if (shot.pixel(x, y) != blank.pixel(x, y)) {
                    columns << x;
                    break;
                }
        QVERIFY(columns.size() > 10);
        auto top = [&](int x) {
            for (int y = 0; y < shot.height(); ++y)
                if (shot.pixel(x, y) != blank.pixel(x, y))
                    return y;
            return shot.height();
        };
        const int left = std::min(top(columns.first()), top(columns[1]));
        const int right = std::min(top(columns.last()), top(columns[columns.size() - 2]));
        QCOMPARE(left > right ? QStringLiteral("left") : QStringLiteral("right"), stopAt);
    }

    // Only what fits the label is laid out: the card opens at once, showing what a card
    // holding just the start of the verse shows.
    void aHugeVerseOpensAtOnce_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("rest");
        QTest::newRow("words") << QStringLiteral("In the beginning was the Word. ").repeated(200)
                               << QStringLiteral("and more ").repeated(600000);
        QTest::newRow("one long word")
            << QStringLiteral("a").repeated(5000) << QStringLiteral("a").repeated(5000000);
        QTest::newRow("short lines")
            << QStringLiteral("line\n").repeated(100) << QStringLiteral("line\n").repeated(1000000);
    }
    void aHugeVerseOpensAtOnce() {
        QFETCH(QString, start);
        QFETCH(QString, rest);
        setVerse(QStringLiteral("Long"), start + rest);
        QElapsedTimer clock;
        clock.start();
        Form3& card = Forms::show<Form3>();
        const QImage huge = card.Label1->grab().toImage();
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(elapsed < 300, qPrintable(QString::number(elapsed) + " ms"));
        QCOMPARE(card.Label1->text().size(), shared().CurrentText.size());
        card.Label1->setText(start);
        QCOMPARE(card.Label1->grab().toImage(), huge);
        card.Label1->setText(start.left(20));
        QVERIFY(card.Label1->grab().toImage() != huge);
    }
};

TESSALINE_TEST_MAIN(TestVerseCard)
#include "tst_versecard.moc"
