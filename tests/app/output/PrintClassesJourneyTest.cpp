// Printing every class timetable from the week timetable window, four to a page, on the demo task
// after a run, through the program's windows only: the window's "打印" menu, the chooser, the
// preview's page settings and its print button, the printer a PDF file.
#include "support/JourneyTestSupport.h"
#include "support/PdfPages.h"

#include "app/controls/MultiSelectDlg.h"
#include "app/output/PreviewPageWnd.h"
#include "app/output/PrintPreviewDlg.h"
#include "app/output/PrintSettingsDlg.h"
#include "app/timetable/WeekTimetableDlg.h"
#include "platform/gui/PopupMenu.h"

#include <QComboBox>
#include <QPrinter>

#include <algorithm>

namespace {

using P = CPrintPreviewDlg;
using S = CPrintSettingsDlg;

class PrintClassesJourney : public Journey {};

TEST_F(PrintClassesJourney, EveryClassTimetablePrintedFourToAPageHasItsTitleOnce)
{
    const std::string pdf = std::string(ZEM_TEST_OUTPUT_DIR) + "/journey_print_classes.pdf";
    std::vector<std::string> classNames;
    std::vector<std::vector<zem::gui::MenuItem>> menus;
    const auto previousMenu = zem::gui::SetPopupMenuHook([&](const std::vector<zem::gui::MenuItem>& items) {
        menus.push_back(items);
        return CWeekTimetableDlg::kPrintIds[WEEK_CLASSES];
    });
    const auto previousPrinter = zem::gui::SetPrintDialogHook([&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        return true;
    });
    StartProgram([&](CMainDlg& main) {
        OpenDemoTask(main);
        ASSERT_TRUE(CAppContext::Get()->HasTask());
        RunWholeSchool(main, "journey_print_report");
        ASSERT_TRUE(StepsDone());
        for (const CZemObject* one : ObjectsInOrder(CAppContext::Get()->GetTask()->GetClassInfoList()))
            classNames.push_back(one->GetName());
        ASSERT_GT(classNames.size(), 4u);
        const int pages = static_cast<int>(classNames.size() + 3) / 4;

        ClickPage(main, 4);
        Expect<CWeekTimetableDlg>("class timetables", [&](CWeekTimetableDlg& d) {
            SaveScreenshot(&d, "journey_print_week_window");
            // The window's own class comes ticked; the office ticks them all.
            Expect<CMultiSelectDlg>("classes to print", [&](CMultiSelectDlg& chooser) {
                EXPECT_EQ(chooser.GetCheckedSet().size(), 1u);
                Click(chooser, CMultiSelectDlg::IDC_CHECK_ALL);
                EXPECT_EQ(chooser.GetCheckedSet().size(), classNames.size());
                SaveScreenshot(&chooser, "journey_print_chooser");
                Click(chooser, zem::IDOK);
            });
            Expect<P>("print preview", [&](P& preview) {
                ASSERT_TRUE(preview.HasButton(P::ID_PRINT));
                Click(preview, P::ID_PAGE_SETTINGS);
                S& settings = *preview.GetPageWnd()->GetSettingsDlg();
                // The fourth layout puts four tables on a page.
                auto* layout = settings.Item<QComboBox>(S::IDC_TABLES_PER_PAGE);
                layout->setCurrentIndex(3);
                emit layout->activated(3);
                EXPECT_EQ(preview.GetPageCount(), pages);
                QApplication::processEvents();
                SaveScreenshot(&preview, "journey_print_preview");
                Click(preview, P::ID_PRINT);
                Click(preview, P::ID_CLOSE);
            });
            Click(d, CWeekTimetableDlg::IDC_PRINT);
            ASSERT_TRUE(StepsDone());
            d.close();
        });
        ClickTool(main, 30);
        ASSERT_TRUE(StepsDone());
        main.close();
    });
    zem::gui::SetPrintDialogHook(previousPrinter);
    zem::gui::SetPopupMenuHook(previousMenu);
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].front().text, "打印班级课表");

    EXPECT_EQ(PdfInfo(pdf)["Pages"], std::to_string((classNames.size() + 3) / 4));
    // Each class's title once in the whole file, four titles on every page but the last.
    const std::vector<PdfPage> printed = ReadPdfPages(pdf);
    std::map<std::string, int> titles;
    for (const PdfPage& page : printed)
        for (const PdfLine& line : page.Lines())
            for (const std::string& name : classNames)
                if (line.text.find(name) != std::string::npos)
                    ++titles[name];
    for (const std::string& name : classNames)
        EXPECT_EQ(titles[name], 1) << name;
    // The lines of the small cells stay apart: no word runs into another.
    for (std::size_t page = 0; page < printed.size(); ++page) {
        const std::vector<PdfWord>& words = printed[page].words;
        int overlaps = 0;
        for (std::size_t i = 0; i < words.size(); ++i)
            for (std::size_t j = i + 1; j < words.size(); ++j) {
                const PdfWord& a = words[i];
                const PdfWord& b = words[j];
                const double wide = std::min(a.xMax, b.xMax) - std::max(a.xMin, b.xMin);
                const double high = std::min(a.yMax, b.yMax) - std::max(a.yMin, b.yMin);
                if (wide > 1 && high > 1)
                    ++overlaps;
            }
        EXPECT_EQ(overlaps, 0) << "page " << page + 1;
    }
    for (int page = 1; page <= static_cast<int>(printed.size()); ++page)
        RenderPage(pdf, page, std::string(ZEM_TEST_OUTPUT_DIR) + "/journey_print_page" + std::to_string(page) + ".png",
                   60);
}

}  // namespace
