#pragma once
// The information panel under the tool box: a usage tip that changes by itself, the name and folder
// of the open task, and twelve quick-tool links to dialogs that are on no page.
#include "platform/Gdi.h"
#include "platform/gui/Messages.h"
#include "platform/gui/Timers.h"

#include <QWidget>

#include <string>
#include <vector>

class CHyperLink;

class CToolDescPanel : public QWidget, public zem::gui::MessageReceiver {
public:
    static constexpr int kHeight = 180;
    static constexpr int kTipTimer = 1;
    static constexpr int kTipSeconds = 25;

    CToolDescPanel();
    ~CToolDescPanel() override;

    bool Create(QWidget* parent);
    void SetTaskName(const std::string& name);
    void SetTaskLocation(const std::string& path);
    // Shows the tip with the id and restarts the tip timer; an id without a tip changes nothing.
    void ShowTip(int id);
    void ShowRandomTip();
    // Runs the quick tool of the link id; other ids do nothing.
    void OnQuickTool(int id);
    // Enables the links whose feature this program has.
    void RefreshLinks();

    const std::string& GetTipTitle() const { return m_strTipTitle; }
    const std::string& GetTipText() const { return m_strTipText; }
    const std::string& GetTaskName() const { return m_strTaskName; }
    const std::string& GetTaskLocation() const { return m_strTaskLocation; }
    const zem::Rect& GetTipRect() const { return m_tipRect; }
    const zem::Rect& GetLocationRect() const { return m_locationRect; }
    CHyperLink* GetLink(int id) const;
    bool IsTimerActive() const { return m_timers.IsActive(kTipTimer); }

    // The quick tools: control id, caption, width and row (1-3).
    struct QuickTool {
        int id;
        const char* caption;
        int width;
        int row;
    };
    static const std::vector<QuickTool>& QuickTools();
    // Whether the quick tool's dialog is in this program.
    static bool IsQuickToolAvailable(int id);

protected:
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void Layout();
    void OnTimer(int id);
    bool HasTask() const;

    std::string m_strTipTitle;
    std::string m_strTipText;
    std::string m_strTaskName;
    std::string m_strTaskLocation;
    std::vector<CHyperLink*> m_links;
    zem::Rect m_tipRect;
    zem::Rect m_nameRect;
    zem::Rect m_locationRect;
    bool m_bCreated = false;
    zem::gui::WindowTimers m_timers;
};
