#include "app/forms.h"
#include "app/module1.h"
#include "app/twips.h"
#include "card/form3.h"
#include "tests/support/testmain.h"
#include "tests/support/testsupport.h"

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
        QCOMPARE(card.Command1->geometry(), Twips::rect(3120, 3960, 1095, 375));
        QCOMPARE(card.Label1->geometry(), Twips::rect(360, 360, 6855, 3135));
        QVERIFY(card.Label1->alignment() & Qt::AlignHCenter);
        QVERIFY(card.Label1->wordWrap());
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
        QCOMPARE(card.Label1->textFormat(), Qt::PlainText);
        QCOMPARE(card.size(), Twips::size(7605, 4470));
    }
};

TESSALINE_TEST_MAIN(TestVerseCard)
#include "tst_versecard.moc"
