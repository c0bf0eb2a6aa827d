#include "app/output/import/PlanImportDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/HyperLink.h"
#include "app/controls/MainToolBar.h"
#include "app/shared/AppServices.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/WindowMessages.h"
#include "platform/gui/DC.h"

#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

using namespace zem::import;

namespace {

constexpr const char* kCrossHelpHead = "【第一行】课程计划信息，用井号隔开:“课程#类型#周课时#连课#次数#指定教室”。例如：\n";
constexpr const char* kCrossHelpTail =
    "\n【交叉处】教师任课信息，一般情况下只填写教师姓名。如果没有对应的课程，可以留空\n"
    "如果不同年级课程计划不一致，可以分批导入，或者单独指定，格式:“教师#周课时#连课#次数#指定教室”";
constexpr const char* kFlatHelpTail = "\n指定教室一般用于特殊教室。每班固定一个的常规教室可以不指定，留空即可";

QRect ToQRect(const zem::Rect& r)
{
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

}  // namespace

CPlanImportDlg::CPlanImportDlg(QWidget* parent) : CBaseDataImportDlg(parent, {450, 290})
{
    m_caption = "导入";
    m_format = AppServices().GetImportFormat() == kCrossTableFormat ? kCrossTableFormat : kFlatListFormat;
}

void CPlanImportDlg::SetTitle(const std::string& title, zem::MessageTarget* page, bool selfStudy)
{
    m_caption = title;
    m_selfStudy = selfStudy;
    SetImportKind(page, selfStudy ? "早读和晚自习" : "教学计划", SampleRows(kFlatListFormat).front());
}

std::string CPlanImportDlg::HelpText(int format) const
{
    if (format == kCrossTableFormat) {
        return std::string(kCrossHelpHead) +
               (m_selfStudy ? "“数学#晚#4#2”表示晚自习每周4节，2节连排；“语文#早#3”表示早读每周3节，全部单排\n"
                              "【第一列】班级名称，每个班级的早读和晚自习占一行"
                            : "“语文#主#6#2#1”表示每周6节，2节连排1次，其余4节单排；“英语#主#4”表示每周4节，全部单排\n"
                              "【第一列】班级名称，每个班级的教学计划占一行") +
               kCrossHelpTail;
    }
    return std::string("【第一行】固定标题，和图中保持一致\n") +
           (m_selfStudy ? "【第二行开始】您的早读和晚自习数据，所有班级向下平铺展开，每一行对应一条早读或晚自习计划"
                        : "【第二行开始】您的教学计划数据，所有班级向下平铺展开，每一行对应一条教学计划") +
           kFlatHelpTail;
}

std::vector<std::vector<std::string>> CPlanImportDlg::SampleRows(int format) const
{
    if (format == kCrossTableFormat) {
        if (m_selfStudy)
            return {{"班级", "语文#早#3", "英语#早#2", "数学#晚#4#2"},
                    {"初一（1）班", "张三", "李四", "王五"},
                    {"初一（2）班", "赵六", "李四", "王五#2"}};
        return {{"班级", "语文#主#6#2#1", "数学#主#6", "英语#4", "班主任"},
                {"初一（1）班", "张三", "李四", "王五", "张三"},
                {"初一（2）班", "赵六", "李四#5", "王五", "李四"}};
    }
    if (m_selfStudy)
        return {{"班级", "类型", "课程", "教师", "周课时数", "连课", "次数", "指定教室"},
                {"初一（1）班", "早读", "语文", "张三", "3", "1", "0", ""},
                {"", "晚自习", "数学", "李四", "4", "2", "2", ""}};
    return {{"班级", "课程", "教师", "主/副课", "周课时数", "连课", "次数", "指定教室"},
            {"初一（1）班", "语文", "张三", "主课", "6", "2", "1", ""},
            {"", "物理", "王五", "主课", "3", "1", "0", "实验室"}};
}

bool CPlanImportDlg::OnInitDialog()
{
    SetCaption(m_caption);
    const auto& u = Units();
    m_steps[0].m_title = "1 点击下拉列表，选择Excel文件的格式";
    m_steps[1].m_title = "2 点击下面的按钮，选择要导入的Excel文件";
    const zem::Rect first = UnitsRect(7, 7, 436, 200);
    const zem::Rect second = UnitsRect(7, 212, 436, 71);
    m_steps[0].SetRect(first.left, first.top, first.right, first.bottom);
    m_steps[1].SetRect(second.left, second.top, second.right, second.bottom);

    const zem::Rect body = m_steps[0].GetBodyRect();
    auto* formats = new QComboBox(this);
    formats->addItems({"格式一：交叉表格", "格式二：平铺列表"});
    formats->setCurrentIndex(m_format);
    const int left = body.left + u.X(4), top = body.top + u.Y(4);
    AddField(this, IDC_FORMAT, formats, zem::Rect(left, top, left + u.X(110), top + u.Y(14)));
    QObject::connect(formats, &QComboBox::currentIndexChanged, this, [this](int index) { OnFormatChanged(index); });

    AddTemplateLink(zem::Rect(body.left + u.X(124), body.top + u.Y(6), body.left + u.X(214), body.top + u.Y(16)));
    auto* about = new CHyperLink(this);
    about->Create("关于连课和次数的说明", zem::Rect(body.left + u.X(224), body.top + u.Y(6), body.left + u.X(324), body.top + u.Y(16)),
                  this, IDC_ABOUT_BLOCKS);
    about->SetURL(kHelpPageAddress);

    const zem::Rect pictureRect(body.left + u.X(4), body.top + u.Y(24), body.left + u.X(254), body.bottom - u.Y(4));
    QLabel* picture = AddLabel(this, "", pictureRect, IDC_PICTURE);
    picture->setStyleSheet("border: 1px solid #C0C0C0;");
    m_textRect = zem::Rect(pictureRect.right + u.X(8), pictureRect.top, body.right - u.X(4), pictureRect.bottom);
    ShowPicture();

    AddRunControls(m_steps[1].GetBodyRect());
    setFixedSize(size());
    return true;
}

void CPlanImportDlg::ShowPicture()
{
    if (auto* picture = Item<QLabel>(IDC_PICTURE))
        picture->setPixmap(DrawSampleSheet(SampleRows(m_format), picture->size(), DialogFont().GetQFont()));
    update(ToQRect(m_textRect));
}

void CPlanImportDlg::OnFormatChanged(int format)
{
    m_format = format == kCrossTableFormat ? kCrossTableFormat : kFlatListFormat;
    AppServices().StoreImportFormat(m_format);
    ShowPicture();
}

void CPlanImportDlg::paintEvent(QPaintEvent* event)
{
    CBaseDataImportDlg::paintEvent(event);
    QPainter painter(this);
    painter.setFont(DialogFont().GetQFont());
    painter.setPen(QColor(156, 156, 156));
    // Measured by the painter: the lines wrap where the frame ends.
    painter.drawText(ToQRect(m_textRect), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, zem::gui::ToQ(HelpText(m_format)));
}

bool CPlanImportDlg::ConfirmStart(const std::string&)
{
    const char* name = PlanFormatName(m_format);
    zem::MessageRequest ask;
    ask.text = zem::Format("您当前选择的导入格式是：%s\n\n请确认您要导入的Excel文件内容是 %s 格式\n点击确定按钮继续导入", name, name);
    ask.icon = zem::MessageIcon::Information;
    ask.buttons = zem::MessageButtons::OkCancel;
    return zem::ShowMessage(ask) == zem::IDOK;
}

RowReadResult CPlanImportDlg::ReadRows(const std::string& path, const RowReadJob& job)
{
    PlanReadJob plan;
    static_cast<RowReadJob&>(plan) = job;
    plan.selfStudy = m_selfStudy;
    plan.format = m_format;
    plan.askFormat = [this](int current, int guess) {
        const auto shape = static_cast<zem::WPARAM>(current);
        return static_cast<int>(zem::SendMessage(this, WM_PLAN_IMPORT_ASK_FORMAT, shape, guess));
    };
    plan.sendHeadTeachers = [this](const std::map<std::string, std::string>& headTeachers) {
        zem::SendMessage(m_page, WM_SET_HEAD_TEACHERS, 0, zem::ToLParam(&headTeachers));
    };
    return ReadPlanWorkbook(path, plan);
}

std::string CPlanImportDlg::TemplateName() const
{
    const zem::LocalTime now = zem::Now();
    return zem::Format("%s（%s %04d%02d%02d）.%s", m_selfStudy ? "早读和晚自习" : "教学计划", PlanFormatName(m_format),
                       now.year, now.month, now.day, zem::workbook::kWorkbookSuffix);
}

zem::LRESULT CPlanImportDlg::WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM lParam)
{
    if (message == WM_PLAN_IMPORT_ASK_FORMAT) {
        const int current = static_cast<int>(wParam);
        const int guess = static_cast<int>(lParam);
        zem::MessageRequest ask;
        ask.text = PlanFormatQuestion(current, guess);
        ask.icon = zem::MessageIcon::Warning;
        ask.buttons = zem::MessageButtons::YesNo;
        return zem::ShowMessage(ask) == zem::IDYES ? guess : current;
    }
    return CBaseDataImportDlg::WindowProc(message, wParam, lParam);
}
