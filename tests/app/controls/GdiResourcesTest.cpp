// The shared drawing resources: choosing installed faces, the font scan, font records and the
// table fonts, and the priority combo box.
#include "support/PixelProbes.h"
#include "app/controls/Bitmaps.h"
#include "app/controls/GdiResources.h"
#include "app/controls/PriorityCombo.h"
#include "base/ZemObject.h"
#include "platform/gui/Messages.h"
#include "table/WeekTable.h"

#include <QComboBox>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(GdiResources, PickInstalledFontFace)
{
    const std::vector<std::string> western = {"DejaVu Sans", "Liberation Serif", "Noto Sans"};
    const std::vector<std::string> withKai = {"宋体", "华文楷体", "黑体"};
    const std::vector<std::string> kaiLike = {"楷书 A", "宋体", "楷书 B", "黑体"};
    struct Case {
        const std::vector<std::string>* faces;
        const char* candidates;
        const char* hint;
        const char* face;
    } cases[] = {
        {&western, "微软雅黑,楷体,隶书", "", "Noto Sans"},            // empty hint: the last face
        {&withKai, "楷体,楷体_GB2312,华文楷体", "楷", "华文楷体"},      // candidate order decides
        {&kaiLike, "楷体,楷体_GB2312,华文楷体", "楷", "楷书 B"},        // the last face with the hint
        {&western, "楷体,楷体_GB2312,华文楷体", "楷", "楷体"},          // none: the first candidate
        {&western, "", "楷", "微软雅黑"},                              // no candidate at all
        {&western, ",,noto sans,", "", "noto sans"},                   // case ignored, empty pieces dropped
    };
    for (const Case& c : cases)
        EXPECT_EQ(PickInstalledFontFace(*c.faces, c.candidates, c.hint), c.face) << c.candidates;
    EXPECT_EQ(PickInstalledFontFace({}, "微软雅黑,楷体", ""), "微软雅黑");  // before the scan
}

TEST(GdiResources, FaceListLeavesOutVerticalFacesAndCaseDuplicates)
{
    EXPECT_EQ(BuildFaceList({"宋体", "@宋体", "Noto Sans", "NOTO SANS", "", "黑体", "@黑体"}),
              (std::vector<std::string>{"宋体", "Noto Sans", "黑体"}));
}

class Notified : public zem::gui::MessageReceiver {
public:
    int fontsReady = 0;

protected:
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM, zem::LPARAM) override
    {
        fontsReady += message == WM_FONTS_READY;
        return 0;
    }
};

TEST(GdiResources, FontScanPostsOnceAndOffersTheProgramsFaceNames)
{
    CGdiResources::DestroyInstance();
    CGdiResources* resources = CGdiResources::GetInstance();
    Notified window;
    resources->StartFontScan(&window);
    EXPECT_FALSE(resources->IsScanDone());  // the scan waits for the event loop
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.fontsReady == 1; }));
    const auto& faces = resources->GetFaceList();
    EXPECT_TRUE(std::find(faces.begin(), faces.end(), "WenQuanYi Micro Hei") != faces.end());
    EXPECT_TRUE(std::find(faces.begin(), faces.end(), "微软雅黑") != faces.end());
    EXPECT_TRUE(std::find(faces.begin(), faces.end(), "楷体") != faces.end());

    resources->RefreshFonts();
    EXPECT_EQ(resources->GetUiFontName(), "微软雅黑");
    EXPECT_EQ(resources->GetKaiFontName(), "楷体");
    EXPECT_EQ(resources->TitleFont.GetLogFont().faceName, "楷体");

    resources->StartFontScan(&window);  // finished: nothing started, nothing posted
    QCoreApplication::processEvents();
    EXPECT_EQ(window.fontsReady, 1);
    CGdiResources::DestroyInstance();
}

