#include "support/DataDialogTestSupport.h"
#include "support/FakeAppServices.h"
#include "app/shared/Strings.h"
#include "app/controls/TipWnd.h"
#include "app/data/BatchAddClassDlg.h"
#include "app/data/BatchAddCourseDlg.h"
#include "app/data/BatchAddRoomDlg.h"
#include "app/data/BatchAddTeacherDlg.h"
#include "app/data/BatchAddTeacherGroupDlg.h"
#include "platform/gui/ItemList.h"
#include "platform/gui/Messages.h"
#include "platform/gui/ReportList.h"
#include "platform/gui/Timers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using zem::gui::Dialog;
using Rows = std::vector<CPageRow>;

// The list page a batch-add dialog belongs to: takes every row whose name it does not hold yet
// (ignoring case), refuses the others as the pages do, and records what it was sent.
class RecordingPage : public QWidget, public zem::gui::MessageReceiver {
public:
    explicit RecordingPage(std::vector<std::string> names = {}) : names(std::move(names)) {}

    Rows sent;
    Rows taken;
    std::vector<CPageNotify> notes;
    std::vector<std::string> names;

protected:
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam) override
    {
        if (message != WM_PAGE_ROW)
            return 0;
        auto* notify = zem::FromWParam<CPageNotify>(wParam);
        const CPageRow& row = *zem::FromLParam<const CPageRow>(lParam);
        sent.push_back(row);
        notes.push_back(*notify);
        if (StringArrayContainsNoCase(names, row.at(0)))
            return -1;
        names.push_back(row.at(0));
        taken.push_back(row);
        notify->accepted = true;
        return 0;
    }
};

// Every row was sent as a batch add sends: appended, quiet, ids.
void ExpectBatchFlags(const RecordingPage& page)
{
    for (const CPageNotify& note : page.notes) {
        EXPECT_EQ(note.replace, 0);
        EXPECT_TRUE(note.quiet);
        EXPECT_FALSE(note.byName);
    }
}

std::vector<std::string> Column(const Rows& rows, std::size_t cell)
{
    std::vector<std::string> texts;
    for (const CPageRow& row : rows)
        texts.push_back(row.at(cell));
    return texts;
}

std::vector<std::string> TickedTexts(const zem::gui::ItemList& list)
{
    std::vector<std::string> texts;
    for (int i = 0; i < list.GetItemCount(); ++i)
        if (list.GetCheck(i))
            texts.push_back(list.GetItemText(i));
    return texts;
}

void Press(Dialog& dialog, int id)
{
    QTest::mouseClick(dialog.GetDlgItem(id), Qt::LeftButton);
}

// Runs the dialog once, worked by `work`; returns what DoModal answered.
template <class Dlg, class... Args>
int RunDialog(const std::function<void(Dlg&)>& work, Args&&... args)
{
    DialogScript script({[&work](Dialog& dialog) { work(static_cast<Dlg&>(dialog)); }});
    Dlg dialog(std::forward<Args>(args)...);
    return dialog.DoModal();
}

// ---- Classes ----

// A generated class at a position; -1 is the last one.
struct At {
    int index;
    const char* name;
    const char* shortName;
};

struct ClassCase {
    int preset;
    int style;
    bool brackets;
    int perGrade;
    const char* majors;
    int count;
    std::vector<At> expected;
};

