#include "editor/frmverses.h"

#include "base/paths.h"
#include "card/form3.h"
#include "editor/databar.h"
#include "editor/datagrid.h"
#include "editor/mousepointer.h"
#include "editor/versebox.h"
#include "favourites/favsfile.h"
#include "favourites/form4.h"
#include "windowbase/forms.h"
#include "windowbase/host.h"
#include "windowbase/module1.h"
#include "windowbase/twips.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcutEvent>
#include <QTableView>

namespace {

// A failure the editor survives: told to the user, and never an hourglass left behind.
void report(const RuntimeError& error, const QString& context) {
    MousePointer::set(MousePointer::Default);
    Host::reportError(error, context);
}

// Runs an action whose failure the editor survives: reported with what it meant. False when it
// failed.
template <class Action> bool attempt(const QString& context, Action action) {
    try {
        action();
        return true;
    } catch (const RuntimeError& error) {
        report(error, context);
        return false;
    }
}

// Clicks a button the moment its access key is pressed, not after the animated press: keys
// typed right after Alt+A must find the cursor already on the new-row line.
class InstantAccessKey : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* button = qobject_cast<QAbstractButton*>(object);
        if (button && event->type() == QEvent::Shortcut &&
            !static_cast<QShortcutEvent*>(event)->isAmbiguous()) {
            button->click();
            return true;
        }
        return QObject::eventFilter(object, event);
    }
};

} // namespace

frmverses::frmverses() {
    setWindowTitle(QStringLiteral("verses"));
    setClientSizeTwips(6825, 5115);
    setFont(Twips::sansSerif(false));

    grdDataGrid = new DataGrid(this);
    grdDataGrid->setGeometry(Twips::rect(15, 0, 6675, 3105));
    grdDataGrid->setCaption(QStringLiteral("Edit Verses"));
    grdDataGrid->view()->setAccessibleName(QStringLiteral("Edit Verses"));

    datPrimaryRSBar = new DataControlBar(datPrimaryRS, this);
    datPrimaryRSBar->setGeometry(Twips::rect(0, 3480, 6525, 360));
    // Where they overlap, the grid's lower edge lies over the bar.
    grdDataGrid->raise();

    picButtons = new QWidget(this);
    picButtons->setGeometry(Twips::rect(0, 3120, 6525, 300));
    auto button = [](const char* caption, QWidget* parent, int left, int top, int width,
                     int height) {
        auto* b = new QPushButton(QString::fromLatin1(caption), parent);
        b->setGeometry(Twips::rect(left, top, width, height));
        b->setAutoDefault(false);
        b->setDefault(false);
        return b;
    };
    cmdAdd = button("&Add", picButtons, 121, 0, 975, 300);
    cmdDelete = button("&Delete", picButtons, 1217, 0, 975, 300);
    cmdRefresh = button("&Refresh", picButtons, 2313, 0, 975, 300);
    cmdUpdate = button("&Update", picButtons, 3409, 0, 975, 300);
    cmdClose = button("&Close", picButtons, 4505, 0, 975, 300);
    auto* accessKeys = new InstantAccessKey(this);
    for (QPushButton* b : {cmdAdd, cmdDelete, cmdRefresh, cmdUpdate, cmdClose})
        b->installEventFilter(accessKeys);

    Text1 = new VerseBox(this);
    Text1->setGeometry(Twips::rect(120, 3960, 2775, 285));
    Text2 = new VerseBox(this);
    Text2->setGeometry(Twips::rect(120, 4320, 6255, 285));
    Text1->setAccessibleName(QStringLiteral("Title"));
    Text2->setAccessibleName(QStringLiteral("Text"));

    Command1 = button("Select", this, 120, 4680, 975, 375);
    Command2 = button("View Verse", this, 1320, 4680, 975, 375);

    QWidget* chain[] = {grdDataGrid->view(),
                        cmdAdd,
                        cmdDelete,
                        cmdRefresh,
                        cmdUpdate,
                        cmdClose,
                        Text1,
                        Text2,
                        Command1,
                        Command2};
    for (size_t i = 1; i < std::size(chain); ++i)
        setTabOrder(chain[i - 1], chain[i]);

    datPrimaryRS.setEvents(this);
    // The grid shows the source's columns, so the source comes first.
    datPrimaryRS.RecordSource = {QStringLiteral("verses"),
                                 {QStringLiteral("title"), QStringLiteral("text")},
                                 QStringLiteral("title")};
    grdDataGrid->setDataSource(&datPrimaryRS);

    connect(cmdAdd, &QPushButton::clicked, this, &frmverses::cmdAdd_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmverses::cmdDelete_Click);
    connect(cmdRefresh, &QPushButton::clicked, this, &frmverses::cmdRefresh_Click);
    connect(cmdUpdate, &QPushButton::clicked, this, &frmverses::cmdUpdate_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmverses::cmdClose_Click);
    connect(Command1, &QPushButton::clicked, this, &frmverses::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmverses::Command2_Click);
    grdDataGrid->setFocus();
}

