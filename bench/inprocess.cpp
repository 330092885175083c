// Cases timed inside one process of the program's own code, each printed as "name<TAB>value"
// lines for bench_suite:
//
//     bench_inprocess keys letter|word [runs]    typing a 499-character verse in full
//     bench_inprocess backdrop [paints]          one full backdrop paint against drawTiledPixmap
//     bench_inprocess card-huge                  the card opened and drawn with a verse of
//                                                4.8 million characters
//     bench_inprocess editor-open                "Change Verse" until the editor shows "Record: 1"
//     bench_inprocess editor-edit [times]        Last from the first row, then &Delete and
//                                                &Update in the middle of the table (it writes!)
//     bench_inprocess editor-long [keys]         a verse of 250,000 characters added (it
//                                                writes!), then moving onto it, F2 on its
//                                                Text cell, keys typed there and Escape
//
// The verse database, where a case needs one, is the verses.mdb beside this executable, as
// for the program itself.

#include "measure.h"
#include "versemaker.h"

#include "base/cp1252.h"
#include "card/form3.h"
#include "editor/databar.h"
#include "editor/datagrid.h"
#include "editor/frmverses.h"
#include "editor/versebox.h"
#include "favourites/form4.h"
#include "practice/form1.h"
#include "practice/practicerules.h"
#include "startup/startup.h"
#include "startup/tessalineapp.h"
#include "windowbase/formbase.h"
#include "windowbase/forms.h"
#include "windowbase/host.h"
#include "windowbase/module1.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>
#include <QWindow>

#include <cstdio>
#include <functional>