TEST(BatchAddClass, GeneratesTheClassesOfEverySchoolType)
{
    zem::gui::FakeClock clock;  // 2026: the intake years 2026 down to 2023
    const ClassCase cases[] = {
        {1, 0, true, 1, "", 4, {{0, "托（1）班", "101"}, {1, "小（1）班", "201"}, {2, "中（1）班", "301"}, {3, "大（1）班", "401"}}},
        {2, 1, false, 2, "", 12, {{0, "一年级一班", "101"}, {1, "一年级二班", "102"}, {2, "二年级一班", "201"}, {-1, "六年级二班", "602"}}},
        {3, 0, true, 1, "", 5, {{0, "一年级（1）班", "101"}, {-1, "五年级（1）班", "501"}}},
        {4, 0, false, 1, "", 3, {{0, "七年级1班", "701"}, {1, "八年级1班", "801"}, {2, "九年级1班", "901"}}},
        {5, 0, true, 4, "", 12, {{0, "初一（1）班", "701"}, {3, "初一（4）班", "704"}, {4, "初二（1）班", "801"}, {-1, "初三（4）班", "904"}}},
        {6, 0, true, 2, "", 6, {{0, "高一（1）班", "101"}, {-1, "高三（2）班", "302"}}},
        {7, 1, true, 1, "", 9, {{0, "一年级（一）班", "101"}, {-1, "九年级（一）班", "901"}}},
        {8, 0, true, 1, "", 6, {{0, "初一（1）班", "101"}, {3, "高一（1）班", "401"}, {-1, "高三（1）班", "601"}}},
        {9, 0, true, 4, "法律,计算机", 8, {{0, "26法律", "1法律"}, {1, "26计算机", "1计算机"}, {2, "25法律", "2法律"}, {-1, "23计算机", "4计算机"}}},
        // Full-width and doubled commas and blanks around a major; no major, no class.
        {9, 0, true, 4, "法律，计算机,, 德语 ", 12, {{2, "26德语", "1德语"}, {-1, "23德语", "4德语"}}},
        {9, 0, true, 4, "", 0, {}},
        {5, 0, true, 0, "", 0, {}},
        // Ten and more classes in Chinese numerals.
        {2, 1, true, 21, "", 126, {{9, "一年级（十）班", "110"}, {10, "一年级（十一）班", "111"}, {19, "一年级（二十）班", "120"}, {20, "一年级（二十一）班", "121"}}},
    };
    for (const ClassCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "preset " << c.preset << " majors " << c.majors);
        CBatchClassSettings settings;
        settings.m_selectedId = c.preset;
        settings.m_numbering.m_style = c.style;
        settings.m_numbering.m_brackets = c.brackets;
        settings.m_classesPerGrade = c.perGrade;
        settings.SetMajors(c.majors);
        const std::vector<CGeneratedClass> classes = settings.Generate();
        ASSERT_EQ(static_cast<int>(classes.size()), c.count);
        for (const At& at : c.expected) {
            const CGeneratedClass& generated = classes.at(at.index < 0 ? classes.size() - 1 : static_cast<std::size_t>(at.index));
            EXPECT_EQ(generated.name, at.name) << at.index;
            EXPECT_EQ(generated.shortName, at.shortName) << at.index;
        }
    }
}

TEST(BatchAddClass, ChineseClassNumbersAreTheStandardOnesAndDistinctUpToNinetyNine)
{
    const std::pair<int, const char*> numbers[] = {{1, "一"}, {9, "九"}, {10, "十"}, {11, "十一"}, {19, "十九"},
                                                   {20, "二十"}, {21, "二十一"}, {90, "九十"}, {99, "九十九"},
                                                   {0, ""}, {100, ""}};
    for (const auto& [number, text] : numbers)
        EXPECT_EQ(ChineseClassNumber(number), text) << number;
    CClassNumbering chinese;
    chinese.m_style = 1;
    std::vector<std::string> suffixes;
    for (int k = 0; k < 99; ++k)
        suffixes.push_back(chinese.GetClassSuffix(k));
    std::sort(suffixes.begin(), suffixes.end());
    EXPECT_EQ(std::unique(suffixes.begin(), suffixes.end()), suffixes.end());
    EXPECT_EQ(chinese.GetClassSuffix(98), "（九十九）班");
    EXPECT_EQ(chinese.GetClassSuffix(99), "");
}

