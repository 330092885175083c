#include "editor/datacontrol.h"
#include "tests/support/testsupport.h"
#include "tests/support/widgetmain.h"

#include <QFile>

namespace {

const TableSource Source = {QStringLiteral("verses"),
                            {QStringLiteral("title"), QStringLiteral("text")},
                            QStringLiteral("title")};

// Writes down every event with the position it saw, and answers as a test tells it to.
struct Recorder : DataControl::Events {
    DataControl* control = nullptr;
    QStringList log;
    int cancel = -1;  // the action to turn into Cancel
    bool keep = true; // what to answer for save
    int response = 1; // what to answer for an Error

    void Validate(int& action, bool& save) override {
        log << QStringLiteral("validate %1 at %2%3")
                   .arg(action)
                   .arg(control->recordset().AbsolutePosition())
                   .arg(save ? QStringLiteral(" save") : QString());
        if (action == cancel)
            action = DataControl::Cancel;
        save = save && keep;
    }
    void Reposition() override {
        log << QStringLiteral("reposition at %1").arg(control->recordset().AbsolutePosition());
    }
    void Error(int dataErr, int& answer) override {
        log << QStringLiteral("error %1").arg(dataErr);
        answer = response;
    }
};

QString title(const DataControl& c) {
    try {
        return c.recordset().Fields(QStringLiteral("title")).Value.toString();
    } catch (const RuntimeError&) {
        return QStringLiteral("<none>");
    }
}

QStringList texts(const QString& path) {
    QStringList out;
    for (const VerseRow& row : readVersesDb(path))
        out << row.text.toString();
    return out;
}

} // namespace

// The data control without any window: rows, moves, events, edits and failures.
class TestDataControl : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramDir> dir;
    std::unique_ptr<ScriptedHost> host;
    std::unique_ptr<DataControl> control;
    Recorder events;
    QString path;

    // Opens rows c, a, b (written out of order); a is current.
    [[nodiscard]] bool open(const QList<VerseRow>& rows = {
                                {"c", "text c"}, {"a", "text a"}, {"b", "text b"}}) {
        if (!writeVersesDb(path, rows))
            return false;
        control->DatabaseName = path;
        control->RecordSource = Source;
        control->Refresh();
        events.log.clear();
        return true;
    }