namespace {

void report(const char* name, double value) {
    std::printf("%s\t%.6f\n", name, value);
}

void report(const QString& name, double value) {
    report(qPrintable(name), value);
}

double msSince(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

// Where the next typed character of the run is (1-based), or -1 when none is left: the
// character a user types next.
int nextTyped(const Module1& s) {
    const int len = s.CurrentText.size();
    for (int i = s.CharPos; i >= 1 && i <= len; ++i)
        if (PracticeRules::isTyped(Cp1252::code(s.CurrentText.at(i - 1))))
            return i;
    return -1;
}

int keys(const QString& mode, int runs) {
    Module1& s = sharedState();
    Form1& form = Forms::show<Form1>();
    if (!QTest::qWaitForWindowExposed(&form)) {
        std::fprintf(stderr, "the practice window was never exposed\n");
        return 1;
    }
    VerseMaker maker(499);
    const QString verse = maker.text(499);

    QList<double> medians, worsts;
    int keyCount = 0;
    for (int run = 0; run < runs; ++run) {
        // Started the way a favourite button starts a verse.
        s.CurrentTitle = QStringLiteral("Psalm 499:1");
        s.CurrentText = verse;
        s.MaskedText = QString(255, QLatin1Char(' '));
        s.PracticeMode = mode == QLatin1String("word") ? 1 : 0;
        form.PrepareVerse();
        QCoreApplication::processEvents();

        QList<double> times;
        for (int pos = nextTyped(s); pos > 0; pos = nextTyped(s)) {
            qint16 code = qint16(Cp1252::code(s.CurrentText.at(pos - 1).toLower()));
            // Whatever the event loop would do between two keys is not the key's cost.
            QCoreApplication::processEvents();
            QElapsedTimer timer;
            timer.start();
            form.Form_KeyPress(code);
            times.append(msSince(timer));
        }
        if (s.MaskedText.left(verse.size()) != verse ||
            form.Label1->text().left(verse.size()) != verse) {
            std::fprintf(stderr, "the verse was not uncovered in full\n");
            return 1;
        }
        keyCount = int(times.size());
        medians.append(Measure::median(times));
        worsts.append(Measure::maximum(times));
    }
    report("keys", keyCount);
    report("key_median_ms", Measure::median(medians));
    report("key_worst_ms", Measure::median(worsts));
    return 0;
}

// The plainest way to cover a widget with the picture: one drawTiledPixmap.
class TiledWidget : public QWidget {
public:
    explicit TiledWidget(const QPixmap& picture) : m_picture(picture) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawTiledPixmap(rect(), m_picture);
    }

private:
    QPixmap m_picture;
};

// Only what fits the label is laid out, so a card opens at once whatever the verse's length.
int cardHuge() {
    Module1& s = sharedState();
    s.CurrentTitle = QStringLiteral("Long");
    s.CurrentText = QStringLiteral("In the beginning was the Word. ").repeated(200) +
                    QStringLiteral("and more ").repeated(600000);
    QElapsedTimer timer;
    timer.start();
    Form3& card = Forms::show<Form3>();
    const QImage shown = card.Label1->grab().toImage();
    report("card_huge_ms", msSince(timer));
    return shown.isNull() ? 1 : 0;
}

int backdrop(int paints) {
    const QPixmap picture = Forms::get<Form1>().Picture1->pixmap();
    for (const QSize size : {QSize(597, 367), QSize(3840, 2160)}) {
        // A bare window: its only painting is the backdrop.
        FormBase window;
        window.resize(size);
        TiledWidget plain(picture);
        plain.resize(size);
        // The same target for both: an image like an opaque window's backing store, painted
        // with the widget's own paint event and nothing else.
        QImage windowImage(size, QImage::Format_RGB32);
        QImage plainImage(size, QImage::Format_RGB32);
        const QWidget::RenderFlags paintEventOnly;
        window.render(&windowImage, {}, {}, paintEventOnly);
        plain.render(&plainImage, {}, {}, paintEventOnly);
        if (windowImage != plainImage) {
            std::fprintf(stderr, "the backdrop differs from the tiled picture\n");
            return 1;
        }
        QList<double> windowTimes, plainTimes;
        for (int i = 0; i < paints; ++i) {
            QElapsedTimer timer;
            timer.start();
            window.render(&windowImage, {}, {}, paintEventOnly);
            windowTimes.append(msSince(timer));
            timer.start();
            plain.render(&plainImage, {}, {}, paintEventOnly);
            plainTimes.append(msSince(timer));
        }
        const QString name = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
        report(QStringLiteral("backdrop_%1_ms").arg(name), Measure::median(windowTimes));
        report(QStringLiteral("tiled_%1_ms").arg(name), Measure::median(plainTimes));
    }
    return 0;
}

// No message box may wait for an answer here: any message means the case went wrong.
class FailingHost : public Host::Backend {
public:
    Host::Answer messageBox(const Host::Message& message) override {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(message.text));
        std::exit(3);
    }
    void endProgram(int exitCode) override { QCoreApplication::exit(exitCode); }
};

bool isExposed(QWidget& window) {
    return window.windowHandle() && window.windowHandle()->isExposed();
}

// Runs the event loop until done() holds; false after a minute without it.
bool runUntil(const std::function<bool()>& done) {
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > 60000)
            return false;
        QCoreApplication::processEvents();
    }
    // Whatever is still waiting to be painted belongs to the step too.
    QCoreApplication::processEvents();
    return true;
}

QString recordCaption(int row) {
    return QStringLiteral("Record: %1").arg(row + 1);
}

// The program as a user has it before choosing a verse: started on the verses.mdb beside this
// executable, the practice window shown, the favourites window open.
Form4* startToFavourites() {
    if (!start())
        return nullptr;
    if (!QTest::qWaitForWindowExposed(&Forms::get<Form1>()))
        return nullptr;
    Form4& favourites = Forms::show<Form4>();
    if (!QTest::qWaitForWindowExposed(&favourites))
        return nullptr;
    QCoreApplication::processEvents();
    return &favourites;
}

// "Change Verse" on the first favourite until the editor is on screen showing "Record: 1".
frmverses* openEditor(Form4& favourites) {
    favourites.Command1[0]->click();
    frmverses& editor = Forms::get<frmverses>();
    if (!runUntil([&] {
            return isExposed(editor) && editor.datPrimaryRSBar->captionText() == recordCaption(0);
        }))
        return nullptr;
    return &editor;
}