TEST(BatchAddClass, NormalAndUniversityModesShowTheirControlsPreviewAndTip)
{
    zem::gui::FakeClock clock;  // 2026
    CTipWnd tip;
    tip.Create();
    FakeAppServices services;
    services.tipWnd = &tip;
    ScriptedMessages messages;
    RecordingPage page;
    using D = CBatchAddClassDlg;
    const int answer = RunDialog<D>(
        [&](D& dlg) {
            auto* type = dlg.Item<QComboBox>(D::IDC_SCHOOL_TYPE);
            auto* style = dlg.Item<QComboBox>(D::IDC_STYLE);
            ASSERT_EQ(type->count(), 9);
            EXPECT_EQ(type->itemText(0).toStdString(), "幼儿园（托，小，中，大）");
            EXPECT_EQ(type->currentText().toStdString(), "初中（初一，初二，初三）");
            // The longest school type is never cut.
            EXPECT_GE(type->width(), type->sizeHint().width());
            EXPECT_EQ(style->currentText().toStdString(), "数字");
            EXPECT_EQ(dlg.GetDlgItemText(D::IDC_COUNT), "4");
            EXPECT_TRUE(dlg.Item<QCheckBox>(D::IDC_BRACKETS)->isChecked());
            EXPECT_EQ(dlg.GetDlgItemText(D::IDC_PREVIEW), "初一（1）班");
            for (int id : {D::IDC_LABEL_TYPE, D::IDC_LABEL_STYLE, D::IDC_LABEL_COUNT, D::IDC_STYLE, D::IDC_BRACKETS, D::IDC_COUNT})
                EXPECT_TRUE(dlg.GetDlgItem(id)->isVisible()) << id;
            for (int id : {D::IDC_LABEL_YEARS, D::IDC_LABEL_MAJORS, D::IDC_FROM_YEAR, D::IDC_TO_YEAR, D::IDC_MAJORS})
                EXPECT_FALSE(dlg.GetDlgItem(id)->isVisible()) << id;
            SaveScreenshot(&dlg, "batch-add-class");

            // The preview follows the style and the brackets.
            style->setCurrentIndex(1);
            EXPECT_EQ(dlg.GetDlgItemText(D::IDC_PREVIEW), "初一（一）班");
            QTest::mouseClick(dlg.GetDlgItem(D::IDC_BRACKETS), Qt::LeftButton);
            EXPECT_EQ(dlg.GetDlgItemText(D::IDC_PREVIEW), "初一一班");

            type->setCurrentIndex(8);
            for (int id : {D::IDC_LABEL_STYLE, D::IDC_LABEL_COUNT, D::IDC_STYLE, D::IDC_BRACKETS, D::IDC_COUNT})
                EXPECT_FALSE(dlg.GetDlgItem(id)->isVisible()) << id;
            for (int id : {D::IDC_LABEL_YEARS, D::IDC_LABEL_MAJORS, D::IDC_FROM_YEAR, D::IDC_TO_YEAR, D::IDC_YEAR_TO_LABEL, D::IDC_MAJORS})
                EXPECT_TRUE(dlg.GetDlgItem(id)->isVisible()) << id;
            auto* from = dlg.Item<QComboBox>(D::IDC_FROM_YEAR);
            auto* to = dlg.Item<QComboBox>(D::IDC_TO_YEAR);
            ASSERT_EQ(from->count(), 7);
            EXPECT_EQ(from->itemText(0).toStdString(), "2027");
            EXPECT_EQ(from->itemText(6).toStdString(), "2021");
            EXPECT_EQ(from->currentText().toStdString(), "2026");
            EXPECT_EQ(to->currentText().toStdString(), "2023");
            EXPECT_EQ(dlg.GetDlgItemText(D::IDC_PREVIEW), "26自动化控制");
            // The year box of the second year sits right of the first, with "到" between.
            EXPECT_LT(from->geometry().right(), dlg.GetDlgItem(D::IDC_YEAR_TO_LABEL)->geometry().left());
            EXPECT_LT(dlg.GetDlgItem(D::IDC_YEAR_TO_LABEL)->geometry().right(), to->geometry().left());

            auto* majors = dlg.Item<QLineEdit>(D::IDC_MAJORS);
            QFocusEvent focusIn(QEvent::FocusIn);
            QApplication::sendEvent(majors, &focusIn);
            EXPECT_TRUE(tip.isVisible());
            EXPECT_EQ(tip.GetTitle(), "专业列表（以逗号分隔）");
            EXPECT_EQ(tip.GetText(), "例如：法律,计算机,国际金融,德语");
            EXPECT_FALSE(tip.GetHideTimer().isActive());
            majors->setText(QStringLiteral("法律，计算机"));
            EXPECT_EQ(dlg.GetDlgItemText(D::IDC_PREVIEW), "26法律");
            SaveScreenshot(&dlg, "batch-add-class-university");
            QFocusEvent focusOut(QEvent::FocusOut);
            QApplication::sendEvent(majors, &focusOut);
            EXPECT_FALSE(tip.isVisible());

            // The years in either order: the later one first.
            to->setCurrentIndex(0);
            EXPECT_EQ(dlg.GetDlgItemText(D::IDC_PREVIEW), "27法律");
            EXPECT_TRUE(page.sent.empty());
            Press(dlg, zem::IDOK);
        },
        &page);
    EXPECT_EQ(answer, zem::IDOK);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(page.taken, (Rows{{"27法律", "1法律", "正常", ""},
                                {"27计算机", "1计算机", "正常", ""},
                                {"26法律", "2法律", "正常", ""},
                                {"26计算机", "2计算机", "正常", ""}}));
    ExpectBatchFlags(page);
}

