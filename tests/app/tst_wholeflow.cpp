#include "app/forms.h"
#include "app/module1.h"
#include "app/paths.h"
#include "app/startup.h"
#include "editor/datagrid.h"
#include "editor/frmverses.h"
#include "favourites/form4.h"
#include "practice/form1.h"
#include "practice/picturebutton.h"
#include "tests/support/testmain.h"
#include "tests/support/testsupport.h"

#include <QFile>
#include <QTableView>
#include <QTimer>

// The program as a user meets it, from start-up to "Try Again?", through real mouse clicks
// and key presses only.
class TestWholeFlow : public ProgramTestCase {
    Q_OBJECT

    void typeInto(const QString& keys) { QTest::keyClicks(QApplication::focusWidget(), keys); }

    void activate(QWidget& w) {
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }

private slots:
    void chooseAFavouriteInTheEditorAndPractiseIt() {
        writeVersesDb(Paths::versesPath(),
                      {{"Psalm 46:1", "God is our refuge."}, {"Auguries", "To see a world."}});
        QVERIFY(start());
        Form1& practice = Forms::get<Form1>();
        activate(practice);

        QTest::mouseClick(practice.Command1, Qt::LeftButton);
        QVERIFY(Forms::isLoaded<Form4>());
        Form4& favourites = Forms::get<Form4>();
        activate(favourites);

        QTest::mouseClick(favourites.Command1[3], Qt::LeftButton);
        QCOMPARE(shared().FavSlot, qint16(3));
        frmverses& editor = Forms::get<frmverses>();
        activate(editor);
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

        activate(favourites);
        QTest::mouseClick(favourites.Command3[3], Qt::LeftButton);
        QCOMPARE(practice.windowTitle(), QStringLiteral("Psalm 46:1"));
        QVERIFY(QTest::qWaitForWindowActive(&practice));
        QCOMPARE(QApplication::focusWidget(), practice.Command1);
        typeInto(QStringLiteral("God is our r"));
        QCOMPARE(practice.Label1->text().left(18), QStringLiteral("God is our r-----."));
        typeInto(QStringLiteral("efuge"));
        QVERIFY(host->messages.isEmpty());
        host->answer(Host::Answer::No);
        typeInto(QStringLiteral(" "));
        QCOMPARE(host->messages.size(), 1);
        QCOMPARE(host->messages.first().text, QStringLiteral("Try Again?"));
        QVERIFY(QTest::qWaitForWindowActive(&favourites));
    }

    // The editor stays loaded but hidden after Select; closing the windows on screen still
    // ends the program, and the edit still pending in the editor's grid is saved on the way.
    void closingTheLastVisibleWindowEndsTheProgram() {
        writeVersesDb(Paths::versesPath(), {{"a", "x"}});
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
