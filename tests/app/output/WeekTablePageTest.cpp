// One week timetable drawn into a page, read back from the PDF file a user gets (the words and
// their boxes) and from the page image the preview shows: title, weekday header, banner rows,
// cells, the information line, and the colour print's grid picture.
#include "support/HelperSchool.h"
#include "support/PdfPages.h"
#include "support/PixelProbes.h"
#include "support/PrintTestSupport.h"
#include "support/ScreenTestSupport.h"
#include "support/TempFolder.h"

#include "app/output/PageLayout.h"
#include "app/taskhelper/SubjectColorMap.h"
#include "app/taskhelper/TaskHelper.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "table/TableTheme.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using zem::Rect;

constexpr zem::COLORREF kBlack = zem::RGB(0, 0, 0);
constexpr zem::COLORREF kWhite = zem::RGB(255, 255, 255);

// Where the parts of the first slot lie, in pixels of one resolution.
struct SlotGeometry {
    explicit SlotGeometry(const CWeekTablePageLayout& l)
        : x0(l.GetTableRect(0).left), x1(l.GetTableRect(0).right), y0(l.GetTableRect(0).top),
          gridTop(y0 + l.gridOffset), headerBottom(gridTop + l.headerHeight), gridBottom(gridTop + l.gridHeight),
          periodLeft(x0 + l.sectionColumnWidth), firstCol(periodLeft + l.periodColumnWidth), day(l.dayColumnWidth),
          row(l.rowHeight), banner(l.bannerHeight)
    {
    }
    // Column c of the days: from the rule on its left to its right edge.
    int Left(int c) const { return firstCol + c * day - 1; }
    int Right(int c) const { return firstCol + (c + 1) * day; }

    int x0, x1, y0, gridTop, headerBottom, gridBottom, periodLeft, firstCol, day, row, banner;
};

// Device pixels of the 600 dpi PDF in points.
double Pt(int pixels)
{
    return pixels * 72.0 / 600.0;
}

double CentreX(const PdfWord& word)
{
    return (word.xMin + word.xMax) / 2;
}

std::optional<PdfWord> FindWord(const PdfPage& page, const std::string& text)
{
    for (const PdfWord& word : page.words)
        if (word.text == text)
            return word;
    return std::nullopt;
}

// The word lies between the two heights (pixels of the PDF), give or take a point.
void ExpectBetween(const PdfWord& word, int top, int bottom)
{
    EXPECT_GE(word.yMin, Pt(top) - 1) << word.text;
    EXPECT_LE(word.yMax, Pt(bottom) + 1) << word.text;
}

bool IsDark(zem::COLORREF c)
{
    return zem::GetRValue(c) < 100 && zem::GetGValue(c) < 100 && zem::GetBValue(c) < 100;
}

struct DrawingCase {
    std::string name;
    std::function<void(CWeekTablePageLayout&, HelperSchool&)> setUp;
    std::string objectId;
    std::function<void(const PdfPage& pdf, const SlotGeometry& at600, const QImage& image, const SlotGeometry& at96)>
        check;
};

class WeekTablePageTest : public testing::Test {
protected:
    WeekTablePageTest()
    {
        m_previousClock = zem::SetClockHook([] { return zem::LocalTime{2024, 9, 2, 10, 0, 0, 0, 1}; });
        services.schoolName = "实验中学";
        school.Place("p1", HelperSchool::N(0, 0, 0));
    }
    ~WeekTablePageTest() override { zem::SetClockHook(m_previousClock); }

    HelperSchool school;
    PrintServices services;
    TempFolder folder;

private:
    zem::ClockHook m_previousClock;
};