frmverses::~frmverses() {
    // Unloaded without closing (program end, a failed load): nothing is raised any more,
    // the bound widgets go before their control, and the pointer is never left busy.
    datPrimaryRS.setEvents(nullptr);
    delete grdDataGrid;
    delete datPrimaryRSBar;
    MousePointer::set(MousePointer::Default);
}

void frmverses::Form_Load() {
    datPrimaryRS.DatabaseName = Paths::versesPath();
    datPrimaryRS.setHeaderData(0, Qt::Horizontal, QStringLiteral("Title"));
    datPrimaryRS.setHeaderData(1, Qt::Horizontal, QStringLiteral("Text"));
    grdDataGrid->setColumnWidthTwips(0, 1950);
    grdDataGrid->view()->horizontalHeader()->setStretchLastSection(true);
    // On failure the editor opens empty; Refresh tries again once the file is usable.
    if (attempt(QStringLiteral("The verses could not be loaded for editing."),
                [this] { datPrimaryRS.Refresh(); }) &&
        datPrimaryRS.isReadOnly())
        report(datPrimaryRS.readOnlyReason(), {});
    grdDataGrid->setGeometry(Twips::rect(15, 0, 6675, 3255));
    datPrimaryRSBar->move(0, Twips::px(3240));
    picButtons->move(0, Twips::px(3600));
}

void frmverses::Form_Unload(QCloseEvent*) {
    // Closing raises Validate, which shows the hourglass: put the pointer back afterwards.
    datPrimaryRS.Close();
    MousePointer::set(MousePointer::Default);
}

void frmverses::cmdAdd_Click() {
    if (!attempt(QStringLiteral("The new row could not be started."),
                 [this] { datPrimaryRS.recordset().MoveLast(); }))
        return;
    QWidget* grid = grdDataGrid->view();
    grid->setFocus();
    // Down takes the cursor from the last row to the new-row line, handled now rather than
    // queued: keys the user typed meanwhile wait behind this click and must land there.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QCoreApplication::sendEvent(grid, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
    QCoreApplication::sendEvent(grid, &release);
}

void frmverses::cmdDelete_Click() {
    attempt(QStringLiteral("The verse could not be deleted."), [this] {
        Recordset& rs = datPrimaryRS.recordset();
        rs.Delete();
        rs.MoveNext();
        if (rs.Eof())
            rs.MoveLast();
    });
}

void frmverses::cmdRefresh_Click() {
    // The refused edit would only be refused again: Refresh does what its message promised.
    if (datPrimaryRS.hasRefusedEdit()) {
        MousePointer::set(MousePointer::Default);
        Host::messageBox(QStringLiteral("Your edit of this verse could not be saved, so it was "
                                        "dropped; the table is shown as it is now."),
                         Host::Buttons::Ok, {}, Host::Icon::Warning);
        datPrimaryRS.cancelPending();
    }
    attempt(QStringLiteral("The verses could not be read again."),
            [this] { datPrimaryRS.Refresh(); });
}