private slots:
    void init() {
        dir = std::make_unique<TestProgramDir>();
        host = std::make_unique<ScriptedHost>();
        control = std::make_unique<DataControl>();
        events = Recorder();
        events.control = control.get();
        control->setEvents(&events);
        path = dir->file(QStringLiteral("verses.mdb"));
    }
    void cleanup() {
        control.reset();
        host.reset();
        dir.reset();
    }

    void movesWalkTheSortedRows_data() {
        QTest::addColumn<QString>("moves"); // Next, Last; the bar's First and Previous
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("eof");
        QTest::addColumn<QString>("title");
        QTest::newRow("opened") << "" << 0 << false << "a";
        QTest::newRow("next") << "N" << 1 << false << "b";
        QTest::newRow("last") << "L" << 2 << false << "c";
        QTest::newRow("past the last") << "LN" << -1 << true << "<none>";
        QTest::newRow("stays past the last") << "LNN" << -1 << true << "<none>";
        QTest::newRow("back from past the last") << "LNP" << 2 << false << "c";
        QTest::newRow("previous stays on the first") << "P" << 0 << false << "a";
        QTest::newRow("first again") << "LF" << 0 << false << "a";
    }
    void movesWalkTheSortedRows() {
        QFETCH(QString, moves);
        QVERIFY(open());
        Recordset& rs = control->recordset();
        for (QChar m : moves) {
            if (m == 'F')
                control->navigate(DataControl::MoveFirstAction);
            else if (m == 'P')
                control->navigate(DataControl::MovePreviousAction);
            else if (m == 'N')
                rs.MoveNext();
            else
                rs.MoveLast();
        }
        QTEST(rs.AbsolutePosition(), "position");
        QTEST(rs.Eof(), "eof");
        QTEST(title(*control), "title");
    }

    void validateComesBeforeAndRepositionAfter_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("move next") << "next" << QStringList{"validate 3 at 0", "reposition at 1"};
        QTest::newRow("move last") << "last" << QStringList{"validate 4 at 0", "reposition at 2"};
        QTest::newRow("bookmark") << "bookmark"
                                  << QStringList{"validate 9 at 0", "reposition at 2"};
        QTest::newRow("grid row") << "grid row"
                                  << QStringList{"validate 9 at 0", "reposition at 1"};
        QTest::newRow("new-row line")
            << "new line" << QStringList{"validate 5 at 0", "reposition at -1"};
        QTest::newRow("edited, then moved")
            << "edit next" << QStringList{"validate 3 at 0 save", "reposition at 1"};
        QTest::newRow("refresh") << "refresh" << QStringList{"validate 11 at 0", "reposition at 0"};
        QTest::newRow("delete") << "delete" << QStringList{"validate 7 at 0"};
        QTest::newRow("close") << "close" << QStringList{"validate 10 at 0"};
    }
    void validateComesBeforeAndRepositionAfter() {
        QFETCH(QString, operation);
        QVERIFY(open());
        Recordset& rs = control->recordset();
        if (operation == "next") {
            rs.MoveNext();
        } else if (operation == "last") {
            rs.MoveLast();
        } else if (operation == "bookmark") {
            // The row saved last, as Update goes back to it.
            QVERIFY(control->moveToGridRow(2));
            QVERIFY(control->setData(control->index(2, 1), QStringLiteral("new c")));
            control->UpdateRecord();
            QVERIFY(control->moveToGridRow(0));
            events.log.clear();
            rs.setBookmark(rs.LastModified());
        } else if (operation == "grid row") {
            QVERIFY(control->moveToGridRow(1));
        } else if (operation == "new line") {
            QVERIFY(control->moveToGridRow(3));
        } else if (operation == "edit next") {
            QVERIFY(control->setData(control->index(0, 1), QStringLiteral("new a")));
            rs.MoveNext();
            QCOMPARE(readVersesDb(path).at(1).text.toString(), QStringLiteral("new a"));
        } else if (operation == "refresh") {
            control->Refresh();
        } else if (operation == "delete") {
            rs.Delete();
        } else {
            control->Close();
        }
        QTEST(events.log, "expected");
    }

    void validateCanCancelTheMoveOrDropTheEdits_data() {
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("stillPending");
        QTest::newRow("action cancelled") << true << 0 << true;
        QTest::newRow("save refused") << false << 1 << false;
    }
    void validateCanCancelTheMoveOrDropTheEdits() {
        QFETCH(bool, cancel);
        QVERIFY(open());
        events.cancel = cancel ? int(DataControl::MoveNextAction) : -1;
        events.keep = cancel;
        QVERIFY(control->setData(control->index(0, 1), QStringLiteral("edited")));
        control->recordset().MoveNext();
        QTEST(control->recordset().AbsolutePosition(), "position");
        QTEST(control->hasPendingEdits(), "stillPending");
        QCOMPARE(events.log.filter(QStringLiteral("reposition")).size(), cancel ? 0 : 1);
        QCOMPARE(readVersesDb(path).at(1).text.toString(), QStringLiteral("text a"));
    }

    void identicalRowsAreToldApartByRowid() {
        QVERIFY(open({{"same", "twin"}, {"same", "twin"}, {"z", "last"}}));
        QVERIFY(control->moveToGridRow(1));
        QVERIFY(control->setData(control->index(1, 1), QStringLiteral("changed")));
        control->UpdateRecord();
        QCOMPARE(readVersesDb(path).at(0).text.toString(), QStringLiteral("twin"));
        QCOMPARE(readVersesDb(path).at(1).text.toString(), QStringLiteral("changed"));

        control->recordset().Delete();
        const QList<VerseRow> left = readVersesDb(path);
        QCOMPARE(left.size(), 2);
        QCOMPARE(left.at(0).text.toString(), QStringLiteral("twin"));
        QCOMPARE(control->recordCount(), 2);
    }

    // A row another program changed after the control read it is neither overwritten nor
    // deleted: the write must find the very values the grid showed.
    void rowChangedByAnotherProgramIsNotWritten_data() {
        QTest::addColumn<QString>("change"); // made by the other program
        QTest::addColumn<int>("row");        // the grid row then edited or deleted
        QTest::addColumn<bool>("deleting");
        QTest::addColumn<QStringList>("stored"); // the texts in the file, in rowid order
        const QString theirs =
            QStringLiteral("update verses set text = 'theirs' where title = 'a'");
        QTest::newRow("text changed, then edited")
            << theirs << 0 << false << QStringList{"text c", "theirs", "text b", ""};
        QTest::newRow("title changed, then edited")
            << "update verses set title = 'a2' where title = 'a'" << 0 << false
            << QStringList{"text c", "text a", "text b", ""};
        // Only a comparison that tells NULL from the empty text sees this change.
        QTest::newRow("NULL made empty, then edited")
            << "update verses set text = '' where title = 'd'" << 3 << false
            << QStringList{"text c", "text a", "text b", ""};
        QTest::newRow("text changed, then deleted")
            << theirs << 0 << true << QStringList{"text c", "theirs", "text b", ""};
    }
    void rowChangedByAnotherProgramIsNotWritten() {
        QFETCH(QString, change);
        QFETCH(int, row);
        QFETCH(bool, deleting);
        QVERIFY(open({{"c", "text c"}, {"a", "text a"}, {"b", "text b"}, {"d", QVariant()}}));
        QVERIFY(control->moveToGridRow(row));
        QVERIFY(runSql(path, change));
        try {
            if (deleting) {
                control->recordset().Delete();
            } else {
                QVERIFY(control->setData(control->index(row, 1), QStringLiteral("mine")));
                control->UpdateRecord();
            }
            QFAIL("written");
        } catch (const RuntimeError& error) {
            QCOMPARE(error.number(), int(RuntimeError::RowChanged));
        }
        QTEST(texts(path), "stored");
        QCOMPARE(control->recordCount(), 4);
    }

    void nullFieldsStayNull() {
        QVERIFY(open({{"a", QVariant()}, {QVariant(), "no title"}}));
        Recordset& rs = control->recordset();
        QVERIFY(rs.Fields(QStringLiteral("title")).Value.isNull()); // NULL sorts first
        rs.MoveNext();
        QCOMPARE(rs.Fields(QStringLiteral("title")).Value.toString(), QStringLiteral("a"));
        QVERIFY(rs.Fields(QStringLiteral("text")).Value.isNull());
    }

    void failedRefreshKeepsRowsPositionAndEdits_data() {
        QTest::addColumn<QString>("problem");
        QTest::addColumn<int>("number");
        QTest::newRow("missing file") << "missing" << int(RuntimeError::DatabaseNotFound);
        QTest::newRow("open file removed") << "removed" << int(RuntimeError::DatabaseNotFound);
        QTest::newRow("not a database") << "garbage" << int(RuntimeError::NotADatabase);
        QTest::newRow("no verses table") << "no table" << int(RuntimeError::TableNotFound);
        // SQLite's own code for a trigger's RAISE(ABORT).
        QTest::newRow("edits cannot be saved") << "save fails" << 1811;
    }
    void failedRefreshKeepsRowsPositionAndEdits() {
        QFETCH(QString, problem);
        QVERIFY(open());
        control->recordset().MoveNext();
        QVERIFY(control->setData(control->index(1, 1), QStringLiteral("unsaved")));
        const QString other = dir->file(QStringLiteral("other.mdb"));
        const QString moved = dir->file(QStringLiteral("moved away.mdb"));
        if (problem == "removed") {
            QVERIFY(QFile::rename(path, moved));
        } else if (problem == "save fails") {
            QVERIFY(runSql(path, RefuseUpdatesSql));
        } else {
            control->DatabaseName = other;
            if (problem == "garbage") {
                QFile f(other);
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write(QByteArray(4096, 'x'));
            } else if (problem == "no table") {
                QVERIFY(writeVersesDb(other, {}));
                QVERIFY(runSql(other, QStringLiteral("drop table verses")));
            }
        }
        events.log.clear();
        try {
            control->Refresh();
            QFAIL("refreshed");
        } catch (const RuntimeError& error) {
            QTEST(error.number(), "number");
        }
        QCOMPARE(events.log, QStringList{"validate 11 at 1 save"});
        QCOMPARE(control->recordCount(), 3);
        QCOMPARE(control->recordset().AbsolutePosition(), 1);
        QVERIFY(control->hasPendingEdits());
        QCOMPARE(control->recordset().Fields(QStringLiteral("text")).Value.toString(),
                 QStringLiteral("unsaved"));
        // Nothing was written before the failure showed.
        QCOMPARE(texts(problem == "removed" ? moved : path),
                 (QStringList{"text c", "text a", "text b"}));
    }

    // Re-reading leaves the row: its edits are saved first, unless Validate says otherwise.
    void refreshSavesTheRowItLeaves_data() {
        QTest::addColumn<bool>("newLine");   // typed on the new-row line, otherwise into row a
        QTest::addColumn<QString>("answer"); // Validate's: save, drop or cancel
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("stored"); // the texts in the file, in rowid order
        QTest::addColumn<QString>("shown");      // the first row's text afterwards
        QTest::addColumn<bool>("pending");
        const QStringList untouched = {"text c", "text a", "text b"};
        QTest::newRow("edited row saved")
            << false << "save" << QStringList{"validate 11 at 0 save", "reposition at 0"}
            << QStringList{"text c", "typed", "text b"} << "typed" << false;
        QTest::newRow("typed new row stored")
            << true << "save" << QStringList{"validate 11 at -1 save", "reposition at 0"}
            << QStringList{"text c", "text a", "text b", "typed"} << "typed" << false;
        QTest::newRow("save refused")
            << false << "drop" << QStringList{"validate 11 at 0 save", "reposition at 0"}
            << untouched << "text a" << false;
        QTest::newRow("refresh cancelled")
            << false << "cancel" << QStringList{"validate 11 at 0 save"} << untouched << "typed"
            << true;
    }
    void refreshSavesTheRowItLeaves() {
        QFETCH(bool, newLine);
        QFETCH(QString, answer);
        QFETCH(QStringList, stored);
        QVERIFY(open());
        events.keep = answer != "drop";
        events.cancel = answer == "cancel" ? int(DataControl::RefreshAction) : -1;
        const int row = newLine ? control->recordCount() : 0;
        QVERIFY(control->moveToGridRow(row));
        QVERIFY(control->setData(control->index(row, 1), QStringLiteral("typed")));
        events.log.clear();
        control->Refresh();
        QTEST(events.log, "expected");
        QCOMPARE(texts(path), stored);
        QCOMPARE(control->recordCount(), int(stored.size()));
        QTEST(control->index(0, 1).data().toString(), "shown");
        QTEST(control->hasPendingEdits(), "pending");
    }

    void refreshReadsAFileReplacedSinceOpening() {
        QVERIFY(open());
        const QString fresh = dir->file(QStringLiteral("fresh.mdb"));
        QVERIFY(writeVersesDb(fresh, {{"y", "text y"}, {"x", "text x"}}));
        QVERIFY(QFile::remove(path));
        QVERIFY(QFile::rename(fresh, path));
        control->Refresh();
        QCOMPARE(control->recordCount(), 2);
        QCOMPARE(title(*control), QStringLiteral("x"));
        QCOMPARE(control->index(1, 1).data().toString(), QStringLiteral("text y"));
    }

    // The bar never leaves the rows; storing the typed new-row line adds a row to move among.
    void movesFromATypedNewRowStoreItFirst_data() {
        QTest::addColumn<QString>("move");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("title");
        QTest::newRow("bar: next") << "bar next" << 3 << "d";
        QTest::newRow("bar: last") << "bar last" << 3 << "d";
        QTest::newRow("bar: previous") << "bar previous" << 2 << "c";
        QTest::newRow("bar: first") << "bar first" << 0 << "a";
        QTest::newRow("recordset: last") << "last" << 3 << "d";
        QTest::newRow("recordset: next, past the stored row") << "next" << -1 << "<none>";
    }
    void movesFromATypedNewRowStoreItFirst() {
        QFETCH(QString, move);
        QVERIFY(open());
        QVERIFY(control->moveToGridRow(3));
        QVERIFY(control->setData(control->index(3, 0), QStringLiteral("d")));
        events.log.clear();
        Recordset& rs = control->recordset();
        if (move == "bar next")
            control->navigate(DataControl::MoveNextAction);
        else if (move == "bar last")
            control->navigate(DataControl::MoveLastAction);
        else if (move == "bar previous")
            control->navigate(DataControl::MovePreviousAction);
        else if (move == "bar first")
            control->navigate(DataControl::MoveFirstAction);
        else if (move == "last")
            rs.MoveLast();
        else
            rs.MoveNext();
        QCOMPARE(control->recordCount(), 4);
        QVERIFY(!control->hasPendingEdits());
        QTEST(rs.AbsolutePosition(), "position");
        QTEST(title(*control), "title");
        QCOMPARE(events.log.filter(QStringLiteral("reposition")).size(), 1);
    }

    void ownFailuresRaiseError_data() {
        QTest::addColumn<int>("response");
        QTest::addColumn<int>("messages");
        QTest::newRow("control reports it") << 1 << 1;
        QTest::newRow("handler took care") << 0 << 0;
    }
    void ownFailuresRaiseError() {
        QFETCH(int, response);
        QVERIFY(open());
        QVERIFY(runSql(path, RefuseUpdatesSql));
        events.response = response;
        QVERIFY(control->setData(control->index(0, 1), QStringLiteral("edited")));
        control->navigate(DataControl::MoveNextAction); // the bar's Next button
        QCOMPARE(events.log.filter(QStringLiteral("error")).size(), 1);
        QTEST(int(host->messages.size()), "messages");
        QVERIFY(control->errorText(events.log.last().section(' ', 1).toInt())
                    .contains(QLatin1String("verses are read-only today")));
        // The move did not happen and the edit waits to be saved once the file allows it.
        QCOMPARE(control->recordset().AbsolutePosition(), 0);
        QVERIFY(control->hasPendingEdits());
    }
};

TESSALINE_WIDGET_TEST_MAIN(TestDataControl)
#include "tst_datacontrol.moc"
