#include "app/forms.h"
#include "app/module1.h"
#include "card/form3.h"
#include "editor/frmverses.h"
#include "favourites/form4.h"
#include "practice/form1.h"
#include "practice/picturebutton.h"
#include "tests/support/testmain.h"
#include "tests/support/testsupport.h"

#include <QAccessible>
#include <QMessageBox>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>

namespace {

// The real message boxes instead of the scripted answers, for as long as it lives.
struct RealMessageBoxes {
    Host::Backend* scripted = Host::setBackend(nullptr);
    ~RealMessageBoxes() { Host::setBackend(scripted); }
};

// Runs `script` on the modal box once it is open.
void whenBoxOpens(std::function<void(QMessageBox&)> script) {
    QTimer::singleShot(0, [script] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            script(*box);
        else
            whenBoxOpens(script);
    });
}

} // namespace

// The practice window driven through real key and mouse events.
class TestForm1 : public ProgramTestCase {
    Q_OBJECT

    Form1* practice = nullptr;

    // Starts a verse the way a favourite button does.
    void startVerse(Form1& w, const QString& title, const QString& text) {
        shared().CurrentTitle = title;
        shared().CurrentText = text;
        shared().MaskedText = QString(255, QLatin1Char(' '));
        w.PrepareVerse();
        w.Command1->setFocus();
    }

private slots:
    // Every test starts at the practice window in front.
    void init() {
        ProgramTestCase::init();
        practice = &Forms::show<Form1>();
        QVERIFY(activate(*practice));
    }

    void opensAsLaidOut() {
        Form1& w = *practice;
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
        Form1& w = *practice;
        startVerse(w, QStringLiteral("Psalm"), QStringLiteral("Go on."));
        QCOMPARE(w.windowTitle(), QStringLiteral("Psalm"));
        QCOMPARE(w.Label1->text().left(6), QStringLiteral("-- --."));
        QVERIFY(typeText(QStringLiteral("G o")));
        QCOMPARE(w.Label1->text().left(6), QStringLiteral("Go --."));
        QCOMPARE(w.Label1->text(), shared().MaskedText);
        QCOMPARE(QApplication::focusWidget(), w.Command1);
    }

    // Each key draws only the lines it can change; the window must show what drawing the
    // whole label shows, also where an uncovered word, narrower or wider than its hyphens,
    // moves to the line above or pushes words down.
    void eachKeyLeavesTheWindowAsAFullPaintWould() {
        Form1& w = *practice;
        const QString verse = QStringLiteral(
            "I will lift up mine eyes unto the hills, from whence cometh my help. My help "
            "cometh from the LORD, which made heaven and earth. He will not suffer thy foot to "
            "be moved: he that keepeth thee will not slumber. Behold, he that keepeth Israel "
            "shall neither slumber nor sleep. iiiiiiii mmmmmmmm iiiiiiii mmmm");
        startVerse(w, QStringLiteral("Psalm 121"), verse);
        QCoreApplication::processEvents();
        const QRect label = w.Label1->geometry();
        int keys = 0;
        for (QChar c : verse) {
            if (!c.isLetter())
                continue;
            QVERIFY(typeText(QString(c.toLower())));
            ++keys;
            QCoreApplication::processEvents();
            // What the window shows: the screen's copy of it, as drawn key by key.
            const QImage onScreen =
                w.screen()
                    ->grabWindow(w.winId(), label.x(), label.y(), label.width(), label.height())
                    .toImage();
            const QImage full = w.grab(label).toImage().convertToFormat(onScreen.format());
            QVERIFY2(onScreen == full, qPrintable(QStringLiteral("after key %1").arg(keys)));
        }
        QCOMPARE(w.Label1->spokenText(), verse);
    }

    void labelShowsPlainText() {
        Form1& w = *practice;
        startVerse(w, QStringLiteral("t"), QStringLiteral("1 <b> & 2"));
        QCOMPARE(w.Label1->textFormat(), Qt::PlainText);
        QVERIFY(w.Label1->text().startsWith(QStringLiteral("1 <-> & 2")));
    }

    void blankOnSelectVerseDoesNotOpenFavourites() {
        Form1& w = *practice;
        startVerse(w, QStringLiteral("t"), QStringLiteral("ab cd"));
        QVERIFY(typeText(QStringLiteral("ab ")));
        QCOMPARE(shared().KeyText, QStringLiteral(" "));
        QVERIFY(!Forms::isLoaded<Form4>());
        // A mouse press opens it even right after a blank.
        QTest::mouseClick(w.Command1, Qt::LeftButton);
        QVERIFY(Forms::isLoaded<Form4>());
        QVERIFY(Forms::get<Form4>().isVisible());
    }

