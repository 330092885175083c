#include "app/forms.h"
#include "app/module1.h"
#include "app/paths.h"
#include "editor/frmverses.h"
#include "favourites/form4.h"
#include "look/verselabel.h"
#include "practice/form1.h"
#include "practice/picturebutton.h"
#include "tests/support/testmain.h"
#include "tests/support/testsupport.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QtMath>

namespace {

[[nodiscard]] bool writeFavs(const QStringList& lines) {
    return writeFile(Paths::favsPath(), (lines.join(QLatin1String("\r\n")) + "\r\n").toLatin1());
}

// The words a button shows: its wrapped label, the only text it paints.
QLabel* captionOf(QPushButton* button) {
    return button->findChild<QLabel*>();
}

} // namespace

// The favourites window, driven through real mouse clicks and key presses.
class TestForm4 : public ProgramTestCase {
    Q_OBJECT

    // A favourite clicked brings the practice window to the front.
    [[nodiscard]] bool choose(Form4& w, int slot) {
        QTest::mouseClick(w.Command3[slot], Qt::LeftButton);
        return QTest::qWaitForWindowActive(&Forms::get<Form1>());
    }

private slots:
    void opensBlankWithFocusOnFirstChangeVerse() {
        Form4& w = Forms::show<Form4>();
        QVERIFY(activate(w));
        QCOMPARE(w.windowTitle(), QStringLiteral("Favorite Verses"));
        QCOMPARE(w.size(), QSize(520, 291));
        QCOMPARE(QFile(Paths::favsPath()).size(), 0);
        for (QPushButton* b : w.Command3)
            QVERIFY(captionOf(b)->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), w.Command1[0]);
        QVERIFY(host->messages.isEmpty());
    }

    void tabOrderAndNoDefaultButton() {
        Form4& w = Forms::show<Form4>();
        QVERIFY(activate(w));
        QList<QWidget*> expected{w.Command3.begin(), w.Command3.end()};
        expected += QList<QWidget*>{w.Command1.begin() + 1, w.Command1.end()};
        expected << w.Command2 << w.Command1[0];
        for (QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        for (QPushButton* b : w.findChildren<QPushButton*>())
            QVERIFY(!b->isDefault() && !b->autoDefault());
    }

    void changeVerseShowsItsWholeCaption() {
        Form4& w = Forms::show<Form4>();
        QVERIFY(activate(w));
        for (QPushButton* b : w.Command1) {
            QLabel* label = captionOf(b);
            QCOMPARE(label->text(), QStringLiteral("Change Verse"));
            // Two lines, both inside the button.
            QCOMPARE(label->height(), label->heightForWidth(label->width()));
            QVERIFY(label->height() > label->fontMetrics().height() * 3 / 2);
            QVERIFY(b->rect().contains(label->geometry()));
        }
        QCOMPARE(w.Command2->text(), QStringLiteral("Exit"));
    }

    void captions_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");
        QTest::newRow("short") << "Jesus wept."
                               << "Jesus wept.";
        const QString words = QStringLiteral("word ").repeated(40);
        QTest::newRow("first 140 characters") << words << words.left(140);
        QTest::newRow("exactly 140") << words.left(140) << words.left(140);
        QTest::newRow("ampersand and markup literal") << "Faith & <b>hope</b> &amp; love"
                                                      << "Faith & <b>hope</b> &amp; love";
    }
    void captions() {
        QFETCH(QString, text);
        QFETCH(QString, caption);
        QVERIFY(writeFavs({"", "", "", "", "", "", "", "", "", "", text, "Title not shown"}));
        Form4& w = Forms::show<Form4>();
        QVERIFY(activate(w));
        QPushButton* button = w.Command3[5];
        QLabel* label = captionOf(button);
        QCOMPARE(label->text(), caption);
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QVERIFY(label->isVisible());
        QVERIFY(button->rect().contains(label->geometry()));
        QCOMPARE(button->accessibleName(), caption);
        QVERIFY(button->text().isEmpty()); // no mnemonic from "&"
        QCOMPARE(Form4::favouriteCaption(text), caption);
    }

    // 140 characters, however many UTF-16 units they take.
    void captionCountsCharacters_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");
        const QString dove = QStringLiteral("\U0001F54A");
        QTest::newRow("100 emoji") << dove.repeated(100) << dove.repeated(100);
        QTest::newRow("150 emoji") << dove.repeated(150) << dove.repeated(140);
        QTest::newRow("emoji as 140th")
            << QStringLiteral("a").repeated(139) + dove + QStringLiteral(" more")
            << QStringLiteral("a").repeated(139) + dove;
        const QString accented = QStringLiteral("e\u0301");
        QTest::newRow("e and its accent as 140th")
            << QStringLiteral("a").repeated(139) + accented + QStringLiteral(" more")
            << QStringLiteral("a").repeated(139) + accented;
        const QString flag = QStringLiteral("\U0001F1EC\U0001F1ED");
        QTest::newRow("flag as 140th") << QStringLiteral("a").repeated(139) + flag + flag
                                       << QStringLiteral("a").repeated(139) + flag;
        const QString family = QStringLiteral("\U0001F469\u200D\U0001F469\u200D\U0001F467");
        QTest::newRow("joined emoji as 140th")
            << QStringLiteral("a").repeated(139) + family + QStringLiteral("b")
            << QStringLiteral("a").repeated(139) + family;
        QTest::newRow("lone high surrogate counts once")
            << QStringLiteral("a").repeated(139) + QChar(0xD83D) + QStringLiteral("b")
            << QStringLiteral("a").repeated(139) + QChar(0xD83D);
    }
    void captionCountsCharacters() {
        QFETCH(QString, text);
        QFETCH(QString, caption);
        QCOMPARE(Form4::favouriteCaption(text), caption);
    }

    // What a favourite's button shows of its caption: whole lines from the start, each as
    // high as the fonts that draw it.
    void captionShowsWholeLinesFromItsStart_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("no blank") << QStringLiteral("Everlasting").repeated(13);
        QTest::newRow("full width")
            << QStringLiteral("\u592A\u521D\u6709\u9053\uFF0C\u9053\u8207\u795E"
                              "\u540C\u5728\uFF0C\u9053\u5C31\u662F\u795E\u3002")
                   .repeated(6);
        QTest::newRow("Latin") << QStringLiteral("In the beginning was the Word, ").repeated(4);
    }
    void captionShowsWholeLinesFromItsStart() {
        QFETCH(QString, text);
        Form4& w = Forms::show<Form4>();
        QVERIFY(activate(w));
        // As Select captions it: the favourites file could not hold every script.
        shared().FavTexts[0] = text;
        w.setFavouriteCaption(0);
        auto* label = qobject_cast<VerseLabel*>(captionOf(w.Command3[0]));
        QVERIFY(label);
        const QList<VerseLabel::Line> lines = label->lines(label->width(), 1000);
        QVERIFY(lines.size() >= 2);
        QVERIFY(label->height() > 0);
        QVERIFY(w.Command3[0]->rect().contains(label->geometry()));
        // The label ends where a line ends: no line is cut.
        QList<int> bottoms;
        for (const VerseLabel::Line& line : lines)
            bottoms << qCeil(line.rect.bottom());
        QVERIFY2(bottoms.contains(label->height()),
                 qPrintable(QStringLiteral("%1 not in line ends").arg(label->height())));
        // The first line starts at the caption's start and at the label's left or centre.
        QVERIFY(text.startsWith(lines.first().text));
        QVERIFY(lines.first().rect.left() >= 0);
        QVERIFY(lines.first().rect.right() <= label->width());
    }

    void screenReadersTellTheRowsApart() {
        QVERIFY(writeFavs({"Go on now.", "Mark 1"}));
        Form4& w = Forms::show<Form4>();
        QVERIFY(activate(w));
        auto said = [](QWidget* widget, QAccessible::Text what) {
            return QAccessible::queryAccessibleInterface(widget)->text(what);
        };
        QCOMPARE(said(w.Command3[0], QAccessible::Name), QStringLiteral("Go on now."));
        QCOMPARE(said(w.Command3[1], QAccessible::Name), QStringLiteral("Empty favourite 2"));
        QCOMPARE(said(w.Command1[0], QAccessible::Name), QStringLiteral("Change Verse"));
        QCOMPARE(said(w.Command1[0], QAccessible::Description),
                 QStringLiteral("favourite 1: Go on now."));
        QCOMPARE(said(w.Command1[5], QAccessible::Name), QStringLiteral("Change Verse"));
        QCOMPARE(said(w.Command1[5], QAccessible::Description), QStringLiteral("favourite 6"));
    }

    void unreadableFileStillOpensTheWindow() {
        QVERIFY(QDir().mkdir(Paths::favsPath()));
        shared().FavTexts[1] = QStringLiteral("kept");
        Form4& w = Forms::show<Form4>();
        QVERIFY(activate(w));
        QCOMPARE(host->messages.size(), 1);
        QCOMPARE(captionOf(w.Command3[1])->text(), QStringLiteral("kept"));
    }

    void favouriteStartsAPracticeOfItsVerse() {
        QVERIFY(writeFavs({"Go on.", "Mark 1", "Be still.", "Psalm 46"}));
        Form4& w = Forms::show<Form4>();
        QVERIFY(activate(w));
        QVERIFY(choose(w, 1));
        Form1& practice = Forms::get<Form1>();
        QCOMPARE(shared().FavSlot, qint16(1));
        QCOMPARE(practice.windowTitle(), QStringLiteral("Psalm 46"));
        QCOMPARE(shared().CharPos, qint16(1));
        QCOMPARE(shared().MaskedText.size(), 255);
        QCOMPARE(practice.Label1->text().left(9), QStringLiteral("-- -----."));
        QCOMPARE(QApplication::focusWidget(), practice.Command1);

        QVERIFY(typeText(QStringLiteral("be st")));
        QCOMPARE(practice.Label1->text().left(9), QStringLiteral("Be st---."));
    }

    void anotherFavouriteReplacesAHalfTypedVerse() {
        QVERIFY(
            writeFavs({"Pray without ceasing, and rejoice evermore.", "Thess", "Go on.", "Mark"}));
        Form4& w = Forms::show<Form4>();
        QVERIFY(activate(w));
        QVERIFY(choose(w, 0));
        Form1& practice = Forms::get<Form1>();
        QVERIFY(typeText(QStringLiteral("pray wi")));
        QCOMPARE(shared().CharPos, qint16(8));

        QVERIFY(activate(w));
        QVERIFY(choose(w, 1));
        QCOMPARE(practice.windowTitle(), QStringLiteral("Mark"));
        QCOMPARE(shared().CharPos, qint16(1));
        QCOMPARE(practice.Label1->text(), QStringLiteral("-- --.").leftJustified(255));
        QVERIFY(typeText(QStringLiteral("g")));
        QCOMPARE(practice.Label1->text().left(6), QStringLiteral("G- --."));
    }

    void changeVerseOpensTheEditorForItsSlot() {
        Form4& w = Forms::show<Form4>();
        QVERIFY(activate(w));
        QTest::mouseClick(w.Command1[3], Qt::LeftButton);
        QCOMPARE(shared().FavSlot, qint16(3));
        QVERIFY(Forms::isLoaded<frmverses>());
        QVERIFY(Forms::get<frmverses>().isVisible());
    }

    void exitEndsTheProgramAtOnce() {
        Form4& w = Forms::show<Form4>();
        QVERIFY(activate(w));
        QTest::mouseClick(w.Command2, Qt::LeftButton);
        QCOMPARE(host->endCodes, QList<int>{0});
        QVERIFY(host->messages.isEmpty());
    }
};

TESSALINE_TEST_MAIN(TestForm4)
#include "tst_form4.moc"
