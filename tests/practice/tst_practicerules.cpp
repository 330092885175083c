#include "base/cp1252.h"
#include "practice/practicerules.h"
#include "tests/support/widgetmain.h"
#include "windowbase/module1.h"

#include <QTest>

namespace {

// Records what the rules ask of the window and answers "Try Again?" from a script.
class FakeView : public PracticeView {
public:
    void showTitle(const QString& c) override { caption = c; }
    void showMasked(const QString& m) override {
        shown = m;
        ++repaints;
    }
    bool askTryAgain() override {
        ++questions;
        return answers.isEmpty() ? false : answers.takeFirst();
    }
    void showFavourites() override { ++favourites; }
    void refuse(const QString& message) override { refusals.append(message); }

    QString caption;
    QString shown;
    int repaints = 0;
    int questions = 0;
    int favourites = 0;
    QList<bool> answers;
    QStringList refusals;
};

// Starts a verse the way the favourites window does.
void start(Module1& s, FakeView& view, const QString& text, int mode = 0) {
    s.CurrentText = text;
    s.CurrentTitle = QStringLiteral("Title");
    s.MaskedText = QString(255, QLatin1Char(' '));
    s.PracticeMode = qint16(mode);
    PracticeRules::prepareVerse(s, view);
}

void type(Module1& s, FakeView& view, const QString& keys) {
    for (QChar c : keys)
        PracticeRules::keyPress(s, view, qint16(Cp1252::code(c)));
}

QString shownVerse(const Module1& s) {
    return s.MaskedText.left(s.CurrentText.size());
}

} // namespace

class TestPracticeRules : public QObject {
    Q_OBJECT

private slots:
    void masking_data() {
        QTest::addColumn<QString>("verse");
        QTest::addColumn<QString>("masked");
        QTest::newRow("letters hidden, the rest shown") << "Ab, c1!"
                                                        << "--, -1!";
        QTest::newRow("brackets and backquote are letters") << "[\\]^_`"
                                                            << "------";
        QTest::newRow("at sign and brace left blank when fresh") << "a@b{c"
                                                                 << "- - -";
        QTest::newRow("bar, right brace, tilde shown") << "x|}~"
                                                       << "-|}~";
        QTest::newRow("accented letters shown")
            << QStringLiteral("caf\u00e9") << QStringLiteral("---\u00e9");
        QTest::newRow("no Windows-1252 code counts as ?")
            << QStringLiteral("a\u03a9b") << QStringLiteral("-\u03a9-");
        QTest::newRow("tab and line break shown") << "a\tb\nc"
                                                  << "-\t-\n-";
        QTest::newRow("markup characters") << "<b>&</b>"
                                           << "<->&</->";
        QTest::newRow("empty verse") << ""
                                     << "";
    }
    void masking() {
        QFETCH(QString, verse);
        QFETCH(QString, masked);
        Module1 s;
        FakeView view;
        start(s, view, verse);
        QCOMPARE(shownVerse(s), masked);
        QCOMPARE(s.MaskedText.size(), 255);
        QCOMPARE(view.shown, s.MaskedText);
        QCOMPARE(view.caption, QStringLiteral("Title"));
        QCOMPARE(s.CharPos, qint16(1));
    }