TEST_F(WeekTablePageTest, PagesShowWhatTheLayoutAsksForInThePdfAndOnScreen)
{
    const std::vector<DrawingCase> cases = {
        {"the school and the name as two centred lines",
         [](CWeekTablePageLayout& l, HelperSchool&) { l.TitleFormat = "%SCHOOL%\r\n%NAME%"; }, "c1",
         [](const PdfPage& pdf, const SlotGeometry& g, const QImage&, const SlotGeometry&) {
             const auto school = FindWord(pdf, "实验中学");
             const auto name = FindWord(pdf, "一班");
             ASSERT_TRUE(school && name);
             EXPECT_LE(school->yMax, name->yMin + 0.5);
             EXPECT_NEAR(CentreX(*school), Pt(g.x0 + g.x1) / 2, 2);
             EXPECT_NEAR(CentreX(*name), Pt(g.x0 + g.x1) / 2, 2);
             EXPECT_LT(name->yMax, Pt(g.gridTop));
         }},
        {"long weekdays in column order over the grey band", [](CWeekTablePageLayout&, HelperSchool&) {}, "c1",
         [](const PdfPage& pdf, const SlotGeometry& g, const QImage& image, const SlotGeometry& s) {
             const std::vector<std::string> days = {"星期一", "星期二", "星期三", "星期四", "星期五"};
             for (int c = 0; c < 5; ++c) {
                 const auto word = FindWord(pdf, days[static_cast<std::size_t>(c)]);
                 ASSERT_TRUE(word) << days[static_cast<std::size_t>(c)];
                 EXPECT_NEAR(CentreX(*word), Pt(g.Left(c) + g.Right(c)) / 2, 2);
                 ExpectBetween(*word, g.gridTop, g.headerBottom);
             }
             EXPECT_EQ(PixelOf(image, s.firstCol + 3, s.gridTop + 2), zem::RGB(192, 192, 192));
             EXPECT_EQ(PixelOf(image, s.firstCol + 3, s.headerBottom + 2), kWhite);
             EXPECT_EQ(PixelOf(image, s.firstCol + 3, s.headerBottom), kBlack);
         }},
        {"short weekdays", [](CWeekTablePageLayout& l, HelperSchool&) { l.ShowFullName = false; }, "c1",
         [](const PdfPage& pdf, const SlotGeometry& g, const QImage&, const SlotGeometry&) {
             std::vector<std::string> header;
             for (const PdfWord& word : pdf.words)
                 if (word.yMin >= Pt(g.gridTop) - 1 && word.yMax <= Pt(g.headerBottom) + 1)
                     header.push_back(word.text);
             EXPECT_EQ(header, (std::vector<std::string>{"一", "二", "三", "四", "五"}));
         }},
        {"the night's banner before evening self-study in a school without night periods",
         [](CWeekTablePageLayout& l, HelperSchool& s) {
             s.task.GetSchoolStructure().SetSectionNodeMaxCount(4, 2, true);
             s.task.GetSchoolStructure().RefreshData();
             l.blankLines[1].text = "晚自习时间";
         },
         "c1",
         [](const PdfPage& pdf, const SlotGeometry& g, const QImage&, const SlotGeometry&) {
             const auto word = FindWord(pdf, "晚自习时间");
             ASSERT_TRUE(word);
             // After the header, the afternoon's separator and the seven periods.
             const int top = g.headerBottom + g.banner + 7 * g.row;
             ExpectBetween(*word, top, top + g.banner);
             EXPECT_NEAR(CentreX(*word), Pt(g.periodLeft + g.x1) / 2, 2);
         }},
        {"a label over the period column, a rule, the time over the days",
         [](CWeekTablePageLayout& l, HelperSchool&) { l.blankLines[0].text = "午休|12:00-13:30"; }, "c1",
         [](const PdfPage& pdf, const SlotGeometry& g, const QImage& image, const SlotGeometry& s) {
             const auto label = FindWord(pdf, "午休");
             const auto time = FindWord(pdf, "12:00-13:30");
             ASSERT_TRUE(label && time);
             const int top = g.headerBottom + 4 * g.row;
             ExpectBetween(*label, top, top + g.banner);
             ExpectBetween(*time, top, top + g.banner);
             EXPECT_NEAR(CentreX(*label), Pt(g.periodLeft + g.firstCol - 1) / 2, 2);
             EXPECT_NEAR(CentreX(*time), Pt(g.firstCol + g.x1) / 2, 2);
             const int middle = s.headerBottom + 4 * s.row + s.banner / 2;
             EXPECT_EQ(PixelOf(image, s.firstCol - 1, middle), kBlack);
             // No day rule crosses a banner row.
             EXPECT_EQ(PixelOf(image, s.Left(1), middle), kWhite);
             EXPECT_EQ(PixelOf(image, s.Left(1), middle + s.banner), kBlack);
         }},
        {"an odd/even cell's halves beside a dividing line",
         [](CWeekTablePageLayout&, HelperSchool& s) {
             s.Place("p1", HelperSchool::N(2, 0, 0), 1);
             s.Place("p2", HelperSchool::N(2, 0, 0), 2);
         },
         "c1",
         [](const PdfPage& pdf, const SlotGeometry& g, const QImage& image, const SlotGeometry& s) {
             const int middle = (g.Left(2) + g.Right(2)) / 2;
             std::vector<PdfWord> inCell;
             for (const PdfWord& word : pdf.words)
                 if (word.xMin >= Pt(g.Left(2)) && word.xMax <= Pt(g.Right(2)) && word.yMin >= Pt(g.headerBottom) &&
                     word.yMax <= Pt(g.headerBottom + g.row))
                     inCell.push_back(word);
             const auto find = [&](const std::string& text) {
                 return std::find_if(inCell.begin(), inCell.end(), [&](const PdfWord& w) { return w.text == text; });
             };
             ASSERT_NE(find("语文"), inCell.end());
             ASSERT_NE(find("数学"), inCell.end());
             EXPECT_LE(find("语文")->xMax, Pt(middle));
             EXPECT_GE(find("数学")->xMin, Pt(middle));
             const int mid = (s.Left(2) + s.Right(2)) / 2;
             EXPECT_EQ(PixelOf(image, mid, s.headerBottom + s.row / 2), kBlack);
         }},
        {"a class shows its head teacher and the date",
         [](CWeekTablePageLayout& l, HelperSchool&) {
             l.ShowHeadTeacherName = true;
             l.ShowWeekCount = true;
         },
         "c1",
         [](const PdfPage& pdf, const SlotGeometry& g, const QImage&, const SlotGeometry&) {
             const auto label = FindWord(pdf, "班主任:");
             ASSERT_TRUE(label);
             EXPECT_NEAR(label->xMin, Pt(g.x0), 1);
             EXPECT_TRUE(FindWord(pdf, "王芳"));
             EXPECT_FALSE(FindWord(pdf, "周课时数:"));
             const auto date = FindWord(pdf, "2024-09-02");
             ASSERT_TRUE(date);
             EXPECT_NEAR(date->xMax, Pt(g.x1), 1);
             EXPECT_GT(date->yMin, Pt(g.gridBottom));
         }},
        {"a teacher shows the weekly hours",
         [](CWeekTablePageLayout& l, HelperSchool&) {
             l.ShowHeadTeacherName = true;
             l.ShowWeekCount = true;
         },
         "t1",
         [](const PdfPage& pdf, const SlotGeometry&, const QImage&, const SlotGeometry&) {
             EXPECT_FALSE(FindWord(pdf, "班主任:"));
             const auto label = FindWord(pdf, "周课时数:");
             ASSERT_TRUE(label);
             const auto lines = pdf.Lines();
             const auto line = std::find_if(lines.begin(), lines.end(),
                                            [](const PdfLine& l) { return l.text.rfind("周课时数:", 0) == 0; });
             ASSERT_NE(line, lines.end());
             EXPECT_EQ(line->text.substr(0, std::string("周课时数:1日期:").size()), "周课时数:1日期:");
         }},
        {"a room never shows head teacher or hours, and no date when it is off",
         [](CWeekTablePageLayout& l, HelperSchool&) {
             l.ShowHeadTeacherName = true;
             l.ShowWeekCount = true;
             l.ShowDate = false;
         },
         "r1",
         [](const PdfPage& pdf, const SlotGeometry&, const QImage&, const SlotGeometry&) {
             EXPECT_TRUE(FindWord(pdf, "实验室"));
             EXPECT_FALSE(FindWord(pdf, "班主任:"));
             EXPECT_FALSE(FindWord(pdf, "周课时数:"));
             EXPECT_FALSE(FindWord(pdf, "日期:"));
         }},
        {"a shared room shows the lesson that takes one of its places",
         [](CWeekTablePageLayout&, HelperSchool& s) {
             s.task.GetRoom("r1")->SetCapacity(3);
             s.Place("p2", HelperSchool::N(3, 0, 2), 0, "r1");
         },
         "r1",
         [](const PdfPage& pdf, const SlotGeometry& g, const QImage&, const SlotGeometry&) {
             const auto subject = FindWord(pdf, "李老师(数学)");
             ASSERT_TRUE(subject);
             EXPECT_NEAR(CentreX(*subject), Pt(g.Left(3) + g.Right(3)) / 2, 2);
             ExpectBetween(*subject, g.headerBottom + 2 * g.row, g.headerBottom + 3 * g.row);
         }},
        {"colour print rules the same table in the week grid's colours, on screen too",
         [](CWeekTablePageLayout& l, HelperSchool&) { l.NormalPrint = false; }, "c1",
         [](const PdfPage& pdf, const SlotGeometry& g, const QImage& image, const SlotGeometry& s) {
             for (const char* text : {"一班", "日期:", "星期一", "语文", "张老师"})
                 EXPECT_TRUE(FindWord(pdf, text)) << text;
             const auto monday = FindWord(pdf, "星期一");
             ASSERT_TRUE(monday);
             EXPECT_NEAR(CentreX(*monday), Pt(g.Left(0) + g.Right(0)) / 2, 2);
             CTableTheme& theme = CTableTheme::Instance();
             const int previous = theme.SetMode(CELL_STYLE_COLOR);
             const zem::COLORREF band = theme.GetTitleBkColor(), rowB = theme.GetRowBColor();
             theme.SetMode(previous);
             EXPECT_EQ(PixelOf(image, s.periodLeft + 2, s.gridTop + 2), band);
             // The first row's band, its rules black, its subject in the grid's blue.
             EXPECT_EQ(PixelOf(image, s.Left(4) + 2, s.headerBottom + 2), rowB);
             EXPECT_EQ(PixelOf(image, s.Left(4), s.headerBottom + 2), kBlack);
             const Rect firstCell(s.Left(0) + 1, s.headerBottom + 1, s.Right(0) - 1, s.headerBottom + s.row);
             const Rect blue = BoundsOf(image, firstCell, [](zem::COLORREF c) {
                 return zem::GetBValue(c) > 150 && zem::GetRValue(c) < 100 && zem::GetGValue(c) < 100;
             });
             EXPECT_FALSE(blue.IsRectEmpty());
         }},
    };
    // The cases whose page image and PDF page are kept for a person to look at.
    const std::map<std::string, std::string> kPictures = {
        {cases[4].name, "week-table-page-banner"}, {cases[5].name, "week-table-page-odd-even"},
        {cases[9].name, "week-table-page-shared-room"}, {cases[10].name, "week-table-page-colour"}};
    for (const DrawingCase& c : cases) {
        SCOPED_TRACE(c.name);
        // Each case on a school of its own.
        HelperSchool own;
        own.Place("p1", HelperSchool::N(0, 0, 0));
        own.Place("p2", HelperSchool::N(1, 0, 1));
        own.task.GetClass("c1")->SetHeadTeacherName("王芳");
        services.layout = CWeekTablePageLayout();
        c.setUp(services.layout, own);
        TestPrintSheet sheet(&own.task);
        auto group = std::make_unique<CPrintTableGroup>("组");
        CTaskHelper(&own.task).CreateTableItems({c.objectId}, &group->items);
        sheet.AddGroup(std::move(group));

        const std::string pdf = folder.path() + "page.pdf";
        ASSERT_TRUE(PrintToPdf(sheet, pdf));
        const std::vector<PdfPage> pages = ReadPdfPages(pdf);
        ASSERT_EQ(pages.size(), 1u);
        const QImage image = DrawPage(sheet, 1, PREVIEW_PRINT);
        c.check(pages[0], SlotGeometry(LayoutAt(sheet, 600)), image, SlotGeometry(LayoutAt(sheet, 96)));
        const auto picture = kPictures.find(c.name);
        if (picture != kPictures.end()) {
            SavePicture(image, picture->second + ".png");
            RenderPage(pdf, 1, std::string(ZEM_TEST_OUTPUT_DIR) + "/" + picture->second + "-pdf.png");
        }
    }
}