void frmverses::cmdUpdate_Click() {
    attempt(QStringLiteral("The changes could not be saved; they are still shown in the grid."),
            [this] {
                Recordset& rs = datPrimaryRS.recordset();
                datPrimaryRS.UpdateRecord();
                // The saved row becomes current even when the grid's cursor had moved on.
                if (rs.LastModified())
                    rs.setBookmark(rs.LastModified());
            });
}

void frmverses::cmdClose_Click() {
    MousePointer::set(MousePointer::Default);
    close();
}

void frmverses::showEvent(QShowEvent* event) {
    FormBase::showEvent(event);
    // While the editor was hidden, practising a favourite changed the current verse: showing
    // the editor again makes its current row the current verse once more.
    if (datPrimaryRS.isLoaded())
        showVerse(m_shownTitle, m_shownText);
}

void frmverses::Command1_Click() {
    // Nothing read since the editor opened (no file, no table, no rows): the current verse
    // is still one the editor does not show.
    if (!m_rowShown) {
        MousePointer::set(MousePointer::Default);
        Host::messageBox(QStringLiteral("The editor shows no verse, so none was stored in the "
                                        "favourite."),
                         Host::Buttons::Ok, {}, Host::Icon::Warning);
        return;
    }
    // A row that could not be read is tried once more; no other verse is stored in its place.
    if (m_unread && !copyCurrentRow()) {
        report(*m_unread, QStringLiteral("This verse could not be read, so it was not stored "
                                         "in the favourite."));
        return;
    }
    Module1& s = sharedState();
    // Loading the favourites window reads the file: done first, so storing into the slot
    // is not overwritten by that read when the window had been closed.
    Form4& favourites = Forms::get<Form4>();
    storeFavourite(s.FavSlot, s.CurrentText, s.CurrentTitle);
    favourites.setFavouriteCaption(s.FavSlot);
    SaveFavs();
    hide();
    Forms::show<Form4>();
}

void frmverses::Command2_Click() {
    Forms::show<Form3>();
}

void frmverses::datPrimaryRS_Error(int dataErr, int& response) {
    MousePointer::set(MousePointer::Default);
    Host::messageBox(QStringLiteral("Data error event hit err:") + datPrimaryRS.errorText(dataErr));
    response = 0;
}

void frmverses::showVerse(const QString& title, const QString& text) {
    m_shownTitle = title;
    m_shownText = text;
    // Both boxes show the start of their text, as a freshly filled box does.
    Text1->setVerse(title);
    Text2->setVerse(text);
    sharedState().CurrentText = text;
    sharedState().CurrentTitle = title;
}

bool frmverses::copyCurrentRow() {
    const Recordset& rs = datPrimaryRS.recordset();
    // No current row (the new-row line, past the last, a table emptied): the boxes and the
    // current verse stay the last row's; what was typed into the boxes is not kept.
    if (rs.AbsolutePosition() < 0) {
        showVerse(m_shownTitle, m_shownText);
        return !m_unread;
    }
    try {
        // A NULL field reads as empty, never as the previous row's value.
        const QString text = rs.Fields(QStringLiteral("text")).Value.toString();
        const QString title = rs.Fields(QStringLiteral("title")).Value.toString();
        m_unread.reset();
        m_rowShown = true;
        showVerse(title, text);
        return true;
    } catch (const RuntimeError& error) {
        // Never the previous row's verse in place of this one.
        m_unread = error;
        showVerse({}, {});
        return false;
    }
}

void frmverses::datPrimaryRS_Reposition() {
    MousePointer::set(MousePointer::Default);
    datPrimaryRS.setCaption(
        QStringLiteral("Record: %1").arg(datPrimaryRS.recordset().AbsolutePosition() + 1));
    copyCurrentRow();
}

void frmverses::datPrimaryRS_Validate(int& action, bool& save) {
    Q_UNUSED(save)
    if (action == DataControl::UnloadAction)
        MousePointer::set(MousePointer::Default);
    MousePointer::set(MousePointer::Hourglass);
}
