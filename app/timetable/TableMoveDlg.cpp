#include "app/timetable/TableMoveDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/Drawing.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/shared/AppServices.h"
#include "app/timetable/ShiftRowDlg.h"
#include "app/timetable/SwapDaysDlg.h"
#include "app/timetable/TableMoves.h"
#include "app/timetable/TaskMerge.h"
#include "base/ScheduleTask.h"
#include "platform/gui/FileDialogs.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/gui/DC.h"
#include "platform/gui/QtText.h"

#include <QComboBox>

#include <filesystem>

#include <utility>

using zem::Rect;

namespace {


// The example lines of the row shift, made once for the whole program.
const std::string& ShiftRowExample()
{
    static const std::string text = std::string("例如：") + "\r\n把上午最后1节移到下午第1节" +
                                    "\r\n把下午第1节移到上午最后1节" + "\r\n在上午第1节前增加1节";
    return text;
}

QImage LoadPicture(const std::string& path)
{
    QImage picture;
    if (zem::FileExists(path))
        picture.load(zem::gui::ToQ(path), "BMP");
    return picture;
}

// The drawing splits lines at "\n" only.
std::string WithoutCarriageReturns(std::string text)
{
    std::erase(text, '\r');
    return text;
}

}  // namespace

CTableMoveDlg::CTableMoveDlg(QWidget* parent, std::string programFolder)
    : Dialog(parent, "课表大挪移 - 课表排好以后的结构性调整", {451, 278}),
      m_programFolder(programFolder.empty() ? zem::ProgramFolder() : std::move(programFolder))
{
}

std::string CTableMoveDlg::ListLine(const CMoveOperation& operation)
{
    return zem::Format("【%s - %s】%s", operation.group.c_str(), operation.name.c_str(), operation.description.c_str());
}

bool CTableMoveDlg::OnInitDialog()
{
    struct Entry {
        const char* name;
        const char* group;
        const char* description;
        std::string example;
        const char* file;
    };
    const Entry entries[] = {
        {"列交换", "表内调整", "交换课表的两列", "例如：\r\n交换周三和周五的课程", "movement_swap_col.bmp"},
        {"行平移", "表内调整", "平移课表的一行", ShiftRowExample(), "movement_move_row.bmp"},
        {"列合并", "表外合并", "合并两个课表的列", "例如：\r\n合并日常课表和周末课表\r\n列不重复",
         "movement_combine_col.bmp"},
        {"行合并", "表外合并", "合并两个课表的行", "例如：\r\n合并白天课表和晚自习课表\r\n行不重复",
         "movement_combine_row.bmp"},
        {"年级合并", "数据合并", "合并两个年级课表", "例如：\r\n合并两个年级的课表\r\n班级不重复",
         "movement_combine_class.bmp"},
    };
    m_operations.clear();
    for (const Entry& entry : entries)
        m_operations.push_back({entry.name, entry.group, entry.description, entry.example,
                                LoadPicture(m_programFolder + "images/" + entry.file)});

    const CGdiResources* gdi = CGdiResources::GetInstance();
    auto* list = new QComboBox(this);
    list->setFont(gdi->NormalFont.GetQFont());
    for (const CMoveOperation& operation : m_operations)
        list->addItem(zem::gui::ToQ(ListLine(operation)));
    list->setCurrentIndex(m_chosen);
    // The list closed: one line high.
    SetWidgetRect(list, UnitsRect(7, 39, 437, 14));
    AddControl(IDC_OPERATION, list);
    QObject::connect(list, &QComboBox::activated, this, [this] { OnSelChange(); });

    CHoverButton* start = AddHoverButton(this, IDC_START, "开始大挪移(&S)");
    SetWidgetRect(start, UnitsRect(317, 254, 127, 17));

    const int w = width();
    const int h = height();
    const int c = w / 2;
    m_header = Rect(0, 0, w, kDialogBandHeight);
    m_footer = Rect(0, h - kDialogFooterHeight, w, h);
    m_pictureArea = Rect(30, kDialogBandHeight + 50 + 20, c + 80 - 30, m_footer.top - 20);
    m_textArea = Rect(c + 50 + 30, kDialogBandHeight + 50 + 20, w - 30, m_footer.top - 20);
    return true;
}