TEST(BatchAddClass, NothingIsSentUntilTheCountOrTheMajorsAreRight)
{
    zem::gui::FakeClock clock;
    ScriptedMessages messages;
    RecordingPage page({"初一（1）班"});
    using D = CBatchAddClassDlg;
    const int answer = RunDialog<D>(
        [&](D& dlg) {
            auto* count = dlg.Item<QLineEdit>(D::IDC_COUNT);
            const std::pair<const char*, const char*> wrong[] = {
                {"150", "请输入一个介于 1 和 99 之间的整数"},
                {"0", "请输入一个介于 1 和 99 之间的整数"},
                {"", "请输入一个整数"},
            };
            for (const auto& [text, message] : wrong) {
                count->setText(QString::fromUtf8(text));
                // Typing is not interrupted by a message.
                EXPECT_TRUE(messages.messages.empty()) << text;
                Press(dlg, zem::IDOK);
                ASSERT_EQ(messages.Texts(), std::vector<std::string>{message}) << text;
                EXPECT_EQ(messages.messages[0].icon, zem::MessageIcon::Warning);
                EXPECT_FALSE(dlg.IsEnded());
                EXPECT_TRUE(page.sent.empty()) << text;
                messages.messages.clear();
            }
            count->setText(QStringLiteral("2"));
            Press(dlg, zem::IDOK);
        },
        &page);
    EXPECT_EQ(answer, zem::IDOK);
    // The class the page holds is refused quietly; the others are taken.
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(Column(page.sent, 0),
              (std::vector<std::string>{"初一（1）班", "初一（2）班", "初二（1）班", "初二（2）班", "初三（1）班", "初三（2）班"}));
    EXPECT_EQ(page.taken.size(), 5u);

    // University mode needs a major; the hidden count does not matter there.
    RecordingPage university;
    const int second = RunDialog<D>(
        [&](D& dlg) {
            dlg.Item<QLineEdit>(D::IDC_COUNT)->setText(QStringLiteral("0"));
            dlg.Item<QComboBox>(D::IDC_SCHOOL_TYPE)->setCurrentIndex(8);
            dlg.Item<QLineEdit>(D::IDC_MAJORS)->setText(QStringLiteral(" ，,"));
            Press(dlg, zem::IDOK);
            EXPECT_EQ(messages.Texts(), std::vector<std::string>{"请输入专业列表"});
            EXPECT_FALSE(dlg.IsEnded());
            EXPECT_TRUE(university.sent.empty());
            dlg.Item<QLineEdit>(D::IDC_MAJORS)->setText(QStringLiteral("法律"));
            Press(dlg, zem::IDOK);
        },
        &university);
    EXPECT_EQ(second, zem::IDOK);
    EXPECT_EQ(Column(university.taken, 0), (std::vector<std::string>{"26法律", "25法律", "24法律", "23法律"}));
}

// ---- Courses ----

