#include "app/data/BatchAddCourseDlg.h"

#include "app/controls/DialogLook.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/QtText.h"

#include <QComboBox>

using zem::gui::ToQ;

namespace {

struct SubjectRow {
    const char* name;
    const char* shortName;
    bool ticked;
};

struct LevelRows {
    const char* name;
    std::vector<SubjectRow> subjects;
};

const std::vector<LevelRows>& LevelTables()
{
    static const std::vector<LevelRows> kLevels = {
        {"幼儿园",
         {{"语言", "语", true}, {"识字", "识", true}, {"写字", "写", true}, {"国学诗教", "诗", true},
          {"亲宝拼音", "拼", true}, {"幼儿口才", "口", true}, {"绘本阅读", "读", true}, {"音乐", "音", true},
          {"舞蹈", "舞", true}, {"数学", "数", true}, {"讲故事", "故", true}, {"体育", "体", true},
          {"体智能游戏", "体", false}, {"律动亲子操", "操", false}, {"足球", "足", true}, {"英语", "英", true},
          {"手工", "工", true}, {"游戏", "戏", true}}},
        {"小学",
         {{"语文", "语", true}, {"写作", "作", true}, {"数学", "数", true}, {"英语", "英", true},
          {"科学", "科", true}, {"体育", "体", true}, {"足球", "足", false}, {"音乐", "音", true},
          {"美术", "美", true}, {"道法", "道", true}, {"劳动", "劳", true}, {"信息", "信", true},
          {"校本", "本", true}, {"班会", "班", true}, {"班队", "班", false}, {"困难班", "托", true},
          {"兴趣拓展", "拓", true}, {"心理健康", "心", true}}},
        {"初中",
         {{"语文", "语", true}, {"数学", "数", true}, {"英语", "英", true}, {"科学", "科", true},
          {"物理", "物", true}, {"化学", "化", true}, {"历社", "社", true}, {"历史与社会", "社", false},
          {"道法", "道", true}, {"道德与法治", "道", false}, {"社政", "社", false}, {"德育", "德", true},
          {"体育", "体", true}, {"音乐", "音", true}, {"美术", "美", true}, {"自习", "自", true},
          {"班会", "班", true}, {"心理健康", "心", true}}},
        {"高中",
         {{"语文", "语", true}, {"数学", "数", true}, {"英语", "英", true}, {"物理", "物", true},
          {"化学", "化", true}, {"生物", "生", true}, {"政治", "政", true}, {"历史", "史", true},
          {"地理", "地", true}, {"信息技术", "信技", true}, {"通用技术", "通技", true}, {"德育", "德", true},
          {"体育", "体", true}, {"音乐", "音", true}, {"美术", "美", true}, {"自习", "自", true},
          {"班会", "班", true}, {"心理健康", "心", true}}},
        // The political-theory course of secondary schools leads the vocational table.
        {"中职",
         {{"思想政治", "思", true}, {"职业生涯规划", "规", true}, {"职业道德与法律", "道", true},
          {"经济政治与社会", "经", true}, {"哲学与人生", "哲", true}, {"心理健康", "心", true},
          {"语文", "语", true}, {"数学", "数", true}, {"英语", "英", true}, {"新概念英语", "英", false},
          {"物理", "物", true}, {"化学", "化", true}, {"历史", "史", true}, {"政治", "政", true},
          {"地理", "地", true}, {"音乐", "音", true}, {"美术", "美", true}, {"信息技术", "计", true},
          {"计算机应用基础", "计", false}, {"体育", "体", true}, {"体育与健康", "体康", false}}},
        {"大学",
         {{"道德与法治", "道", true}, {"思想政治", "思", true}, {"中国近现代史纲要", "史", true},
          {"思想道德修养与法律基础", "德", true}, {"高等数学", "高数", true}, {"微积分", "微积", true},
          {"线性代数", "线代", true}, {"数学分析", "数分", true}, {"大学物理", "大物", true},
          {"英语口语", "英口", true}, {"英语听写", "英写", true}, {"计算机应用基础", "计", true},
          {"体育", "体", true}, {"体育与健康", "体康", true}, {"军事理论", "军", true}, {"形势与政策", "形政", true}}},
    };
    return kLevels;
}

}  // namespace

CSubjectLevelTable::CSubjectLevelTable()
{
    for (const LevelRows& rows : LevelTables()) {
        Level level;
        level.name = rows.name;
        for (const SubjectRow& row : rows.subjects)
            level.subjects.push_back(std::make_unique<CSubjectPreset>(CSubjectPreset{row.name, row.shortName, !row.ticked}));
        m_levels.push_back(std::move(level));
    }
}

CBatchAddCourseDlg::CBatchAddCourseDlg(QWidget* parent)
    : CBatchCheckListDlg(parent, "批量添加课程", {300, 170}, IDC_LIST, 1), m_table(std::make_unique<CSubjectLevelTable>())
{
}

CBatchAddCourseDlg::~CBatchAddCourseDlg() = default;

bool CBatchAddCourseDlg::OnInitDialog()
{
    const int margin = Margin();
    m_level = new QComboBox(this);
    for (int i = 0; i < CSubjectLevelTable::kLevelCount; ++i)
        m_level->addItem(ToQ(m_table->GetLevel(i).name));
    const int comboHeight = m_level->sizeHint().height();
    AddField(this, IDC_LEVEL, m_level, zem::Rect(margin, margin, margin + Units().X(120), margin + comboHeight));
    SetListTop(margin + comboHeight + Units().Y(4));
    CreateList(IDC_CHECK_ALL, IDC_CHECK_NONE);
    m_level->setCurrentIndex(1);
    FillList();
    QObject::connect(m_level, &QComboBox::currentIndexChanged, this, [this](int) { FillList(); });
    return true;
}

void CBatchAddCourseDlg::FillList()
{
    const int index = m_level->currentIndex();
    GetList()->DeleteAllItems();
    if (index < 0 || index >= CSubjectLevelTable::kLevelCount)
        return;
    for (const auto& subject : m_table->GetLevel(index).subjects) {
        const int row = GetList()->InsertItem(GetList()->GetItemCount(), subject->name + "(" + subject->shortName + ")");
        GetList()->SetCheck(row, !subject->untickedAtStart);
    }
}

void CBatchAddCourseDlg::OnOK()
{
    const int index = m_level->currentIndex();
    std::vector<CPageRow> rows;
    if (index >= 0 && index < CSubjectLevelTable::kLevelCount) {
        const auto& subjects = m_table->GetLevel(index).subjects;
        for (int row : TickedRows())
            if (row < static_cast<int>(subjects.size()))
                rows.push_back({subjects[static_cast<std::size_t>(row)]->name,
                                subjects[static_cast<std::size_t>(row)]->shortName, "正常"});
    }
    if (SendBatchRows(this, rows))
        EndDialog(zem::IDOK);
}
