#pragma once

#include "base/paths.h"
#include "editor/databar.h"
#include "editor/datagrid.h"
#include "editor/frmverses.h"
#include "editor/versebox.h"
#include "tests/support/testsupport.h"
#include "windowbase/forms.h"

#include <QTableView>
#include <QTest>

inline const QList<VerseRow> ThreeRows = {{"b", "text b"}, {"c", "text c"}, {"a", "text a"}};

// What the verse editor's tests share: the editor shown on a verse file of the test's own.
class EditorTestCase : public ProgramTestCase {
protected:
    frmverses* w = nullptr;

    [[nodiscard]] bool open(const QList<VerseRow>& rows = ThreeRows) {
        if (!writeVersesDb(Paths::versesPath(), rows))
            return false;
        w = &Forms::show<frmverses>();
        return QTest::qWaitForWindowActive(w);
    }
    QTableView* grid() const { return w->grdDataGrid->view(); }
    // The text a cell of the grid shows, the edits not yet saved included.
    QString cellText(int row, int column) const {
        return grid()->model()->index(row, column).data().toString();
    }
    // The record selector's mark for a row: "▶", "✎", "*" or "".
    QString rowMarker(int row) const {
        return grid()->model()->headerData(row, Qt::Vertical).toString();
    }
    QString caption() const { return w->datPrimaryRSBar->captionText(); }
};
