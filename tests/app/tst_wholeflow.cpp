#include "app/forms.h"
#include "app/module1.h"
#include "app/paths.h"
#include "app/startup.h"
#include "card/form3.h"
#include "editor/datagrid.h"
#include "editor/frmverses.h"
#include "favourites/form4.h"
#include "practice/form1.h"
#include "practice/picturebutton.h"
#include "tests/support/testmain.h"
#include "tests/support/testsupport.h"

#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QFile>
#include <QImageReader>
#include <QTableView>
#include <QTimer>
#include <QWindow>

// The program as a user meets it, from start-up to "Try Again?", through real mouse clicks
// and key presses only.
class TestWholeFlow : public ProgramTestCase {
    Q_OBJECT

private slots:
    void chooseAFavouriteInTheEditorAndPractiseIt() {
        QVERIFY(writeVersesDb(Paths::versesPath(), {{"Psalm 46:1", "God is our refuge."},
                                                    {"Auguries", "To see a world."}}));
        QVERIFY(start());
        Form1& practice = Forms::get<Form1>();
        QVERIFY(activate(practice));

        QTest::mouseClick(practice.Command1, Qt::LeftButton);
        QVERIFY(Forms::isLoaded<Form4>());
        Form4& favourites = Forms::get<Form4>();
        QVERIFY(activate(favourites));

        QTest::mouseClick(favourites.Command1[3], Qt::LeftButton);
        QCOMPARE(shared().FavSlot, qint16(3));
        frmverses& editor = Forms::get<frmverses>();
        QVERIFY(activate(editor));
        QCOMPARE(shared().CurrentTitle, QStringLiteral("Auguries")); // first in title order

        QTest::keyClick(editor.grdDataGrid->view(), Qt::Key_Down);
        QCOMPARE(shared().CurrentTitle, QStringLiteral("Psalm 46:1"));
        QTest::mouseClick(editor.Command1, Qt::LeftButton);
        QVERIFY(!editor.isVisible());
        QVERIFY(Forms::isLoaded<frmverses>()); // hidden, not unloaded
        QVERIFY(favourites.isVisible());
        QCOMPARE(favourites.Command3[3]->accessibleName(), QStringLiteral("God is our refuge."));

        QFile file(Paths::favsPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 13); // twelve lines, each ended by CR LF
        QCOMPARE(lines[6], QByteArray("God is our refuge.\r"));
        QCOMPARE(lines[7], QByteArray("Psalm 46:1\r"));

        QVERIFY(activate(favourites));
        QTest::mouseClick(favourites.Command3[3], Qt::LeftButton);
        QCOMPARE(practice.windowTitle(), QStringLiteral("Psalm 46:1"));
        QVERIFY(QTest::qWaitForWindowActive(&practice));
        QCOMPARE(QApplication::focusWidget(), practice.Command1);
        QVERIFY(typeText(QStringLiteral("God is our r")));
        QCOMPARE(practice.Label1->text().left(18), QStringLiteral("God is our r-----."));
        QVERIFY(typeText(QStringLiteral("efuge")));
        QVERIFY(host->messages.isEmpty());
        host->answer(Host::Answer::No);
        QVERIFY(typeText(QStringLiteral(" ")));
        QCOMPARE(host->messages.size(), 1);
        QCOMPARE(host->messages.first().text, QStringLiteral("Try Again?"));
        QCOMPARE(host->messages.first().title, QStringLiteral("Choice:"));
        QCOMPARE(host->messages.first().buttons, Host::Buttons::YesNo);
        QVERIFY(QTest::qWaitForWindowActive(&favourites));
    }

