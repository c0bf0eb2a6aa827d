#pragma once
// The main dialog: the only top-level window for the whole run. A banner strip with the logo, the
// main tool bar and the page panel with its pages, tool box and information panel.
#include "app/controls/MainToolBar.h"
#include "app/shell/PagePanel.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/Timers.h"

#include <string>

class CMainDlg : public zem::gui::Dialog {
public:
    static constexpr int kBannerHeight = 100;
    static constexpr int kMargin = 10;
    static constexpr int kShowTimer = 1;

    explicit CMainDlg(QWidget* parent = nullptr);
    ~CMainDlg() override;

    // "Tavelin大课表版 1.0": the program's name and version.
    static std::string BuildTitle();
    void SetTitleWithTask(const std::string& taskName);
    // The caption, the tool bar's status and the information panel from the open task.
    void UpdateCaption();

    CPagePanel* GetPagePanel() { return m_bChildrenCreated ? &m_pagePanel : nullptr; }
    CMainToolBar& GetToolBar() { return m_toolBar; }
    const zem::Rect& GetLogoRect() const { return m_logoRect; }
    bool IsShowTimerActive() const { return m_timers.IsActive(kShowTimer); }

protected:
    bool OnInitDialog() override;
    void OnCancel() override;
    void OnClose() override;
    bool PreTranslateKey(QKeyEvent* event) override;
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void FitToWorkArea();
    void CreateChildren();
    void DestroyChildren();
    void LayoutChildren();
    void OnTimer(int id);
    void ShutDown();

    CMainToolBar m_toolBar;
    CPagePanel m_pagePanel;
    bool m_bChildrenCreated = false;
    bool m_bClosing = false;
    zem::Rect m_logoRect;
    zem::gui::WindowTimers m_timers;
};