TEST(BatchAddCourse, OpensOnPrimarySchoolAndSendsTheTickedSubjectsOfTheLevelShown)
{
    ScriptedMessages messages;
    RecordingPage page({"语文"});
    using D = CBatchAddCourseDlg;
    const int answer = RunDialog<D>(
        [&](D& dlg) {
            QComboBox* level = dlg.GetLevelBox();
            std::vector<std::string> levels;
            for (int i = 0; i < level->count(); ++i)
                levels.push_back(level->itemText(i).toStdString());
            EXPECT_EQ(levels, (std::vector<std::string>{"幼儿园", "小学", "初中", "高中", "中职", "大学"}));
            EXPECT_EQ(level->currentText().toStdString(), "小学");
            zem::gui::ItemList& list = *dlg.GetList();
            ASSERT_EQ(list.GetItemCount(), 18);
            EXPECT_EQ(list.GetItemText(0), "语文(语)");
            std::vector<std::string> unticked;
            for (int i = 0; i < list.GetItemCount(); ++i)
                if (!list.GetCheck(i))
                    unticked.push_back(list.GetItemText(i));
            EXPECT_EQ(unticked, (std::vector<std::string>{"足球(足)", "班队(班)"}));
            SaveScreenshot(&dlg, "batch-add-course");

            // 全选 and 全不选 work on the rows shown.
            Press(dlg, D::IDC_CHECK_ALL);
            EXPECT_EQ(TickedTexts(list).size(), 18u);
            Press(dlg, D::IDC_CHECK_NONE);
            EXPECT_TRUE(TickedTexts(list).empty());

            // A new level shows its own defaults; 道法 and 道德与法治 share a short name.
            level->setCurrentIndex(2);
            EXPECT_EQ(list.GetItemCount(), 18);
            EXPECT_EQ(TickedTexts(list).size(), 15u);
            ClickCheck(list, 9);
            EXPECT_EQ(list.GetItemText(9), "道德与法治(道)");
            Press(dlg, zem::IDOK);
        },
        &page);
    EXPECT_EQ(answer, zem::IDOK);
    EXPECT_TRUE(messages.messages.empty());
    ASSERT_EQ(page.sent.size(), 16u);
    EXPECT_EQ(page.sent[0], (CPageRow{"语文", "语", "正常"}));
    EXPECT_EQ(page.taken.size(), 15u);
    EXPECT_TRUE(StringArrayContainsNoCase(Column(page.taken, 0), "道法"));
    EXPECT_TRUE(StringArrayContainsNoCase(Column(page.taken, 0), "道德与法治"));
    ExpectBatchFlags(page);
}

TEST(BatchAddCourse, NothingTickedClosesWithoutAddingAndEveryLevelHasItsTable)
{
    RecordingPage page;
    using D = CBatchAddCourseDlg;
    const int answer = RunDialog<D>(
        [&](D& dlg) {
            const std::pair<int, int> sizes[] = {{0, 18}, {1, 18}, {2, 18}, {3, 18}, {4, 21}, {5, 16}};
            for (const auto& [level, size] : sizes) {
                dlg.GetLevelBox()->setCurrentIndex(level);
                EXPECT_EQ(dlg.GetList()->GetItemCount(), size) << level;
            }
            // The political-theory courses, named after their short names' first characters.
            EXPECT_EQ(dlg.GetList()->GetItemText(0), "道德与法治(道)");
            EXPECT_EQ(dlg.GetList()->GetItemText(1), "思想政治(思)");
            dlg.GetLevelBox()->setCurrentIndex(4);
            EXPECT_EQ(dlg.GetList()->GetItemText(0), "思想政治(思)");
            Press(dlg, D::IDC_CHECK_NONE);
            Press(dlg, zem::IDOK);
        },
        &page);
    EXPECT_EQ(answer, zem::IDOK);
    EXPECT_TRUE(page.sent.empty());
}

// ---- Rooms ----

TEST(BatchAddRoom, OpensWithSevenRoomsTickedAndAsksForOneWhenNoneIs)
{
    ScriptedMessages messages;
    RecordingPage page;
    using D = CBatchAddRoomDlg;
    const int answer = RunDialog<D>(
        [&](D& dlg) {
            zem::gui::ItemList& list = *dlg.GetList();
            ASSERT_EQ(list.GetItemCount(), 14);
            EXPECT_EQ(list.GetItemText(13), "化学实验室(化实)");
            EXPECT_EQ(TickedTexts(list), (std::vector<std::string>{"操场(操场)", "体育馆(体育馆)", "音乐教室(音室)",
                                                                   "舞蹈教室(舞室)", "美术教室(画室)", "书法教室(书室)",
                                                                   "机房(机房)"}));
            SaveScreenshot(&dlg, "batch-add-room");
            for (int i = 0; i < list.GetItemCount(); ++i)
                if (list.GetCheck(i))
                    ClickCheck(list, i);
            Press(dlg, zem::IDOK);
            EXPECT_EQ(messages.Texts(), std::vector<std::string>{"请先勾选要添加的教室"});
            EXPECT_FALSE(dlg.IsEnded());
            EXPECT_TRUE(page.sent.empty());
            ClickCheck(list, 0);
            ClickCheck(list, 13);
            Press(dlg, zem::IDOK);
        },
        &page);
    EXPECT_EQ(answer, zem::IDOK);
    EXPECT_EQ(page.taken, (Rows{{"操场", "操场", "1"}, {"化学实验室", "化实", "1"}}));
    ExpectBatchFlags(page);

    // A second batch of the same rooms adds nothing and says nothing.
    messages.messages.clear();
    const int again = RunDialog<D>([&](D& dlg) { Press(dlg, zem::IDOK); }, &page);
    EXPECT_EQ(again, zem::IDOK);
    EXPECT_EQ(page.taken.size(), 2u + 6u);
    EXPECT_TRUE(messages.messages.empty());
}

