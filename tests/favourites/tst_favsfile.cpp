#include "base/paths.h"
#include "base/runtimeerror.h"
#include "favourites/favsfile.h"
#include "tests/support/testmain.h"
#include "tests/support/testsupport.h"
#include "windowbase/module1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray crlfLines(const QList<QByteArray>& lines) {
    QByteArray out;
    for (const QByteArray& line : lines)
        out += line + "\r\n";
    return out;
}

void fillSlots(const QString& prefix) {
    for (int i = 0; i < Module1::FavSlotCount; ++i) {
        sharedState().FavTexts[i] = prefix + QString::number(i);
        sharedState().FavTitles[i] = prefix + QStringLiteral("title ") + QString::number(i);
    }
}

QStringList texts() {
    return {sharedState().FavTexts.begin(), sharedState().FavTexts.end()};
}
QStringList titles() {
    return {sharedState().FavTitles.begin(), sharedState().FavTitles.end()};
}

// Runs the current test function and data row again in a child process (see rerunInChild)
// and checks its verdict.
void runInChild() {
    const ChildVerdict child = rerunInChild(20000);
    QVERIFY2(child.finished, qPrintable("the child blocked:\n" + child.output));
    QVERIFY2(child.passed, child.output.constData());
}

// Limits the size of any file this process writes, until it goes.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit small = m_saved;
        small.rlim_cur = bytes;
        m_set = setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }
    bool isSet() const { return m_set; }

private:
    rlimit m_saved{};
    bool m_set = false;
};

const QString KeptText = QStringLiteral("the file keeps what it held before");

} // namespace

// The favourites file: what is read, what is written, and what happens when the disk says no.
class TestFavsFile : public ProgramTestCase {
    Q_OBJECT

