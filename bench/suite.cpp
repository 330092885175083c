// Runs every benchmark case and prints one table: case, median, ratio to its floor, target and
// whether the target is met.
//
//     bench_suite --bin <dir of the bench programs> --work <scratch dir> --out <dir>
//                 (tessaline-verses is taken from the parent of the --bin dir)
//                 [--runs <start-up runs per program and size, at least 15>]
//
// Everything is measured on data made here: verse databases of 500, 5,000, 31,000 and 100,000
// rows with texts of 20 to 400 characters. Start-up and memory are whole child processes
// (spawn to exit, and the child's peak resident size), the floor program and the program
// taking turns so both see the same noise. <out>/startup-scaling.tsv gets the figures the
// scaling plot is drawn from.

#include "measure.h"
#include "versemaker.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTextStream>
#include <QVariant>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

const QList<int> Sizes{500, 5000, 31000, 100000};
constexpr int TimeoutSeconds = 120;

[[noreturn]] void fail(const QString& message) {
    std::fprintf(stderr, "bench_suite: %s\n", qPrintable(message));
    std::exit(1);
}

// ---- child processes --------------------------------------------------------------------------

volatile pid_t runningChild = 0;

// A child that hangs (a message box nobody answers) is ended so the suite goes on.
void onAlarm(int) {
    if (runningChild > 0)
        kill(runningChild, SIGKILL);
}

struct ChildRun {
    bool ok = false;
    double wallMs = 0;
    double maxRssKb = 0;
    QHash<QString, double> values; // the "name<TAB>value" lines the child printed
};

double nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Runs program with args, its standard output to outPath and its errors appended to logPath.
ChildRun runChild(const QString& program, const QStringList& args, const QString& outPath,
                  const QString& logPath) {
    const QByteArray programBytes = QFile::encodeName(program);
    QList<QByteArray> argBytes{programBytes};
    for (const QString& a : args)
        argBytes.append(a.toLocal8Bit());
    QList<char*> argv;
    for (QByteArray& a : argBytes)
        argv.append(a.data());
    argv.append(nullptr);

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, QFile::encodeName(outPath).constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, 2, QFile::encodeName(logPath).constData(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0644);

    ChildRun run;
    pid_t pid = 0;
    const double start = nowMs();
    const int spawned =
        posix_spawn(&pid, programBytes.constData(), &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (spawned != 0) {
        std::fprintf(stderr, "cannot start %s: %s\n", programBytes.constData(),
                     std::strerror(spawned));
        return run;
    }
    runningChild = pid;
    alarm(TimeoutSeconds);
    int status = 0;
    rusage usage{};
    pid_t waited;
    do {
        waited = wait4(pid, &status, 0, &usage);
    } while (waited < 0 && errno == EINTR);
    const double end = nowMs();
    alarm(0);
    runningChild = 0;

    run.ok = waited == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.wallMs = end - start;
    run.maxRssKb = double(usage.ru_maxrss);
    QFile out(outPath);
    if (out.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : out.readAll().split('\n')) {
            const QList<QByteArray> parts = line.split('\t');
            if (parts.size() == 2)
                run.values.insert(QString::fromUtf8(parts[0]), parts[1].toDouble());
        }
    }
    if (!run.ok)
        std::fprintf(stderr, "%s %s failed (status %d); see %s\n", programBytes.constData(),
                     qPrintable(args.join(QLatin1Char(' '))), status, qPrintable(logPath));
    return run;
}

// ---- data -------------------------------------------------------------------------------------

// A file just written waits in the page cache; a user's verses.mdb has long been on disk. Left
// unsynced, the first commit in a run would pay for writing the whole file out.
void syncFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0 || ::fsync(fd) != 0)
        fail(QStringLiteral("cannot sync %1").arg(path));
    ::close(fd);
}

