#include "app/forms.h"
#include "app/module1.h"
#include "card/form3.h"
#include "favourites/form4.h"
#include "practice/form1.h"
#include "practice/picturebutton.h"
#include "tests/support/testmain.h"
#include "tests/support/testsupport.h"

#include <QTest>

// The practice window driven through real key and mouse events.
class TestForm1 : public ProgramTestCase {
    Q_OBJECT

    Form1& openPractice() {
        Form1& w = Forms::show<Form1>();
        if (!QTest::qWaitForWindowActive(&w))
            qWarning("practice window not active");
        return w;
    }

    // Starts a verse the way a favourite button does.
    void startVerse(Form1& w, const QString& title, const QString& text) {
        shared().CurrentTitle = title;
        shared().CurrentText = text;
        shared().MaskedText = QString(255, QLatin1Char(' '));
        w.PrepareVerse();
        w.Command1->setFocus();
    }

    void typeKeys(const QString& keys) { QTest::keyClicks(QApplication::focusWidget(), keys); }

private slots:
    void opensAsLaidOut() {
        Form1& w = openPractice();
        QCOMPARE(w.windowTitle(), QStringLiteral("Tessaline"));
        QCOMPARE(w.size(), QSize(597, 367));
        QCOMPARE(QApplication::focusWidget(), w.Command1);
        QVERIFY(w.Label1->text().isEmpty());
        QVERIFY(!w.Picture1->isVisible());
        QCOMPARE(w.Picture1->pixmap().size(), QSize(171, 164));
        QCOMPARE(w.Picture1ScaleWidth(), 2565.0);
        QCOMPARE(w.Picture1ScaleHeight(), 2460.0);
        const QList<PictureButton*> buttons{w.Command1, w.Command5, w.Command6,
                                            w.Command3, w.Command2, w.Command4};
        const QStringList words{"Select Verse", "Show Verse", "Hint",
                                "Letter Mode",  "Word Mode",  "Exit"};
        const QList<int> tops{8, 72, 128, 184, 240, 312};
        for (int i = 0; i < buttons.size(); ++i) {
            QCOMPARE(buttons[i]->accessibleName(), words[i]);
            QCOMPARE(buttons[i]->toolTip(), words[i]);
            QCOMPARE(buttons[i]->geometry(), QRect(496, tops[i], 94, 52));
        }
    }

    void typedVerseIsUncoveredInTheLabel() {
        Form1& w = openPractice();
        startVerse(w, QStringLiteral("Psalm"), QStringLiteral("Go on."));
        QCOMPARE(w.windowTitle(), QStringLiteral("Psalm"));
        QCOMPARE(w.Label1->text().left(6), QStringLiteral("-- --."));
        typeKeys(QStringLiteral("G o"));
        QCOMPARE(w.Label1->text().left(6), QStringLiteral("Go --."));
        QCOMPARE(w.Label1->text(), shared().MaskedText);
        QCOMPARE(QApplication::focusWidget(), w.Command1);
    }

    void labelShowsPlainText() {
        Form1& w = openPractice();
        startVerse(w, QStringLiteral("t"), QStringLiteral("1 <b> & 2"));
        QCOMPARE(w.Label1->textFormat(), Qt::PlainText);
        QVERIFY(w.Label1->text().startsWith(QStringLiteral("1 <-> & 2")));
    }

    void blankOnSelectVerseDoesNotOpenFavourites() {
        Form1& w = openPractice();
        startVerse(w, QStringLiteral("t"), QStringLiteral("ab cd"));
        typeKeys(QStringLiteral("ab "));
        QCOMPARE(shared().KeyText, QStringLiteral(" "));
        QVERIFY(!Forms::isLoaded<Form4>());
        // A mouse press opens it even right after a blank.
        QTest::mouseClick(w.Command1, Qt::LeftButton);
        QVERIFY(Forms::isLoaded<Form4>());
        QVERIFY(Forms::get<Form4>().isVisible());
    }

    void selectVersePressedAfterAnyOtherKeyOpensFavourites() {
        Form1& w = openPractice();
        shared().KeyText = QStringLiteral("x");
        w.Command1->click(); // a press after any key but a blank
        QVERIFY(Forms::isLoaded<Form4>());
    }

    void modeButtonsReturnFocusToSelectVerse_data() {
        QTest::addColumn<bool>("word");
        QTest::newRow("Word Mode") << true;
        QTest::newRow("Letter Mode") << false;
    }
    void modeButtonsReturnFocusToSelectVerse() {
        QFETCH(bool, word);
        Form1& w = openPractice();
        shared().PracticeMode = word ? 0 : 1;
        QTest::mouseClick(word ? w.Command2 : w.Command3, Qt::LeftButton);
        QCOMPARE(shared().PracticeMode, qint16(word ? 1 : 0));
        QCOMPARE(QApplication::focusWidget(), w.Command1);
        typeKeys(QStringLiteral(" "));
        QVERIFY(!Forms::isLoaded<Form4>());
    }

