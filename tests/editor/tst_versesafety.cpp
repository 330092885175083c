#include "tests/editor/editortest.h"
#include "tests/support/testmain.h"
#include "tests/support/testsupport.h"
#include "windowbase/module1.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <cstdio>

namespace {

// t000 .. t(n-1), each with the text "text tNNN", written in title order.
QList<VerseRow> numberedRows(int n) {
    QList<VerseRow> rows;
    for (int i = 0; i < n; ++i) {
        const QString title = QStringLiteral("t%1").arg(i, 3, 10, QLatin1Char('0'));
        rows.append({title, QStringLiteral("text ") + title});
    }
    return rows;
}

QStringList rowTexts(const QList<VerseRow>& rows) {
    QStringList out;
    for (const VerseRow& row : rows)
        out << row.title.toString() + QLatin1Char('|') + row.text.toString();
    return out;
}

QStringList sortedRowTexts(const QString& path) {
    QStringList rows = rowTexts(readVersesDb(path));
    rows.sort();
    return rows;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// The editor never loses or changes a verse it was not asked to: keys typed faster than the
// window answers, another program's maintenance of the shared file, text in an old code page,
// a save the editor refused.
class TestVerseSafety : public EditorTestCase {
    Q_OBJECT

    int gridRows() const { return grid()->model()->rowCount(); }
    void key(Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); }
    void clickRow(int row) {
        const QModelIndex index = grid()->model()->index(row, 0);
        grid()->scrollTo(index);
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {},
                          grid()->visualRect(index).center());
    }
    // Keys the user typed while the window was busy: already queued, each delivered to the
    // control that has the focus when its turn comes.
    void queueKeys(const QString& text) {
        for (QChar c : text)
            QMetaObject::invokeMethod(
                qApp, [c] { QVERIFY(pressKey(keyFor(c), QString(c))); }, Qt::QueuedConnection);
    }
    QStringList messages() const {
        QStringList out;
        for (const Host::Message& m : host->messages)
            out << m.text;
        return out;
    }
    // Every title the grid shows, top to bottom, without the new-row line.
    QStringList shownTitles() const {
        QStringList out;
        for (int i = 0; i < gridRows() - 1; ++i)
            out << cellText(i, 0);
        return out;
    }

private slots:
    // Add moves to the new-row line before any key typed after it is handled, however fast:
    // what was typed lands on the new-row line, never in the last or the current row.
    void keysTypedRightAfterAdd_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("clicked while the window is busy") << "click";
        QTest::newRow("access key, typing at once") << "alt+a";
    }
    void keysTypedRightAfterAdd() {
        QFETCH(QString, how);
        QVERIFY(open());
        if (how == "click") {
            queueKeys(QStringLiteral("zz new"));
            w->cmdAdd->click();
        } else {
            QTest::keyClick(w, Qt::Key_A, Qt::AltModifier);
            QVERIFY(typeText(QStringLiteral("zz new")));
        }
        QTRY_COMPARE(grid()->currentIndex().row(), 3);
        settle();
        QCOMPARE(cellText(3, 0), QStringLiteral("zz new"));
        QCOMPARE(cellText(0, 0), QStringLiteral("a"));
        QCOMPARE(cellText(2, 0), QStringLiteral("c"));
        key(Qt::Key_Tab);
        key(Qt::Key_Tab);
        QCOMPARE(rowTexts(readVersesDb(Paths::versesPath())), rowTexts(ThreeRows));
        grid()->setFocus();
        key(Qt::Key_Up); // leaving the new-row line stores it
        QCOMPARE(sortedRowTexts(Paths::versesPath()),
                 (QStringList{"a|text a", "b|text b", "c|text c", "zz new|"}));
        QVERIFY(host->messages.isEmpty());
    }

    // VACUUM renumbers the row ids; rows read afterwards are read in the table's new order,
    // the current row stays current, and Delete removes the row shown, nothing else.
    void vacuumByAnotherProgram() {
        QVERIFY(open(numberedRows(300)));
        clickRow(30);
        QCOMPARE(w->Text1->text(), QStringLiteral("t030"));
        QVERIFY(
            runSql(Paths::versesPath(), QStringLiteral("delete from verses where rowid <= 20")));
        QVERIFY(runSql(Paths::versesPath(), QStringLiteral("vacuum")));

        QTest::mouseClick(w->datPrimaryRSBar->lastButton(), Qt::LeftButton);
        settle();
        QCOMPARE(w->Text1->text(), QStringLiteral("t299"));
        QStringList expected;
        for (const VerseRow& row : numberedRows(300).mid(20))
            expected << row.title.toString();
        QCOMPARE(shownTitles(), expected);
        clickRow(64);
        QCOMPARE(caption(), QStringLiteral("Record: 65"));
        QCOMPARE(w->Text1->text(), QStringLiteral("t084"));
        w->cmdDelete->click();
        expected.removeOne(QStringLiteral("t084"));
        QStringList stored;
        for (const VerseRow& row : readVersesDb(Paths::versesPath()))
            stored << row.title.toString();
        stored.sort();
        QCOMPARE(stored, expected);
        QVERIFY2(host->messages.isEmpty(), qPrintable(messages().join('\n')));
    }

    // Rows not yet read when it happened are shown in their new places, and the row the
    // cursor was on stays current.
    void vacuumKeepsTheCurrentRow() {
        QVERIFY(open(numberedRows(300)));
        clickRow(30);
        QVERIFY(
            runSql(Paths::versesPath(), QStringLiteral("delete from verses where rowid <= 20")));
        QVERIFY(runSql(Paths::versesPath(), QStringLiteral("vacuum")));
        grid()->scrollToBottom();
        grid()->viewport()->repaint(); // draws rows never read before
        settle();
        QCOMPARE(caption(), QStringLiteral("Record: 11"));
        QCOMPARE(w->Text1->text(), QStringLiteral("t030"));
        QCOMPARE(cellText(279, 0), QStringLiteral("t299"));
        QCOMPARE(gridRows(), 281);
    }

    // A column renamed or dropped by another program is an error, never a value: nothing is
    // shown as the column's name, written, deleted or stored in a favourite.
    void columnChangedByAnotherProgram_data() {
        QTest::addColumn<QString>("sql");
        QTest::newRow("renamed") << "alter table verses rename column text to body";
        QTest::newRow("dropped") << "alter table verses drop column text";
    }
    void columnChangedByAnotherProgram() {
        QFETCH(QString, sql);
        const QByteArray favs = QByteArray("fav\r\nkept\r\n").repeated(6);
        QVERIFY(writeFile(Paths::favsPath(), favs));
        QVERIFY(open(numberedRows(150))); // the last rows not read yet
        QVERIFY(w->datPrimaryRS.moveToGridRow(1));
        QVERIFY(grid()->model()->setData(grid()->model()->index(1, 1), QStringLiteral("mine")));
        QVERIFY(runSql(Paths::versesPath(), sql));
        const QStringList before = sortedRowTexts(Paths::versesPath());

        w->cmdUpdate->click();
        QCOMPARE(host->messages.size(), 1);
        w->datPrimaryRS.cancelPending();
        QTest::mouseClick(w->datPrimaryRSBar->lastButton(), Qt::LeftButton);
        settle();
        QCOMPARE(caption(), QStringLiteral("Record: 150"));
        QCOMPARE(host->messages.size(), 2);
        QVERIFY(w->Text2->text() != QLatin1String("text"));
        QVERIFY(cellText(149, 1) != QLatin1String("text"));
        w->cmdDelete->click();
        sharedState().FavSlot = 0;
        w->Command1->click();

        QCOMPARE(sortedRowTexts(Paths::versesPath()), before);
        QCOMPARE(fileBytes(Paths::favsPath()), favs);
        QVERIFY(w->isVisible());
        QCOMPARE(host->messages.size(), 4);
        for (const QString& text : messages()) {
            QVERIFY2(text.contains(QLatin1String("changed by another program")), qPrintable(text));
            QVERIFY2(text.contains(QLatin1String("Refresh")), qPrintable(text));
        }
    }

    // A backup copied or moved over the file while the editor has it open, in either journal
    // mode: nothing written, the user told, and the restored file left as restored when the
    // editor and the program close.
    void backupRestoredOverTheOpenFile_data() {
        QTest::addColumn<bool>("wal");
        QTest::addColumn<bool>("moved");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("programEnds"); // rather than the editor closing
        QTest::newRow("rollback journal, copied")
            << false << false << "changed or removed" << false;
        QTest::newRow("rollback journal, moved")
            << false << true << "replaced by another file" << false;
        QTest::newRow("WAL, copied") << true << false << "replaced by another file" << false;
        QTest::newRow("WAL, moved") << true << true << "replaced by another file" << false;
        QTest::newRow("WAL, copied, program ends")
            << true << false << "replaced by another file" << true;
        QTest::newRow("WAL, moved, program ends")
            << true << true << "replaced by another file" << true;
    }
    void backupRestoredOverTheOpenFile() {
        QFETCH(bool, wal);
        QFETCH(bool, moved);
        QFETCH(QString, message);
        const QString path = Paths::versesPath();
        const QString backup = dir->file(QStringLiteral("backup.mdb"));
        QVERIFY(writeVersesDb(backup, {{"a", "backup a"}, {"b", "backup b"}}));
        QVERIFY(open());
        {
            OtherProgram other;
            if (wal)
                QVERIFY(other.exec(QStringLiteral("pragma journal_mode=wal")));
            QVERIFY(other.exec(QStringLiteral("update verses set text = 'their ' || title")));
            w->cmdRefresh->click(); // the editor reads through the other program's log
        }
        QVERIFY(w->datPrimaryRS.moveToGridRow(1));
        QCOMPARE(w->Text2->text(), QStringLiteral("their b"));
        QVERIFY(grid()->model()->setData(grid()->model()->index(1, 1), QStringLiteral("mine")));

        if (moved)
            QVERIFY(::rename(QFile::encodeName(backup).constData(),
                             QFile::encodeName(path).constData()) == 0);
        else
            QVERIFY(writeFile(path, fileBytes(backup)));
        w->cmdUpdate->click();
        QCOMPARE(host->messages.size(), 1);
        QVERIFY2(host->messages.first().text.contains(message),
                 qPrintable(host->messages.first().text));
        QFETCH(bool, programEnds);
        if (programEnds) {
            // As Exit does: the event loop ends, no window closes.
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
            QCoreApplication::exec();
            QVERIFY(w->isVisible());
        } else {
            w->datPrimaryRS.cancelPending();
            w->cmdClose->click();
            resetProgram();
        }
        QCOMPARE(sortedRowTexts(path), (QStringList{"a|backup a", "b|backup b"}));
    }

    // Another program switching the file to WAL mode is no replaced file: edits are saved.
    void walSwitchedByAnotherProgram() {
        QVERIFY(open(numberedRows(150))); // the last rows not read yet
        OtherProgram other;
        QVERIFY(other.exec(QStringLiteral("pragma journal_mode=wal")));
        QVERIFY(
            other.exec(QStringLiteral("update verses set text = 'their' where title = 't149'")));
        QTest::mouseClick(w->datPrimaryRSBar->lastButton(), Qt::LeftButton);
        settle();
        QCOMPARE(w->Text2->text(), QStringLiteral("their"));
        QVERIFY(grid()->model()->setData(grid()->model()->index(149, 1), QStringLiteral("mine")));
        w->cmdUpdate->click();
        QVERIFY2(host->messages.isEmpty(), qPrintable(messages().join('\n')));
        QCOMPARE(other.value(QStringLiteral("select text from verses where title = 't149'")),
                 QVariant(QStringLiteral("mine")));
    }

    // Text another program stored in Windows-1252 shows as such and can be edited and
    // deleted; an edit stores UTF-8, and the field not edited keeps its bytes.
    void windows1252Text_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("left"); // as a reader taking the bytes for UTF-8 sees it
        const QString oldTitle = QStringLiteral("Caf\uFFFD");
        const QString oldText = QStringLiteral("Caf\uFFFD cr\u008E\uFFFDme");
        QTest::newRow("text edited") << "text" << QStringList{"a|text a", oldTitle + "|mine"};
        QTest::newRow("title edited")
            << "title" << QStringList{"a|text a", "Caf\u00e9 au lait|" + oldText};
        QTest::newRow("deleted") << "delete" << QStringList{"a|text a"};
    }
    void windows1252Text() {
        QFETCH(QString, action);
        QVERIFY(writeVersesDb(Paths::versesPath(), {{"a", "text a"}}));
        QVERIFY(runSql(Paths::versesPath(),
                       QStringLiteral("insert into verses values (cast(x'436166E9' as text), "
                                      "cast(x'436166E92063728EE86D65' as text))")));
        w = &Forms::show<frmverses>();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QCOMPARE(w->Text1->text(), QStringLiteral("Caf\u00e9")); // sorts before "a"
        QCOMPARE(w->Text2->text(), QStringLiteral("Caf\u00e9 cr\u017d\u00e8me"));
        QCOMPARE(cellText(0, 1), QStringLiteral("Caf\u00e9 cr\u017d\u00e8me"));
        if (action == "delete") {
            w->cmdDelete->click();
        } else {
            const bool title = action == "title";
            QVERIFY(grid()->model()->setData(grid()->model()->index(0, title ? 0 : 1),
                                             title ? QStringLiteral("Caf\u00e9 au lait")
                                                   : QStringLiteral("mine")));
            w->cmdUpdate->click();
        }
        QVERIFY2(host->messages.isEmpty(), qPrintable(messages().join('\n')));
        QTEST(rowTexts(readVersesDb(Paths::versesPath())), "left");
    }

    // A save the editor refused is told once, however often the row is left; Refresh then
    // drops it, saying so, and shows the table as it is now.
    void refusedSaveThenRefresh_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("refusedBy");
        QTest::newRow("row changed, leaving the row") << "row"
                                                      << "down";
        QTest::newRow("file replaced, Refresh") << "file"
                                                << "refresh";
    }
    void refusedSaveThenRefresh() {
        QFETCH(QString, change);
        QFETCH(QString, refusedBy);
        QVERIFY(open());
        QVERIFY(grid()->model()->setData(grid()->model()->index(0, 1), QStringLiteral("mine")));
        if (change == "row") {
            QVERIFY(runSql(Paths::versesPath(),
                           QStringLiteral("update verses set text = 'their a' where title = 'a'")));
        } else {
            const QString theirs = dir->file(QStringLiteral("theirs.mdb"));
            QVERIFY(writeVersesDb(theirs, {{"a", "their a"}, {"b", "text b"}, {"c", "text c"}}));
            QVERIFY(QFile::remove(Paths::versesPath()));
            QVERIFY(QFile::rename(theirs, Paths::versesPath()));
        }
        if (refusedBy == "refresh")
            w->cmdRefresh->click();
        for (int i = 0; i < 5; ++i)
            key(Qt::Key_Down);
        QCOMPARE(host->messages.size(), 1);
        QCOMPARE(cellText(0, 1), QStringLiteral("mine"));

        w->cmdRefresh->click();
        QCOMPARE(host->messages.size(), 2);
        QVERIFY2(host->messages.last().text.contains(QLatin1String("dropped")),
                 qPrintable(host->messages.last().text));
        QCOMPARE(cellText(0, 1), QStringLiteral("their a"));
        QVERIFY(!w->datPrimaryRS.hasPendingEdits());
        QCOMPARE(sortedRowTexts(Paths::versesPath()),
                 (QStringList{"a|their a", "b|text b", "c|text c"}));
        key(Qt::Key_Down);
        QCOMPARE(w->Text1->text(), QStringLiteral("b"));
        QCOMPARE(host->messages.size(), 2);
    }

    // With no verse shown there is nothing to store: a message, the favourites untouched.
    void selectWithNoVerseShown_data() {
        QTest::addColumn<QString>("database");
        QTest::newRow("file missing") << "missing";
        QTest::newRow("no column text") << "create table verses(title)";
        QTest::newRow("empty table") << "empty";
    }
    void selectWithNoVerseShown() {
        QFETCH(QString, database);
        const QByteArray favs = QByteArray("fav\r\nkept\r\n").repeated(6);
        QVERIFY(writeFile(Paths::favsPath(), favs));
        // The verse the editor showed the last time it was open.
        QVERIFY(open());
        w->cmdClose->click();
        settle();
        if (database == "missing") {
            QVERIFY(QFile::remove(Paths::versesPath()));
        } else if (database == "empty") {
            QVERIFY(writeVersesDb(Paths::versesPath(), {}));
        } else {
            QVERIFY(runSql(Paths::versesPath(), QStringLiteral("drop table verses")));
            QVERIFY(runSql(Paths::versesPath(), database));
        }
        host->messages.clear();
        w = &Forms::show<frmverses>();
        const qsizetype shown = host->messages.size();
        sharedState().FavSlot = 1;
        w->Command1->click();
        QCOMPARE(host->messages.size(), shown + 1);
        QCOMPARE(fileBytes(Paths::favsPath()), favs);
        QCOMPARE(sharedState().FavTitles[1], QString());
        QVERIFY(w->isVisible());
    }
};

TESSALINE_TEST_MAIN(TestVerseSafety)
#include "tst_versesafety.moc"