TEST_F(WeekTablePageTest, NothingIsDrawnOutsideTheSlotsOfACrampedPage)
{
    // A5, six tables a page, fourteen periods a day: the bands give way, the rows keep a pixel.
    CSchoolStructure& week = school.task.GetSchoolStructure();
    week.SetSectionNodeMaxCount(0, 5, true);
    week.SetSectionNodeMaxCount(1, 4, true);
    week.SetSectionNodeMaxCount(2, 2, true);
    week.SetSectionNodeMaxCount(3, 1, true);
    week.SetSectionNodeMaxCount(4, 2, true);
    week.RefreshData();
    services.layout.paper = 2;
    services.layout.TableLayout = 5;
    services.layout.ShowSectionName = true;
    TestPrintSheet sheet(&school.task);
    sheet.AddCopies(6, "c1", school.ClassTable("c1"));
    for (const int dpi : {96, 300}) {
        SCOPED_TRACE(dpi);
        const QImage image = DrawPage(sheet, 1, PREVIEW_PRINT, dpi);
        const CWeekTablePageLayout layout = LayoutAt(sheet, dpi);
        EXPECT_GE(layout.rowHeight, 1);
        int outside = 0;
        for (int y = 2; y < image.height() - 2; ++y) {
            for (int x = 2; x < image.width() - 2; ++x) {
                if (!IsDark(PixelOf(image, x, y)))
                    continue;
                bool inside = false;
                for (int i = 0; i < 6 && !inside; ++i) {
                    const Rect slot = layout.GetTableRect(i);
                    inside = x >= slot.left && x <= slot.right && y >= slot.top && y <= slot.bottom;
                }
                outside += inside ? 0 : 1;
            }
        }
        EXPECT_EQ(outside, 0);
        if (dpi == 96)
            SavePicture(image, "week-table-page-a5-six.png");
    }
}