    void selectVersePressedAfterAnyOtherKeyOpensFavourites() {
        Form1& w = *practice;
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
        Form1& w = *practice;
        shared().PracticeMode = word ? 0 : 1;
        QTest::mouseClick(word ? w.Command2 : w.Command3, Qt::LeftButton);
        QCOMPARE(shared().PracticeMode, qint16(word ? 1 : 0));
        QCOMPARE(QApplication::focusWidget(), w.Command1);
        QVERIFY(typeText(QStringLiteral(" ")));
        QVERIFY(!Forms::isLoaded<Form4>());
    }

    void switchingModeMidWordUncoversRestOfWord() {
        Form1& w = *practice;
        startVerse(w, QStringLiteral("t"), QStringLiteral("abc de"));
        QVERIFY(typeText(QStringLiteral("a")));
        QTest::mouseClick(w.Command2, Qt::LeftButton);
        QVERIFY(typeText(QStringLiteral("b")));
        QCOMPARE(w.Label1->text().left(6), QStringLiteral("abc --"));
    }

    void hintUncoversOneLetterAndKeepsTheGuard() {
        Form1& w = *practice;
        startVerse(w, QStringLiteral("t"), QStringLiteral("ab cd"));
        QTest::mouseClick(w.Command6, Qt::LeftButton);
        QCOMPARE(w.Label1->text().left(5), QStringLiteral("a- --"));
        QCOMPARE(QApplication::focusWidget(), w.Command1);
    }

    void showVerseKeepsFocusSoABlankShowsTheCardAgain() {
        Form1& w = *practice;
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
        QVERIFY(typeText(QStringLiteral(" ")));
        QVERIFY(Forms::isLoaded<Form3>());
    }

    void blankAnsweringTryAgainDoesNotOpenFavourites() {
        Form1& w = *practice;
        startVerse(w, QStringLiteral("t"), QStringLiteral("a"));
        QVERIFY(typeText(QStringLiteral("a")));
        host->answer(Host::Answer::Yes);
        QVERIFY(typeText(QStringLiteral(" ")));
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
        Form1& w = *practice;
        startVerse(w, QStringLiteral("t"), QStringLiteral("Go"));
        shared().KeyText = QStringLiteral("-");
        QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
        QApplication::sendEvent(QApplication::focusWidget(), &press);
        QCOMPARE(shared().KeyText != QStringLiteral("-"), typed);
    }

