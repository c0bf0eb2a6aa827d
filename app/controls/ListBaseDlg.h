#pragma once
// The modal list page every basic-data and rule list of the program stands on: a report list whose
// rows are objects (column 0 the hidden id, column 1 the name), a column of buttons, a status line,
// the modified marker in the caption, the close prompt, moving and sorting rows, printing, finding,
// and the duplicate-name check of rows delivered with WM_PAGE_ROW. A page supplies its columns,
// actions, save and row rules by overriding the virtual operations.
#include "app/controls/PageNotify.h"
#include "base/ChangeCheck.h"
#include "platform/Gdi.h"
#include "platform/WindowMessages.h"
#include "platform/gui/DC.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/ReportList.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class CHoverButton;
class CTaskUndo;
class CZemObject;
class CZemObjectList;
class QLineEdit;

// What the find dialog asks the page for: the text, the row of the last hit (-1 before the first)
// and whether this request found one.
struct CFindRequest {
    std::string text;
    int row = -1;
    bool found = false;
};

class CListFindDlg : public zem::gui::Dialog {
public:
    enum { IDD = 348, IDC_FIND_TEXT = 1363 };

    // `owner` is the list page that searches its rows.
    CListFindDlg(QWidget* parent, zem::MessageTarget* owner);

    const CFindRequest& GetRequest() const { return m_request; }

protected:
    bool OnInitDialog() override;
    // "下一个": asks the owner for the next hit; the dialog stays open.
    void OnOK() override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Layout();

    zem::MessageTarget* m_owner;
    CFindRequest m_request;
    QLineEdit* m_edit = nullptr;
    zem::Rect m_editFrame;
};

class CListBaseDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 173,
        IDC_LIST = 1025,
        IDC_SAVE = 1028,
        IDC_ADD = 1026,
        IDC_EDIT = 1059,
        IDC_DELETE = 1027,
        IDC_MOVE_UP = 1077,
        IDC_MOVE_DOWN = 1078,
        IDC_IMPORT = 1081,
        IDC_PRINT = 1029,
        IDC_FIND = 1362,
        IDC_SORT = 1306,
        IDC_STATUS = 1023
    };

    explicit CListBaseDlg(QWidget* parent = nullptr);
    ~CListBaseDlg() override;

    // Before the dialog runs: whether the import button is shown.
    void SetOption(bool showImport);
    // Puts the control at before's place in the button column and moves before and every control
    // after it down by the control's height plus the gap; without before in the column the control
    // goes below the last one at that gap.
    void InsertButton(QWidget* control, QWidget* before, int gap);
    // Hides the control and moves every control after it up by its height plus 6 pixels.
    void RemoveButton(QWidget* control);
    // Deletes the row's object and the row, remembers the row's id as deleted, marks the page modified.
    void DeleteRow(int row);
    // Empties the list, then puts in a copy of each row's object, its order field the row's place.
    void CopyRowsInto(CZemObjectList& list) const;

    zem::gui::ReportList* GetList() const { return m_list; }
    bool IsModified() const { return m_modified; }
    const std::vector<std::string>& GetDeletedIds() const { return m_deletedIds; }
    const std::string& GetStatusText() const { return m_statusText; }
    // The button column, top to bottom.
    const std::vector<QWidget*>& GetButtonColumn() const { return m_buttonColumn; }

    // Virtual operations of the pages, base behaviour described at each.
    // Sets the list up (full-row selection, grid lines, 25-pixel rows, the skinned header); pages
    // call it first, then add their columns.
    virtual void InitColumns();
    // Sets the flag, the caption ("%s (已修改,未保存)" while modified) and the save button's tint.
    virtual void SetModified(bool modified);
    // Saves the open task's input file, once what the page stored keeps the task's rules
    // (KeepsTaskRules); on success the page is no longer modified.
    virtual bool Save();
    // Prints the list's columns 1 to the last under the title.
    virtual void Print();
    virtual void Add() {}
    // Deletes every selected row, last first.
    virtual void DeleteSelected();
    virtual void Edit() {}
    virtual void OnRowDoubleClick() {}
    virtual void Import() {}
    // Orders the rows by CompareRows; each row keeps its object.
    virtual void Sort();
    // <0, 0, >0 for two rows by their positions before the sort: the sort column's texts compared
    // without regard to ASCII case in GBK order, grade numerals first made digits with grade order on.
    virtual int CompareRows(int row1, int row2);
    // Called at the end of painting, on the page's client area.
    virtual void DrawExtra(zem::gui::DC& dc, const zem::Rect& client) {}
    // The row's name (cell 0) must be a name GBK can hold, not blank, and unlike every other row's
    // name ignoring case, blanks and the form of parentheses; with replace 1 the first selected row is
    // the one being replaced and left out.
    virtual bool Validate(const CPageRow* cells, CPageNotify* notify);
    virtual std::string Title();
    // The title printed above the list; the page title unless the page prints another.
    virtual std::string PrintTitle() { return Title(); }
    virtual std::string StatusText();
    virtual void UpdateStatus();
    virtual void UpdateButtons();

    // Moves the selected rows one up or down, each row with its texts and object.
    void MoveSelectedUp();
    void MoveSelectedDown();
    // Selects the next row after the request's whose columns 1.. hold the text, wrapping around.
    void FindNext(CFindRequest* request);

protected:
    // A page's save takes the task's state before it stores its rows into the task; after storing
    // them and before saving, KeepsTaskRules asks the task's rules. A result that passes a limit of
    // the task or changes a weekly count it may not change is refused; one that breaks a rule the
    // task kept (a room's capacity lowered under the classes placed in it) is the user's to keep,
    // asked as the manual placement asks. Refused or not kept, the task is put back as it was and
    // the page keeps its rows, still modified, for the user to mend.
    void BeginStore(CChangeCheck::Plans plans);
    // True when the page's stored rows may be saved; without a BeginStore, always.
    bool KeepsTaskRules();

    bool OnInitDialog() override;
    void OnCommand(int id) override;
    // The close box: asks to save a modified page first.
    void OnClose() override;
    void OnCancel() override;
    bool PreTranslateKey(QKeyEvent* event) override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    CHoverButton* Button(int id) const;

    // The page caption; Title() gives it unless a page names itself otherwise.
    std::string m_title;
    int m_sortColumn = 1;
    bool m_gradeOrderSort = false;
    std::vector<std::string> m_deletedIds;
    std::vector<std::string> m_priorityDescs;
    bool m_showImport = false;
    bool m_modified = false;
    std::string m_statusText;
    bool m_statusWarning = false;
    zem::gui::ReportList* m_list = nullptr;

private:
    void Layout();
    void PlaceButtonColumn();
    void DeleteAllRowObjects();

    std::unique_ptr<CChangeCheck> m_storeCheck;
    std::unique_ptr<CTaskUndo> m_storeUndo;
    std::vector<std::string> m_storeDeletedIds;

    std::vector<QWidget*> m_buttonColumn;
    std::vector<int> m_buttonTops;
    zem::Rect m_statusRect;
    int m_buttonWidth = 0;
    int m_buttonHeight = 0;
};