// ---- Teachers ----

TEST(BatchAddTeacher, ShortNamesNeverCutACharacter)
{
    const std::pair<const char*, const char*> names[] = {
        {"张三", "张"}, {"Tom", "To"}, {"A张", "A"}, {"AB张", "AB"}, {"张", "张"}, {"A", "A"}, {"喆", "喆"}, {"Z3李", "Z3"}};
    for (const auto& [name, shortName] : names)
        EXPECT_EQ(TeacherShortName(name), shortName) << name;
}

TEST(BatchAddTeacher, PreviewSplitsTheNamesDropsRepeatsAndCounts)
{
    ScriptedMessages messages;
    RecordingPage page({"王五"});
    using D = CBatchAddTeacherDlg;
    auto preview = [](D& dlg) {
        std::vector<std::pair<std::string, std::string>> rows;
        for (int i = 0; i < dlg.GetPreview()->GetItemCount(); ++i)
            rows.emplace_back(dlg.GetPreview()->GetItemText(i, 0), dlg.GetPreview()->GetItemText(i, 1));
        return rows;
    };
    using Preview = std::vector<std::pair<std::string, std::string>>;
    const int answer = RunDialog<D>(
        [&](D& dlg) {
            EXPECT_EQ(dlg.GetDlgItemText(D::IDC_PROMPT), "请在下方输入以逗号分隔的教师姓名列表");
            EXPECT_EQ(dlg.GetDlgItemText(D::IDC_COUNT), "共 0 人");
            EXPECT_EQ(dlg.GetPreview()->GetColumnHeading(0), "姓名");
            EXPECT_EQ(dlg.GetPreview()->GetColumnHeading(1), "简称");

            dlg.GetNamesEdit()->setPlainText(QStringLiteral("Tom,tom, TOM"));
            EXPECT_EQ(preview(dlg), (Preview{{"Tom", "To"}}));
            EXPECT_EQ(dlg.GetDlgItemText(D::IDC_COUNT), "共 1 人");

            dlg.GetNamesEdit()->setPlainText(QStringLiteral("张三，李四、王五;赵六\n钱七"));
            EXPECT_EQ(preview(dlg), (Preview{{"张三", "张"}, {"李四", "李"}, {"王五", "王"}, {"赵六", "赵"}, {"钱七", "钱"}}));
            EXPECT_EQ(dlg.GetDlgItemText(D::IDC_COUNT), "共 5 人");
            SaveScreenshot(&dlg, "batch-add-teacher");

            dlg.GetNamesEdit()->appendPlainText(QStringLiteral("A张\n 张 三 ；"));
            EXPECT_EQ(preview(dlg).size(), 7u);
            // A blank inside a name stays; a single-byte letter before a Chinese one is the short name alone.
            EXPECT_EQ(preview(dlg)[5], (std::pair<std::string, std::string>{"A张", "A"}));
            EXPECT_EQ(preview(dlg)[6], (std::pair<std::string, std::string>{"张 三", "张"}));
            Press(dlg, zem::IDOK);
        },
        &page);
    EXPECT_EQ(answer, zem::IDOK);
    EXPECT_TRUE(messages.messages.empty());
    // The teacher the page holds is dropped quietly.
    EXPECT_EQ(Column(page.sent, 0), (std::vector<std::string>{"张三", "李四", "王五", "赵六", "钱七", "A张", "张 三"}));
    EXPECT_EQ(Column(page.sent, 1), (std::vector<std::string>{"张", "李", "王", "赵", "钱", "A", "张"}));
    EXPECT_EQ(page.sent[0].at(2), "正常");
    EXPECT_EQ(page.taken.size(), 6u);
    ExpectBatchFlags(page);
}

