#pragma once

#include "editor/datacontrol.h"
#include "windowbase/formbase.h"

class DataControlBar;
class DataGrid;
class QPushButton;
class VerseBox;

// The verse editor: a grid over the verse table with its data control, buttons to add,
// delete, refresh and save rows, and Select to make the current verse a favourite.
class frmverses : public FormBase, private DataControl::Events {
    Q_OBJECT
public:
    frmverses();
    ~frmverses() override;

    // The grid's source; its navigation bar is datPrimaryRSBar.
    DataControl datPrimaryRS;

    DataGrid* grdDataGrid;
    DataControlBar* datPrimaryRSBar;
    QWidget* picButtons;
    QPushButton* cmdAdd;
    QPushButton* cmdDelete;
    QPushButton* cmdRefresh;
    QPushButton* cmdUpdate;
    QPushButton* cmdClose;
    VerseBox* Text1;       // title of the current row
    VerseBox* Text2;       // text of the current row
    QPushButton* Command1; // Select
    QPushButton* Command2; // View Verse

    void Form_Load() override;
    void cmdAdd_Click();
    void cmdDelete_Click();
    void cmdRefresh_Click();
    void cmdUpdate_Click();
    void cmdClose_Click();
    void Command1_Click();
    void Command2_Click();

    void datPrimaryRS_Error(int dataErr, int& response);
    void datPrimaryRS_Reposition();
    void datPrimaryRS_Validate(int& action, bool& save);

protected:
    void Form_Unload(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Validate(int& action, bool& save) override { datPrimaryRS_Validate(action, save); }
    void Reposition() override { datPrimaryRS_Reposition(); }
    void Error(int dataErr, int& response) override { datPrimaryRS_Error(dataErr, response); }
    // Copies the current row into the boxes and the current verse; false when its values
    // could not be read.
    bool copyCurrentRow();
    void showVerse(const QString& title, const QString& text);

    // The verse the last Reposition copied: what the editor shows as current.
    QString m_shownTitle;
    QString m_shownText;
    // A row was read and shown since the editor opened.
    bool m_rowShown = false;
    // Why the current row's values could not be read, while they could not.
    std::optional<RuntimeError> m_unread;
};