    // Each row types keys into a fresh verse and checks what is shown and where the run is.
    void typing_data() {
        QTest::addColumn<QString>("verse");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("masked");
        QTest::addColumn<int>("charPos");
        QTest::newRow("letter: g") << "Go on." << 0 << "g"
                                   << "G- --." << 2;
        QTest::newRow("letter: wrong key changes nothing") << "Go on." << 0 << "gx"
                                                           << "G- --." << 2;
        QTest::newRow("letter: o steps over the blank") << "Go on." << 0 << "gxo"
                                                        << "Go --." << 3;
        QTest::newRow("letter: o in the second word") << "Go on." << 0 << "goo"
                                                      << "Go o-." << 5;
        QTest::newRow("letter: whole verse") << "Go on." << 0 << "goon"
                                             << "Go on." << 6;
        QTest::newRow("word: g uncovers the word") << "Go on." << 1 << "g"
                                                   << "Go --." << 3;
        QTest::newRow("word: o ends the verse") << "Go on." << 1 << "go"
                                                << "Go on." << 7;
        QTest::newRow("word: runs over punctuation") << "ab,cd ef" << 1 << "a"
                                                     << "ab,cd --" << 6;
        QTest::newRow("case does not matter") << "aA" << 0 << "AA"
                                              << "aA" << 3;
        QTest::newRow("blank, digit, punctuation never uncover") << "a1 b" << 0 << " 1.!"
                                                                 << "-1 -" << 1;
        QTest::newRow("backspace and escape are wrong keys") << "ab" << 0 << "a\b\x1b"
                                                             << "a-" << 2;
        QTest::newRow("at sign must be typed") << "a@b" << 0 << "ab"
                                               << "a -" << 2;
        QTest::newRow("at sign typed") << "a@b" << 0 << "a@b"
                                       << "a@b" << 4;
    }
    void typing() {
        QFETCH(QString, verse);
        QFETCH(int, mode);
        QFETCH(QString, keys);
        QFETCH(QString, masked);
        QFETCH(int, charPos);
        Module1 s;
        FakeView view;
        start(s, view, verse, mode);
        type(s, view, keys);
        QCOMPARE(shownVerse(s), masked);
        QCOMPARE(int(s.CharPos), charPos);
        QCOMPARE(view.questions, 0);
        QCOMPARE(s.KeyText, QString(keys.back()));
    }

    void wordModePutsEndMarker() {
        Module1 s;
        FakeView view;
        start(s, view, QStringLiteral("Go on."), 1);
        type(s, view, QStringLiteral("go"));
        QCOMPARE(s.VerseChars.at(7), QLatin1Char(' '));
    }

    void keyAfterLastLetterAsksTryAgain_data() {
        QTest::addColumn<QString>("verse");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("keys");
        QTest::newRow("letter by letter, trailing full stop") << "Go on." << 0 << "goon";
        QTest::newRow("word by word") << "Go on." << 1 << "go";
        QTest::newRow("verse without letters") << "12, 34!" << 0 << "";
    }
    void keyAfterLastLetterAsksTryAgain() {
        QFETCH(QString, verse);
        QFETCH(int, mode);
        QFETCH(QString, keys);
        Module1 s;
        FakeView view;
        start(s, view, verse, mode);
        type(s, view, keys);
        QCOMPARE(view.questions, 0);
        type(s, view, QStringLiteral("z"));
        QCOMPARE(view.questions, 1);
        QCOMPARE(view.favourites, 1); // answered No
        // The finished verse stays; every later key asks again.
        QCOMPARE(shownVerse(s), verse);
        type(s, view, QStringLiteral("q"));
        QCOMPARE(view.questions, 2);
    }

    void tryAgainYesRestartsWithAtSignShown() {
        Module1 s;
        FakeView view;
        start(s, view, QStringLiteral("a@{b"), 1);
        type(s, view, QStringLiteral("a"));
        QCOMPARE(shownVerse(s), QStringLiteral("a@{b"));
        view.answers = {true};
        type(s, view, QStringLiteral("x"));
        QCOMPARE(view.questions, 1);
        QCOMPARE(view.favourites, 0);
        // Restarted with letters hidden again; @ and { now show as themselves.
        QCOMPARE(shownVerse(s), QStringLiteral("-@{-"));
        QCOMPARE(s.CharPos, qint16(1));
        QCOMPARE(s.PracticeMode, qint16(1));
        type(s, view, QStringLiteral("a"));
        QCOMPARE(int(s.CharPos), 5); // the word ran on over @ and { to the end
    }

