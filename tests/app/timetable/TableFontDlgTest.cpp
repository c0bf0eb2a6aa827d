// The table font dialog over the program's table fonts: quick styles resolved against the faces a
// machine has, greyed when it has none of theirs; every change told to the window at once; "默认"
// and closing the dialog however it closes.
#include "support/ShellTestSupport.h"

#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/timetable/TableFontDlg.h"
#include "platform/IniFile.h"
#include "platform/gui/Messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTest>

namespace {

// The window being edited for: the records it was told of.
class FontOwner : public QWidget, public zem::gui::MessageReceiver {
public:
    std::vector<CTableFontPair> told;

protected:
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM, zem::LPARAM lParam) override
    {
        if (message == WM_TABLE_FONT_CHANGED)
            told.push_back(*zem::FromLParam<CTableFontPair>(lParam));
        return 0;
    }
};

bool SameFont(const CFontSpec& a, const CFontSpec& b)
{
    return a.faceName == b.faceName && a.size == b.size && a.bold == b.bold && a.italic == b.italic;
}

class TableFontTest : public ShellTest {
protected:
    void SetUp() override
    {
        MakeContext();
        CTableFontPair& fonts = CAppContext::Get()->GetTableFont(1);
        fonts.main = CFontSpec{"宋体", 11, true, false};
        fonts.second = CFontSpec{"宋体", 9, false, true};
    }