    // Keys as a fast typist presses them: "+x" presses x, "-x" releases it, "_" is the blank.
    void overlappingBlankNeverOpensFavourites_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::newRow("next letter before the blank is up") << "+g -g +o -o +_ +o -_ -o"
                                                            << "Go o- ---.";
        QTest::newRow("two letters before the blank is up") << "+g -g +o -o +_ +o +n -_ -o -n"
                                                            << "Go on ---.";
        QTest::newRow("blank between two held letters") << "+g +o +_ -g -o +o -_ -o"
                                                        << "Go o- ---.";
    }
    void overlappingBlankNeverOpensFavourites() {
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        Form1& w = *practice;
        startVerse(w, QStringLiteral("t"), QStringLiteral("Go on now."));
        for (const QString& step : keys.split(QLatin1Char(' '))) {
            const QChar c = step.at(1) == QLatin1Char('_') ? QLatin1Char(' ') : step.at(1);
            if (step.startsWith(QLatin1Char('+')))
                QVERIFY(keyDown(keyFor(c), QString(c)));
            else
                QVERIFY(keyUp(keyFor(c), QString(c)));
        }
        QCOMPARE(w.Label1->text().left(10), shown);
        QVERIFY(!Forms::isLoaded<Form4>());
        QCOMPARE(QApplication::focusWidget(), w.Command1);
        // The mouse still opens it at any time.
        QTest::mousePress(w.Command1, Qt::LeftButton);
        QVERIFY(Forms::isLoaded<Form4>());
    }

    void enterPressesTheFocusedButtonAfterThePreview_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("effect");
        QTest::newRow("Select Verse, Enter") << 1 << int(Qt::Key_Return) << "favourites";
        QTest::newRow("Select Verse, keypad Enter") << 1 << int(Qt::Key_Enter) << "favourites";
        QTest::newRow("Word Mode") << 2 << int(Qt::Key_Return) << "word mode";
        QTest::newRow("Letter Mode") << 3 << int(Qt::Key_Enter) << "letter mode";
        QTest::newRow("Exit") << 4 << int(Qt::Key_Return) << "end";
        QTest::newRow("Show Verse") << 5 << int(Qt::Key_Return) << "card";
        QTest::newRow("Hint") << 6 << int(Qt::Key_Enter) << "hint";
    }
    void enterPressesTheFocusedButtonAfterThePreview() {
        QFETCH(int, button);
        QFETCH(int, key);
        QFETCH(QString, effect);
        Form1& w = *practice;
        startVerse(w, QStringLiteral("t"), QStringLiteral("ab"));
        shared().PracticeMode = button == 3 ? 1 : 0;
        PictureButton* buttons[] = {w.Command1, w.Command2, w.Command3,
                                    w.Command4, w.Command5, w.Command6};
        buttons[button - 1]->setFocus();
        const auto modifiers = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
        QVERIFY(keyDown(Qt::Key(key), QStringLiteral("\r"), modifiers));
        QCOMPARE(shared().KeyText, QStringLiteral("\r")); // the preview saw it first
        QVERIFY(keyUp(Qt::Key(key), QStringLiteral("\r"), modifiers));

        QStringList happened;
        if (Forms::isLoaded<Form4>())
            happened << "favourites";
        if (Forms::isLoaded<Form3>())
            happened << "card";
        if (!host->endCodes.isEmpty())
            happened << "end";
        if (w.Label1->text().startsWith(QLatin1Char('a')))
            happened << "hint";
        if (button == 2 && shared().PracticeMode == 1)
            happened << "word mode";
        if (button == 3 && shared().PracticeMode == 0)
            happened << "letter mode";
        QCOMPARE(happened, QStringList{effect});
    }

    void enterThatAsksTryAgainPressesNothing() {
        Form1& w = *practice;
        startVerse(w, QStringLiteral("t"), QStringLiteral("a"));
        QVERIFY(typeText(QStringLiteral("a")));
        host->answer(Host::Answer::Yes);
        QVERIFY(keyDown(Qt::Key_Return, QStringLiteral("\r")));
        QVERIFY(keyUp(Qt::Key_Return, QStringLiteral("\r")));
        QCOMPARE(host->messages.size(), 1);
        QCOMPARE(shared().CharPos, qint16(1));
        QVERIFY(!Forms::isLoaded<Form4>());
    }

    // A held Enter: its press opens Favorite Verses; its repeats reach that window (or the
    // question) and must press nothing there. Repeats come marked, or unmarked as a release
    // and a press sharing a time stamp, or as presses with no release between.
    void heldEnterPressesOnceInItsOwnWindow_data() {
        QTest::addColumn<QString>("repeats");
        QTest::newRow("marked repeats") << "marked";
        QTest::newRow("release and press with one time stamp") << "stamped";
        QTest::newRow("presses without release") << "presses";
    }
    void heldEnterPressesOnceInItsOwnWindow() {
        QFETCH(QString, repeats);
        Form1& w = *practice;
        startVerse(w, QStringLiteral("t"), QStringLiteral("Go on."));
        QVERIFY(typeText(QStringLiteral("g")));
        const QString typed = w.Label1->text();

        QVERIFY(sendKeyEvent(QEvent::KeyPress, Qt::Key_Return, "\r", false, 1000));
        QVERIFY(Forms::isLoaded<Form4>());
        Form4& favourites = Forms::get<Form4>();
        QVERIFY(QTest::qWaitForWindowActive(&favourites));
        // The press's own window: the repeats keep going to whatever has the focus.
        for (int i = 1; i <= 20; ++i) {
            const quint64 time = 1000 + 500 + 33 * i;
            if (i == 6)
                favourites.Command3[0]->setFocus(); // a favourite focused, as after a click
            if (repeats == QLatin1String("marked")) {
                QVERIFY(sendKeyEvent(QEvent::KeyRelease, Qt::Key_Return, "\r", true, time));
                QVERIFY(sendKeyEvent(QEvent::KeyPress, Qt::Key_Return, "\r", true, time));
            } else if (repeats == QLatin1String("stamped")) {
                QVERIFY(sendKeyEvent(QEvent::KeyRelease, Qt::Key_Return, "\r", false, time));
                QVERIFY(sendKeyEvent(QEvent::KeyPress, Qt::Key_Return, "\r", false, time));
            } else {
                QVERIFY(sendKeyEvent(QEvent::KeyPress, Qt::Key_Return, "\r", false, time));
            }
            QCoreApplication::processEvents();
        }
        QVERIFY(sendKeyEvent(QEvent::KeyRelease, Qt::Key_Return, "\r", false, 3000));
        settle();
        QCOMPARE(QApplication::activeWindow(), &favourites);
        QVERIFY(!Forms::isLoaded<frmverses>());
        QCOMPARE(w.Label1->text(), typed); // not restarted by the focused favourite
        QCOMPARE(shared().CharPos, qint16(2));

        // A new press in Favorite Verses presses its focused button.
        favourites.Command1[2]->setFocus();
        QVERIFY(sendKeyEvent(QEvent::KeyPress, Qt::Key_Return, "\r", false, 4000));
        QVERIFY(sendKeyEvent(QEvent::KeyRelease, Qt::Key_Return, "\r", false, 4080));
        QVERIFY(Forms::isLoaded<frmverses>());
        QCOMPARE(shared().FavSlot, qint16(2));
    }

    // A release the program never saw (the window the key went down in was hidden under it)
    // does not swallow the next press of that key, a second later, somewhere else.
    void aPressLongAfterALostReleaseIsANewPress() {
        Form1& w = *practice;
        startVerse(w, QStringLiteral("t"), QStringLiteral("Go on."));
        QVERIFY(sendKeyEvent(QEvent::KeyPress, Qt::Key_Return, "\r", false, 1000));
        Form4& favourites = Forms::get<Form4>();
        QVERIFY(QTest::qWaitForWindowActive(&favourites));
        QVERIFY(sendKeyEvent(QEvent::KeyPress, Qt::Key_Return, "\r", false, 5000));
        QVERIFY(Forms::isLoaded<frmverses>());
        QCOMPARE(shared().FavSlot, qint16(0));
    }

    // The real box: only Yes or No answers it, and the key that answers presses nothing else.
    // "held": the Enter that asked is held down; its repeats (and a stray repeat of N) reach
    // the box and must not answer it.
    void tryAgainIsAnsweredByYesOrNoOnly_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("yes");
        QTest::newRow("Escape and closing, then N") << "Escape close N" << false;
        QTest::newRow("Escape, then Y") << "Escape Y" << true;
        QTest::newRow("Escape, then Enter on Yes") << "Escape Enter" << true;
        QTest::newRow("Tab to No, blank") << "Tab Space" << false;
        QTest::newRow("arrow to No, Enter") << "Right Enter" << false;
        QTest::newRow("held Enter, then Enter") << "held Enter" << true;
        QTest::newRow("held Enter, then N") << "held N" << false;
    }
    void tryAgainIsAnsweredByYesOrNoOnly() {
        QFETCH(QString, script);
        QFETCH(bool, yes);
        RealMessageBoxes real;
        Form1& w = *practice;
        startVerse(w, QStringLiteral("t"), QStringLiteral("a"));
        QVERIFY(typeText(QStringLiteral("a")));

        QStringList seen;
        whenBoxOpens([&](QMessageBox& box) {
            seen << box.text();
            const QMap<QString, Qt::Key> keys{{"Escape", Qt::Key_Escape}, {"N", Qt::Key_N},
                                              {"Y", Qt::Key_Y},           {"Tab", Qt::Key_Tab},
                                              {"Space", Qt::Key_Space},   {"Right", Qt::Key_Right},
                                              {"Enter", Qt::Key_Return}};
            for (const QString& step : script.split(QLatin1Char(' '))) {
                if (step == QLatin1String("close")) {
                    box.close();
                } else if (step == QLatin1String("held")) {
                    for (int i = 0; i < 10 && box.isVisible(); ++i) {
                        QVERIFY(sendKeyEvent(QEvent::KeyRelease, Qt::Key_Return, "\r", true, i));
                        QVERIFY(sendKeyEvent(QEvent::KeyPress, Qt::Key_Return, "\r", true, i));
                    }
                    if (box.isVisible())
                        QVERIFY(sendKeyEvent(QEvent::KeyPress, Qt::Key_N, "n", true));
                    QVERIFY(keyUp(Qt::Key_Return, QStringLiteral("\r")));
                } else if (step == QLatin1String("Enter"))
                    QVERIFY(
                        keyDown(Qt::Key_Return, QStringLiteral("\r"))); // released after the box
                else
                    QVERIFY(
                        pressKey(keys.value(step), step.size() == 1 ? step.toLower() : QString()));
                if (step == QLatin1String("Escape") || step == QLatin1String("close") ||
                    step == QLatin1String("held"))
                    seen << (box.isVisible() ? "still open" : "closed");
                if (!box.isVisible())
                    break;
            }
        });
        if (script.startsWith(QLatin1String("held")))
            QVERIFY(keyDown(Qt::Key_Return, QStringLiteral("\r")));
        else
            QVERIFY(keyDown(Qt::Key_X, QStringLiteral("x")));
        // The releases reach the button that had the focus before the box.
        QTest::sendKeyEvent(QTest::Release, w.Command1, Qt::Key_X, QStringLiteral("x"), {});
        QTest::sendKeyEvent(QTest::Release, w.Command1, Qt::Key_Return, QStringLiteral("\r"), {});
        settle();

        QCOMPARE(seen.value(0), QStringLiteral("Try Again?"));
        QVERIFY(!seen.contains(QStringLiteral("closed")));
        QCOMPARE(shared().CharPos, qint16(yes ? 1 : 2));
        QCOMPARE(Forms::isLoaded<Form4>(), !yes);
    }

    void screenReadersHearWhatEachCorrectKeyUncovers() {
        Form1& w = *practice;
        startVerse(w, QStringLiteral("t"), QStringLiteral("Go on now."));
        QSignalSpy announced(w.Label1, &VerseLabel::uncovered);
        QVERIFY(typeText(QStringLiteral("gx")));
        shared().PracticeMode = 1;
        QVERIFY(typeText(QStringLiteral("o o")));
        QCOMPARE(announced.size(), 3);
        QCOMPARE(announced[0][0].toString(), QStringLiteral("G"));
        QCOMPARE(announced[1][0].toString(), QStringLiteral("o"));
        QCOMPARE(announced[2][0].toString(), QStringLiteral("on"));

        QAccessibleInterface* label = QAccessible::queryAccessibleInterface(w.Label1);
        QCOMPARE(label->role(), QAccessible::StaticText);
        QCOMPARE(label->text(QAccessible::Name), QStringLiteral("Verse"));
        QCOMPARE(label->text(QAccessible::Description), QStringLiteral("Go on ---."));
        QAccessibleTextInterface* text = label->textInterface();
        QVERIFY(text);
        QCOMPARE(text->text(0, text->characterCount()), QStringLiteral("Go on ---."));
    }

    void captionsShowTheTitleLiterally_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("shown");
        QTest::newRow("marker inside") << "Psalm [*] 23"
                                       << "Psalm [*] 23";
        QTest::newRow("marker alone") << "[*]"
                                      << "[*]";
        QTest::newRow("marker twice") << "[*][*] x"
                                      << "[*][*] x";
        QTest::newRow("empty") << ""
                               << " ";
    }
    void captionsShowTheTitleLiterally() {
        QFETCH(QString, title);
        QFETCH(QString, shown);
        Form1& w = *practice;
        startVerse(w, title, QStringLiteral("ab"));
        QCOMPARE(w.windowHandle()->title(), shown);
        QCOMPARE(Forms::show<Form3>().windowHandle()->title(), shown);
    }

    // Masked letters are "-": the first strong character of the text is any right-to-left one.
    void rightToLeftCharactersLeaveTheVerseAtTheLeftEdge_data() {
        QTest::addColumn<QString>("verse");
        QTest::newRow("Hebrew first") << QStringLiteral("\u05E9\u05DC\u05D5\u05DD be still");
        QTest::newRow("Arabic inside") << QStringLiteral("Go \u0633\u0644\u0627\u0645 on");
        QTest::newRow("right-to-left mark") << QStringLiteral("\u200FGo on now");
    }
    void rightToLeftCharactersLeaveTheVerseAtTheLeftEdge() {
        QFETCH(QString, verse);
        Form1& w = *practice;
        startVerse(w, QStringLiteral("t"), QString());
        const QImage blank = w.Label1->grab().toImage();
        startVerse(w, QStringLiteral("t"), verse);
        QCOMPARE(w.Label1->text().size(), 255);
        const QImage shown = w.Label1->grab().toImage();
        int left = shown.width();
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < left; ++x)
                if (shown.pixel(x, y) != blank.pixel(x, y))
                    left = x;
        QVERIFY2(left < 12, qPrintable(QStringLiteral("first ink at x = %1").arg(left)));
    }

    void keysBeforeAnyVerseAreHarmless() {
        Form1& w = *practice;
        QVERIFY(typeText(QStringLiteral("abc")));
        QTest::mouseClick(w.Command6, Qt::LeftButton);
        QVERIFY(host->messages.isEmpty());
        QVERIFY(w.Label1->text().isEmpty());
        QCOMPARE(shared().KeyText, QStringLiteral("c"));
    }

    void exitEndsTheProgram() {
        Form1& w = *practice;
        QTest::mouseClick(w.Command4, Qt::LeftButton);
        QCOMPARE(host->endCodes, QList<int>{0});
    }
};

TESSALINE_TEST_MAIN(TestForm1)
#include "tst_form1.moc"
