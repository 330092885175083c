#include "base/accessfile.h"
#include "base/runtimeerror.h"
#include "tests/support/testfiles.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

namespace {

QString fixture(const QString& name) {
    return QStringLiteral(TESSALINE_TEST_DATA "/jet/") + name;
}

// Runs one of Debian's mdbtools programs with nothing in its environment that would change
// how it decodes text.
QByteArray mdbTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"MDBICONV", "MDB_ICONV", "MDB_JET3_CHARSET", "MDBOPTS"})
        env.remove(QLatin1String(name));
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput();
}

// The columns mdb-schema reports as text, memo or whole numbers: those the reader reads.
QStringList readableColumns(const QString& file, const QString& table) {
    const QString schema = QString::fromUtf8(
        mdbTool(QStringLiteral("mdb-schema"), {file, QStringLiteral("-T"), table}));
    static const QRegularExpression column(
        QStringLiteral(R"(^\s*\[([^\]]+)\]\s+(Text|Memo/Hyperlink|Long Integer|Integer|Byte)\b)"),
        QRegularExpression::MultilineOption);
    QStringList names;
    for (auto it = column.globalMatch(schema); it.hasNext();)
        names.append(it.next().captured(1));
    return names;
}

// mdb-export's CSV: a quoted field is text (quotes doubled inside), an unquoted one a number,
// and an unquoted empty one a field without a value (NULL or empty text: it prints both so).
// Rows end at a line break outside quotes.
QList<QList<QVariant>> parseExport(const QString& csv) {
    QList<QList<QVariant>> rows;
    QList<QVariant> row;
    QString field;
    bool quoted = false, inQuotes = false;
    const auto endField = [&] {
        row.append(quoted || !field.isEmpty() ? QVariant(field) : QVariant());
        field.clear();
        quoted = false;
    };
    for (qsizetype i = 0; i < csv.size(); ++i) {
        const QChar c = csv[i];
        if (inQuotes) {
            if (c == u'"' && i + 1 < csv.size() && csv[i + 1] == u'"') {
                field += c;
                ++i;
            } else if (c == u'"') {
                inQuotes = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            inQuotes = quoted = true;
        } else if (c == u',') {
            endField();
        } else if (c == u'\n') {
            endField();
            rows.append(row);
            row.clear();
        } else {
            field += c;
        }
    }
    return rows;
}

QString show(const QVariant& value) {
    return value.isNull() ? QStringLiteral("<null>") : value.toString();
}

} // namespace