// That every field of every cell is printed, legibly, is held by the check of print against the
// grid; here, that a table's lines shrink alike and a banner keeps between its rules.
TEST_F(WeekTablePageTest, ACrampedTableShrinksItsLinesAlikeAndKeepsItsBannerBetweenItsRules)
{
    // Every lesson of class 1 with its teacher's name as the second line, and a banner row.
    school.Place("p2", HelperSchool::N(1, 0, 1));
    school.Place("p3", HelperSchool::N(2, 1, 0));
    services.layout.blankLines[0].text = "午休";
    for (const int tableLayout : {3, 4}) {
        SCOPED_TRACE(tableLayout);
        services.layout.TableLayout = tableLayout;
        TestPrintSheet sheet(&school.task);
        sheet.AddCopies(tableLayout == 3 ? 4 : 6, "c1", school.ClassTable("c1"));
        const std::string pdf = folder.path() + "cramped.pdf";
        ASSERT_TRUE(PrintToPdf(sheet, pdf));
        const std::vector<PdfPage> pages = ReadPdfPages(pdf);
        ASSERT_EQ(pages.size(), 1u);
        std::map<std::string, double> heights;  // of each lesson text, the same in every table
        for (const PdfWord& word : pages[0].words) {
            if (word.text != "语文" && word.text != "数学" && word.text != "英语")
                continue;
            const auto [at, added] = heights.emplace(word.text, word.yMax - word.yMin);
            if (!added) {
                EXPECT_NEAR(at->second, word.yMax - word.yMin, 0.2) << word.text;
            }
        }
        // The subjects of one table shrink alike.
        EXPECT_NEAR(heights["语文"], heights["英语"], 0.2);
        // The banner's text stays between its row's rules.
        const SlotGeometry g(LayoutAt(sheet, 600));
        const int top = g.headerBottom + 4 * g.row;
        // The first table's banner.
        std::optional<PdfWord> banner;
        for (const PdfWord& word : pages[0].words)
            if (word.text == "午休" && word.xMax <= Pt(g.x1) && (!banner || word.yMin < banner->yMin))
                banner = word;
        ASSERT_TRUE(banner);
        EXPECT_GE(banner->yMin, Pt(top) - 0.3);
        EXPECT_LE(banner->yMax, Pt(top + g.banner) + 0.3);
        RenderPage(pdf, 1, std::string(ZEM_TEST_OUTPUT_DIR) + "/week-table-page-cramped-" +
                               std::to_string(tableLayout) + ".png", 150);
    }
}

