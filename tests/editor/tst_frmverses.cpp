#include "base/database.h"
#include "base/paths.h"
#include "editor/databar.h"
#include "editor/datagrid.h"
#include "editor/frmverses.h"
#include "editor/mousepointer.h"
#include "favourites/form4.h"
#include "tests/editor/editortest.h"
#include "tests/support/testmain.h"
#include "tests/support/testsupport.h"
#include "windowbase/forms.h"
#include "windowbase/module1.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>

namespace {

QStringList rowTexts(const QList<VerseRow>& rows) {
    QStringList out;
    for (const VerseRow& row : rows)
        out << row.title.toString() + QLatin1Char('|') + row.text.toString();
    return out;
}

QStringList titles(const QList<VerseRow>& rows) {
    QStringList out;
    for (const VerseRow& row : rows)
        out << row.title.toString();
    return out;
}

} // namespace

// The verse editor as a user drives it: keys into the grid, button clicks, and a real file.
class TestVerseEditor : public EditorTestCase {
    Q_OBJECT

    int gridRow() const { return grid()->currentIndex().row(); }
    // The pointer the user sees over every window.
    static bool hourglass() {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        return cursor && cursor->shape() == Qt::WaitCursor;
    }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), k, modifiers);
    }
    [[nodiscard]] bool editCell(int row, int column, const QString& value) {
        return w->datPrimaryRS.moveToGridRow(row) &&
               grid()->model()->setData(grid()->model()->index(row, column), value);
    }