    void switchingModeMidWordUncoversRestOfWord() {
        Form1& w = openPractice();
        startVerse(w, QStringLiteral("t"), QStringLiteral("abc de"));
        typeKeys(QStringLiteral("a"));
        QTest::mouseClick(w.Command2, Qt::LeftButton);
        typeKeys(QStringLiteral("b"));
        QCOMPARE(w.Label1->text().left(6), QStringLiteral("abc --"));
    }

    void hintUncoversOneLetterAndKeepsTheGuard() {
        Form1& w = openPractice();
        startVerse(w, QStringLiteral("t"), QStringLiteral("ab cd"));
        QTest::mouseClick(w.Command6, Qt::LeftButton);
        QCOMPARE(w.Label1->text().left(5), QStringLiteral("a- --"));
        QCOMPARE(QApplication::focusWidget(), w.Command1);
    }

    void showVerseKeepsFocusSoABlankShowsTheCardAgain() {
        Form1& w = openPractice();
        startVerse(w, QStringLiteral("Card title"), QStringLiteral("ab"));
        QTest::mouseClick(w.Command5, Qt::LeftButton);
        QVERIFY(Forms::isLoaded<Form3>());
        QCOMPARE(Forms::get<Form3>().windowTitle(), QStringLiteral("Card title"));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(QApplication::focusWidget(), w.Command5);
        Forms::get<Form3>().close();
        settle();
        QVERIFY(!Forms::isLoaded<Form3>());
        typeKeys(QStringLiteral(" "));
        QVERIFY(Forms::isLoaded<Form3>());
    }

    void tryAgainNoShowsFavouritesAndYesRestarts() {
        Form1& w = openPractice();
        startVerse(w, QStringLiteral("t"), QStringLiteral("Hi!"));
        typeKeys(QStringLiteral("hi"));
        host->answer(Host::Answer::No);
        typeKeys(QStringLiteral("x"));
        QCOMPARE(host->messages.size(), 1);
        QCOMPARE(host->messages.first().text, QStringLiteral("Try Again?"));
        QCOMPARE(host->messages.first().title, QStringLiteral("Choice:"));
        QCOMPARE(host->messages.first().buttons, Host::Buttons::YesNo);
        QVERIFY(Forms::isLoaded<Form4>());
        QCOMPARE(w.Label1->text().left(3), QStringLiteral("Hi!"));

        host->answer(Host::Answer::Yes);
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.Command1->setFocus();
        typeKeys(QStringLiteral("x"));
        QCOMPARE(w.Label1->text().left(3), QStringLiteral("--!"));
        QCOMPARE(shared().CharPos, qint16(1));
    }

    void blankAnsweringTryAgainDoesNotOpenFavourites() {
        Form1& w = openPractice();
        startVerse(w, QStringLiteral("t"), QStringLiteral("a"));
        typeKeys(QStringLiteral("a"));
        host->answer(Host::Answer::Yes);
        typeKeys(QStringLiteral(" "));
        QCOMPARE(host->messages.size(), 1);
        QVERIFY(!Forms::isLoaded<Form4>());
    }

    void onlyTypedCharactersReachTheTypingCheck_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("typed");
        QTest::newRow("letter") << int(Qt::Key_G) << int(Qt::NoModifier) << "g" << true;
        QTest::newRow("shifted letter") << int(Qt::Key_G) << int(Qt::ShiftModifier) << "G" << true;
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << int(Qt::NoModifier) << "\b" << true;
        QTest::newRow("Alt shortcut") << int(Qt::Key_G) << int(Qt::AltModifier) << "g" << false;
        QTest::newRow("Delete") << int(Qt::Key_Delete) << int(Qt::NoModifier) << "\x7f" << false;
        QTest::newRow("AltGr character")
            << int(Qt::Key_At) << int(Qt::GroupSwitchModifier) << "@" << true;
        QTest::newRow("Tab") << int(Qt::Key_Tab) << int(Qt::NoModifier) << "\t" << false;
    }
    void onlyTypedCharactersReachTheTypingCheck() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(bool, typed);
        Form1& w = openPractice();
        startVerse(w, QStringLiteral("t"), QStringLiteral("Go"));
        shared().KeyText = QStringLiteral("-");
        QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
        QApplication::sendEvent(QApplication::focusWidget(), &press);
        QCOMPARE(shared().KeyText != QStringLiteral("-"), typed);
    }

    void keysBeforeAnyVerseAreHarmless() {
        Form1& w = openPractice();
        typeKeys(QStringLiteral("abc"));
        QTest::mouseClick(w.Command6, Qt::LeftButton);
        QVERIFY(host->messages.isEmpty());
        QVERIFY(w.Label1->text().isEmpty());
        QCOMPARE(shared().KeyText, QStringLiteral("c"));
    }

    void exitEndsTheProgram() {
        Form1& w = openPractice();
        QTest::mouseClick(w.Command4, Qt::LeftButton);
        QCOMPARE(host->endCodes, QList<int>{0});
    }
};

TESSALINE_TEST_MAIN(TestForm1)
#include "tst_form1.moc"