// The services as a school has them: the grids mark pre-arranged and linked lessons, and the
// subjects have colours for the coloured week grid.
class MarkingServices : public PrintServices {
public:
    bool GetShowTagLocked() const override { return true; }
    bool GetShowTagLinked() const override { return true; }
    CSubjectColorMap* GetColorMap() const override { return colorMap; }
    CSubjectColorMap* colorMap = nullptr;
};

// The words of a page with their places, to compare two prints of one page.
std::vector<std::string> PlacedWords(const PdfPage& page)
{
    std::vector<std::string> placed;
    for (const PdfWord& w : page.words)
        placed.push_back(zem::Format("%s@%.1f,%.1f-%.1f,%.1f", w.text.c_str(), w.xMin, w.yMin, w.xMax, w.yMax));
    std::sort(placed.begin(), placed.end());
    return placed;
}

// Pixels of the padlock's gold or the chain link's blues, the marks a grid draws over a cell.
int MarkPixels(const QImage& image)
{
    const auto near = [](zem::COLORREF c, int r, int g, int b) {
        return std::abs(zem::GetRValue(c) - r) < 12 && std::abs(zem::GetGValue(c) - g) < 12 &&
               std::abs(zem::GetBValue(c) - b) < 12;
    };
    return CountOf(image, Rect(0, 0, image.width(), image.height()), [&](zem::COLORREF c) {
        return near(c, 232, 178, 40) || near(c, 150, 100, 10) || near(c, 70, 110, 170) || near(c, 40, 70, 130);
    });
}