    // No mouse at all: Enter presses the focused button, Tab moves, the verse is typed.
    void keyboardAloneFromStartToAFinishedVerse() {
        QVERIFY(writeVersesDb(Paths::versesPath(), {{"Psalm 46:1", "God is our refuge."},
                                                    {"Auguries", "To see a world."}}));
        QVERIFY(start());
        Form1& practice = Forms::get<Form1>();
        QVERIFY(activate(practice));

        QVERIFY(pressKey(Qt::Key_Return, QStringLiteral("\r")));
        Form4& favourites = Forms::get<Form4>();
        QVERIFY(QTest::qWaitForWindowActive(&favourites));
        QCOMPARE(QApplication::focusWidget(), favourites.Command1[0]);
        QVERIFY(pressKey(Qt::Key_Enter, QStringLiteral("\r"), Qt::KeypadModifier));
        frmverses& editor = Forms::get<frmverses>();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QCOMPARE(QApplication::focusWidget(), editor.grdDataGrid->view());

        // In the grid Enter is the grid's: it selects nothing.
        QVERIFY(pressKey(Qt::Key_Down));
        QVERIFY(pressKey(Qt::Key_Return, QStringLiteral("\r")));
        QVERIFY(editor.isVisible());
        QCOMPARE(shared().CurrentTitle, QStringLiteral("Psalm 46:1"));
        for (int i = 0; i < 8; ++i) // Add, Delete, Refresh, Update, Close, Title, Text, Select
            QVERIFY(pressKey(Qt::Key_Tab));
        QCOMPARE(QApplication::focusWidget(), editor.Command1);
        QVERIFY(pressKey(Qt::Key_Return, QStringLiteral("\r")));
        QVERIFY(!editor.isVisible());
        QCOMPARE(shared().FavTexts[0], QStringLiteral("God is our refuge."));

        QVERIFY(QTest::qWaitForWindowActive(&favourites));
        QVERIFY(pressKey(Qt::Key_Tab));
        QCOMPARE(QApplication::focusWidget(), favourites.Command3[0]);
        QVERIFY(pressKey(Qt::Key_Return, QStringLiteral("\r")));
        QVERIFY(QTest::qWaitForWindowActive(&practice));
        QCOMPARE(practice.windowHandle()->title(), QStringLiteral("Psalm 46:1"));
        QVERIFY(typeText(QStringLiteral("God is our refuge")));
        QCOMPARE(practice.Label1->spokenText(), QStringLiteral("God is our refuge."));

        // The Enter that asks "Try Again?" goes no further: Yes leaves the practice in front.
        host->answer(Host::Answer::Yes);
        QVERIFY(pressKey(Qt::Key_Return, QStringLiteral("\r")));
        QCOMPARE(host->messages.size(), 1);
        QCOMPARE(practice.Label1->spokenText(), QStringLiteral("--- -- --- ------."));
        QCOMPARE(QApplication::activeWindow(), &practice);
    }

    // The control that has the focus when a window first shows is marked as such, before any
    // Tab: a keyboard user sees where Enter and Space will land.
    void focusIsMarkedFromTheFirstShowing() {
        QVERIFY(writeVersesDb(Paths::versesPath(), {{"a", "x"}, {"b", "y"}}));
        QVERIFY(start());
        QStringList unmarked;
        auto check = [&](QWidget& window, QWidget* focused, QWidget* elsewhere) {
            QVERIFY(activate(window));
            QCOMPARE(QApplication::focusWidget(), focused);
            const QImage marked = focused->grab().toImage();
            elsewhere->setFocus(Qt::OtherFocusReason);
            if (focused->grab().toImage() == marked)
                unmarked << QString::fromLatin1(window.metaObject()->className());
            focused->setFocus(Qt::OtherFocusReason);
        };
        Form1& practice = Forms::get<Form1>();
        check(practice, practice.Command1, practice.Command6);
        Form4& favourites = Forms::show<Form4>();
        check(favourites, favourites.Command1[0], favourites.Command2);
        frmverses& editor = Forms::show<frmverses>();
        check(editor, editor.grdDataGrid->view(), editor.Command1);
        shared().CurrentTitle = QStringLiteral("Card");
        Form3& card = Forms::show<Form3>();
        check(card, card.Command1, card.Label1);
        QCOMPARE(unmarked.join(QLatin1String(", ")), QString());
    }

    // The window icon is the 16-colour icon, at 32 and 16 pixels, the same in every window.
    void windowsShowTheProgramsIcon() {
        QImageReader ico(QFINDTESTDATA("../../resources/icons/tessaline.ico"));
        QList<QImage> images;
        do
            images << ico.read().convertToFormat(QImage::Format_ARGB32);
        while (ico.jumpToNextImage());
        QCOMPARE(images.size(), 2);
        for (QWidget* window : {static_cast<QWidget*>(&Forms::show<Form1>()),
                                static_cast<QWidget*>(&Forms::show<Form4>())}) {
            const QIcon icon = window->windowIcon();
            for (const QImage& image : images)
                QCOMPARE(icon.pixmap(image.size()).toImage().convertToFormat(QImage::Format_ARGB32),
                         image);
        }
    }