int editorOpen() {
    Form4* favourites = startToFavourites();
    if (!favourites)
        return 1;
    const double before = Measure::statusKb("VmRSS");
    const bool peakReset = Measure::resetPeakRss();
    QElapsedTimer timer;
    timer.start();
    frmverses* editor = openEditor(*favourites);
    const double ms = msSince(timer);
    if (!editor) {
        std::fprintf(stderr, "the editor never showed its first row\n");
        return 1;
    }
    // The peak since just before opening; without a way to restart the peak, the size now.
    const double after = Measure::statusKb(peakReset ? "VmHWM" : "VmRSS");
    report("editor_open_ms", ms);
    report("editor_growth_kb", after - before);
    report("editor_rows", editor->datPrimaryRS.recordCount());
    return 0;
}

// Makes row the current one, as a click on it in the grid does.
bool goToRow(frmverses& editor, int row) {
    editor.datPrimaryRS.moveToGridRow(row);
    return runUntil([&] { return editor.datPrimaryRSBar->captionText() == recordCaption(row); });
}

// The program started and the editor opened from the first favourite, on its first row.
frmverses* startToEditor() {
    Form4* favourites = startToFavourites();
    return favourites ? openEditor(*favourites) : nullptr;
}

int editorEdit(int times) {
    frmverses* editor = startToEditor();
    if (!editor)
        return 1;
    DataControl& data = editor->datPrimaryRS;

    // Last from the first row, with the bar's button.
    QElapsedTimer timer;
    timer.start();
    editor->datPrimaryRSBar->lastButton()->click();
    const int last = data.recordCount() - 1;
    const bool atLast =
        runUntil([&] { return editor->datPrimaryRSBar->captionText() == recordCaption(last); });
    report("editor_last_ms", msSince(timer));
    if (!atLast) {
        std::fprintf(stderr, "Last did not reach the last row\n");
        return 1;
    }

    QList<double> deletes, updates;
    QAbstractItemModel* grid = editor->grdDataGrid->view()->model();
    const int textColumn = 1;
    for (int i = 0; i < times; ++i) {
        // &Delete in the middle: the row after it takes its place.
        const int row = data.recordCount() / 2 + 3 * i;
        if (!goToRow(*editor, row))
            return 1;
        const int before = data.recordCount();
        timer.start();
        editor->cmdDelete->click();
        const bool deleted = runUntil([&] {
            return data.recordCount() == before - 1 &&
                   editor->datPrimaryRSBar->captionText() == recordCaption(row);
        });
        deletes.append(msSince(timer));
        if (!deleted) {
            std::fprintf(stderr, "&Delete did not remove the row\n");
            return 1;
        }

        // &Update in the middle, after typing a new text into the grid's Text cell.
        const int edited = row + 1;
        if (!goToRow(*editor, edited))
            return 1;
        const QString text = QStringLiteral("Changed by the benchmark, time %1.").arg(i);
        if (!grid->setData(grid->index(edited, textColumn), text, Qt::EditRole) ||
            !data.hasPendingEdits()) {
            std::fprintf(stderr, "the grid took no edit\n");
            return 1;
        }
        timer.start();
        editor->cmdUpdate->click();
        const bool saved = runUntil([&] { return !data.hasPendingEdits(); });
        updates.append(msSince(timer));
        if (!saved || data.recordset().Fields(QStringLiteral("text")).Value.toString() != text) {
            std::fprintf(stderr, "&Update did not store the text\n");
            return 1;
        }
    }
    report("editor_delete_ms", Measure::median(deletes));
    report("editor_update_ms", Measure::median(updates));
    return 0;
}

// As long as `tessaline-verses add Psalms` without --each-verse makes one row.
constexpr int LongLength = 250000;

