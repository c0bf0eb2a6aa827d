#pragma once
// What the tests of the data dialogs share beside the screen tests' support: dialogs worked one
// after another, scripted context menus, mouse input on a week grid, and a small school saved in a
// task folder.
#include "support/ScreenTestSupport.h"
#include "platform/Hooks.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/PopupMenu.h"
#include "support/SchoolBuilder.h"
#include "support/TaskFolders.h"
#include "support/TempFolder.h"
#include "table/WeekTable.h"

#include <QApplication>
#include <QMouseEvent>

#include <deque>
#include <functional>
#include <string>
#include <vector>

// Works the dialogs DoModal runs, one step per dialog in the order they open; a dialog without a
// step is left open, which answers IDCANCEL. Records the captions.
class DialogScript {
public:
    using Step = std::function<void(zem::gui::Dialog&)>;

    explicit DialogScript(std::vector<Step> steps = {}) : m_steps(steps.begin(), steps.end())
    {
        m_previous = zem::gui::SetModalHook([this](zem::gui::Dialog& dialog) {
            captions.push_back(dialog.Caption());
            if (m_steps.empty())
                return;
            Step step = std::move(m_steps.front());
            m_steps.pop_front();
            step(dialog);
        });
    }
    ~DialogScript() { zem::gui::SetModalHook(m_previous); }
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    void Then(Step step) { m_steps.push_back(std::move(step)); }

    std::vector<std::string> captions;

private:
    std::deque<Step> m_steps;
    zem::gui::ModalHook m_previous;
};

// Answers context menus with the item of the given text (none: dismissed); records the items.
class MenuScript {
public:
    MenuScript()
    {
        m_previous = zem::gui::SetPopupMenuHook([this](const std::vector<zem::gui::MenuItem>& items) {
            shown.push_back(items);
            std::string choice;
            if (!choices.empty()) {
                choice = choices.front();
                choices.pop_front();
            }
            return choice.empty() ? 0 : Find(items, choice);
        });
    }
    ~MenuScript() { zem::gui::SetPopupMenuHook(m_previous); }
    MenuScript(const MenuScript&) = delete;
    MenuScript& operator=(const MenuScript&) = delete;

    std::deque<std::string> choices;
    std::vector<std::vector<zem::gui::MenuItem>> shown;

private:
    // The id of the item of that text, also in a sub-menu; 0 when there is none.
    static int Find(const std::vector<zem::gui::MenuItem>& items, const std::string& text)
    {
        for (const zem::gui::MenuItem& item : items) {
            if (item.children.empty() && item.text == text)
                return item.id;
            if (const int id = Find(item.children, text))
                return id;
        }
        return 0;
    }

    zem::gui::PopupMenuHook m_previous;
};

// A mouse press at a point of the widget, as the window system delivers it; with release, the
// button is let go there too.
inline void PressAt(QWidget* widget, zem::Point at, Qt::MouseButton button = Qt::LeftButton, bool release = false)
{
    const QPointF local(at.x, at.y);
    QMouseEvent press(QEvent::MouseButtonPress, local, widget->mapToGlobal(local), button, button, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    if (!release)
        return;
    QMouseEvent up(QEvent::MouseButtonRelease, local, widget->mapToGlobal(local), button, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &up);
}

// The centre of a grid cell (column, segment, section) in the grid's own pixels.
inline zem::Point CellCentreOf(CWeekTable& grid, const tagTABLE_NODE& cell)
{
    zem::Rect r;
    grid.GetCellRect(cell, &r);
    const QPoint origin = grid.mapToGlobal(QPoint(0, 0));
    r.OffsetRect(-origin.x(), -origin.y());
    return r.CenterPoint();
}

// The main text a grid cell shows; empty text for an empty cell or one that does not exist.
inline std::string CellMain(const CWeekTable& grid, const tagTABLE_NODE& cell)
{
    const CCell* c = grid.GetCell(cell);
    return c && c->GetEntryCount() > 0 ? c->GetEntry(0).main : std::string();
}

inline bool IsCellForbidden(const CWeekTable& grid, const tagTABLE_NODE& cell)
{
    const CCell* c = grid.GetCell(cell);
    return c && c->GetState() == CCell::STATE_FORBIDDEN;
}

// The builder's school (five days of 4 forenoon and 3 afternoon periods) saved in the folder as
// the task "测试"; input.xml and output.xml written.
inline void SaveSchoolInFolder(CScheduleTask& task, const std::string& folder)
{
    SaveTaskFolder(task, folder);
    EXPECT_TRUE(task.SaveOutputData());
}