// The Access reader on real files made by Access: what it reads must be what Debian's
// mdb-export prints for the same table, and its refusals must name what is wrong.
class TestAccessFile : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (mdbTool(QStringLiteral("mdb-ver"), {fixture(QStringLiteral("delTestV1997.mdb"))})
                .isEmpty())
            QFAIL("mdb-ver does not run: install Debian's mdbtools (scripts/deps)");
    }

    void rowsEqualWhatMdbExportPrints_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("rowCount");
        QTest::newRow("Jet 3, deleted rows") << "delTestV1997.mdb"
                                             << "Table" << 2;
        QTest::newRow("ACE, deleted rows") << "delTestV2007.accdb"
                                           << "Table" << 2;
        QTest::newRow("Jet 4, compressed Unicode") << "testUnicodeCompV2003.mdb"
                                                   << "Table" << 8;
        QTest::newRow("Jet 3, memos outside the row") << "test2V1997.mdb"
                                                      << "MSP_PROJECTS" << 1;
        QTest::newRow("Jet 4, memos outside the row") << "test2V2000.mdb"
                                                      << "MSP_PROJECTS" << 1;
    }
    void rowsEqualWhatMdbExportPrints() {
        QFETCH(QString, file);
        QFETCH(QString, table);
        QFETCH(int, rowCount);
        const QString path = fixture(file);
        const QStringList columns = readableColumns(path, table);
        QVERIFY2(columns.size() >= 2, qPrintable(columns.join(u',')));

        const QList<QList<QVariant>> exported = parseExport(QString::fromUtf8(
            mdbTool(QStringLiteral("mdb-export"),
                    {QStringLiteral("-b"), QStringLiteral("strip"), path, table})));
        QCOMPARE(exported.size(), rowCount + 1);
        const QList<QVariant> header = exported.first();
        qint64 lastDone = 0;
        const QList<AccessFile::Row> rows =
            AccessFile(path).rows(table, columns, [&](qint64 done, qint64 total) {
                QCOMPARE(done, lastDone + 1);
                QVERIFY(total >= done);
                lastDone = done;
            });
        QCOMPARE(rows.size(), rowCount);
        QCOMPARE(lastDone, qint64(rowCount));
        for (int r = 0; r < rowCount; ++r) {
            for (int c = 0; c < columns.size(); ++c) {
                const QVariant expected = exported[r + 1].value(header.indexOf(columns[c]));
                const QVariant actual = rows[r].value(c);
                const QString where =
                    QStringLiteral("row %1, column %2: read %3, mdb-export %4")
                        .arg(r + 1)
                        .arg(columns[c], show(actual).left(80), show(expected).left(80));
                // mdb-export prints NULL and empty text alike.
                if (expected.isNull())
                    QVERIFY2(actual.isNull() || actual.toString().isEmpty(), qPrintable(where));
                else
                    QVERIFY2(actual.toString() == expected.toString(), qPrintable(where));
            }
        }
    }

    // What mdb-export cannot show: a memo never given a value is NULL, not empty text; and the
    // long memo is whole, so that a reader and an mdb-export that cut it alike would not pass.
    void memosComeBackWholeAndNullStaysNull() {
        for (const char* file : {"test2V1997.mdb", "test2V2000.mdb"}) {
            const QList<AccessFile::Row> project =
                AccessFile(fixture(QLatin1String(file)))
                    .rows(QStringLiteral("MSP_PROJECTS"), {QStringLiteral("PROJ_PROP_AUTHOR"),
                                                           QStringLiteral("PROJ_PROP_CATEGORY")});
            QCOMPARE(project.size(), 1);
            const QString author = project[0][0].toString();
            QVERIFY2(author.startsWith(QLatin1String("Jon Iles this is a a vawesrasoih")), file);
            QCOMPARE(author.size(), 348);
            QVERIFY2(project[0][1].isNull(), file);
        }
    }

    // Read in a child process, the rows, NULLs and progress reach the caller unchanged.
    void guardedReadGivesTheSameRows() {
        const QString path = fixture(QStringLiteral("test2V2000.mdb"));
        const QStringList columns{"PROJ_NAME", "PROJ_PROP_CATEGORY", "PROJ_PROP_AUTHOR"};
        QList<std::pair<qint64, qint64>> steps;
        const QList<AccessFile::Row> rows = AccessFile::readGuarded(
            path, QStringLiteral("MSP_PROJECTS"), columns, [&](qint64 done, qint64 total) {
                steps.append({done, total});
            });
        QCOMPARE(rows, AccessFile(path).rows(QStringLiteral("MSP_PROJECTS"), columns));
        QVERIFY(rows.value(0).value(1).isNull());
        QCOMPARE(steps.value(steps.size() - 1), (std::pair<qint64, qint64>{1, 1}));
    }

    // libmdb is loaded when the first file is read; without it, both reads say what to
    // install, and the guarded one says so itself rather than as a child that failed.
    void missingLibraryIsNamedWithItsPackage() {
        const QString path = fixture(QStringLiteral("test2V2000.mdb"));
        AccessFile::setLibraryFileName(QStringLiteral("libmdb-not-installed.so.3"));
        const auto restore = qScopeGuard([] { AccessFile::setLibraryFileName({}); });
        const auto failure = [&](const std::function<void()>& read) {
            try {
                read();
            } catch (const RuntimeError& error) {
                return QStringLiteral("%1 %2").arg(error.number()).arg(error.description());
            }
            return QStringLiteral("no error");
        };
        for (const QString& said :
             {failure([&] { AccessFile file(path); }), failure([&] {
                  AccessFile::readGuarded(path, QStringLiteral("MSP_PROJECTS"), {"PROJ_NAME"});
              })}) {
            QVERIFY2(said.startsWith(QLatin1String("53 Tessaline reads Access databases with the "
                                                   "library libmdb, which could not be loaded "
                                                   "(libmdb-not-installed.so.3")),
                     qPrintable(said));
            QVERIFY2(said.endsWith(QLatin1String("Install the package libmdb3 (sudo apt install "
                                                 "libmdb3), then try again.")),
                     qPrintable(said));
        }
        // A later read tries again, and reads once the library is there.
        AccessFile::setLibraryFileName({});
        QVERIFY(AccessFile(path).tables().contains(QLatin1String("MSP_PROJECTS")));
    }

    // libmdb would take the encodings from the environment: whatever it holds, Jet 3 text is
    // read in the code page the file names (Windows-1252 here) and everything comes as UTF-8.
    void textIgnoresEncodingsInTheEnvironment() {
        QFile original(fixture(QStringLiteral("delTestV1997.mdb")));
        QVERIFY(original.open(QIODevice::ReadOnly));
        QByteArray bytes = original.readAll();
        // The first row's two one-letter values, "z" and "y", become "\xe4" and "\x80".
        const qsizetype at = bytes.indexOf("\x02zy\x03");
        QVERIFY(at > 0 && bytes.indexOf("\x02zy\x03", at + 1) < 0);
        bytes[at + 1] = '\xe4';
        bytes[at + 2] = '\x80';
        QTemporaryDir dir;
        const QString jet3 = dir.filePath(QStringLiteral("cp1252.mdb"));
        QVERIFY(writeFile(jet3, bytes));
        QCOMPARE(QString::fromUtf8(mdbTool(QStringLiteral("mdb-export"), {jet3, "Table"})),
                 QStringLiteral("a,b\n\"\u00e4\",\"\u20ac\"\n\"v\",\"u\"\n"));

        const QByteArray savedCharset = qgetenv("MDB_JET3_CHARSET");
        const QByteArray savedOutput = qgetenv("MDBICONV");
        qputenv("MDB_JET3_CHARSET", "CP1251");
        qputenv("MDBICONV", "ISO-8859-1");
        const auto restore = qScopeGuard([&] {
            qputenv("MDB_JET3_CHARSET", savedCharset);
            qputenv("MDBICONV", savedOutput);
        });
        QCOMPARE(AccessFile(jet3).rows(QStringLiteral("Table"), {"a", "b"}).value(0),
                 (AccessFile::Row{QStringLiteral("\u00e4"), QStringLiteral("\u20ac")}));
        QCOMPARE(AccessFile(fixture(QStringLiteral("testUnicodeCompV2003.mdb")))
                     .rows(QStringLiteral("Table"), {"Unicode"})
                     .value(1),
                 (AccessFile::Row{QStringLiteral("\u00e4\u00e4kk\u00f6si\u00e4")}));
    }

    void refusalsNameWhatIsMissingAndWhatIsThere_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<int>("number");
        QTest::addColumn<QStringList>("mentions");
        // The list ends after 'Table': Access's own MSys tables are left out.
        QTest::newRow("no such table, ACE")
            << "delTestV2007.accdb"
            << "verses" << QStringList{"title", "text"} << int(RuntimeError::TableNotFound)
            << QStringList{"no table 'verses'", "Its tables: 'Table'."};
        QTest::newRow("no such table")
            << "delTestV1997.mdb"
            << "verses" << QStringList{"title", "text"} << int(RuntimeError::TableNotFound)
            << QStringList{"no table 'verses'", "Its tables: 'Table'."};
        QTest::newRow("both columns missing")
            << "delTestV1997.mdb"
            << "TABLE" << QStringList{"title", "text"} << int(RuntimeError::ItemNotFound)
            << QStringList{"no columns 'title' or 'text'", "Its columns: 'a', 'b'."};
        QTest::newRow("one column missing")
            << "delTestV1997.mdb"
            << "Table" << QStringList{"A", "text"} << int(RuntimeError::ItemNotFound)
            << QStringList{"no column 'text'.", "Its columns: 'a', 'b'."};
    }
    void refusalsNameWhatIsMissingAndWhatIsThere() {
        QFETCH(QString, file);
        QFETCH(QString, table);
        QFETCH(QStringList, columns);
        QFETCH(int, number);
        QFETCH(QStringList, mentions);
        try {
            AccessFile(fixture(file)).rows(table, columns);
            QFAIL("read a table or column that is not there");
        } catch (const RuntimeError& error) {
            QCOMPARE(error.number(), number);
            for (const QString& words : mentions)
                QVERIFY2(error.description().contains(words), qPrintable(error.description()));
        }
    }

    void columnWithoutTextIsRefused() {
        try {
            AccessFile(fixture(QStringLiteral("test2V2000.mdb")))
                .rows(QStringLiteral("MSP_PROJECTS"),
                      {QStringLiteral("PROJ_NAME"), QStringLiteral("RESERVED_BINARY_DATA")});
            QFAIL("read binary data as text");
        } catch (const RuntimeError& error) {
            QCOMPARE(error.number(), int(RuntimeError::TypeMismatch));
            QVERIFY2(error.description().contains(QLatin1String("'RESERVED_BINARY_DATA'")),
                     qPrintable(error.description()));
        }
    }

    void signatureTellsAccessFilesWhateverTheirName_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("access");
        QFile jet3(fixture(QStringLiteral("delTestV1997.mdb")));
        QFile ace(fixture(QStringLiteral("delTestV2007.accdb")));
        QVERIFY(jet3.open(QIODevice::ReadOnly) && ace.open(QIODevice::ReadOnly));
        QTest::newRow("Jet") << jet3.read(4096) << true;
        QTest::newRow("ACE") << ace.read(4096) << true;
        QTest::newRow("SQLite") << QByteArray("SQLite format 3\0", 16) << false;
        QTest::newRow("text naming Jet") << QByteArray("Standard Jet DB and more") << false;
        QTest::newRow("signature cut short") << QByteArray("\0\1\0\0Standard Jet", 16) << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void signatureTellsAccessFilesWhateverTheirName() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, access);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("old.txt"));
        QVERIFY(writeFile(path, bytes));
        QCOMPARE(AccessFile::hasSignature(path), access);
    }
};

QTEST_GUILESS_MAIN(TestAccessFile)
#include "tst_accessfile.moc"
