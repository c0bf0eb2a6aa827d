#pragma once
// The print preview: the one window through which a batch of week timetables is previewed page by
// page, its page settings and banner rows changed with the result shown at once, and printed. A
// tool bar over the page canvas.
#include "platform/gui/Dialog.h"

#include <string>

class CPreviewPageWnd;
class CPrintSheet;
class QWidget;

class CPrintPreviewDlg : public zem::gui::Dialog {
public:
    enum {
        ID_CLOSE = 32818,
        ID_FIRST_PAGE = 32811,
        ID_PREVIOUS_PAGE = 32812,
        ID_NEXT_PAGE = 32815,
        ID_LAST_PAGE = 32816,
        ID_PAGE_SETTINGS = 32782,
        ID_BANNERS = 32890,
        ID_PRINT = 32819,
        ID_EXPORT = 32880,
    };

    CPrintPreviewDlg(QWidget* parent, CPrintSheet* sheet, int pageCount, int currentPage, bool onScreen, int mode,
                     bool temporary);
    ~CPrintPreviewDlg() override;

    CPreviewPageWnd* GetPageWnd() const { return m_pageWnd; }
    int GetCurrentPage() const { return m_currentPage; }
    int GetPageCount() const { return m_pageCount; }
    // Whether the tool bar shows the command's button.
    bool HasButton(int id) const;

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    // Enter and Escape leave the preview open; its close box and "退出" end it.
    void OnOK() override {}
    void OnCancel() override {}
    void OnClose() override { EndDialog(zem::IDCANCEL); }
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildToolBar();
    void PlacePageWnd();
    void EnablePaging(bool backward, bool forward);
    // Hands the pages to the canvas, repaints it and renews the caption.
    void ShowPage();
    void UpdateCaption();

    CPrintSheet* m_sheet;
    int m_mode;
    bool m_temporary;
    bool m_onScreen;
    std::string m_title;
    int m_currentPage;
    int m_pageCount;
    QWidget* m_toolBar = nullptr;
    CPreviewPageWnd* m_pageWnd = nullptr;
};