    // Runs the dialog on record `record` over the faces while `act` works it.
    void Run(int record, const std::vector<std::string>& faces, const std::function<void(CTableFontDlg&)>& act)
    {
        CTableFontDlg dialog;
        dialog.SetTarget(&owner, record);
        dialog.SetFaceList(faces);
        RunModal<CTableFontDlg>(dialog, act);
    }
    static QWidget* Button(CTableFontDlg& d, int style) { return d.GetDlgItem(CTableFontDlg::IDC_STYLE_KAI + style); }
    static void Choose(CTableFontDlg& d, int id, const QString& text)
    {
        auto* combo = d.Item<QComboBox>(id);
        const int index = combo->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    std::string Ini(const std::string& key) const { return zem::GetProfileString(IniPath(), "TableFont", key); }

    FontOwner owner;
};

TEST_F(TableFontTest, QuickStylesTakeAnInstalledFaceOrTheirFirstSayingSo)
{
    struct Case {
        std::vector<std::string> faces;
        int style;
        std::string face;  // what it resolves to
        bool installed;    // else the button says so; "黑" is then hidden
    } cases[] = {
        {{"宋体", "行楷", "华文行楷"}, 1, "华文行楷", true},           // the first candidate installed
        {{"宋体", "行楷"}, 1, "行楷", true},                           // another name of it
        {{"方正行楷", "宋体", "行书体"}, 1, "行书体", true},            // the last face holding its key
        {{"宋体", "Noto Sans"}, 1, "华文行楷", false},                 // none at all: its first face
        {{"宋体", "楷体_gb2312"}, 0, "楷体_gb2312", true},             // as the machine spells it
        {{"宋体"}, 5, "微软雅黑", false},                              // "黑" stays hidden
        {{"宋体", "Microsoft YaHei"}, 5, "Microsoft YaHei", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.faces.front() + " / style " + std::to_string(c.style));
        Run(1, c.faces, [&](CTableFontDlg& d) {
            EXPECT_EQ(d.GetStyleFace(c.style), c.face);
            QWidget* button = Button(d, c.style);
            if (c.style == 5) {
                EXPECT_EQ(button->isVisible(), c.installed);
                return;
            }
            EXPECT_TRUE(button->isEnabled());
            EXPECT_EQ(button->toolTip().toStdString().find("本机没有安装") != std::string::npos, !c.installed);
            // Both faces and sizes as the style has them for this record; bold and italic stay.
            owner.told.clear();
            QTest::mouseClick(button, Qt::LeftButton);
            ASSERT_EQ(owner.told.size(), 1u);
            const CTableFontPair& fonts = owner.told[0];
            EXPECT_TRUE(SameFont(fonts.main, CFontSpec{c.face, c.style == 5 ? 10 : 12, true, false}));
            EXPECT_TRUE(SameFont(fonts.second, CFontSpec{c.face, 8, false, true}));
            // A face the machine lacks is in no list to be shown.
            EXPECT_EQ(d.Item<QComboBox>(CTableFontDlg::IDC_TITLE_FACE)->currentText().toStdString(),
                      c.installed ? c.face : "");
            EXPECT_EQ(d.Item<QComboBox>(CTableFontDlg::IDC_CONTENT_SIZE)->currentText(), "8");
        });
        owner.told.clear();
    }
    // The week window's record takes the larger sizes.
    Run(0, {"楷体"}, [&](CTableFontDlg& d) {
        QTest::mouseClick(Button(d, 0), Qt::LeftButton);
        ASSERT_EQ(owner.told.size(), 1u);
        EXPECT_EQ(owner.told[0].main.size, 14);
        EXPECT_EQ(owner.told[0].second.size, 10);
    });
}

TEST_F(TableFontTest, EveryChangeIsToldAndTheCloseBoxKeepsTheFonts)
{
    Run(1, {"宋体", "黑体", "楷体"}, [&](CTableFontDlg& d) {
        EXPECT_EQ(d.Caption(), "字体");
        EXPECT_EQ(d.Item<QComboBox>(CTableFontDlg::IDC_TITLE_FACE)->currentText(), "宋体");
        EXPECT_EQ(d.Item<QComboBox>(CTableFontDlg::IDC_TITLE_SIZE)->count(), 18);
        EXPECT_TRUE(d.Item<QCheckBox>(CTableFontDlg::IDC_TITLE_BOLD)->isChecked());

        // Only the content size: one notice with the whole record.
        Choose(d, CTableFontDlg::IDC_CONTENT_SIZE, "14");
        ASSERT_EQ(owner.told.size(), 1u);
        EXPECT_TRUE(SameFont(owner.told[0].main, CFontSpec{"宋体", 11, true, false}));
        EXPECT_TRUE(SameFont(owner.told[0].second, CFontSpec{"宋体", 14, false, true}));

        Choose(d, CTableFontDlg::IDC_TITLE_FACE, "黑体");
        QTest::mouseClick(d.GetDlgItem(CTableFontDlg::IDC_CONTENT_ITALIC), Qt::LeftButton);
        ASSERT_EQ(owner.told.size(), 3u);
        EXPECT_TRUE(SameFont(owner.told[2].main, CFontSpec{"黑体", 11, true, false}));
        EXPECT_TRUE(SameFont(owner.told[2].second, CFontSpec{"宋体", 14, false, false}));
        EXPECT_EQ(Ini("1_Name"), "") << "nothing is written before the dialog closes";

        d.close();
        EXPECT_TRUE(d.IsEnded());
        // Kept as it closes: the owner reads the record as soon as the run ends.
        const CTableFontPair& kept = CAppContext::Get()->GetTableFont(1);
        EXPECT_TRUE(SameFont(kept.main, CFontSpec{"黑体", 11, true, false}));
        EXPECT_TRUE(SameFont(kept.second, CFontSpec{"宋体", 14, false, false}));
        EXPECT_EQ(Ini("1_Name"), "黑体");
        EXPECT_EQ(Ini("1_Size2"), "14");
        EXPECT_EQ(Ini("1_Italic2"), "0");
    });
    // A new context reads them back.
    MakeContext();
    EXPECT_TRUE(SameFont(CAppContext::Get()->GetTableFont(1).main, CFontSpec{"黑体", 11, true, false}));
}

TEST_F(TableFontTest, DefaultGivesTheRecordsDefaultFontsAndEscapeKeepsThem)
{
    const std::string kai = CGdiResources::GetInstance()->GetKaiFontName();
    Run(1, {"宋体", kai}, [&](CTableFontDlg& d) {
        QTest::mouseClick(d.GetDlgItem(CTableFontDlg::IDC_DEFAULT), Qt::LeftButton);
        ASSERT_EQ(owner.told.size(), 1u);
        EXPECT_TRUE(SameFont(owner.told[0].main, CFontSpec{kai, 10, false, false}));
        EXPECT_TRUE(SameFont(owner.told[0].second, CFontSpec{kai, 8, false, false}));
        EXPECT_FALSE(d.Item<QCheckBox>(CTableFontDlg::IDC_TITLE_BOLD)->isChecked());
        EXPECT_EQ(d.Item<QComboBox>(CTableFontDlg::IDC_TITLE_FACE)->currentText().toStdString(), kai);
        QTest::keyClick(&d, Qt::Key_Escape);
        EXPECT_TRUE(d.IsEnded());
        EXPECT_TRUE(SameFont(CAppContext::Get()->GetTableFont(1).main, CFontSpec{kai, 10, false, false}));
        EXPECT_EQ(Ini("1_Bold"), "0");
    });
    EXPECT_TRUE(SameFont(CAppContext::Get()->GetTableFont(0).main, CFontSpec{kai, 12, false, false}))
        << "the other records stay";
}

TEST_F(TableFontTest, Screenshot)
{
    // The faces of this machine, as the program lists them.
    CTableFontDlg dialog;
    dialog.SetTarget(&owner, 0);
    RunModal<CTableFontDlg>(dialog, [&](CTableFontDlg& d) {
        for (const int id : {CTableFontDlg::IDC_TITLE_FACE, CTableFontDlg::IDC_CONTENT_FACE})
            EXPECT_GT(d.Item<QComboBox>(id)->count(), 0);
        SaveScreenshot(&d, "TableFontDlg");
    });
}

}  // namespace
