#pragma once
// Re-scheduling of chosen classes and kinds of lesson only: the user picks the classes and ticks
// regular lessons, morning reading and evening self-study; OK fills the caller's range after a
// confirmation.
#include "platform/gui/Dialog.h"

#include <string>
#include <vector>

class CAutoRange;
class QCheckBox;

namespace zem::gui {
class ReportList;
}

class CPartialRescheduleDlg : public zem::gui::Dialog {
public:
    enum {
        IDD = 357,
        IDB_PICTURE = 253,
        IDC_COMMON = 1356,
        IDC_CHOOSE_CLASSES = 1370,
        IDC_MORNING_READING = 1381,
        IDC_SELF_STUDY = 1382,
        IDC_CLASS_LIST = 1383,
        IDC_TEXT_FRAME = 1386,
        IDC_COUNT = 1023,
    };
    static constexpr int kBottomStrip = 55;
    static constexpr const char* kWelcomeText =
        "欢迎使用计算机自动排课！\n选中范围内的课表将重新自动编排，现有的课表数据将被新的排课结果覆盖。";

    explicit CPartialRescheduleDlg(QWidget* parent = nullptr);

    // Set before the modal run; not owned.
    void SetRange(CAutoRange* range) { m_pRange = range; }
    const std::vector<std::string>& GetChosenIds() const { return m_chosenIds; }
    std::string GetCountText() const;
    zem::gui::ReportList* GetClassList() const { return m_list; }

    // "常规", "早读" and "晚自习" joined for the enabled kinds, or "所有课程" for all three.
    static std::string MakeKindsText(bool common, bool morningReading, bool selfStudy);

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int id) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Runs the class chooser; true when the user chose.
    bool ChooseClasses();
    void FillClassList();

    CAutoRange* m_pRange = nullptr;
    std::vector<std::string> m_chosenIds;
    zem::gui::ReportList* m_list = nullptr;
    QCheckBox* m_common = nullptr;
    QCheckBox* m_morningReading = nullptr;
    QCheckBox* m_selfStudy = nullptr;
    zem::Rect m_pictureRect;
    zem::Rect m_textRect;
    zem::Rect m_countRect;
    zem::Rect m_listFrame;
};
