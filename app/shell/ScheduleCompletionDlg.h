#pragma once
// For every class of the open task: whether its lessons are all placed, placed beyond the plan or
// not finished, as a tree of three groups; the user picks a class whose timetable the caller opens.
#include "platform/gui/Dialog.h"

#include <string>
#include <vector>

class CLessonCounter;
class QTreeWidget;
class QTreeWidgetItem;

class CScheduleCompletionDlg : public zem::gui::Dialog {
public:
    enum { IDD = 335, IDC_TREE = 1339 };
    static constexpr const char* kNoClassText = "没有选中有效的班级节点";

    explicit CScheduleCompletionDlg(QWidget* parent = nullptr);

    // Filled by the caller for the open task; not owned. Without one the tree stays empty.
    void SetLessonCounter(const CLessonCounter* counter) { m_counter = counter; }
    // After OK: the chosen class.
    const std::string& GetSelectedClassId() const { return m_selectedClassId; }
    QTreeWidget* GetTree() const { return m_tree; }

    // The subject names of the plans ("a,b,c"), or "%s等%d门课程" for four or more.
    static std::string MakePlanText(const std::vector<std::string>& planIds);

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void paintEvent(QPaintEvent* event) override;

private:
    void FillTree();
    QTreeWidgetItem* AddGroup(const char* format, const std::vector<std::string>& ids, const char* itemFormat,
                              bool unfinished);
    // The class behind a class item; false for the root, a group or nothing.
    bool TakeClassOf(QTreeWidgetItem* item);

    const CLessonCounter* m_counter = nullptr;
    std::vector<std::string> m_unfinished;
    std::vector<std::string> m_overPlaced;
    std::vector<std::string> m_finished;
    std::string m_selectedClassId;
    QTreeWidget* m_tree = nullptr;
    QTreeWidgetItem* m_root = nullptr;
    QTreeWidgetItem* m_unfinishedItem = nullptr;
    QTreeWidgetItem* m_overPlacedItem = nullptr;
    QTreeWidgetItem* m_finishedItem = nullptr;
    zem::Rect m_treeRect;
};