    void hint_data() {
        QTest::addColumn<QString>("verse");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("hints");
        QTest::addColumn<QString>("masked");
        QTest::addColumn<int>("charPos");
        QTest::newRow("one letter") << "Go on." << 0 << "" << 1 << "G- --." << 2;
        QTest::newRow("one letter in word mode too") << "Go on." << 1 << "" << 1 << "G- --." << 2;
        QTest::newRow("steps over the blank") << "Go on." << 0 << "g" << 2 << "Go o-." << 5;
        QTest::newRow("nothing left: no change") << "Go!" << 0 << "go" << 1 << "Go!" << 3;
        QTest::newRow("no run started") << "" << 0 << "" << 1 << "" << 0;
    }
    void hint() {
        QFETCH(QString, verse);
        QFETCH(int, mode);
        QFETCH(QString, keys);
        QFETCH(int, hints);
        QFETCH(QString, masked);
        QFETCH(int, charPos);
        Module1 s;
        FakeView view;
        if (charPos > 0)
            start(s, view, verse, mode);
        type(s, view, keys);
        for (int i = 0; i < hints; ++i)
            PracticeRules::hint(s, view);
        QCOMPARE(shownVerse(s), masked);
        QCOMPARE(int(s.CharPos), charPos);
        QCOMPARE(view.questions, 0);
    }

    void hintOnLastLetterLeavesQuestionForNextKey() {
        Module1 s;
        FakeView view;
        start(s, view, QStringLiteral("ab"));
        PracticeRules::hint(s, view);
        PracticeRules::hint(s, view);
        QCOMPARE(view.questions, 0);
        type(s, view, QStringLiteral("k"));
        QCOMPARE(view.questions, 1);
    }

    void keysBeforeAnyVerseOnlySetKeyText() {
        Module1 s;
        FakeView view;
        type(s, view, QStringLiteral("a "));
        QCOMPARE(s.KeyText, QStringLiteral(" "));
        QCOMPARE(s.CharPos, qint16(0));
        QCOMPARE(view.questions, 0);
        QCOMPARE(view.repaints, 0);
    }

    void longVersesArePractisedToTheEnd_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("mode");
        QTest::newRow("300 letters, longer than the masked text") << 300 << 0;
        QTest::newRow("499 characters, word by word") << 499 << 1;
        QTest::newRow("500 characters, word by word") << 500 << 1;
        QTest::newRow("2000 characters, letter by letter") << 2000 << 0;
    }
    void longVersesArePractisedToTheEnd() {
        QFETCH(int, length);
        QFETCH(int, mode);
        QString verse;
        for (int i = 0; i < length; ++i)
            verse += (i % 6 == 5 && i != length - 1) ? QLatin1Char(' ')
                                                     : QChar(QLatin1Char('a' + i % 26));
        Module1 s;
        FakeView view;
        start(s, view, verse, mode);
        QVERIFY(s.MaskedText.size() >= length);
        // Letter by letter every letter is typed; word by word the first letter of each word.
        QString keys;
        for (int i = 0; i < verse.size(); ++i)
            if (verse[i] != QLatin1Char(' ') &&
                (mode == 0 || i == 0 || verse[i - 1] == QLatin1Char(' ')))
                keys += verse[i];
        type(s, view, keys);
        QCOMPARE(shownVerse(s), verse);
        QCOMPARE(int(s.CharPos), length + 1);
        QCOMPARE(view.questions, 0);
        type(s, view, QStringLiteral("x"));
        QCOMPARE(view.questions, 1);
    }

    void tooLongVerseIsRefused() {
        Module1 s;
        FakeView view;
        start(s, view, QString(PracticeRules::MaxVerseLength + 1, QLatin1Char('a')));
        QCOMPARE(view.refusals.size(), 1);
        QVERIFY(view.refusals.first().contains(QLatin1String("too long")));
        QCOMPARE(s.CharPos, qint16(0));
        type(s, view, QStringLiteral("a")); // ignored, no error
        QCOMPARE(view.questions, 0);
    }

    void verseShortenedDuringRunEndsAtNextKey() {
        Module1 s;
        FakeView view;
        start(s, view, QStringLiteral("abcdef"));
        type(s, view, QStringLiteral("abcd"));
        s.CurrentText = QStringLiteral("xy"); // the editor moved to another row
        type(s, view, QStringLiteral("e"));
        QCOMPARE(view.questions, 1);
    }
};

TESSALINE_WIDGET_TEST_MAIN(TestPracticeRules)
#include "tst_practicerules.moc"
