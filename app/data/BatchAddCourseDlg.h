#pragma once
// "批量添加课程": the usual subjects of six school levels; the user picks a level, ticks the subjects
// wanted and each ticked one becomes a course of the subject page.
#include "app/data/BatchAddCommon.h"

#include <memory>
#include <string>
#include <vector>

class QComboBox;

struct CSubjectPreset {
    std::string name;
    std::string shortName;
    bool untickedAtStart = false;
};

// The six levels, in the order the level box shows them, each with its subjects in list order.
class CSubjectLevelTable {
public:
    struct Level {
        std::string name;
        std::vector<std::unique_ptr<CSubjectPreset>> subjects;
    };

    CSubjectLevelTable();

    static constexpr int kLevelCount = 6;
    const Level& GetLevel(int index) const { return m_levels.at(static_cast<std::size_t>(index)); }

private:
    std::vector<Level> m_levels;
};

class CBatchAddCourseDlg : public CBatchCheckListDlg {
public:
    enum { IDD = 366, IDC_LEVEL = 1341, IDC_LIST = 1391, IDC_CHECK_ALL = 1273, IDC_CHECK_NONE = 1394 };

    // The subject page that opens the dialog is its parent and receives the rows.
    explicit CBatchAddCourseDlg(QWidget* parent = nullptr);
    ~CBatchAddCourseDlg() override;

    QComboBox* GetLevelBox() const { return m_level; }

protected:
    bool OnInitDialog() override;
    // Sends the ticked subjects of the level shown and closes, also when none is ticked.
    void OnOK() override;

private:
    // The rows of the chosen level, ticked as the table says.
    void FillList();

    std::unique_ptr<CSubjectLevelTable> m_table;
    QComboBox* m_level = nullptr;
};