// Adds the long verse to the verses.mdb beside this executable; its row in title order.
int addLongVerse() {
    int row = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "long");
        db.setDatabaseName(QCoreApplication::applicationDirPath() + QStringLiteral("/verses.mdb"));
        QSqlQuery q(db);
        const QString text = QStringLiteral("Praise the LORD, all you nations; extol him, all you "
                                            "peoples. ")
                                 .repeated(LongLength / 40)
                                 .left(LongLength);
        if (db.open() && q.prepare(QStringLiteral("insert into verses values ('Psalms', ?)"))) {
            q.addBindValue(text);
            if (q.exec() &&
                q.exec(QStringLiteral("select count(*) from verses where title < "
                                      "'Psalms'")) &&
                q.next())
                row = q.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("long"));
    return row;
}

int editorLong(int keys) {
    const int row = addLongVerse();
    if (row < 0) {
        std::fprintf(stderr, "the long verse could not be added\n");
        return 1;
    }
    frmverses* editor = startToEditor();
    if (!editor)
        return 1;
    DataControl& data = editor->datPrimaryRS;
    QTableView* grid = editor->grdDataGrid->view();
    grid->setFocus();

    // Onto the long verse, as a grid click does, until the boxes show it and it is the current
    // verse.
    QElapsedTimer timer;
    timer.start();
    grid->setCurrentIndex(grid->model()->index(row, 1));
    bool ok = runUntil([&] {
        return editor->datPrimaryRSBar->captionText() == recordCaption(row) &&
               editor->Text1->text() == QLatin1String("Psalms") &&
               editor->Text2->text().startsWith(QLatin1String("Praise the LORD")) &&
               sharedState().CurrentText.size() == LongLength;
    });
    report("editor_long_move_ms", msSince(timer));
    if (!ok)
        return 1;

    // F2 on its Text cell until the cell's editor shows the verse.
    auto cellEditor = [] { return qobject_cast<QLineEdit*>(QApplication::focusWidget()); };
    timer.start();
    QTest::keyClick(grid, Qt::Key_F2);
    ok = runUntil([&] {
        return cellEditor() && cellEditor()->isVisible() &&
               cellEditor()->text().contains(QLatin1String("Praise the LORD"));
    });
    report("editor_long_f2_ms", msSince(timer));
    if (!ok)
        return 1;

    // Keys typed at the end of the cell, each until it is in the row's edits and drawn.
    QTest::keyClick(cellEditor(), Qt::Key_End);
    QList<double> times;
    for (int i = 1; i <= keys; ++i) {
        timer.start();
        QTest::keyClick(cellEditor(), Qt::Key_X);
        ok = runUntil([&] {
            return data.hasPendingEdits() &&
                   data.index(row, 1).data(Qt::EditRole).toString().size() == LongLength + i;
        });
        times.append(msSince(timer));
        if (!ok)
            return 1;
    }
    report("editor_long_key_ms", Measure::median(times));

    // Escape until the cell is closed and nothing typed is left.
    timer.start();
    QTest::keyClick(cellEditor(), Qt::Key_Escape);
    ok = runUntil([&] { return !cellEditor() && !data.hasPendingEdits(); });
    report("editor_long_escape_ms", msSince(timer));
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TessalineApp app(argc, argv);
    FailingHost host;
    Host::setBackend(&host);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const QString what = args.value(0);
    if (what == QLatin1String("keys") && args.size() >= 2)
        return keys(args[1], args.value(2, QStringLiteral("30")).toInt());
    if (what == QLatin1String("backdrop"))
        return backdrop(args.value(1, QStringLiteral("200")).toInt());
    if (what == QLatin1String("card-huge"))
        return cardHuge();
    if (what == QLatin1String("editor-open"))
        return editorOpen();
    if (what == QLatin1String("editor-edit"))
        return editorEdit(args.value(1, QStringLiteral("3")).toInt());
    if (what == QLatin1String("editor-long"))
        return editorLong(args.value(1, QStringLiteral("10")).toInt());
    std::fprintf(stderr, "usage: bench_inprocess keys letter|word [runs] | backdrop [paints] | "
                         "card-huge | editor-open | editor-edit [times] | editor-long [keys]\n");
    return 2;
}
