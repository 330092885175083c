#include "app/runtimeerror.h"
#include "editor/recordsource.h"
#include "tests/support/testmain.h"

// Which record sources the data control can edit row by row, and the pieces it builds its
// own statements from.
class TestRecordSource : public QObject {
    Q_OBJECT

private slots:
    void splitsPlainSelects_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("selectList");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("tail");
        QTest::newRow("the editor's own") << "select [title],[text] from [verses] order by [title]"
                                          << "[title],[text]"
                                          << "[verses]"
                                          << "order by [title]";
        QTest::newRow("no tail") << "SELECT * FROM verses"
                                 << "*"
                                 << "verses"
                                 << "";
        QTest::newRow("filter and order") << "select title from verses where text like '%from%' "
                                             "order by title desc;"
                                          << "title"
                                          << "verses"
                                          << "where text like '%from%' order by title desc";
        QTest::newRow("keywords inside names and parentheses")
            << "select [from], \"where\", (select 1 from x) as n from [order] limit 5"
            << "[from], \"where\", (select 1 from x) as n"
            << "[order]"
            << "limit 5";
        QTest::newRow("comments") << "select a -- from b\n from t /* where */ where a"
                                  << "a -- from b"
                                  << "t /* where */"
                                  << "where a";
    }
    void splitsPlainSelects() {
        QFETCH(QString, source);
        const RecordSourceParts parts = splitRecordSource(source);
        QTEST(parts.selectList, "selectList");
        QTEST(parts.table, "table");
        QTEST(parts.tail, "tail");
    }

    void refusesWhatIsNotOneTable_data() {
        QTest::addColumn<QString>("source");
        QTest::newRow("empty") << "";
        QTest::newRow("not a select") << "delete from verses";
        QTest::newRow("no table") << "select 1";
        QTest::newRow("join") << "select * from a join b on a.x = b.x";
        QTest::newRow("two tables") << "select * from a, b where a.x = b.x";
        QTest::newRow("subquery") << "select * from (select * from verses)";
        QTest::newRow("distinct") << "select distinct title from verses";
        QTest::newRow("compound") << "select title from a union select title from b";
    }
    void refusesWhatIsNotOneTable() {
        QFETCH(QString, source);
        try {
            splitRecordSource(source);
            QFAIL("accepted");
        } catch (const RuntimeError& error) {
            QVERIFY2(error.description().contains(QLatin1String("cannot be edited row by row")),
                     qPrintable(error.description()));
        }
    }
};

TESSALINE_TEST_MAIN(TestRecordSource)
#include "tst_recordsource.moc"
