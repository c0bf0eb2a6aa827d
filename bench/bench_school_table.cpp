// Painting the whole-school grid of a big school: 120 classes, horizontal layout, a 1920 x 1080
// window. Budget: one full repaint in under 16 ms, so that scrolling stays smooth.
#include "base/CellRecord.h"
#include "table/SchoolTable.h"

#include <QImage>

#include "GridBenchMain.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

constexpr int kClasses = 120;
constexpr int kDays = 5;

std::string OneEntry(const std::string& main, const std::string& secondary)
{
    return zem::JoinCellRecord({"1", "1", main, secondary});
}

std::string TwoEntries(const std::string& main1, const std::string& secondary1, const std::string& main2,
                       const std::string& secondary2)
{
    return zem::JoinCellRecord({"2", "1", main1, secondary1, "2", main2, secondary2});
}

// The window's paint, into a screen-sized image.
void Paint(CSchoolTable& grid)
{
    static QImage screen(1920, 1080, QImage::Format_RGB32);
    grid.render(&screen);
}

// A school as the timetable window shows it: subject and teacher in every period, a few odd/even
// cells and free periods, morning reading and evening self-study shown.
std::unique_ptr<CSchoolTable> MakeSchool()
{
    auto grid = std::make_unique<CSchoolTable>();
    grid->Init(nullptr, nullptr);
    grid->SetDays({"星期一", "星期二", "星期三", "星期四", "星期五"});
    grid->SetSections(4, 4, 0, 1, 2);
    grid->SetShowSS(true);
    grid->SetCellHeight(52);
    const char* subjects[] = {"语文", "数学", "英语", "物理", "化学", "生物", "历史", "地理", "政治", "体育"};
    const char* teachers[] = {"王玥", "李堃", "张喆", "陈瑋", "刘琝", "赵敏", "孙浩", "周婷", "吴磊", "郑强"};
    const char* grades[] = {"高一", "高二", "高三"};
    const int dayNodes = grid->GetDayNodes();
    for (int c = 0; c < kClasses; ++c) {
        grid->AddRow(zem::JoinCellRecord({grades[c / 40], "(" + std::to_string(c % 40 + 1) + ")班"}));
        for (int day = 0; day < kDays; ++day) {
            for (int p = 0; p < dayNodes; ++p) {
                const int k = (c * 7 + day * 3 + p) % 10;
                std::string text;
                if (p == 0)
                    text = OneEntry(day % 2 ? "英语" : "语文", "");
                else if (p >= dayNodes - 2)
                    text = OneEntry("自习", "");
                else if ((c + day + p) % 17 == 0)
                    text = TwoEntries("音乐", "钱", "美术", "冯");
                else if ((c + day * 2 + p) % 13 == 0)
                    continue;
                else
                    text = OneEntry(subjects[k], teachers[k]);
                grid->SetNodeText(c, day * dayNodes + p, text);
            }
        }
    }
    grid->resize(1920, 1080);
    grid->Refresh();
    Paint(*grid);
    return grid;
}

// A repaint of the whole window once the visible texts are laid out.
void BM_RepaintHorizontal(benchmark::State& state)
{
    const auto grid = MakeSchool();
    for (auto _ : state)
        Paint(*grid);
}
BENCHMARK(BM_RepaintHorizontal)->Unit(benchmark::kMillisecond);

// A line down and back, each followed by its repaint: the texts only move.
void BM_ScrollLineAndRepaint(benchmark::State& state)
{
    const auto grid = MakeSchool();
    unsigned code = SB_LINEDOWN;
    for (auto _ : state) {
        grid->OnVScroll(code);
        Paint(*grid);
        code = code == SB_LINEDOWN ? SB_LINEUP : SB_LINEDOWN;
    }
}
BENCHMARK(BM_ScrollLineAndRepaint)->Unit(benchmark::kMillisecond);

// A refresh (new size or fonts) lays every visible text out again before painting.
void BM_RefreshAndRepaint(benchmark::State& state)
{
    const auto grid = MakeSchool();
    for (auto _ : state) {
        grid->Refresh();
        Paint(*grid);
    }
}
BENCHMARK(BM_RefreshAndRepaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return RunGridBenchmarks(argc, argv);
}