void CTableMoveDlg::OnSelChange()
{
    const int index = Item<QComboBox>(IDC_OPERATION)->currentIndex();
    if (index >= 0 && index < static_cast<int>(m_operations.size()))
        m_chosen = index;
    update();
}

void CTableMoveDlg::OnOK()
{
    CScheduleTask* task = AppServices().GetTask();
    if (!task) {
        zem::ShowMessage("没有正在使用的排课任务", "提示");
        return;
    }
    if (m_chosen == MoveSwapDays) {
        CSwapDaysDlg inputs(this, *task);
        if (inputs.DoModal() != zem::IDOK)
            return;
        CAdjustmentEntryList entries;
        SwapDays(*task, inputs.GetDayA(), inputs.GetDayB(), entries);
        return;
    }
    if (m_chosen == MoveShiftRow) {
        CShiftRowDlg inputs(this);
        if (inputs.DoModal() != zem::IDOK)
            return;
        CAdjustmentEntryList entries;
        ShiftRow(*task, inputs.GetShift(), entries);
        return;
    }
    const MergeKind kind = m_chosen == MoveMergeDays       ? MergeKind::Days
                           : m_chosen == MoveMergeSegments ? MergeKind::Segments
                                                           : MergeKind::Classes;
    zem::gui::FileDialogRequest request;
    request.kind = zem::gui::FileDialogRequest::Kind::OpenFile;
    request.title = zem::Format("选择要%s的排课任务", MergeName(kind));
    request.filter = "排课任务文件(*.zem)|*.zem";
    request.folder = task->GetTaskInfo().GetTaskFolder();
    const std::string file = zem::gui::ChooseFile(this, request);
    if (file.empty())
        return;
    std::error_code error;
    if (std::filesystem::equivalent(file, task->GetTaskInfo().GetTaskFile(), error)) {
        zem::ShowMessage("不能和当前排课任务自己合并，请选择另一个排课任务", "提示");
        return;
    }
    // The other task is only read; it says itself why it cannot be opened.
    CScheduleTask other;
    if (!other.Open(file, TaskAccess::ReadOnly))
        return;
    CAdjustmentEntryList entries;
    MergeTask(*task, other, kind, entries);
}

void CTableMoveDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        const CGdiResources* gdi = CGdiResources::GetInstance();
        dc.FillSolidRect(client, gdi->m_whiteBrush);
        dc.FillSolidRect(m_header, gdi->m_headerBrush);
        dc.FillSolidRect(m_footer, gdi->m_dialogBrush);
        dc.SelectFont(gdi->HeaderFont);
        dc.SetTextColor(zem::RGB(255, 255, 255));
        dc.DrawText(m_title, Rect(20, 0, client.right, kDialogBandHeight),
                    zem::gui::DT_SINGLELINE | zem::gui::DT_VCENTER | zem::gui::DT_LEFT);
        if (m_operations.empty())
            return;
        const CMoveOperation& chosen = m_operations.at(static_cast<std::size_t>(m_chosen));
        if (!chosen.picture.isNull()) {
            dc.SetClipRect(m_pictureArea);
            dc.DrawImage(chosen.picture, m_pictureArea.left, m_pictureArea.top);
            dc.SetClipRect(client);
        }
        dc.SetTextColor(zem::RGB(0, 0, 0));
        dc.SelectFont(gdi->BoldFont);
        dc.DrawText(chosen.name, m_textArea, zem::gui::DT_SINGLELINE | zem::gui::DT_LEFT | zem::gui::DT_TOP);
        dc.SelectFont(gdi->NormalFont);
        DrawTextLines(&dc, m_textArea.left, m_textArea.top + 30, m_textArea.right, m_textArea.bottom,
                      WithoutCarriageReturns(chosen.description + "\r\n\r\n" + chosen.example), 4, 0);
    });
}