TEST(BatchAddTeacher, SeparatorsOnlyAskForTheNames)
{
    ScriptedMessages messages;
    RecordingPage page;
    using D = CBatchAddTeacherDlg;
    const int answer = RunDialog<D>(
        [&](D& dlg) {
            dlg.GetNamesEdit()->setPlainText(QStringLiteral(" , ；\n 、 ;"));
            EXPECT_EQ(dlg.GetPreview()->GetItemCount(), 0);
            EXPECT_EQ(dlg.GetDlgItemText(D::IDC_COUNT), "共 0 人");
            Press(dlg, zem::IDOK);
            EXPECT_EQ(messages.Texts(), std::vector<std::string>{"请输入教师姓名列表"});
            EXPECT_FALSE(dlg.IsEnded());
        },
        &page);
    EXPECT_EQ(answer, zem::IDCANCEL);
    EXPECT_TRUE(page.sent.empty());
}

// ---- Teacher groups ----

class BatchAddTeacherGroup : public ::testing::Test {
protected:
    void SetUp() override
    {
        school.Subject("S1", "语文");
        school.Subject("S2", "数学");
        school.Subject("S3", "英语");
        school.Teacher("T1", "张三");
        school.Teacher("T2", "李四");
        for (const char* id : {"C1", "C2", "C3"})
            school.Class(id, id);
        school.Course("P1", "C1", "S1", "T1");
        school.Course("P2", "C2", "S1", "T1");
        school.Course("P3", "C3", "S1", "T2");
        school.Course("P4", "C1", "S3", "T2");
        school.Course("P5", "C2", "S3", "T2");
    }

    SchoolBuilder school;
};

TEST_F(BatchAddTeacherGroup, ProposesTheTeachersOfEachTaughtSubjectAndListsTheRefused)
{
    ScriptedMessages messages;
    RecordingPage page({"语文组"});
    using D = CBatchAddTeacherGroupDlg;
    const int answer = RunDialog<D>(
        [&](D& dlg) {
            EXPECT_EQ(dlg.Caption(), "批量添加教师组（根据当前教学计划信息生成）");
            // 数学 has no plan and proposes nothing; every row starts unticked.
            EXPECT_EQ(Listed(*dlg.GetList()), (std::vector<std::string>{"语文组（张三等2人）", "英语组（李四等1人）"}));
            EXPECT_TRUE(TickedTexts(*dlg.GetList()).empty());
            SaveScreenshot(&dlg, "batch-add-teacher-group");
            Press(dlg, zem::IDOK);
            EXPECT_EQ(messages.Texts(), std::vector<std::string>{"请先勾选要添加的教师组"});
            EXPECT_FALSE(dlg.IsEnded());
            messages.messages.clear();
            Press(dlg, D::IDC_CHECK_ALL);
            Press(dlg, zem::IDOK);
        },
        &page, &school.Task());
    EXPECT_EQ(answer, zem::IDOK);
    EXPECT_EQ(page.sent, (Rows{{"语文组", "T1,T2"}, {"英语组", "T2"}}));
    EXPECT_EQ(page.taken, (Rows{{"英语组", "T2"}}));
    ExpectBatchFlags(page);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "由于名称已经存在，以下教师组本次没有添加成功：\n\n语文组");
    EXPECT_EQ(messages.messages[0].caption, "提示");
    EXPECT_EQ(messages.messages[0].icon, zem::MessageIcon::Warning);
}

TEST_F(BatchAddTeacherGroup, ATaskWithoutPlansOffersNothingToAdd)
{
    school.Task().GetCourseInfoList().RemoveAll();
    ScriptedMessages messages;
    RecordingPage page;
    FakeAppServices services;
    services.task = &school.Task();
    using D = CBatchAddTeacherGroupDlg;
    const int answer = RunDialog<D>(
        [&](D& dlg) {
            EXPECT_EQ(dlg.GetList()->GetItemCount(), 0);
            Press(dlg, zem::IDOK);
            EXPECT_EQ(messages.Texts(), std::vector<std::string>{"请先勾选要添加的教师组"});
        },
        &page);
    EXPECT_EQ(answer, zem::IDCANCEL);
    EXPECT_TRUE(page.sent.empty());
}

}  // namespace