private slots:
    void cleanup() {
        ProgramTestCase::cleanup();
        Database::setBusyTimeoutMs(Database::BusyTimeoutMs);
        QVERIFY(!hourglass());
    }

    // Form_Load moves three controls away from where the window was laid out.
    void layoutAfterLoad_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("grid") << "grdDataGrid" << QRect(1, 0, 445, 217);
        QTest::newRow("data control") << "datPrimaryRS" << QRect(0, 216, 435, 24);
        QTest::newRow("button strip") << "picButtons" << QRect(0, 240, 435, 20);
    }
    void layoutAfterLoad() {
        QFETCH(QString, control);
        QVERIFY(open());
        const QHash<QString, QWidget*> controls = {{"grdDataGrid", w->grdDataGrid},
                                                   {"datPrimaryRS", w->datPrimaryRSBar},
                                                   {"picButtons", w->picButtons}};
        QTEST(controls.value(control)->geometry(), "geometry");
        QCOMPARE(w->size(), QSize(455, 341));
    }

    void gridShowsTheSortedRowsAndTheNewRowLine() {
        QVERIFY(open());
        QCOMPARE(w->grdDataGrid->caption(), QStringLiteral("Edit Verses"));
        QCOMPARE(grid()->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("Title"));
        QCOMPARE(grid()->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Text"));
        QCOMPARE(grid()->columnWidth(0), 130); // 1950 twips, kept when the rows were read
        QCOMPARE(cellText(0, 0), QStringLiteral("a"));
        QCOMPARE(cellText(1, 1), QStringLiteral("text b"));
        QCOMPARE(cellText(2, 0), QStringLiteral("c"));
        QCOMPARE(grid()->model()->rowCount(), 4); // and the new-row line
        QCOMPARE(rowMarker(0), QStringLiteral("\u25B6"));
        QCOMPARE(rowMarker(3), QStringLiteral("*"));
        QCOMPARE(caption(), QStringLiteral("Record: 1"));
        QCOMPARE(QApplication::focusWidget(), grid());
    }

    void tabOrderAndAccessKeys() {
        QVERIFY(open());
        const QList<QWidget*> chain = {w->cmdAdd,   w->cmdDelete, w->cmdRefresh, w->cmdUpdate,
                                       w->cmdClose, w->Text1,     w->Text2,      w->Command1,
                                       w->Command2, grid()};
        for (QWidget* next : chain) {
            key(Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        for (QPushButton* b : w->findChildren<QPushButton*>())
            QVERIFY2(!b->autoDefault() && !b->isDefault(), qPrintable(b->text()));
        QTest::keyClick(w->windowHandle(), Qt::Key_A, Qt::AltModifier);
        QTRY_COMPARE(gridRow(), 3); // a mnemonic clicks after a short animation
        QCOMPARE(caption(), QStringLiteral("Record: 0"));
    }

    void repositionCopiesTheCurrentRow_data() {
        QTest::addColumn<QString>("moves"); // Next, Last
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::newRow("opened on the untitled row") << ""
                                                    << "Record: 1"
                                                    << ""
                                                    << "text n";
        QTest::newRow("next") << "N"
                              << "Record: 2"
                              << "a"
                              << "text a";
        QTest::newRow("a row without text") << "NN"
                                            << "Record: 3"
                                            << "b"
                                            << "";
        // No current row: the boxes and the current verse keep the last row's.
        QTest::newRow("past the last") << "NNN"
                                       << "Record: 0"
                                       << "b"
                                       << "";
        QTest::newRow("last") << "L"
                              << "Record: 3"
                              << "b"
                              << "";
    }
    void repositionCopiesTheCurrentRow() {
        QFETCH(QString, moves);
        QVERIFY(open({{"b", QVariant()}, {QVariant(), "text n"}, {"a", "text a"}}));
        for (QChar m : moves) {
            if (m == 'N')
                w->datPrimaryRS.recordset().MoveNext();
            else
                w->datPrimaryRS.recordset().MoveLast();
        }
        QTEST(caption(), "record");
        QTEST(w->Text1->text(), "title");
        QTEST(w->Text2->text(), "text");
        QTEST(sharedState().CurrentTitle, "title");
        QTEST(sharedState().CurrentText, "text");
    }

    void addThroughTheNewRowLine() {
        QVERIFY(open());
        w->cmdAdd->click();
        settle();
        QCOMPARE(gridRow(), 3);
        QCOMPARE(caption(), QStringLiteral("Record: 0"));
        QVERIFY(typeText(QStringLiteral("0 new")));
        QCOMPARE(rowMarker(3), QStringLiteral("\u270E"));
        QCOMPARE(readVersesDb(Paths::versesPath()).size(), 3); // nothing stored while typing

        key(Qt::Key_Up);
        const QList<VerseRow> stored = readVersesDb(Paths::versesPath());
        QCOMPARE(stored.size(), 4);
        QCOMPARE(stored.last().title.toString(), QStringLiteral("0 new"));
        QVERIFY(stored.last().text.isNull());
        // Added rows stay at the end until the rows are read again.
        QCOMPARE(cellText(3, 0), QStringLiteral("0 new"));
        QCOMPARE(rowMarker(4), QStringLiteral("*"));
        QCOMPARE(caption(), QStringLiteral("Record: 3"));
        w->cmdRefresh->click();
        QCOMPARE(cellText(0, 0), QStringLiteral("0 new"));
    }

    void deleteMovesOn_data() {
        QTest::addColumn<QStringList>("rows"); // titles, written in this order
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("left");
        const QStringList bca = {"b", "c", "a"};
        QTest::newRow("middle row") << bca << 1 << "Record: 2"
                                    << "c" << QStringList{"c", "a"};
        QTest::newRow("last row") << bca << 2 << "Record: 2"
                                  << "b" << QStringList{"b", "a"};
        QTest::newRow("only row") << QStringList{"x"} << 0 << "Record: 0"
                                  << "x" << QStringList{};
        QTest::newRow("empty table") << QStringList{} << 0 << "Record: 0"
                                     << "" << QStringList{};
    }
    void deleteMovesOn() {
        QFETCH(QStringList, rows);
        QFETCH(int, row);
        QList<VerseRow> verses;
        for (const QString& title : rows)
            verses.append({title, QStringLiteral("text ") + title});
        QVERIFY(open(verses));
        if (!rows.isEmpty())
            QVERIFY(w->datPrimaryRS.moveToGridRow(row));
        w->cmdDelete->click();
        QTEST(caption(), "record");
        QTEST(w->Text1->text(), "title");
        QTEST(titles(readVersesDb(Paths::versesPath())), "left");
        QCOMPARE(grid()->model()->rowCount(), qMax(1, int(rows.size()))); // the new-row line too
        QVERIFY(host->messages.isEmpty());
    }

    void emptyTableAddsWithoutError() {
        QVERIFY(open({}));
        QCOMPARE(caption(), QStringLiteral("Record: 0"));
        w->cmdAdd->click();
        settle();
        QCOMPARE(gridRow(), 0);
        QCOMPARE(caption(), QStringLiteral("Record: 0"));
        QVERIFY(typeText(QStringLiteral("first")));
        w->cmdUpdate->click();
        QCOMPARE(titles(readVersesDb(Paths::versesPath())), QStringList{"first"});
        QCOMPARE(caption(), QStringLiteral("Record: 1"));
        QVERIFY(host->messages.isEmpty());
    }

    void escapeTakesBackTheCellAndThenTheRow() {
        QVERIFY(open());
        key(Qt::Key_Right);
        QVERIFY(typeText(QStringLiteral("typed")));
        QCOMPARE(rowMarker(0), QStringLiteral("\u270E"));
        key(Qt::Key_Escape);
        QCOMPARE(cellText(0, 1), QStringLiteral("text a"));
        QCOMPARE(rowMarker(0), QStringLiteral("\u25B6"));

        QVERIFY(typeText(QStringLiteral("kept?")));
        key(Qt::Key_Tab); // leaves the grid, the row still unsaved
        QCOMPARE(QApplication::focusWidget(), w->cmdAdd);
        QCOMPARE(cellText(0, 1), QStringLiteral("kept?"));
        grid()->setFocus();
        key(Qt::Key_Escape);
        QCOMPARE(cellText(0, 1), QStringLiteral("text a"));
        QVERIFY(!w->datPrimaryRS.hasPendingEdits());
        QCOMPARE(readVersesDb(Paths::versesPath()).at(2).text.toString(), QStringLiteral("text a"));
    }

    void updateSavesAndReturnsToTheEditedRow() {
        QVERIFY(open());
        key(Qt::Key_Right);
        QVERIFY(typeText(QStringLiteral("fresh")));
        key(Qt::Key_Down);
        key(Qt::Key_Down);
        QCOMPARE(caption(), QStringLiteral("Record: 3"));
        w->cmdUpdate->click();
        QCOMPARE(caption(), QStringLiteral("Record: 1"));
        QCOMPARE(w->Text2->text(), QStringLiteral("fresh"));
        QCOMPARE(gridRow(), 0);
        QCOMPARE(readVersesDb(Paths::versesPath()).at(2).text.toString(), QStringLiteral("fresh"));
    }

    void refreshShowsWhatAnotherProgramChanged() {
        QVERIFY(open());
        {
            OtherProgram other;
            QVERIFY(other.exec(QStringLiteral("insert into verses values ('0 first', 'new')")));
            QVERIFY(other.exec(QStringLiteral("delete from verses where title = 'b'")));
        }
        QCOMPARE(cellText(1, 0), QStringLiteral("b")); // until refreshed
        w->datPrimaryRS.recordset().MoveLast();
        w->cmdRefresh->click();
        QCOMPARE(grid()->model()->rowCount(), 4);
        QCOMPARE(cellText(1, 0), QStringLiteral("a"));
        QCOMPARE(caption(), QStringLiteral("Record: 1"));
        QCOMPARE(w->Text1->text(), QStringLiteral("0 first"));
        QCOMPARE(gridRow(), 0);
    }

    void selectStoresTheRepositionedVerse_data() {
        QTest::addColumn<bool>("favouritesLoaded");
        QTest::newRow("favourites window loaded") << true;
        QTest::newRow("favourites window closed") << false;
    }
    void selectStoresTheRepositionedVerse() {
        QFETCH(bool, favouritesLoaded);
        QByteArray before;
        for (int i = 0; i < 6; ++i)
            before +=
                "text " + QByteArray::number(i) + "\r\ntitle " + QByteArray::number(i) + "\r\n";
        QFile favs(Paths::favsPath());
        QVERIFY(favs.open(QIODevice::WriteOnly));
        favs.write(before);
        favs.close();
        if (favouritesLoaded)
            Forms::get<Form4>();
        QVERIFY(open());
        sharedState().FavSlot = 2;
        w->datPrimaryRS.recordset().MoveNext();
        w->Text1->setText(QStringLiteral("typed, not the verse")); // the boxes are not the source
        w->Command1->click();

        QVERIFY(favs.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = favs.readAll().split('\n');
        QCOMPARE(lines.size(), 13); // 12 lines, each ended by CR LF
        for (int i = 0; i < 12; ++i) {
            const QByteArray expected = i == 4   ? "text b"
                                        : i == 5 ? "b"
                                                 : before.split('\n').at(i).chopped(1);
            QCOMPARE(lines.at(i), expected + "\r");
        }
        QVERIFY(isLoaded<frmverses>());
        QVERIFY(!w->isVisible());
        QVERIFY(Forms::get<Form4>().isVisible());
    }

    // The hourglass shows from a record action's Validate until a row is current again.
    void hourglassShowsUntilTheNextReposition() {
        QVERIFY(open());
        QVERIFY(!hourglass());
        Recordset& rs = w->datPrimaryRS.recordset();
        rs.Delete(); // validated, but no row is current until the move that follows
        QVERIFY(hourglass());
        rs.MoveNext();
        QVERIFY(!hourglass());
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void pointerIsBackAfterClosing_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("saved");
        QTest::newRow("close button") << "button"
                                      << "kept";
        QTest::newRow("title bar") << "title bar"
                                   << "kept";
        QTest::newRow("unloaded without closing") << "unload"
                                                  << "text a";
    }
    void pointerIsBackAfterClosing() {
        QFETCH(QString, how);
        QVERIFY(open());
        QVERIFY(editCell(0, 1, QStringLiteral("kept")));
        MousePointer::set(MousePointer::Hourglass);
        if (how == "button")
            w->cmdClose->click();
        else if (how == "title bar")
            w->close();
        else
            resetProgram(); // as at program end
        // Back at once, not only when the closed window is finally deleted.
        QVERIFY(!isLoaded<frmverses>());
        QVERIFY(!hourglass());
        QVERIFY(!QGuiApplication::overrideCursor());
        settle();
        QTEST(readVersesDb(Paths::versesPath()).at(2).text.toString(), "saved");
    }

    void failedAutomaticSaveShowsTheDataErrorMessage() {
        QVERIFY(open());
        QVERIFY(runSql(Paths::versesPath(), RefuseUpdatesSql));
        QVERIFY(editCell(0, 1, QStringLiteral("edited")));
        QTest::mouseClick(w->datPrimaryRSBar->nextButton(), Qt::LeftButton);
        QCOMPARE(host->messages.size(), 1);
        const Host::Message& m = host->messages.first();
        QVERIFY2(m.text.startsWith(QLatin1String("Data error event hit err:The verse database")),
                 qPrintable(m.text));
        QVERIFY(m.text.contains(QLatin1String("verses are read-only today")));
        QCOMPARE(m.title, QStringLiteral("Tessaline"));
        QCOMPARE(m.icon, Host::Icon::None);
        QCOMPARE(caption(), QStringLiteral("Record: 1"));
        QCOMPARE(cellText(0, 1), QStringLiteral("edited"));
        QVERIFY(!hourglass());
    }

    void missingDatabaseOpensAnEmptyEditor() {
        sharedState().CurrentTitle = QStringLiteral("being practised");
        w = &Forms::show<frmverses>();
        QCOMPARE(host->messages.size(), 1);
        QVERIFY(host->messages.first().text.contains(Paths::versesPath()));
        QVERIFY(isLoaded<frmverses>() && w->isVisible());
        QCOMPARE(grid()->model()->rowCount(), 0);
        for (QPushButton* b : {w->cmdAdd, w->cmdDelete, w->cmdUpdate})
            b->click();
        settle();
        QCOMPARE(host->messages.size(), 1);
        QVERIFY(host->endCodes.isEmpty());
        QCOMPARE(sharedState().CurrentTitle, QStringLiteral("being practised"));

        QVERIFY(writeVersesDb(Paths::versesPath(),
                              ThreeRows)); // Refresh picks up a file that came later
        w->cmdRefresh->click();
        QCOMPARE(caption(), QStringLiteral("Record: 1"));
    }

    void lockedDatabaseIsReportedAndTheEditsStay() {
        Database::setBusyTimeoutMs(300);
        QVERIFY(open());
        QVERIFY(editCell(0, 1, QStringLiteral("edited")));
        auto other = std::make_unique<OtherProgram>();
        QVERIFY(other->exec(QStringLiteral("begin exclusive")));
        QElapsedTimer waited;
        waited.start();
        w->cmdUpdate->click();
        QVERIFY2(waited.elapsed() >= 250, qPrintable(QString::number(waited.elapsed())));
        w->cmdRefresh->click();
        QCOMPARE(host->messages.size(), 2);
        for (const Host::Message& m : host->messages)
            QVERIFY2(m.text.contains(QLatin1String("in use by another program")),
                     qPrintable(m.text));
        QCOMPARE(cellText(0, 1), QStringLiteral("edited"));
        QCOMPARE(rowMarker(0), QStringLiteral("\u270E"));

        QVERIFY(other->exec(QStringLiteral("rollback")));
        other.reset();
        w->cmdUpdate->click();
        QCOMPARE(host->messages.size(), 2);
        QCOMPARE(readVersesDb(Paths::versesPath()).at(2).text.toString(), QStringLiteral("edited"));
    }

    // Only the rows in view are read, however long the table; moves and writes address rows
    // by position without reading the rest.
    void largeTableIsReadLazily() {
        QList<VerseRow> rows;
        for (int i = 0; i < 100000; ++i)
            rows.append({QStringLiteral("title %1").arg(i, 6, 10, QLatin1Char('0')),
                         QStringLiteral("verse text %1 ").arg(i).repeated(8)});
        QVERIFY(writeVersesDb(Paths::versesPath(), rows));
        w = &Forms::show<frmverses>();
        settle();
        w->datPrimaryRS.recordset().MoveLast();
        settle();
        QCOMPARE(caption(), QStringLiteral("Record: 100000"));
        QCOMPARE(w->Text1->text(), QStringLiteral("title 099999"));

        QVERIFY(w->datPrimaryRS.moveToGridRow(50000));
        w->cmdDelete->click();
        QCOMPARE(w->Text1->text(), QStringLiteral("title 050001"));
        QVERIFY(editCell(50000, 1, QStringLiteral("changed")));
        w->cmdUpdate->click();
        QVERIFY(host->messages.isEmpty());
        QCOMPARE(readVersesDb(Paths::versesPath()).at(50000).text.toString(),
                 QStringLiteral("changed"));

        // What was read shows while another program holds the file; the rest was never read.
        OtherProgram other;
        QVERIFY(other.exec(QStringLiteral("begin exclusive")));
        QCOMPARE(cellText(0, 0), QStringLiteral("title 000000"));
        QCOMPARE(cellText(99998, 0), QStringLiteral("title 099999"));
        for (int row = 5000; row < 99998; row += 10000)
            QVERIFY2(cellText(row, 0).contains(QLatin1String("cannot be read")),
                     qPrintable(QString::number(row)));
        QVERIFY(other.exec(QStringLiteral("rollback")));
    }

    // One line per row: a line break shows as one blank, while the cell keeps the break.
    void lineBreaksShowAsBlanks_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("CR LF") << "one\r\ntwo"
                               << "one two";
        QTest::newRow("CR") << "one\rtwo"
                            << "one two";
        QTest::newRow("LF twice") << "one\n\ntwo"
                                  << "one  two";
    }
    void lineBreaksShowAsBlanks() {
        QFETCH(QString, text);
        QVERIFY(open({{"a", text}}));
        QTEST(cellText(0, 1), "shown");
        QCOMPARE(grid()->model()->index(0, 1).data(Qt::EditRole).toString(), text);
    }

    // Refresh leaves the row: what was typed in the grid is saved before the rows are read
    // again, and stays in the grid, unsaved, when that save fails.
    void refreshSavesWhatWasTyped_data() {
        QTest::addColumn<bool>("saveFails");
        QTest::newRow("saved") << false;
        QTest::newRow("save fails") << true;
    }
    void refreshSavesWhatWasTyped() {
        QFETCH(bool, saveFails);
        QVERIFY(open());
        if (saveFails)
            QVERIFY(runSql(Paths::versesPath(), RefuseUpdatesSql));
        key(Qt::Key_Right);
        QVERIFY(typeText(QStringLiteral("fresh"))); // the cell is still open
        w->cmdRefresh->click();
        QCOMPARE(cellText(0, 1), QStringLiteral("fresh"));
        QCOMPARE(w->datPrimaryRS.hasPendingEdits(), saveFails);
        QCOMPARE(readVersesDb(Paths::versesPath()).at(2).text.toString(),
                 saveFails ? QStringLiteral("text a") : QStringLiteral("fresh"));
        QCOMPARE(host->messages.size(), saveFails ? 1 : 0);
        if (saveFails)
            QVERIFY(host->messages.first().text.startsWith(
                QLatin1String("The verses could not be read again.")));
    }

    // After a failed save keeps the cursor on its row, another row opens no cell to type into:
    // nothing typed there could be kept.
    void noCellOpensOnARowTheCursorCouldNotReach() {
        QVERIFY(open());
        QVERIFY(runSql(Paths::versesPath(), RefuseUpdatesSql));
        QVERIFY(editCell(0, 1, QStringLiteral("edited")));
        QTest::mouseClick(w->datPrimaryRSBar->nextButton(), Qt::LeftButton);
        QCOMPARE(caption(), QStringLiteral("Record: 1"));

        const QModelIndex other = grid()->model()->index(2, 1);
        const QPoint at = grid()->visualRect(other).center();
        // A double click is a press and release, then the double click itself.
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(!grid()->indexWidget(other));
        QCOMPARE(QApplication::focusWidget(), grid());
        QCOMPARE(w->datPrimaryRS.currentGridRow(), 0);
        QCOMPARE(cellText(0, 1), QStringLiteral("edited"));
        QVERIFY(w->datPrimaryRS.hasPendingEdits());
    }

    // A cell opened and closed without typing changes nothing, however long its text.
    void openingACellKeepsTheWholeText_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("doubleClick");
        QTest::newRow("short text, F2") << 10 << false;
        QTest::newRow("40,000 characters, F2") << 40000 << false;
        QTest::newRow("40,000 characters, double click") << 40000 << true;
        QTest::newRow("1,000,000 characters, F2") << 1000000 << false;
    }
    void openingACellKeepsTheWholeText() {
        QFETCH(int, length);
        QFETCH(bool, doubleClick);
        const QString text = QStringLiteral("Long verse. ").repeated(length / 12 + 1).left(length);
        QVERIFY(open({{"a", text}, {"b", "text b"}}));
        OtherProgram other;
        QVERIFY(other.exec(QStringLiteral("create table writes(n)")));
        QVERIFY(other.exec(QStringLiteral("create trigger counted after update on verses begin "
                                          "insert into writes values (1); end")));
        const QModelIndex cell = grid()->model()->index(0, 1);
        if (doubleClick) {
            const QPoint at = grid()->visualRect(cell).center();
            QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, at);
        } else {
            key(Qt::Key_Right);
            key(Qt::Key_F2);
        }
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        // The cell opens with everything selected: copying gives the whole verse.
        QTest::keySequence(editor, QKeySequence::Copy);
        QCOMPARE(QGuiApplication::clipboard()->text(), text);
        key(Qt::Key_Escape);
        QCOMPARE(rowMarker(0), QStringLiteral("\u25B6"));
        key(Qt::Key_Down);
        key(Qt::Key_Up);
        w->cmdUpdate->click();
        QCOMPARE(other.value(QStringLiteral("select count(*) from writes")).toInt(), 0);
        QCOMPARE(readVersesDb(Paths::versesPath()).at(0).text.toString(), text);
        sharedState().FavSlot = 0;
        w->Command1->click();
        QCOMPARE(sharedState().FavTexts[0], text);
        QVERIFY(host->messages.isEmpty());
    }

    // A verse of a book's length is edited where the cursor is, as a short one: the cell holds
    // only a stretch of it at a time, and what is typed lands at the right place.
    void editingALongVerse_data() {
        QTest::addColumn<QString>("keys"); // F2 opens the cell with all selected
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("at"); // where the typed text lands; -1: it replaced the verse
        QTest::newRow("at the end") << "end"
                                    << "xyz" << 50000;
        QTest::newRow("at the start") << "home"
                                      << "abc" << 0;
        QTest::newRow("after moving across stretches") << "home right*4500"
                                                       << "mid" << 4500;
        QTest::newRow("back across stretches") << "end left*4500"
                                               << "back" << 45500;
        QTest::newRow("over all of it") << ""
                                        << "new" << -1;
    }
    void editingALongVerse() {
        QFETCH(QString, keys);
        QFETCH(QString, typed);
        QFETCH(int, at);
        QString text;
        for (int i = 0; text.size() < 50000; ++i)
            text += QStringLiteral("%1 ").arg(i, 5, 10, QLatin1Char('0'));
        text.truncate(50000);
        QVERIFY(open({{"a", text}, {"b", "text b"}}));
        key(Qt::Key_Right);
        key(Qt::Key_F2);
        for (const QString& k : keys.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QStringList parts = k.split(QLatin1Char('*'));
            const Qt::Key which = parts[0] == "end"    ? Qt::Key_End
                                  : parts[0] == "home" ? Qt::Key_Home
                                  : parts[0] == "left" ? Qt::Key_Left
                                                       : Qt::Key_Right;
            for (int i = 0; i < parts.value(1, QStringLiteral("1")).toInt(); ++i)
                key(which);
        }
        QVERIFY(typeText(typed));
        key(Qt::Key_Down); // leaving the row stores it
        const QString expected = at < 0 ? typed : QString(text).insert(at, typed);
        QCOMPARE(readVersesDb(Paths::versesPath()).at(0).text.toString(), expected);
        QVERIFY(host->messages.isEmpty());
    }

    // Another program changes the table between the editor's read and its write: nothing of
    // what it wrote changes, the edit stays in the grid, and the user is told what happened.
    void writesReachOnlyTheRowTheEditorShowed_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("message");
        const char* changes[][2] = {
            {"row id reused", "changed or removed by another program"},
            {"values changed", "changed or removed by another program"},
            {"file copied over", "changed or removed by another program"},
            {"file replaced", "replaced"},
            {"file deleted", "deleted"},
        };
        for (const auto& change : changes)
            for (const char* action : {"update", "leave row", "delete", "refresh"})
                QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(change[0], action)))
                    << change[0] << action << change[1];
    }
    void writesReachOnlyTheRowTheEditorShowed() {
        QFETCH(QString, change);
        QFETCH(QString, action);
        QFETCH(QString, message);
        QVERIFY(open()); // rowids: b 1, c 2, a 3; a current
        const QString path = Paths::versesPath();
        const QString theirs = dir->file(QStringLiteral("theirs.mdb"));
        QVERIFY(writeVersesDb(theirs, {{"b", "their b"}, {"c", "their c"}, {"a", "their a"}}));
        const bool editing = action != "delete";
        if (editing)
            QVERIFY(editCell(0, 1, QStringLiteral("mine")));
        if (change == "row id reused") {
            OtherProgram other;
            QVERIFY(other.exec(QStringLiteral("delete from verses where title = 'a'")));
            QVERIFY(other.exec(QStringLiteral("insert into verses (rowid, title, text) values "
                                              "(3, 'a', 'their a')")));
        } else if (change == "values changed") {
            OtherProgram other;
            QVERIFY(other.exec(QStringLiteral("update verses set text = 'their a'")));
        } else if (change == "file copied over") {
            QFile from(theirs);
            QFile to(path);
            QVERIFY(from.open(QIODevice::ReadOnly) && to.open(QIODevice::WriteOnly));
            to.write(from.readAll());
        } else {
            QVERIFY(QFile::remove(path));
            if (change == "file replaced")
                QVERIFY(QFile::copy(theirs, path));
        }
        const QStringList before =
            change == "file deleted" ? QStringList() : rowTexts(readVersesDb(path));

        if (action == "update")
            w->cmdUpdate->click();
        else if (action == "leave row")
            key(Qt::Key_Down);
        else if (action == "delete")
            w->cmdDelete->click();
        else
            w->cmdRefresh->click();

        QCOMPARE(host->messages.size(), 1);
        const QString text = host->messages.first().text;
        QVERIFY2(text.contains(message), qPrintable(text));
        QVERIFY2(!text.contains(QLatin1String("readonly")), qPrintable(text));
        if (action == "leave row")
            QVERIFY2(text.startsWith(QLatin1String("Data error event hit err:")), qPrintable(text));
        if (change == "file deleted")
            QVERIFY(!QFile::exists(path));
        else
            QCOMPARE(rowTexts(readVersesDb(path)), before);
        QCOMPARE(grid()->model()->rowCount(), 4);
        QCOMPARE(cellText(0, 1), editing ? QStringLiteral("mine") : "text a");
        QCOMPARE(w->datPrimaryRS.hasPendingEdits(), editing);
    }

    // The new-row line has no current row: the boxes and the current verse stay the last
    // row's, so View Verse and Select never see an empty verse.
    void theNewRowLineKeepsTheLastVerse_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("title");
        QTest::newRow("Add") << "add"
                             << "c";
        QTest::newRow("Down from the last row") << "down"
                                                << "c";
        QTest::newRow("Ctrl+End from the first row") << "ctrl+end"
                                                     << "a";
    }
    void theNewRowLineKeepsTheLastVerse() {
        QFETCH(QString, how);
        QFETCH(QString, title);
        QVERIFY(open());
        if (how == "add") {
            w->cmdAdd->click();
            settle();
        } else if (how == "down") {
            QVERIFY(w->datPrimaryRS.moveToGridRow(2));
            key(Qt::Key_Down);
        } else {
            key(Qt::Key_End, Qt::ControlModifier);
        }
        QCOMPARE(gridRow(), 3);
        QCOMPARE(caption(), QStringLiteral("Record: 0"));
        QCOMPARE(w->Text1->text(), title);
        QCOMPARE(w->Text2->text(), QStringLiteral("text ") + title);
        QCOMPARE(sharedState().CurrentTitle, title);
        w->Command2->click(); // View Verse reads the shared strings
        QCOMPARE(sharedState().CurrentText, QStringLiteral("text ") + title);
        sharedState().FavSlot = 1;
        w->Command1->click();
        QCOMPARE(sharedState().FavTitles[1], title);
        QCOMPARE(sharedState().FavTexts[1], QStringLiteral("text ") + title);
    }

    // Practising another favourite changes the current verse while the editor is hidden;
    // showing the editor again puts back the verse it shows.
    void selectAfterShowingTheEditorAgainStoresTheShownVerse() {
        QVERIFY(writeVersesDb(Paths::versesPath(), ThreeRows));
        QFile favs(Paths::favsPath());
        QVERIFY(favs.open(QIODevice::WriteOnly));
        for (int i = 0; i < 6; ++i)
            favs.write("fav text " + QByteArray::number(i) + "\r\nfav " + QByteArray::number(i) +
                       "\r\n");
        favs.close();
        Form4& favourites = Forms::show<Form4>();
        favourites.Command1[0]->click();
        w = &Forms::get<frmverses>();
        w->datPrimaryRS.recordset().MoveNext();
        w->Command1->click();
        QCOMPARE(sharedState().FavTitles[0], QStringLiteral("b"));
        favourites.Command3[1]->click();
        QCOMPARE(sharedState().CurrentTitle, QStringLiteral("fav 1"));
        favourites.Command1[2]->click();
        QVERIFY(w->isVisible());
        QCOMPARE(caption(), QStringLiteral("Record: 2"));
        w->Command1->click();
        QCOMPARE(sharedState().FavTitles[2], QStringLiteral("b"));
        QCOMPARE(sharedState().FavTexts[2], QStringLiteral("text b"));
    }

    // Rows another program keeps locked: one wait and one message per move, never a wrong or
    // empty verse, and the rows read once the lock is gone.
    void rowsLockedByAnotherProgram() {
        Database::setBusyTimeoutMs(300);
        QList<VerseRow> rows;
        for (int i = 0; i < 200; ++i)
            rows.append({QStringLiteral("t%1").arg(i, 3, 10, QLatin1Char('0')),
                         QStringLiteral("text %1").arg(i)});
        QVERIFY(open(rows));
        sharedState().FavSlot = 0;
        sharedState().FavTitles[0] = QStringLiteral("kept");
        auto other = std::make_unique<OtherProgram>();
        QVERIFY(other->exec(QStringLiteral("begin exclusive")));

        QTest::mouseClick(w->datPrimaryRSBar->lastButton(), Qt::LeftButton);
        grid()->viewport()->repaint();
        QCOMPARE(host->messages.size(), 1);
        const QString text = host->messages.first().text;
        QVERIFY2(text.startsWith(QLatin1String("Data error event hit err:")), qPrintable(text));
        QVERIFY2(text.contains(QLatin1String("in use by another program")), qPrintable(text));
        QCOMPARE(caption(), QStringLiteral("Record: 200"));
        QCOMPARE(w->Text1->text(), QString());
        QCOMPARE(sharedState().CurrentTitle, QString());
        w->datPrimaryRS.retryUnreadable(); // as each time the grid is drawn
        QVERIFY(cellText(199, 0).contains(QLatin1String("cannot be read")));
        QVERIFY(!grid()->model()->setData(grid()->model()->index(199, 1), QStringLiteral("x")));

        w->Command1->click();
        QCOMPARE(host->messages.size(), 2);
        QVERIFY2(host->messages.last().text.contains(QLatin1String("could not be read")),
                 qPrintable(host->messages.last().text));
        QCOMPARE(sharedState().FavTitles[0], QStringLiteral("kept"));
        QVERIFY(w->isVisible());

        QVERIFY(other->exec(QStringLiteral("rollback")));
        other.reset();
        grid()->viewport()->repaint();
        QCOMPARE(cellText(198, 0), QStringLiteral("t198"));
        w->Command1->click();
        QCOMPARE(sharedState().FavTitles[0], QStringLiteral("t199"));
        QCOMPARE(host->messages.size(), 2);
    }

    // Messages that say what happened when another program holds the file.
    void lockedFileMessages_data() {
        QTest::addColumn<QString>("lock");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("tryAgain"); // only where the user can repeat what failed
        QTest::newRow("update under a read lock") << "begin; select count(*) from verses"
                                                  << "update"
                                                  << "in use by another program" << true;
        QTest::newRow("close under a lock") << "begin exclusive"
                                            << "close"
                                            << "was not saved" << false;
    }
    void lockedFileMessages() {
        QFETCH(QString, lock);
        QFETCH(QString, action);
        QFETCH(QString, message);
        Database::setBusyTimeoutMs(300);
        QVERIFY(open());
        QVERIFY(editCell(0, 1, QStringLiteral("edited")));
        OtherProgram other;
        for (const QString& sql : lock.split(QStringLiteral("; ")))
            QVERIFY(other.exec(sql));
        if (action == "update")
            w->cmdUpdate->click();
        else
            w->cmdClose->click();
        QCOMPARE(host->messages.size(), 1);
        const QString text = host->messages.first().text;
        QVERIFY2(text.contains(message), qPrintable(text));
        QVERIFY2(!text.contains(QLatin1String("Error 75")), qPrintable(text));
        QVERIFY2(!text.contains(QLatin1String("try again")), qPrintable(text));
        QFETCH(bool, tryAgain);
        QCOMPARE(text.contains(QLatin1String("Try again once that program is done.")), tryAgain);
        QVERIFY(other.exec(QStringLiteral("rollback")));
    }

    // A table whose own columns shadow the row id: rows are told apart by an alias it leaves
    // free, and without one the editor only shows and selects.
    void tablesThatShadowTheRowId_data() {
        QTest::addColumn<QString>("create");
        QTest::addColumn<QString>("values");
        QTest::addColumn<bool>("editable");
        QTest::newRow("a column named rowid") << "create table verses(rowid integer, title, text)"
                                              << "(1, 'a', 'text a'), (1, 'b', 'text b')" << true;
        QTest::newRow("columns named rowid, oid and _rowid_")
            << "create table verses(rowid, oid, _rowid_, title, text)"
            << "(1, 1, 1, 'a', 'text a'), (1, 1, 1, 'b', 'text b')" << false;
        QTest::newRow("without rowid")
            << "create table verses(title text primary key, text) without rowid"
            << "('a', 'text a'), ('b', 'text b')" << false;
    }
    void tablesThatShadowTheRowId() {
        QFETCH(QString, create);
        QFETCH(QString, values);
        QFETCH(bool, editable);
        QVERIFY(writeVersesDb(Paths::versesPath(), {}));
        {
            OtherProgram other;
            QVERIFY(other.exec(QStringLiteral("drop table verses")));
            QVERIFY(other.exec(create));
            QVERIFY(other.exec(QStringLiteral("insert into verses values ") + values));
        }
        w = &Forms::show<frmverses>();
        QCOMPARE(cellText(0, 0), QStringLiteral("a"));
        QCOMPARE(cellText(1, 0), QStringLiteral("b"));
        QCOMPARE(cellText(1, 1), QStringLiteral("text b"));
        QCOMPARE(host->messages.size(), editable ? 0 : 1);
        if (!editable)
            QVERIFY2(host->messages.first().text.contains(QLatin1String("read-only")),
                     qPrintable(host->messages.first().text));

        QCOMPARE(grid()->model()->setData(grid()->model()->index(0, 1), QStringLiteral("changed")),
                 editable);
        w->cmdUpdate->click();
        QVERIFY(w->datPrimaryRS.moveToGridRow(1));
        w->cmdDelete->click();
        QCOMPARE(host->messages.size(), editable ? 0 : 2);
        OtherProgram other;
        QCOMPARE(other
                     .value(QStringLiteral("select group_concat(title || '|' || text, ' ') from "
                                           "(select * from verses order by title)"))
                     .toString(),
                 editable ? QStringLiteral("a|changed") : QStringLiteral("a|text a b|text b"));
        sharedState().FavSlot = 3;
        w->Command1->click();
        QCOMPARE(sharedState().FavTitles[3], editable ? QStringLiteral("a") : QStringLiteral("b"));
    }

    // The grid's lower edge lies over the data control's upper edge.
    void gridCoversTheTopOfTheDataControl() {
        QVERIFY(open());
        QWidget* atOverlap = w->childAt(200, 216);
        QVERIFY(atOverlap);
        QVERIFY(atOverlap == w->grdDataGrid || w->grdDataGrid->isAncestorOf(atOverlap));
    }

    // A row deleted by code leaves the control between rows while the grid's cursor stands on
    // a neighbour: typing there moves the control to that row first, so the text is kept.
    void typingOnTheCursorsRowMovesTheControlThere() {
        QVERIFY(open());
        QVERIFY(w->datPrimaryRS.moveToGridRow(1));
        w->datPrimaryRS.recordset().Delete();
        QCOMPARE(w->datPrimaryRS.currentGridRow(), -1);
        const int row = gridRow();
        QVERIFY(row >= 0);
        QVERIFY(typeText(QStringLiteral("kept")));
        QCOMPARE(w->datPrimaryRS.currentGridRow(), row);
        QVERIFY(w->datPrimaryRS.hasPendingEdits());
        QCOMPARE(cellText(row, grid()->currentIndex().column()), QStringLiteral("kept"));
    }
};

TESSALINE_TEST_MAIN(TestVerseEditor)
#include "tst_frmverses.moc"