void writeVerses(const QString& path, int count) {
    QFile::remove(path);
    const QString name = QStringLiteral("bench-writer");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            fail(QStringLiteral("cannot create %1: %2").arg(path, db.lastError().text()));
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("CREATE TABLE verses (title TEXT, text TEXT)")))
            fail(q.lastError().text());
        db.transaction();
        q.prepare(QStringLiteral("INSERT INTO verses (title, text) VALUES (?, ?)"));
        VerseMaker maker{quint32(count)};
        for (int i = 0; i < count; ++i) {
            const QString title = maker.title();
            q.addBindValue(title);
            q.addBindValue(maker.text(maker.length(20, 400)));
            if (!q.exec())
                fail(q.lastError().text());
        }
        if (!db.commit())
            fail(db.lastError().text());
    }
    QSqlDatabase::removeDatabase(name);
    syncFile(path);
}

// The programs read verses.mdb from their own directory, so each data set gets copies of them.
void copyProgram(const QString& from, const QString& toDir) {
    const QString to = toDir + QLatin1Char('/') + QFileInfo(from).fileName();
    QFile::remove(to);
    if (!QFile::copy(from, to))
        fail(QStringLiteral("cannot copy %1 to %2").arg(from, toDir));
}

// ---- the table --------------------------------------------------------------------------------

struct Row {
    QString name;
    QString median;
    QString ratio;
    QString target;
    bool meets = false;
};

QString ms(double v) {
    return QStringLiteral("%1 ms").arg(v, 0, 'f', v < 1 ? 3 : (v < 10 ? 2 : 1));
}
QString mb(double kb) {
    return QStringLiteral("%1 MB").arg(kb * 1024 / 1e6, 0, 'f', 1);
}
QString times(double r) {
    return QStringLiteral("%1 x").arg(r, 0, 'f', 2);
}

void printTable(const QList<Row>& rows) {
    const QStringList head{QStringLiteral("case"), QStringLiteral("median"),
                           QStringLiteral("ratio to floor"), QStringLiteral("target"),
                           QStringLiteral("result")};
    QList<qsizetype> width;
    for (const QString& h : head)
        width.append(h.size());
    for (const Row& r : rows) {
        const QStringList cells{r.name, r.median, r.ratio, r.target};
        for (int i = 0; i < cells.size(); ++i)
            width[i] = std::max(width[i], cells[i].size());
    }
    QTextStream out(stdout);
    auto line = [&](const QStringList& cells) {
        QString text = QStringLiteral("|");
        for (int i = 0; i < cells.size(); ++i)
            text += QLatin1Char(' ') + cells[i].leftJustified(i < 4 ? width[i] : 6) +
                    QStringLiteral(" |");
        out << text << '\n';
    };
    line(head);
    QStringList rule;
    for (int i = 0; i < head.size(); ++i)
        rule.append(QString(i < 4 ? width[i] : 6, QLatin1Char('-')));
    line(rule);
    for (const Row& r : rows)
        line({r.name, r.median, r.ratio, r.target,
              r.meets ? QStringLiteral("meets") : QStringLiteral("misses")});
    out.flush();
}

QString count(int n) {
    return QLocale(QLocale::English).toString(n);
}

// ---- tessaline-verses against SWORD's and SQLite's own tools ---------------------------------

QString tool(const QString& name) {
    const QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        fail(QStringLiteral("%1 is not installed (scripts/deps installs it)").arg(name));
    return path;
}

// About megabytes of CSV: a title, then the text in quotes (texts hold commas).
void writeCsv(const QString& path, qint64 megabytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail(QStringLiteral("cannot write %1").arg(path));
    VerseMaker maker{2026};
    QByteArray chunk = "title,text\n";
    qint64 written = 0;
    while (written < megabytes * 1000000) {
        chunk += (maker.title() + QStringLiteral(",\"") + maker.text(maker.length(20, 400)) +
                  QStringLiteral("\"\n"))
                     .toUtf8();
        if (chunk.size() > (1 << 20)) {
            written += file.write(chunk);
            chunk.clear();
        }
    }
    file.write(chunk);
    file.close();
    syncFile(path);
}