    static QByteArray readFile(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    QByteArray readFavs() { return readFile(Paths::favsPath()); }
    bool warnedOnceNamingTheFile() const {
        return host->messages.size() == 1 &&
               host->messages.first().text.contains(Paths::favsPath()) &&
               host->messages.first().icon == Host::Icon::Warning;
    }

private slots:
    void firstLoadCreatesAnEmptyFileAndKeepsSlots() {
        fillSlots(QStringLiteral("old "));
        QVERIFY(LoadFavs());
        QVERIFY(QFile::exists(Paths::favsPath()));
        QCOMPARE(QFile(Paths::favsPath()).size(), 0);
        QCOMPARE(sharedState().FavTexts[0], QStringLiteral("old 0"));
        QVERIFY(host->messages.isEmpty());
    }

    void load_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("texts"); // slots read; every later slot keeps "old n"
        QTest::addColumn<QStringList>("titles");

        QTest::newRow("three pairs") << crlfLines({"a", "A", "b", "B", "c", "C"})
                                     << QStringList{"a", "b", "c"} << QStringList{"A", "B", "C"};
        const auto numbered = [](const char* prefix, int from, int to) {
            QStringList out;
            for (int i = from; i < to; ++i)
                out << QLatin1String(prefix) + QString::number(i);
            return out;
        };
        const auto pairs = [](const QStringList& texts, const QStringList& titles) {
            QList<QByteArray> lines;
            for (qsizetype i = 0; i < texts.size(); ++i)
                lines << texts[i].toLatin1() << titles[i].toLatin1();
            return crlfLines(lines);
        };
        QTest::newRow("eight pairs") << pairs(numbered("v", 0, 8), numbered("t", 0, 8))
                                     << numbered("v", 0, 8) << numbered("t", 0, 8);
        QTest::newRow("pairs past fifteen ignored")
            << pairs(numbered("v", 0, 17), numbered("t", 0, 17)) << numbered("v", 0, 15)
            << numbered("t", 0, 15);
        QTest::newRow("LF line ends")
            << QByteArray("a\nA\nb\nB\n") << QStringList{"a", "b"} << QStringList{"A", "B"};
        QTest::newRow("CR line ends")
            << QByteArray("a\rA\rb\rB") << QStringList{"a", "b"} << QStringList{"A", "B"};
        QTest::newRow("missing last title")
            << QByteArray("a\r\nA\r\nb\r\n") << QStringList{"a", "b"} << QStringList{"A", ""};
        QTest::newRow("no final line end")
            << QByteArray("a\r\nA") << QStringList{"a"} << QStringList{"A"};
        QTest::newRow("blank line after last pair")
            << QByteArray("a\r\nA\r\n\r\n") << QStringList{"a", ""} << QStringList{"A", ""};
        QTest::newRow("values kept untrimmed")
            << QByteArray(" a  \r\n\t\"A\"\r\n") << QStringList{" a  "} << QStringList{"\t\"A\""};
        QTest::newRow("windows-1252")
            << QByteArray("caf\xe9 \x93q\x94 \x80\r\n\xe9t\xe9\r\n")
            << QStringList{QStringLiteral("caf\u00e9 \u201cq\u201d \u20ac")}
            << QStringList{QStringLiteral("\u00e9t\u00e9")};
        QTest::newRow("utf-8") << QByteArray("caf\xc3\xa9 \xce\xa9\r\n\xe2\x82\xac\r\n")
                               << QStringList{QStringLiteral("caf\u00e9 \u03a9")}
                               << QStringList{QStringLiteral("\u20ac")};
        QTest::newRow("utf-8 with byte order mark")
            << QByteArray("\xef\xbb\xbf\xc3\xa9\r\nT\r\n") << QStringList{QStringLiteral("\u00e9")}
            << QStringList{"T"};
    }
    void load() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, titles);
        QVERIFY(writeFile(Paths::favsPath(), file));
        fillSlots(QStringLiteral("old "));
        QVERIFY(LoadFavs());
        QCOMPARE(::texts().mid(0, texts.size()), texts);
        QCOMPARE(::titles().mid(0, titles.size()), titles);
        for (qsizetype i = texts.size(); i < Module1::FavSlotCount; ++i) {
            QCOMPARE(sharedState().FavTexts[i], QStringLiteral("old %1").arg(i));
            QCOMPARE(sharedState().FavTitles[i], QStringLiteral("old title %1").arg(i));
        }
        QCOMPARE(readFavs(), file); // reading never changes the file
    }

    void roundTrip_data() {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QByteArray>("encoding");
        QTest::newRow("six pairs")
            << QStringList{"one", "two", "three", "four", "five", "six"}
            << QStringList{"One", "Two", "Three", "Four", "Five", "Six"} << QByteArray("1252");
        QTest::newRow("empty slots") << QStringList{"", "b", "", "", "e", ""}
                                     << QStringList{"", "B", "", "", "", "F"} << QByteArray("1252");
        const QString longText = QStringLiteral("Long verse, word after word. ").repeated(40);
        QTest::newRow("long texts kept whole")
            << QStringList{longText, "", "", "", "", longText}
            << QStringList{"L", "", "", "", "", "L2"} << QByteArray("1252");
        QTest::newRow("Greek saved as utf-8")
            << QStringList{QStringLiteral("\u0395\u03bd \u03b1\u03c1\u03c7\u1fc7 caf\u00e9"),
                           "",
                           "",
                           "",
                           "",
                           ""}
            << QStringList{"John", "", "", "", "", ""} << QByteArray("utf-8");
        QTest::newRow("CJK title saved as utf-8")
            << QStringList{"a", "", "", "", "", QStringLiteral("\u20ac")}
            << QStringList{"", "", "", QStringLiteral("\u8a69\u7bc7"), "", ""}
            << QByteArray("utf-8");
        // In Windows-1252 these two would be the bytes CB 85, which also read as UTF-8.
        QTest::newRow("1252 bytes that look like utf-8")
            << QStringList{QStringLiteral("NO\u00cb\u2026 Amen"), "", "", "", "", ""}
            << QStringList{"", "", "", "", "", ""} << QByteArray("utf-8");
        // The mark the reader drops is written in front, so the value keeps its own.
        QTest::newRow("first text starts with U+FEFF")
            << QStringList{QStringLiteral("\ufeffBOM-like start"), "", "", "", "", ""}
            << QStringList{"T", "", "", "", "", ""} << QByteArray("utf-8 after a mark");
        QTest::newRow("U+FEFF starts a later value")
            << QStringList{"a", QStringLiteral("\ufeffb"), "", "", "", ""}
            << QStringList{QStringLiteral("\ufeff"), "", "", "", "", ""} << QByteArray("utf-8");
        QTest::newRow("characters outside the basic plane")
            << QStringList{QStringLiteral("\U0001F54A dove"), "", "", "", "", ""}
            << QStringList{"", "", "", "", "", ""} << QByteArray("utf-8");
    }
    void roundTrip() {
        QFETCH(QStringList, texts);
        QFETCH(QStringList, titles);
        QFETCH(QByteArray, encoding);
        for (int i = 0; i < 6; ++i)
            storeFavourite(i, texts[i], titles[i]);
        QVERIFY(SaveFavs());
        const QByteArray bytes = readFavs();
        QCOMPARE(bytes.count("\r\n"), 12);
        QString expected;
        for (int i = 0; i < 6; ++i)
            expected += texts[i] + "\r\n" + titles[i] + "\r\n";
        const QByteArray mark = encoding == "utf-8 after a mark" ? "\xef\xbb\xbf" : "";
        QCOMPARE(bytes, encoding == "1252" ? expected.toLatin1() : mark + expected.toUtf8());

        resetSharedState();
        QVERIFY(LoadFavs());
        QCOMPARE(::texts().mid(0, 6), texts);
        QCOMPARE(::titles().mid(0, 6), titles);
        QVERIFY(host->messages.isEmpty());
    }

    void savedFileHasTwelveLinesTextBeforeTitle() {
        storeFavourite(2, QStringLiteral("Jesus wept."), QStringLiteral("John 11:35"));
        QVERIFY(SaveFavs());
        QCOMPARE(readFavs(),
                 crlfLines({"", "", "", "", "Jesus wept.", "John 11:35", "", "", "", "", "", ""}));
    }

    void longerFileIsSavedBackAsSixPairs() {
        QList<QByteArray> lines;
        for (int i = 0; i < 8; ++i)
            lines << "v" + QByteArray::number(i) << "t" + QByteArray::number(i);
        QVERIFY(writeFile(Paths::favsPath(), crlfLines(lines)));
        QVERIFY(LoadFavs());
        QCOMPARE(sharedState().FavTexts[7], QStringLiteral("v7"));
        QVERIFY(SaveFavs());
        QCOMPARE(readFavs(), crlfLines(lines.mid(0, 12)));
    }

    void windows1252FileIsWrittenBackByteForByte() {
        const QByteArray file =
            crlfLines({"caf\xe9 \x93quoted\x94", "\x80 5", "", "", "na\xefve", "\x96 dash \x97", "",
                       "", "", "", "\xbfQu\xe9?", "\xa9"});
        QVERIFY(writeFile(Paths::favsPath(), file));
        QVERIFY(LoadFavs());
        QVERIFY(SaveFavs());
        QCOMPARE(readFavs(), file);
    }

    void lineBreaksInStoredValuesBecomeBlanks_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("stored");
        QTest::newRow("CR LF") << "a\r\nb"
                               << "a b";
        QTest::newRow("CR") << "a\rb"
                            << "a b";
        QTest::newRow("LF") << "a\nb"
                            << "a b";
        QTest::newRow("LF CR is two breaks") << "a\n\rb"
                                             << "a  b";
        QTest::newRow("several, at both ends") << "\r\na\n\nb\r"
                                               << " a  b ";
    }
    void lineBreaksInStoredValuesBecomeBlanks() {
        QFETCH(QString, value);
        QFETCH(QString, stored);
        storeFavourite(0, value, value);
        storeFavourite(1, QStringLiteral("next"), QStringLiteral("Next"));
        QCOMPARE(sharedState().FavTexts[0], stored);
        QCOMPARE(sharedState().FavTitles[0], stored);
        QVERIFY(SaveFavs());
        QCOMPARE(readFavs().count("\r\n"), 12);
        resetSharedState();
        QVERIFY(LoadFavs());
        QCOMPARE(sharedState().FavTitles[0], stored);
        QCOMPARE(sharedState().FavTexts[1], QStringLiteral("next"));
    }

    void storingIntoAMissingSlotFails() {
        QVERIFY_THROWS_EXCEPTION(RuntimeError, storeFavourite(Module1::FavSlotCount, "x", "y"));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, storeFavourite(-1, "x", "y"));
    }

    void loadFailureIsReportedAndChangesNothing_data() {
        QTest::addColumn<QString>("setup");
        QTest::newRow("favs.ini is a folder") << "folder";
        QTest::newRow("favs.ini links into a missing folder") << "dangling";
        QTest::newRow("file unreadable") << "unreadable";
        QTest::newRow("program folder read-only, no file") << "readonly";
    }
    void loadFailureIsReportedAndChangesNothing() {
        QFETCH(QString, setup);
        if ((setup == "unreadable" || setup == "readonly") && !inTestChild())
            return runInChild();
        const QString path = Paths::favsPath();
        if (setup == "folder") {
            QVERIFY(QDir().mkdir(path));
        } else if (setup == "dangling") {
            QVERIFY(QFile::link(dir->file("missing/favs.ini"), path));
        } else if (setup == "unreadable") {
            QVERIFY(writeFile(Paths::favsPath(), "new\r\nNew\r\n"));
            QVERIFY(QFile::setPermissions(path, {}));
            QVERIFY(!QFile(path).open(QIODevice::ReadOnly));
        } else {
            QVERIFY(QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::ExeOwner));
            QVERIFY(!QFile(dir->file("probe")).open(QIODevice::WriteOnly));
        }
        fillSlots(QStringLiteral("old "));
        QVERIFY(!LoadFavs());
        QVERIFY(warnedOnceNamingTheFile());
        QCOMPARE(sharedState().FavTexts[0], QStringLiteral("old 0"));
        QCOMPARE(sharedState().FavTitles[14], QStringLiteral("old title 14"));
    }

    void saveOverAFolderIsReported() {
        QVERIFY(QDir().mkdir(Paths::favsPath()));
        QVERIFY(!SaveFavs());
        QVERIFY(warnedOnceNamingTheFile());
        QVERIFY(QFileInfo(Paths::favsPath()).isDir());
    }

    void readOnlyFolderIsWrittenInPlaceOnlyWhenItMustBe_data() {
        QTest::addColumn<bool>("folderWritable");
        QTest::addColumn<bool>("fileWritable");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<bool>("inPlace");
        QTest::newRow("both writable: replaced whole") << true << true << true << false;
        QTest::newRow("folder read-only: written in place") << false << true << true << true;
        QTest::newRow("both read-only: reported") << false << false << false << true;
    }
    void readOnlyFolderIsWrittenInPlaceOnlyWhenItMustBe() {
        QFETCH(bool, folderWritable);
        QFETCH(bool, fileWritable);
        QFETCH(bool, saved);
        QFETCH(bool, inPlace);
        if (!folderWritable && !inTestChild())
            return runInChild();
        const QByteArray old = crlfLines({"old", "Old", "", "", "", "", "", "", "", "", "", ""});
        QVERIFY(writeFile(Paths::favsPath(), old));
        const QString path = Paths::favsPath();
        const auto inode = [&] {
            struct stat st {};
            return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
        };
        const auto before = inode();
        const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ExeOwner;
        if (!fileWritable)
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
        if (!folderWritable) {
            QVERIFY(QFile::setPermissions(dir->path(), readOnly));
            QVERIFY(!QFile(dir->file("probe")).open(QIODevice::WriteOnly));
        }
        storeFavourite(0, QStringLiteral("new"), QStringLiteral("New"));
        const bool ok = SaveFavs();
        QVERIFY(QFile::setPermissions(dir->path(), readOnly | QFile::WriteOwner));

        QCOMPARE(ok, saved);
        QCOMPARE(host->messages.size(), saved ? 0 : 1);
        QCOMPARE(readFavs(),
                 saved ? crlfLines({"new", "New", "", "", "", "", "", "", "", "", "", ""}) : old);
        QCOMPARE(inode() == before, inPlace);
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{"favs.ini"});
    }

    // A save that a full disk or a size limit stops leaves the old favourites whole, whether it
    // replaces the file (a writable folder) or must write over it (a read-only folder).
    void failedSaveLeavesTheOldFileWhole_data() {
        QTest::addColumn<bool>("folderWritable");
        QTest::addColumn<int>("oldLength");
        QTest::addColumn<int>("newLength");
        QTest::addColumn<int>("limit");
        QTest::newRow("new file cut short") << true << 120 << 900 << 64;
        QTest::newRow("in place, no write allowed, longer text") << false << 120 << 900 << 0;
        QTest::newRow("in place, no write allowed, shorter text") << false << 120 << 40 << 0;
        QTest::newRow("in place, growing past the limit") << false << 120 << 900 << 200;
        QTest::newRow("in place, limit inside the old file") << false << 500 << 200 << 64;
    }
    void failedSaveLeavesTheOldFileWhole() {
        QFETCH(bool, folderWritable);
        QFETCH(int, oldLength);
        QFETCH(int, newLength);
        QFETCH(int, limit);
        if (!inTestChild())
            return runInChild();
        // Twelve lines of the given length in all, the first holding the text.
        const auto favs = [](char letter, int length) {
            return crlfLines(
                {QByteArray(length - 24, letter), "T", "", "", "", "", "", "", "", "", "", ""});
        };
        const QByteArray old = favs('o', oldLength);
        QVERIFY(writeFile(Paths::favsPath(), old));
        QVERIFY(LoadFavs());
        storeFavourite(0, QString(newLength - 24, u'n'), QStringLiteral("T"));
        if (!folderWritable)
            QVERIFY(QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::ExeOwner));
        bool ok = true;
        {
            FileSizeLimit small(limit);
            QVERIFY(small.isSet());
            ok = SaveFavs();
        }
        QVERIFY(!ok);
        QVERIFY(warnedOnceNamingTheFile());
        QVERIFY(host->messages.first().text.contains(KeptText));
        QCOMPARE(readFavs(), old);
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{"favs.ini"});
    }

    // A folder name holding "%1" appears in the message as it is, beside the byte counts.
    void shortWriteMessageShowsTheFolderAsItIs() {
        const QString folder = dir->file(QStringLiteral("a%1b%2"));
        QVERIFY(QDir().mkpath(folder));
        Paths::setProgramDir(folder);
        storeFavourite(0, QStringLiteral("a verse longer than the limit ").repeated(20),
                       QStringLiteral("New"));
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        bool ok = true;
        {
            FileSizeLimit small(64);
            QVERIFY(small.isSet());
            ok = SaveFavs();
        }
        std::signal(SIGXFSZ, handler);
        Paths::setProgramDir(dir->path());

        QVERIFY(!ok);
        QCOMPARE(host->messages.size(), 1);
        const QString text = host->messages.first().text;
        QVERIFY2(text.contains(QStringLiteral("'%1/favs.ini': only 64 of ").arg(folder)),
                 qPrintable(text));
    }

    // With no file there, a failed save must not claim that a file kept anything.
    void failedSaveWithoutAFileSaysNothingWasKept_data() {
        QTest::addColumn<bool>("folderWritable");
        QTest::newRow("disk full") << true;
        QTest::newRow("read-only folder") << false;
    }
    void failedSaveWithoutAFileSaysNothingWasKept() {
        QFETCH(bool, folderWritable);
        if (!inTestChild())
            return runInChild();
        storeFavourite(0, QStringLiteral("verse"), QStringLiteral("T"));
        if (!folderWritable)
            QVERIFY(QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::ExeOwner));
        bool ok = true;
        {
            FileSizeLimit none(0);
            ok = SaveFavs();
        }
        QVERIFY(!ok);
        QVERIFY(warnedOnceNamingTheFile());
        QVERIFY(!host->messages.first().text.contains(KeptText));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{});
    }

    // A file whose favourites could not be read is never written over with empty ones.
    void unreadFileIsNeverOverwritten_data() {
        QTest::addColumn<bool>("readableAtLoad");
        QTest::addColumn<bool>("folderWritable");
        QTest::newRow("unreadable at load") << false << true;
        QTest::newRow("unreadable at load, read-only folder") << false << false;
        QTest::newRow("made unreadable after the load") << true << true;
    }
    void unreadFileIsNeverOverwritten() {
        QFETCH(bool, readableAtLoad);
        QFETCH(bool, folderWritable);
        if (!inTestChild())
            return runInChild();
        const QString path = Paths::favsPath();
        const QByteArray old =
            crlfLines({"one", "1", "two", "2", "three", "3", "four", "4", "five", "5", "", ""});
        QVERIFY(writeFile(path, old));
        if (!readableAtLoad)
            QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
        QCOMPARE(LoadFavs(), readableAtLoad);
        QCOMPARE(host->messages.size(), readableAtLoad ? 0 : 1);
        QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
        if (!folderWritable)
            QVERIFY(QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::ExeOwner));

        storeFavourite(5, QStringLiteral("six"), QStringLiteral("6"));
        QVERIFY(!SaveFavs());
        QVERIFY(host->messages.last().text.contains(path));
        QVERIFY(host->messages.last().text.contains(QStringLiteral("was left as it is")));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(readFavs(), old);
    }

    // Only a regular file (or a link to one) is read or written; anything else is refused at
    // once, never waited on.
    void onlyARegularFileIsUsed_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("used");
        QTest::newRow("named pipe") << "pipe" << false;
        QTest::newRow("link to a named pipe") << "link to pipe" << false;
        QTest::newRow("link to a device") << "link to device" << false;
        QTest::newRow("link to a file") << "link to file" << true;
    }
    void onlyARegularFileIsUsed() {
        QFETCH(QString, kind);
        QFETCH(bool, used);
        if (!inTestChild())
            return runInChild();
        const QString path = Paths::favsPath();
        const QString pipe = dir->file("pipe");
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        const QString target = dir->file("target.ini");
        QVERIFY(writeFile(target, crlfLines({"linked", "L"})));
        if (kind == "pipe")
            QVERIFY(QFile::rename(pipe, path));
        else if (kind == "link to pipe")
            QVERIFY(QFile::link(pipe, path));
        else if (kind == "link to device")
            QVERIFY(QFile::link(QStringLiteral("/dev/null"), path));
        else
            QVERIFY(QFile::link(target, path));

        QCOMPARE(LoadFavs(), used);
        QCOMPARE(sharedState().FavTexts[0], used ? QStringLiteral("linked") : QString());
        storeFavourite(1, QStringLiteral("saved"), QStringLiteral("S"));
        QCOMPARE(SaveFavs(), used);
        if (!used) {
            QCOMPARE(host->messages.size(), 2);
            for (const Host::Message& message : host->messages)
                QVERIFY2(message.text.contains(path) && message.text.contains("not a file"),
                         qPrintable(message.text));
        }
        QVERIFY(QFileInfo(path).isSymLink() == (kind != "pipe"));
        QCOMPARE(readFile(target),
                 used ? crlfLines({"linked", "L", "saved", "S", "", "", "", "", "", "", "", ""})
                      : crlfLines({"linked", "L"}));
    }
};

TESSALINE_TEST_MAIN(TestFavsFile)
#include "tst_favsfile.moc"