TEST(GdiResources, SharedMembers)
{
    CGdiResources* resources = CGdiResources::GetInstance();
    EXPECT_EQ(resources->TitleFont.GetLogFont().weight, 700);
    EXPECT_EQ(resources->TitleFont.GetLogFont().height, zem::gui::PointSizeToHeight(140));
    EXPECT_EQ(resources->NormalFont.GetLogFont().faceName, "微软雅黑");
    EXPECT_EQ(resources->BoldFont.GetLogFont().weight, 700);
    for (const int id : {131, 132, 133, 134, 135, 136, 137, 138, 139, 140, 142, 143, 144, 145, 146, 293})
        EXPECT_NE(resources->GetBitmap(id), nullptr) << id;
    EXPECT_EQ(resources->GetBitmap(141), nullptr);
    ASSERT_NE(resources->GetBitmap(IDB_TOOLBAR_LEFT), nullptr);
    EXPECT_EQ(resources->GetBitmap(IDB_TOOLBAR_LEFT)->size(), QSize(13, 53));
    EXPECT_EQ(resources->GetBitmap(IDB_TAB_LEFT)->size(), QSize(9, 28));
    EXPECT_EQ(resources->m_handCursor.shape(), Qt::PointingHandCursor);
}

TEST(GdiResources, LogFontOfASetting)
{
    CFontSpec fontSpec{"楷体", 12, true, true};
    LOGFONTA font;
    font.faceName = "old";
    MakeLogFont(&fontSpec, &font);
    EXPECT_EQ(font.height, -16);  // 12 points at 96 pixels to the inch
    EXPECT_EQ(font.weight, 700);
    EXPECT_TRUE(font.italic);
    EXPECT_EQ(font.faceName, "楷体");
    MakeLogFont(nullptr, &font);  // nothing changes
    EXPECT_EQ(font.faceName, "楷体");

    fontSpec.faceName = std::string(20, 'a') + "楷体楷体楷体楷体";  // 20 + 16 GBK bytes: cut at 31, whole characters
    MakeLogFont(&fontSpec, &font);
    EXPECT_EQ(font.faceName, std::string(20, 'a') + "楷体楷体楷");
}

class RecordingWeekTable : public CWeekTable {
public:
    void SetFont(const LOGFONTA* primary, const LOGFONTA* secondary, const LOGFONTA* title) override
    {
        fonts = {*primary, *secondary, *title};
        CWeekTable::SetFont(primary, secondary, title);
    }
    void Refresh() override { ++refreshes; }

    std::vector<LOGFONTA> fonts;
    int refreshes = 0;
};

TEST(GdiResources, TableFontsCapTheThirdFont)
{
    CTableFontPair setting{{"楷体", 12, false, true}, {"宋体", 9, true, false}, false};
    for (const auto& [maxPoints, height] : {std::pair{9, -12}, std::pair{20, -16}}) {
        RecordingWeekTable grid;
        ApplyTableFonts(&setting, &grid, maxPoints, true);
        ASSERT_EQ(grid.fonts.size(), 3u);
        EXPECT_EQ(grid.fonts[0].height, -16);
        EXPECT_TRUE(grid.fonts[0].italic);
        EXPECT_EQ(grid.fonts[1].faceName, "宋体");
        EXPECT_EQ(grid.fonts[1].weight, 700);
        EXPECT_EQ(grid.fonts[2].height, height) << maxPoints;
        EXPECT_EQ(grid.fonts[2].faceName, "楷体");
        EXPECT_EQ(grid.fonts[2].weight, 700);
        EXPECT_FALSE(grid.fonts[2].italic);
        EXPECT_EQ(grid.refreshes, 1);
    }
    ApplyTableFonts(&setting, nullptr, 9, true);
}

TEST(GdiResources, FontOnEveryChildAndThePriorityCombo)
{
    QWidget window;
    auto* label = new QLabel("教师", &window);
    auto* combo = new QComboBox(label);
    SetFontOnChildren(&window, CGdiResources::GetInstance()->BoldFont);
    EXPECT_TRUE(window.font().bold());
    EXPECT_TRUE(combo->font().bold());

    combo->addItem("旧");
    AddToComboBox(CZemPrioritySet(), combo);
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(0).toStdString(), "高");
    EXPECT_EQ(combo->itemText(2).toStdString(), "低");
    EXPECT_EQ(combo->currentText().toStdString(), "正常");
    AddToComboBox(CZemPrioritySet(), nullptr);
}

}  // namespace