    // What a screen reader finds in each window, read through the accessible tree.
    void everyControlIsNamedInTheAccessibleTree() {
        QVERIFY(writeVersesDb(Paths::versesPath(), {{"a", "x"}}));
        QVERIFY(start());
        // "kind: name" of every label, button, text box and table on screen.
        auto names = [](QWidget& window) {
            const QMap<QAccessible::Role, QString> kinds{{QAccessible::StaticText, "label"},
                                                         {QAccessible::Button, "button"},
                                                         {QAccessible::EditableText, "box"},
                                                         {QAccessible::Table, "table"}};
            QStringList found;
            std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
                for (int i = 0; i < node->childCount(); ++i) {
                    QAccessibleInterface* child = node->child(i);
                    if (!child->state().invisible && kinds.contains(child->role()))
                        found << kinds[child->role()] + ": " + child->text(QAccessible::Name);
                    walk(child);
                }
            };
            walk(QAccessible::queryAccessibleInterface(&window));
            return found;
        };
        const QStringList practice = names(Forms::show<Form1>());
        for (const char* name :
             {"label: Verse", "button: Select Verse", "button: Show Verse", "button: Hint",
              "button: Letter Mode", "button: Word Mode", "button: Exit"})
            QVERIFY2(practice.contains(QLatin1String(name)), name);
        const QStringList favourites = names(Forms::show<Form4>());
        QCOMPARE(favourites.count(QStringLiteral("button: Change Verse")), 6);
        for (int i = 1; i <= 6; ++i)
            QVERIFY(favourites.contains(QStringLiteral("button: Empty favourite %1").arg(i)));
        const QStringList editor = names(Forms::show<frmverses>());
        for (const char* name : {"table: Edit Verses", "box: Title", "box: Text", "button: Select",
                                 "button: View Verse"})
            QVERIFY2(editor.contains(QLatin1String(name)), name);
        QVERIFY(names(Forms::show<Form3>()).contains(QStringLiteral("label: Verse")));
        // A picture button's description says what it does; its name is not read twice.
        for (QWidget* button : Forms::get<Form1>().findChildren<PictureButton*>()) {
            QAccessibleInterface* node = QAccessible::queryAccessibleInterface(button);
            const QString description = node->text(QAccessible::Description);
            QVERIFY(!description.isEmpty());
            QVERIFY2(description != node->text(QAccessible::Name), qPrintable(description));
        }
    }

    // The grid's current cell is the focused one only while the grid has the focus.
    void gridCellIsFocusedOnlyWhileTheGridIs() {
        QVERIFY(writeVersesDb(Paths::versesPath(), {{"a", "x"}, {"b", "y"}, {"c", "z"}}));
        QVERIFY(start());
        Forms::show<Form4>();
        frmverses& editor = Forms::show<frmverses>();
        QVERIFY(activate(editor));
        QTableView* view = editor.grdDataGrid->view();
        QCOMPARE(QApplication::focusWidget(), view);
        QVERIFY(pressKey(Qt::Key_Down));
        QVERIFY(pressKey(Qt::Key_Right));
        QAccessibleTableInterface* table =
            QAccessible::queryAccessibleInterface(view)->tableInterface();
        QVERIFY(table);
        auto focusedCells = [&] {
            QStringList focused;
            for (int row = 0; row < 3; ++row)
                for (int column = 0; column < 2; ++column)
                    if (table->cellAt(row, column)->state().focused)
                        focused << QStringLiteral("%1,%2").arg(row).arg(column);
            return focused.join(QLatin1Char(' '));
        };
        QCOMPARE(focusedCells(), QStringLiteral("1,1"));
        const QImage cursor = view->viewport()->grab().toImage();

        QVERIFY(pressKey(Qt::Key_Tab));
        QVERIFY(QApplication::focusWidget() != view);
        QCOMPARE(focusedCells(), QString());
        QCOMPARE(shared().CurrentTitle, QStringLiteral("b"));

        QVERIFY(pressKey(Qt::Key_Backtab));
        QCOMPARE(QApplication::focusWidget(), view);
        QCOMPARE(focusedCells(), QStringLiteral("1,1"));
        QCOMPARE(view->viewport()->grab().toImage(), cursor);
    }

    // The editor stays loaded but hidden after Select; closing the windows on screen still
    // ends the program, and the edit still pending in the editor's grid is saved on the way.
    void closingTheLastVisibleWindowEndsTheProgram() {
        QVERIFY(writeVersesDb(Paths::versesPath(), {{"a", "x"}}));
        QVERIFY(start());
        Forms::show<Form4>();
        frmverses& editor = Forms::show<frmverses>();
        QAbstractItemModel* grid = editor.grdDataGrid->view()->model();
        QVERIFY(grid->setData(grid->index(0, 1), QStringLiteral("edited")));
        QVERIFY(editor.datPrimaryRS.hasPendingEdits());
        QTest::mouseClick(editor.Command1, Qt::LeftButton);
        QVERIFY(!editor.isVisible());

        // Run the program's event loop as main() does; the user closes the two windows.
        QTimer::singleShot(0, [] {
            Forms::get<Form4>().close();
            Forms::get<Form1>().close();
        });
        QTimer hung;
        hung.setSingleShot(true);
        connect(&hung, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        hung.start(10000);
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(Forms::loaded().isEmpty());
        const QList<VerseRow> rows = readVersesDb(Paths::versesPath());
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.first().text.toString(), QStringLiteral("edited"));
    }
};

TESSALINE_TEST_MAIN(TestWholeFlow)
#include "tst_wholeflow.moc"