// Whether a page rendered at 150 dpi shows a dark rule through the point (pixels of the 600 dpi
// layout), within a dot of it across the rule.
bool RuleThrough(const QImage& page, int x, int y, bool vertical)
{
    for (int d = -1; d <= 1; ++d) {
        const int px = x / 4 + (vertical ? d : 0), py = y / 4 + (vertical ? 0 : d);
        if (qGray(page.pixel(px, py)) < 110)
            return true;
    }
    return false;
}

// The outer rules of the first table on the page, its right and bottom ones too.
void ExpectFrame(const std::string& png, const SlotGeometry& g)
{
    const QImage page(QString::fromStdString(png));
    ASSERT_FALSE(page.isNull()) << png;
    const int middleY = (g.headerBottom + g.gridBottom) / 2, middleX = (g.firstCol + g.x1) / 2;
    EXPECT_TRUE(RuleThrough(page, g.x0, middleY, true)) << png;
    EXPECT_TRUE(RuleThrough(page, g.x1, middleY, true)) << png;
    EXPECT_TRUE(RuleThrough(page, middleX, g.gridTop, false)) << png;
    EXPECT_TRUE(RuleThrough(page, middleX, g.gridBottom, false)) << png;
}

TEST(ColourPrint, ShowsWhatPlainPrintShowsInTheGridsColoursWithoutTheGridsMarks)
{
    // A pre-arranged lesson, a combined (linked) lesson, a banner row and the segment names.
    HelperSchool school;
    school.b.Preset("p1", "0,");
    school.b.Course("k1", "c1", "s4", "t3", "1");
    school.b.Course("k2", "c2", "s4", "t3", "1");
    school.b.Combined("kk", {"k1", "k2"});
    school.Place("p1", HelperSchool::N(0, 0, 0));
    school.Place("k1", HelperSchool::N(0, 0, 1));
    school.Place("k2", HelperSchool::N(0, 0, 1));
    school.Place("p2", HelperSchool::N(1, 0, 1));
    CSubjectColorMap subjectColours;
    subjectColours.Build(&school.task);
    MarkingServices services;
    services.task = &school.task;
    services.colorMap = &subjectColours;
    CWeekTablePageLayout& l = services.layout;
    l.ShowSectionName = true;
    l.blankLines[0].text = "午休";
    l.blankLines[2] = {1, 0, 1, 1, "大课间"};
    TempFolder folder;
    for (const int tableLayout : {0, 3}) {
        for (const bool colourTable : {false, true}) {
            SCOPED_TRACE(zem::Format("layout %d, subject colours %d", tableLayout, colourTable ? 1 : 0));
            l.TableLayout = tableLayout;
            services.colorTable = colourTable;
            const zem::COLORREF chinese = CTaskHelper(&school.task, AppHelperContext())
                                              .GetCellColor(school.ClassTable("c1"), HelperSchool::N(0, 0, 0));
            TestPrintSheet sheet(&school.task);
            sheet.AddCopies(tableLayout == 3 ? 4 : 1, "c1", school.ClassTable("c1"));
            l.NormalPrint = true;
            const std::string plainPdf = folder.path() + "plain.pdf";
            ASSERT_TRUE(PrintToPdf(sheet, plainPdf));
            l.NormalPrint = false;
            const std::string colourPdf = folder.path() + "colour.pdf";
            ASSERT_TRUE(PrintToPdf(sheet, colourPdf));
            const std::vector<PdfPage> plain = ReadPdfPages(plainPdf), colour = ReadPdfPages(colourPdf);
            ASSERT_EQ(plain.size(), 1u);
            ASSERT_EQ(colour.size(), 1u);
            // The banner rows, the segment names and every lesson's lines, where plain print puts them.
            for (const char* text : {"午休", "大课间", "上午", "下午", "语文", "物理", "数学"})
                EXPECT_TRUE(FindWord(colour[0], text)) << text;
            if (tableLayout == 0) {
                EXPECT_TRUE(FindWord(colour[0], "张老师"));
                EXPECT_TRUE(FindWord(colour[0], "王老师"));
            }
            EXPECT_EQ(PlacedWords(colour[0]), PlacedWords(plain[0]));
            // The grids' marks are pictures; the page holds none.
            EXPECT_EQ(PdfImageCount(colourPdf, 1), 0);

            const std::string name = zem::Format("week-table-page-colour-%d-a-page%s", tableLayout == 3 ? 4 : 1,
                                                 colourTable ? "-subjects" : "");
            const std::string png = std::string(ZEM_TEST_OUTPUT_DIR) + "/" + name + "-pdf.png";
            const std::string plainPng = folder.path() + "plain.png";
            ASSERT_TRUE(RenderPage(colourPdf, 1, png, 150));
            ASSERT_TRUE(RenderPage(plainPdf, 1, plainPng, 150));
            const SlotGeometry g(LayoutAt(sheet, 600));
            ExpectFrame(png, g);
            ExpectFrame(plainPng, g);
            const QImage page(QString::fromStdString(png));
            // The pre-arranged lesson's cell, in pixels of the 600 dpi layout scaled to 150 dpi.
            const zem::COLORREF cell = PixelOf(page, (g.Left(0) + 12) / 4, (g.headerBottom + g.row - 12) / 4);
            CTableTheme& theme = CTableTheme::Instance();
            const int previous = theme.SetMode(CELL_STYLE_COLOR);
            EXPECT_EQ(cell, colourTable ? chinese : theme.GetRowBColor());
            // The lesson's lines: on its subject's colour in black, as the grid writes them; else in
            // the grid's blue and green.
            const Rect lesson((g.Left(0) + 8) / 4, (g.headerBottom + 8) / 4, (g.Right(0) - 8) / 4,
                              (g.headerBottom + g.row - 8) / 4);
            const auto near = [](zem::COLORREF c, zem::COLORREF ink) {
                return std::abs(zem::GetRValue(c) - zem::GetRValue(ink)) < 50 &&
                       std::abs(zem::GetGValue(c) - zem::GetGValue(ink)) < 50 &&
                       std::abs(zem::GetBValue(c) - zem::GetBValue(ink)) < 50;
            };
            const int inked = CountOf(page, lesson, [&](zem::COLORREF c) {
                return !near(c, cell) && (near(c, CTableTheme::kMainTextColor) || near(c, CTableTheme::kSecondaryTextColor));
            });
            if (colourTable) {
                EXPECT_EQ(inked, 0);
                EXPECT_GT(CountOf(page, lesson, IsDark), 0);
            } else {
                EXPECT_GT(inked, 0);
            }
            EXPECT_EQ(PixelOf(page, (g.x0 + g.periodLeft) / 8, (g.gridTop + g.headerBottom) / 8),
                      theme.GetTitleBkColor());
            theme.SetMode(previous);
            if (!colourTable) {
                EXPECT_EQ(MarkPixels(page), 0);
            }
            // The preview shows the page as it prints.
            const QImage preview = DrawPage(sheet, 1, PREVIEW_PRINT);
            if (!colourTable) {
                EXPECT_EQ(MarkPixels(preview), 0);
            }
            SavePicture(preview, name + ".png");
        }
    }
}

TEST(ExpandTitleTemplate, ReplacesEachPlaceholderOnce)
{
    struct Case {
        std::string titleTemplate, name, school, expected;
    };
    const std::vector<Case> cases = {
        {"%NAME%", "一班", "实验中学", "一班"},
        {"%SCHOOL% %NAME%课表", "一班", "实验中学", "实验中学 一班课表"},
        {"%SCHOOL%\r\n%NAME%", "张老师", "实验中学", "实验中学\r\n张老师"},
        // A name that holds a placeholder stays as it is.
        {"%NAME%%NAME%", "%SCHOOL%", "实验中学", "%SCHOOL%%SCHOOL%"},
        {"%NAME", "一班", "实验中学", "%NAME"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExpandTitleTemplate(c.titleTemplate, c.name, c.school), c.expected) << c.titleTemplate;
}

}  // namespace