struct CompanionFigures {
    bool ok = true;
    QList<double> bible, import, importRss;
};

// The rows the companion's own speed is judged by, each taking turns with the tool it is
// compared with. companions: the one built here, then any other to compare side by side.
QList<Row> companionRows(const QStringList& companions, const QString& workDir, const QString& out,
                         const QString& log, int runs) {
    const QString mod2imp = tool(QStringLiteral("mod2imp"));
    const QString diatheke = tool(QStringLiteral("diatheke"));
    const QString sqlite3 = tool(QStringLiteral("sqlite3"));
    const QString module = QStringLiteral("engKJV2006eb");
    const QString whole = QStringLiteral("Gen 1:1-Rev 22:21");
    const QString db = workDir + QStringLiteral("/companion.mdb");
    const QString csv = workDir + QStringLiteral("/verses-200mb.csv");
    std::fprintf(stderr, "making a CSV of 200 MB\n");
    writeCsv(csv, 200);

    QList<CompanionFigures> figures(companions.size());
    QList<double> raw, rendered, shell;
    for (int r = 0; r < runs; ++r) {
        std::fprintf(stderr, "companion run %d of %d\n", r + 1, runs);
        raw.append(runChild(mod2imp, {module}, QStringLiteral("/dev/null"), log).wallMs);
        rendered.append(runChild(diatheke,
                                 {QStringLiteral("-b"), module, QStringLiteral("-f"),
                                  QStringLiteral("plain"), QStringLiteral("-k"), whole},
                                 QStringLiteral("/dev/null"), log)
                            .wallMs);
        writeVerses(db, 0);
        const ChildRun s = runChild(
            sqlite3, {db, QStringLiteral(".import --csv --skip 1 %1 verses").arg(csv)}, out, log);
        shell.append(s.wallMs);
        for (qsizetype i = 0; i < companions.size(); ++i) {
            CompanionFigures& f = figures[i];
            const auto said = [&](const char* start) {
                QFile file(out);
                return file.open(QIODevice::ReadOnly) && file.readAll().startsWith(start);
            };
            writeVerses(db, 0);
            const ChildRun b =
                runChild(companions[i],
                         {QStringLiteral("add"), whole, QStringLiteral("--each-verse"),
                          QStringLiteral("--bible"), module, QStringLiteral("--db"), db},
                         out, log);
            f.ok = f.ok && b.ok && said("Added 31102 verses");
            f.bible.append(b.wallMs);
            writeVerses(db, 0);
            const ChildRun c =
                runChild(companions[i], {QStringLiteral("import"), csv, QStringLiteral("--db"), db},
                         out, log);
            f.ok = f.ok && c.ok && said("Added ");
            f.import.append(c.wallMs);
            f.importRss.append(c.maxRssKb);
        }
    }
    QFile::remove(csv);

    const double m = Measure::median(raw), d = Measure::median(rendered);
    const double q = Measure::median(shell);
    QList<Row> rows;
    for (qsizetype i = 0; i < companions.size(); ++i) {
        const CompanionFigures& f = figures[i];
        const QString who = i == 0 ? QString() : QStringLiteral(" (%1)").arg(companions[i]);
        const double b = Measure::median(f.bible), c = Measure::median(f.import);
        const double rss = Measure::median(f.importRss);
        rows.append({QStringLiteral("tessaline-verses add whole KJV --each-verse%1").arg(who),
                     f.ok ? ms(b) : QStringLiteral("failed"),
                     QStringLiteral("%1 mod2imp (%2); diatheke %3").arg(times(b / m), ms(m), ms(d)),
                     QStringLiteral("<= 3 x mod2imp, <= diatheke"), f.ok && b <= 3 * m && b <= d});
        rows.append({QStringLiteral("tessaline-verses import 200 MB CSV%1").arg(who),
                     f.ok ? ms(c) : QStringLiteral("failed"),
                     QStringLiteral("%1 sqlite3 .import (%2)").arg(times(c / q), ms(q)),
                     QStringLiteral("<= 2 x sqlite3"), f.ok && c <= 2 * q});
        rows.append({QStringLiteral("tessaline-verses import peak memory%1").arg(who),
                     f.ok ? mb(rss) : QStringLiteral("failed"), QStringLiteral("-"),
                     QStringLiteral("<= 64 MB"), f.ok && rss * 1024 / 1e6 <= 64});
    }
    return rows;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString binDir, workDir, outDir;
    int runs = 21;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--bin"))
            binDir = args[i + 1];
        else if (args[i] == QLatin1String("--work"))
            workDir = args[i + 1];
        else if (args[i] == QLatin1String("--out"))
            outDir = args[i + 1];
        else if (args[i] == QLatin1String("--runs"))
            runs = std::max(15, args[i + 1].toInt());
    }
    if (binDir.isEmpty() || workDir.isEmpty() || outDir.isEmpty())
        fail(QStringLiteral("usage: bench_suite --bin DIR --work DIR --out DIR [--runs N]"));

    // Every child runs without a display, as in CI.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::signal(SIGALRM, onAlarm);
    const QString log = workDir + QStringLiteral("/children.log");
    const QString out = workDir + QStringLiteral("/child.out");
    auto progress = [](const QString& what) { std::fprintf(stderr, "%s\n", qPrintable(what)); };
    const QString companion = binDir + QStringLiteral("/../tessaline-verses");
    // BENCH_COMPANION_BEFORE: another tessaline-verses, measured in the same run for comparison.
    QStringList companions{companion};
    if (qEnvironmentVariableIsSet("BENCH_COMPANION_BEFORE"))
        companions.append(qEnvironmentVariable("BENCH_COMPANION_BEFORE"));
    // BENCH_ONLY_COMPANION=1: only the companion's rows against SWORD's and SQLite's tools.
    if (qEnvironmentVariableIsSet("BENCH_ONLY_COMPANION")) {
        printTable(companionRows(companions, workDir, out, log, 3));
        return 0;
    }

    // Data and program copies.
    QDir().mkpath(workDir + QStringLiteral("/floor"));
    copyProgram(binDir + QStringLiteral("/bench_floor"), workDir + QStringLiteral("/floor"));
    const QString floorProgram = workDir + QStringLiteral("/floor/bench_floor");
    QHash<int, QString> dataDir;
    for (int n : Sizes) {
        const QString dir = workDir + QStringLiteral("/verses-%1").arg(n);
        QDir().mkpath(dir);
        progress(QStringLiteral("making %1 verses").arg(n));
        writeVerses(dir + QStringLiteral("/verses.mdb"), n);
        copyProgram(binDir + QStringLiteral("/bench_startup"), dir);
        copyProgram(binDir + QStringLiteral("/bench_inprocess"), dir);
        dataDir.insert(n, dir);
    }

    // Start-up: the floor and the program take turns, each size with its own floor runs. Two
    // runs of each first warm the file cache and the font cache; they are not counted.
    struct Startup {
        QList<double> time, rss, floorTime, floorRss;
        bool ok = true;
    };
    QHash<int, Startup> startup;
    for (int n : Sizes) {
        progress(QStringLiteral("start-up, %1 verses").arg(n));
        Startup& s = startup[n];
        const QString program = dataDir[n] + QStringLiteral("/bench_startup");
        for (int i = 0; i < 2; ++i) {
            runChild(floorProgram, {}, out, log);
            runChild(program, {}, out, log);
        }
        for (int r = 0; r < runs; ++r) {
            for (int k = 0; k < 2; ++k) {
                const bool floorTurn = (r + k) % 2 == 0;
                const ChildRun c = runChild(floorTurn ? floorProgram : program, {}, out, log);
                if (!c.ok)
                    s.ok = false;
                (floorTurn ? s.floorTime : s.time).append(c.wallMs);
                (floorTurn ? s.floorRss : s.rss).append(c.maxRssKb);
            }
        }
    }

    // In-process cases, each in a fresh process.
    const QString inprocess500 = dataDir[500] + QStringLiteral("/bench_inprocess");
    progress(QStringLiteral("key presses"));
    const ChildRun letter =
        runChild(inprocess500, {QStringLiteral("keys"), QStringLiteral("letter")}, out, log);
    const ChildRun word =
        runChild(inprocess500, {QStringLiteral("keys"), QStringLiteral("word")}, out, log);
    progress(QStringLiteral("backdrop"));
    const ChildRun backdrop = runChild(inprocess500, {QStringLiteral("backdrop")}, out, log);
    progress(QStringLiteral("card"));
    const ChildRun cardHuge = runChild(inprocess500, {QStringLiteral("card-huge")}, out, log);

    // From key to screen on an X server of its own, the program and its floor taking turns.
    const QString keyLatency = binDir + QStringLiteral("/bench_keylatency");
    const bool screenKeys =
        QFileInfo::exists(keyLatency) && QFileInfo::exists(QStringLiteral("/usr/bin/xvfb-run"));
    ChildRun keyScreen;
    if (screenKeys) {
        progress(QStringLiteral("key to screen"));
        keyScreen = runChild(QStringLiteral("/usr/bin/xvfb-run"),
                             {QStringLiteral("-a"), QStringLiteral("-s"),
                              QStringLiteral("-screen 0 1280x1024x24"), keyLatency,
                              QString::number(std::max(5, runs / 4)),
                              binDir + QStringLiteral("/bench_keytarget"),
                              binDir + QStringLiteral("/bench_keyfloor")},
                             out, log);
    }

    // Editor: opening at every size (for the plot), the rest at 100,000 verses. Each run is a
    // fresh process that starts the program first; the editing runs work on a fresh copy of
    // the data, so every run deletes and updates the same rows.
    const int editorRuns = std::max(5, runs / 2);
    QHash<int, QList<double>> editorOpen;
    QList<double> editorGrowth, editorLast, editorDelete, editorUpdate;
    QList<double> longMove, longF2, longKey, longEscape;
    bool editorOk = true;
    for (int n : Sizes) {
        progress(QStringLiteral("editor, %1 verses").arg(n));
        for (int r = 0; r < editorRuns; ++r) {
            const ChildRun c = runChild(dataDir[n] + QStringLiteral("/bench_inprocess"),
                                        {QStringLiteral("editor-open")}, out, log);
            editorOk = editorOk && c.ok;
            if (c.ok) {
                editorOpen[n].append(c.values.value(QStringLiteral("editor_open_ms")));
                if (n == 100000)
                    editorGrowth.append(c.values.value(QStringLiteral("editor_growth_kb")));
            }
        }
    }
    const QString editDir = workDir + QStringLiteral("/edit");
    QDir().mkpath(editDir);
    copyProgram(binDir + QStringLiteral("/bench_inprocess"), editDir);
    auto freshCopy = [&] {
        QFile::remove(editDir + QStringLiteral("/verses.mdb"));
        if (!QFile::copy(dataDir[100000] + QStringLiteral("/verses.mdb"),
                         editDir + QStringLiteral("/verses.mdb")))
            fail(QStringLiteral("cannot copy the verses for editing"));
        syncFile(editDir + QStringLiteral("/verses.mdb"));
    };
    for (int r = 0; r < editorRuns; ++r) {
        freshCopy();
        const ChildRun c = runChild(editDir + QStringLiteral("/bench_inprocess"),
                                    {QStringLiteral("editor-edit")}, out, log);
        editorOk = editorOk && c.ok;
        if (c.ok) {
            editorLast.append(c.values.value(QStringLiteral("editor_last_ms")));
            editorDelete.append(c.values.value(QStringLiteral("editor_delete_ms")));
            editorUpdate.append(c.values.value(QStringLiteral("editor_update_ms")));
        }
    }
    // One verse of 250,000 characters added to the 100,000 (by the case itself).
    progress(QStringLiteral("editor, a 250,000-character verse"));
    bool longOk = true;
    for (int r = 0; r < editorRuns; ++r) {
        freshCopy();
        const ChildRun c = runChild(editDir + QStringLiteral("/bench_inprocess"),
                                    {QStringLiteral("editor-long")}, out, log);
        longOk = longOk && c.ok;
        if (c.ok) {
            longMove.append(c.values.value(QStringLiteral("editor_long_move_ms")));
            longF2.append(c.values.value(QStringLiteral("editor_long_f2_ms")));
            longKey.append(c.values.value(QStringLiteral("editor_long_key_ms")));
            longEscape.append(c.values.value(QStringLiteral("editor_long_escape_ms")));
        }
    }

    // tessaline-verses (built beside the program): the Psalms, one row per verse, into a fresh
    // copy of the 31,000-verse file each run.
    progress(QStringLiteral("tessaline-verses add Psalms"));
    const QString addDb = workDir + QStringLiteral("/add-verses.mdb");
    QList<double> addBook;
    bool addOk = true;
    for (int r = 0; r < editorRuns; ++r) {
        QFile::remove(addDb);
        if (!QFile::copy(dataDir[31000] + QStringLiteral("/verses.mdb"), addDb))
            fail(QStringLiteral("cannot copy the verses for tessaline-verses"));
        syncFile(addDb);
        const ChildRun c = runChild(companion,
                                    {QStringLiteral("add"), QStringLiteral("Psalms"),
                                     QStringLiteral("--each-verse"), QStringLiteral("--bible"),
                                     QStringLiteral("WEB"), QStringLiteral("--db"), addDb},
                                    out, log);
        QFile said(out);
        addOk = addOk && c.ok && said.open(QIODevice::ReadOnly) &&
                said.readAll().startsWith("Added 2461 verses");
        addBook.append(c.wallMs);
    }

    // The table.
    QList<Row> rows;
    for (int n : {500, 31000}) {
        const Startup& s = startup[n];
        const double t = Measure::median(s.time), f = Measure::median(s.floorTime);
        const double limit = n == 500 ? 1.2 : 1.6;
        rows.append({QStringLiteral("start-up, %1 verses").arg(count(n)), ms(t),
                     QStringLiteral("%1 (floor %2)").arg(times(t / f), ms(f)),
                     QStringLiteral("<= %1 x floor").arg(limit), s.ok && t <= limit * f});
    }
    {
        const Startup& s = startup[31000];
        const double m = Measure::median(s.rss), f = Measure::median(s.floorRss);
        rows.append({QStringLiteral("peak memory after start-up, 31,000 verses"), mb(m),
                     QStringLiteral("%1 (floor %2)").arg(times(m / f), mb(f)),
                     QStringLiteral("<= 1.3 x floor"), s.ok && m <= 1.3 * f});
    }
    for (const auto& [name, run] : {std::pair{"one key, letter by letter", &letter},
                                    std::pair{"one key, word by word", &word}}) {
        const double m = run->values.value(QStringLiteral("key_median_ms"));
        const double w = run->values.value(QStringLiteral("key_worst_ms"));
        rows.append({QString::fromLatin1(name),
                     run->ok ? QStringLiteral("%1, worst key %2").arg(ms(m), ms(w))
                             : QStringLiteral("failed"),
                     QStringLiteral("-"), QStringLiteral("median <= 0.5 ms, worst <= 2 ms"),
                     run->ok && m <= 0.5 && w <= 2.0});
    }
    {
        const auto value = [&](const char* name) {
            return keyScreen.values.value(QString::fromLatin1(name));
        };
        const double m = value("program_median_ms"), w = value("program_worst_ms");
        const double fm = value("floor_median_ms"), fw = value("floor_worst_ms");
        const bool ran = keyScreen.ok && fm > 0 && fw > 0;
        rows.append(
            {QStringLiteral("key to screen, Xvfb, letter by letter"),
             ran ? QStringLiteral("%1, worst key %2").arg(ms(m), ms(w))
                 : QString::fromLatin1(screenKeys ? "failed" : "not run (no Xvfb or X libraries)"),
             ran ? QStringLiteral("%1, worst %2 (floor %3, worst %4)")
                       .arg(times(m / fm), times(w / fw), ms(fm), ms(fw))
                 : QStringLiteral("-"),
             QStringLiteral("<= 1.2 x floor, median and worst"),
             ran && m <= 1.2 * fm && w <= 1.2 * fw});
    }
    for (const QString& size : {QStringLiteral("597x367"), QStringLiteral("3840x2160")}) {
        const double b = backdrop.values.value(QStringLiteral("backdrop_%1_ms").arg(size));
        const double t = backdrop.values.value(QStringLiteral("tiled_%1_ms").arg(size));
        rows.append({QStringLiteral("backdrop paint, %1 px")
                         .arg(QString(size).replace(QLatin1Char('x'), QStringLiteral(" x "))),
                     backdrop.ok ? ms(b) : QStringLiteral("failed"),
                     QStringLiteral("%1 (drawTiledPixmap %2)").arg(times(b / t), ms(t)),
                     QStringLiteral("<= 1.5 x drawTiledPixmap"), backdrop.ok && b <= 1.5 * t});
    }
    {
        const double m = cardHuge.values.value(QStringLiteral("card_huge_ms"));
        rows.append({QStringLiteral("card with a 4.8-million-character verse"),
                     cardHuge.ok ? ms(m) : QStringLiteral("failed"), QStringLiteral("-"),
                     QStringLiteral("<= 300 ms"), cardHuge.ok && m <= 300});
    }
    auto editorRow = [&](const QString& name, const QList<double>& values, double limit,
                         bool memory) {
        const double m = Measure::median(values);
        const bool ran = editorOk && !values.isEmpty();
        rows.append(
            {name, ran ? (memory ? mb(m) : ms(m)) : QStringLiteral("not run"), QStringLiteral("-"),
             memory ? QStringLiteral("<= %1 MB").arg(limit) : QStringLiteral("<= %1 ms").arg(limit),
             ran && (memory ? m * 1024 / 1e6 <= limit : m <= limit)});
    };
    editorRow(QStringLiteral("editor open, 100,000 verses"), editorOpen.value(100000), 150, false);
    editorRow(QStringLiteral("editor open memory growth, 100,000 verses"), editorGrowth, 40, true);
    editorRow(QStringLiteral("editor last row, 100,000 verses"), editorLast, 300, false);
    editorRow(QStringLiteral("editor delete, 100,000 verses"), editorDelete, 20, false);
    editorRow(QStringLiteral("editor update, 100,000 verses"), editorUpdate, 20, false);
    editorOk = editorOk && longOk;
    editorRow(QStringLiteral("editor onto a 250,000-character verse"), longMove, 50, false);
    editorRow(QStringLiteral("editor F2 on its Text cell"), longF2, 100, false);
    editorRow(QStringLiteral("editor one key typed there"), longKey, 16, false);
    editorRow(QStringLiteral("editor Escape there"), longEscape, 50, false);
    {
        const double m = Measure::median(addBook);
        rows.append({QStringLiteral("tessaline-verses add Psalms --each-verse, 31,000 verses"),
                     addOk ? ms(m) : QStringLiteral("failed"), QStringLiteral("-"),
                     QStringLiteral("<= 2000 ms"), addOk && m <= 2000});
    }
    rows.append(companionRows(companions, workDir, out, log, 3));
    printTable(rows);

    // The figures behind the scaling plot.
    QFile tsv(outDir + QStringLiteral("/startup-scaling.tsv"));
    if (!tsv.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail(QStringLiteral("cannot write %1").arg(tsv.fileName()));
    QTextStream t(&tsv);
    t << "verses\tstartup_ms\tfloor_ms\teditor_open_ms\n";
    for (int n : Sizes)
        t << n << '\t' << Measure::median(startup[n].time) << '\t'
          << Measure::median(startup[n].floorTime) << '\t' << Measure::median(editorOpen.value(n))
          << '\n';
    return 0;
}
