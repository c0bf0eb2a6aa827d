#pragma once
// The banner strip across the top of the main window: a skinned background, image buttons at its
// right end (settings, the web site, help) and, centred in the space to their left, the name of
// the open task. A button starts its action; a click on the name opens the task information.
#include "platform/gui/ImageList.h"
#include "platform/Gdi.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

// The program's web site; its help page is "help.php" there.
constexpr const char* kHomePageAddress = "https://tavelin.example.com/";
constexpr const char* kHelpPageAddress = "https://tavelin.example.com/help.php";

// The tool bar's button images, 32 x 32.
enum {
    IDB_TOOLBAR_WEBSITE = 232,
    IDB_TOOLBAR_HELP = 254,
    IDB_TOOLBAR_SETTINGS = 288,
};

class CMainToolBar : public QWidget {
public:
    // The height of the end caps, and of the bar.
    static constexpr int kCapHeight = 53;
    static constexpr int kButtonWidth = 60;
    static constexpr int kButtonPitch = 75;

    enum Action { ACTION_SETTINGS = 2, ACTION_HOME_PAGE = 3, ACTION_HELP = 6 };

    struct Button {
        int action = 0;
        int image = 0;  // into the image list
        std::string caption;
        zem::Rect rect;  // client coordinates
    };

    CMainToolBar();
    ~CMainToolBar() override;

    // Makes the bar a child of the parent with its buttons; the parent sizes it.
    bool Create(QWidget* parent);
    // The task's name, painted, and its location, kept; an empty name while no task is open.
    void SetStatusText(const std::string& name, const std::string& location);
    void RemoveAllButtons();

    int GetCapHeight() const { return kCapHeight; }
    int GetHoverIndex() const { return m_hoverIndex; }
    const std::vector<std::unique_ptr<Button>>& GetButtons() const { return m_buttons; }
    const zem::Rect& GetStatusRect() const { return m_statusRect; }
    const std::string& GetStatusText() const { return m_statusText; }
    const std::string& GetLocationText() const { return m_locationText; }

protected:
    void AddButton(int action, int bitmapId, const std::string& caption);
    void RunAction(int action);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void Layout(int cx, int cy);
    int HitButton(zem::Point point) const;
    void SetHoverIndex(int index);

    zem::gui::ImageList m_imageList{32, 32};
    int m_hoverIndex = -1;
    bool m_tracking = false;
    std::vector<std::unique_ptr<Button>> m_buttons;
    std::string m_statusText;
    std::string m_locationText;
    zem::Rect m_statusRect;
};
