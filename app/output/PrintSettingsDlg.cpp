#include "app/output/PrintSettingsDlg.h"

#include "app/controls/DialogLook.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/controls/TipWnd.h"
#include "app/output/PageLayout.h"
#include "app/output/PrintSheet.h"
#include "app/shared/AppServices.h"
#include "base/CellLayouts.h"
#include "platform/Text.h"
#include "platform/gui/PopupMenu.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>

#include <algorithm>

using zem::Rect;
using zem::gui::ToQ;

namespace {

// The names of a timetable kind's cell layouts (0 class, 1 teacher, 2 room), in the order of their numbers.
std::vector<std::string> CellLayoutNames(int kind)
{
    std::vector<std::string> names;
    for (const zem::CellLayout& layout : zem::kCellLayouts[kind])
        names.emplace_back(layout.name);
    return names;
}

const std::vector<std::string> kTableLayouts = {"1个课表",           "2个课表，1行2列", "2个课表，2行1列",
                                                "4个课表，2行2列", "6个课表，2行3列", "6个课表，3行2列"};
const std::vector<std::string> kFontSizes = {"6",  "7",  "8",  "9",  "10", "11", "12", "14", "16",
                                             "18", "20", "22", "24", "26", "28", "36", "48", "72"};
constexpr const char* kAutoRowHeight = "自动";
constexpr const char* kTitleTipTitle = "关于标题格式的说明";
constexpr const char* kTitleTipText =
    "\n支持以一对百分号界定的通配符\n%NAME% 当前课表的名称。如班级名称，教师姓名\n%SCHOOL% "
    "学校名称\n以上通配符可以根据需要选择使用，并可在其前后加入其它任意内容";
// zem.ini keeps a title's line breaks as "|": a typed one becomes the full-width bar.
constexpr const char16_t kFullWidthBar = u'｜';

std::vector<std::string> RowHeights()
{
    std::vector<std::string> texts = {kAutoRowHeight};
    for (int mm = 28; mm >= 16; --mm)
        texts.push_back(std::to_string(mm));
    return texts;
}

// The template as the edit holds it ("\n") and as the layout keeps it ("\r\n").
QString ToEditText(const std::string& text)
{
    return ToQ(zem::ReplaceAll(text, "\r\n", "\n"));
}

std::string FromEditText(const QString& text)
{
    return zem::ReplaceAll(zem::ReplaceAll(text.toStdString(), "\r\n", "\n"), "\n", "\r\n");
}

void SelectText(QComboBox* combo, const std::string& text, int fallback)
{
    const int index = combo->findText(ToQ(text));
    combo->setCurrentIndex(index >= 0 ? index : fallback);
}

// A face the list lacks (a stored one, or a default before the font scan) is put first.
void SelectFace(QComboBox* combo, const std::string& face)
{
    if (!face.empty() && combo->findText(ToQ(face)) < 0)
        combo->insertItem(0, ToQ(face));
    SelectText(combo, face, 0);
}

void SelectIndex(QComboBox* combo, int index)
{
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : 0);
}

}  // namespace

CPrintSettingsDlg::CPrintSettingsDlg(QWidget* parent, zem::MessageTarget* notify, int mode, bool temporary)
    : Dialog(parent, "基本设置", {210, 276}), m_notify(notify), m_mode(mode), m_temporary(temporary)
{
    // Floats over the preview, which stays usable beside it.
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(false);
}

CPrintSettingsDlg::~CPrintSettingsDlg()
{
    AppServices().SaveWeekPageLayout();
}

const std::vector<std::string>& CPrintSettingsDlg::TitleTemplates()
{
    static const std::vector<std::string> templates = {
        "%NAME%",           "%SCHOOL% %NAME%",          "%NAME%课表",
        "%NAME%临时课表",   "%SCHOOL% %NAME%课表",      "%SCHOOL% %NAME%临时课表",
        "%SCHOOL%\r\n%NAME%", "%SCHOOL%\r\n%NAME%课表", "%SCHOOL%\r\n%NAME%临时课表"};
    return templates;
}

QComboBox* CPrintSettingsDlg::AddCombo(int id, const Rect& rect, const std::vector<std::string>& texts)
{
    auto* combo = new QComboBox(this);
    for (const std::string& text : texts)
        combo->addItem(ToQ(text));
    SetWidgetRect(combo, rect);
    AddControl(id, combo);
    connect(combo, &QComboBox::activated, this, [this, id] { OnCommand(id); });
    return combo;
}

QCheckBox* CPrintSettingsDlg::AddCheck(int id, const char* text, const Rect& rect)
{
    auto* box = new QCheckBox(ToQ(text), this);
    SetWidgetRect(box, rect);
    AddControl(id, box);
    return box;
}

bool CPrintSettingsDlg::OnInitDialog()
{
    const auto label = [this](const char* text, const Rect& rect) {
        auto* widget = new QLabel(ToQ(text), this);
        SetWidgetRect(widget, rect);
    };
    const auto radio = [this](int id, const char* text, const Rect& rect) {
        auto* button = new QRadioButton(ToQ(text), this);
        SetWidgetRect(button, rect);
        AddControl(id, button);
    };

    radio(IDC_NORMAL_PRINT, "普通打印", UnitsRect(8, 7, 60, 10));
    radio(IDC_COLOR_PRINT, "彩色打印", UnitsRect(72, 7, 60, 10));
    AddCombo(IDC_SHEET_TYPE, UnitsRect(8, 5, 194, 14), {"每页课表放在不同的工作表中", "所有课表放在一个工作表中"});
    const bool exporting = m_mode == PREVIEW_EXPORT || m_mode == PREVIEW_SETTINGS;
    ShowItem(IDC_NORMAL_PRINT, !exporting);
    ShowItem(IDC_COLOR_PRINT, !exporting);
    ShowItem(IDC_SHEET_TYPE, exporting);

    label("标题", UnitsRect(8, 25, 24, 10));
    m_title = new QPlainTextEdit(this);
    m_title->setTabChangesFocus(true);
    SetWidgetRect(m_title, UnitsRect(34, 23, 128, 30));
    AddControl(IDC_TITLE, m_title);
    m_title->installEventFilter(this);
    connect(m_title, &QPlainTextEdit::textChanged, this, [this] { OnTitleChanged(); });
    AddHoverButton(this, IDC_TEMPLATES, "模板");
    SetWidgetRect(GetDlgItem(IDC_TEMPLATES), UnitsRect(166, 23, 36, 14));

    label("班级课表", UnitsRect(8, 62, 40, 10));
    AddCombo(IDC_CLASS_FORMAT, UnitsRect(50, 60, 152, 14), CellLayoutNames(0));
    label("教师课表", UnitsRect(8, 80, 40, 10));
    AddCombo(IDC_TEACHER_FORMAT, UnitsRect(50, 78, 152, 14), CellLayoutNames(1));
    label("教室课表", UnitsRect(8, 98, 40, 10));
    AddCombo(IDC_ROOM_FORMAT, UnitsRect(50, 96, 152, 14), CellLayoutNames(2));

    AddCheck(IDC_SHORT_NAMES, "简称", UnitsRect(8, 116, 92, 10));
    AddCheck(IDC_DATE, "日期", UnitsRect(104, 116, 98, 10));
    AddCheck(IDC_HEAD_TEACHER, "班主任(班级)", UnitsRect(8, 130, 92, 10));
    AddCheck(IDC_WEEK_COUNT, "周课时数(教师)", UnitsRect(104, 130, 98, 10));
    AddCheck(IDC_SECTION_NAMES, "时段名称（上午、下午、晚上）", UnitsRect(8, 144, 194, 10));

    label("纸张", UnitsRect(8, 164, 24, 10));
    AddCombo(IDC_PAPER, UnitsRect(34, 162, 60, 14), {"A3", "A4", "A5"});
    label("方向", UnitsRect(104, 164, 24, 10));
    AddCombo(IDC_ORIENTATION, UnitsRect(130, 162, 72, 14), {"横向", "纵向"});

    label("每页", UnitsRect(8, 182, 24, 10));
    const Rect layoutRect = UnitsRect(34, 180, 100, 14);
    AddCombo(IDC_TABLES_PER_PAGE, layoutRect, kTableLayouts);
    m_layoutRightWithRowHeight = layoutRect.right;
    m_layoutRightAlone = UnitsRect(34, 180, 168, 14).right;
    auto* rowHeightLabel = new QLabel(ToQ("行高"), this);
    SetWidgetRect(rowHeightLabel, UnitsRect(138, 182, 20, 10));
    // The label comes and goes with its combo.
    rowHeightLabel->setObjectName("rowHeightLabel");
    AddCombo(IDC_ROW_HEIGHT, UnitsRect(158, 180, 44, 14), RowHeights());

    std::vector<std::string> faces = CGdiResources::GetInstance()->GetFaceList();
    if (faces.empty())
        faces = zem::gui::InstalledAliasFaces();
    label("标题", UnitsRect(8, 202, 24, 10));
    AddCombo(IDC_TITLE_FACE, UnitsRect(34, 200, 118, 14), faces);
    AddCombo(IDC_TITLE_SIZE, UnitsRect(156, 200, 46, 14), kFontSizes);
    label("内容", UnitsRect(8, 220, 24, 10));
    AddCombo(IDC_CONTENT_FACE, UnitsRect(34, 218, 118, 14), faces);
    AddCombo(IDC_CONTENT_SIZE, UnitsRect(156, 218, 46, 14), kFontSizes);
    AddCombo(IDC_CONTENT2_FACE, UnitsRect(34, 236, 118, 14), faces);
    AddCombo(IDC_CONTENT2_SIZE, UnitsRect(156, 236, 46, 14), kFontSizes);

    AddHoverButton(this, IDC_DEFAULTS, "恢复默认值");
    SetWidgetRect(GetDlgItem(IDC_DEFAULTS), UnitsRect(134, 256, 68, 15));

    SetFontOnChildren(this, DialogFont());
    LoadControls();
    Apply(true);
    return true;
}

void CPrintSettingsDlg::LoadControls()
{
    const CWeekTablePageLayout& l = WeekPageLayout();
    m_loading = true;
    Item<QRadioButton>(IDC_NORMAL_PRINT)->setChecked(l.NormalPrint);
    Item<QRadioButton>(IDC_COLOR_PRINT)->setChecked(!l.NormalPrint);
    SelectIndex(Item<QComboBox>(IDC_SHEET_TYPE), l.SheetType == 1 ? 1 : 0);
    m_title->setPlainText(ToEditText(m_temporary ? l.TempTitleFormat : l.TitleFormat));
    SelectIndex(Item<QComboBox>(IDC_CLASS_FORMAT), l.GetCourseInfoFormat(0));
    SelectIndex(Item<QComboBox>(IDC_TEACHER_FORMAT), l.GetCourseInfoFormat(1));
    SelectIndex(Item<QComboBox>(IDC_ROOM_FORMAT), l.GetCourseInfoFormat(2));
    Item<QCheckBox>(IDC_SHORT_NAMES)->setChecked(!l.ShowFullName);
    Item<QCheckBox>(IDC_HEAD_TEACHER)->setChecked(l.ShowHeadTeacherName);
    Item<QCheckBox>(IDC_WEEK_COUNT)->setChecked(l.ShowWeekCount);
    Item<QCheckBox>(IDC_DATE)->setChecked(l.ShowDate);
    Item<QCheckBox>(IDC_SECTION_NAMES)->setChecked(l.ShowSectionName);
    SelectIndex(Item<QComboBox>(IDC_PAPER), l.paper == 0 ? 0 : l.paper == 2 ? 2 : 1);
    SelectIndex(Item<QComboBox>(IDC_ORIENTATION), l.orientation != 0 ? 1 : 0);
    SelectIndex(Item<QComboBox>(IDC_TABLES_PER_PAGE), l.TableLayout >= 1 && l.TableLayout <= 5 ? l.TableLayout : 0);
    SelectText(Item<QComboBox>(IDC_ROW_HEIGHT),
               l.CellHeightInSingleMode > 0 ? std::to_string(l.CellHeightInSingleMode) : kAutoRowHeight, 0);
    const auto fontPair = [this, &l](int faceId, int sizeId, int slot) {
        SelectFace(Item<QComboBox>(faceId), l.fonts[slot].faceName);
        SelectText(Item<QComboBox>(sizeId), std::to_string(l.fonts[slot].size), 0);
    };
    fontPair(IDC_TITLE_FACE, IDC_TITLE_SIZE, CPageLayout::FONT_TITLE);
    fontPair(IDC_CONTENT_FACE, IDC_CONTENT_SIZE, CPageLayout::FONT_CONTENT);
    fontPair(IDC_CONTENT2_FACE, IDC_CONTENT2_SIZE, CPageLayout::FONT_CONTENT2);
    ShowRowHeight();
    m_loading = false;
}

void CPrintSettingsDlg::ShowRowHeight()
{
    auto* layout = Item<QComboBox>(IDC_TABLES_PER_PAGE);
    const bool single = layout->currentIndex() == 0;
    ShowItem(IDC_ROW_HEIGHT, single);
    if (auto* label = findChild<QLabel*>("rowHeightLabel"))
        label->setVisible(single);
    Rect rect = WidgetRect(layout);
    rect.right = single ? m_layoutRightWithRowHeight : m_layoutRightAlone;
    SetWidgetRect(layout, rect);
}

void CPrintSettingsDlg::Apply(bool pagesChanged)
{
    if (m_loading)
        return;
    CWeekTablePageLayout& l = WeekPageLayout();
    (m_temporary ? l.TempTitleFormat : l.TitleFormat) = FromEditText(m_title->toPlainText());
    l.NormalPrint = Item<QRadioButton>(IDC_NORMAL_PRINT)->isChecked();
    l.SetCourseInfoFormat(Item<QComboBox>(IDC_CLASS_FORMAT)->currentIndex(), 0);
    l.SetCourseInfoFormat(Item<QComboBox>(IDC_TEACHER_FORMAT)->currentIndex(), 1);
    l.SetCourseInfoFormat(Item<QComboBox>(IDC_ROOM_FORMAT)->currentIndex(), 2);
    l.ShowFullName = !Item<QCheckBox>(IDC_SHORT_NAMES)->isChecked();
    l.ShowHeadTeacherName = Item<QCheckBox>(IDC_HEAD_TEACHER)->isChecked();
    l.ShowWeekCount = Item<QCheckBox>(IDC_WEEK_COUNT)->isChecked();
    l.ShowDate = Item<QCheckBox>(IDC_DATE)->isChecked();
    l.ShowSectionName = Item<QCheckBox>(IDC_SECTION_NAMES)->isChecked();
    l.paper = Item<QComboBox>(IDC_PAPER)->currentIndex();
    l.orientation = Item<QComboBox>(IDC_ORIENTATION)->currentIndex();
    l.TableLayout = Item<QComboBox>(IDC_TABLES_PER_PAGE)->currentIndex();
    const std::string rowHeight = Item<QComboBox>(IDC_ROW_HEIGHT)->currentText().toStdString();
    l.CellHeightInSingleMode = rowHeight == kAutoRowHeight ? 0 : std::atoi(rowHeight.c_str());
    const auto fontPair = [this, &l](int faceId, int sizeId, int slot) {
        l.fonts[slot].faceName = Item<QComboBox>(faceId)->currentText().toStdString();
        l.fonts[slot].size = std::atoi(Item<QComboBox>(sizeId)->currentText().toStdString().c_str());
    };
    fontPair(IDC_TITLE_FACE, IDC_TITLE_SIZE, CPageLayout::FONT_TITLE);
    fontPair(IDC_CONTENT_FACE, IDC_CONTENT_SIZE, CPageLayout::FONT_CONTENT);
    fontPair(IDC_CONTENT2_FACE, IDC_CONTENT2_SIZE, CPageLayout::FONT_CONTENT2);
    l.SyncContentFonts();
    zem::SendMessage(m_notify, WM_PRINT_SETTINGS_CHANGED, pagesChanged ? 1 : 0, 0);
}

void CPrintSettingsDlg::OnTitleChanged()
{
    if (m_loading)
        return;
    const QString text = m_title->toPlainText();
    if (text.contains(u'|')) {
        QTextCursor cursor = m_title->textCursor();
        const int position = cursor.position();
        QString replaced = text;
        replaced.replace(u'|', kFullWidthBar);
        m_loading = true;
        m_title->setPlainText(replaced);
        m_loading = false;
        cursor = m_title->textCursor();
        cursor.setPosition(std::min<int>(position, static_cast<int>(replaced.size())));
        m_title->setTextCursor(cursor);
    }
    Apply(false);
}

void CPrintSettingsDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_TEMPLATES:
        return ShowTemplateMenu();
    case IDC_DEFAULTS:
        return RestoreDefaults();
    case IDC_SHEET_TYPE:
        WeekPageLayout().SheetType = Item<QComboBox>(IDC_SHEET_TYPE)->currentIndex();
        return;
    case IDC_TABLES_PER_PAGE:
        ShowRowHeight();
        return Apply(true);
    case IDC_NORMAL_PRINT:
    case IDC_COLOR_PRINT:
    case IDC_CLASS_FORMAT:
    case IDC_TEACHER_FORMAT:
    case IDC_ROOM_FORMAT:
    case IDC_SHORT_NAMES:
    case IDC_HEAD_TEACHER:
    case IDC_WEEK_COUNT:
    case IDC_DATE:
    case IDC_SECTION_NAMES:
    case IDC_PAPER:
    case IDC_ORIENTATION:
    case IDC_ROW_HEIGHT:
    case IDC_TITLE_FACE:
    case IDC_TITLE_SIZE:
    case IDC_CONTENT_FACE:
    case IDC_CONTENT_SIZE:
    case IDC_CONTENT2_FACE:
    case IDC_CONTENT2_SIZE:
        return Apply(false);
    default:
        Dialog::OnCommand(id);
    }
}

void CPrintSettingsDlg::ShowTemplateMenu()
{
    std::vector<zem::gui::MenuItem> menu = {{kFirstTemplateCommand - 1, "模板列表：", false}, {}};
    const std::vector<std::string>& templates = TitleTemplates();
    for (std::size_t i = 0; i < templates.size(); ++i)
        menu.push_back({kFirstTemplateCommand + static_cast<int>(i), zem::ReplaceAll(templates[i], "\r\n", "(换行)")});
    QWidget* button = GetDlgItem(IDC_TEMPLATES);
    const QPoint corner = button->mapToGlobal(QPoint(button->width(), 0));
    const int chosen = zem::gui::TrackPopupMenu(this, menu, {corner.x(), corner.y()});
    const int index = chosen - kFirstTemplateCommand;
    if (index < 0 || index >= static_cast<int>(templates.size()))
        return;
    m_loading = true;
    m_title->setPlainText(ToEditText(templates[static_cast<std::size_t>(index)]));
    m_loading = false;
    Apply(false);
}

void CPrintSettingsDlg::RestoreDefaults()
{
    if (AskQuestion("确定要恢复所有设置项为默认值吗", zem::MessageButtons::OkCancel) != zem::IDOK)
        return;
    CWeekTablePageLayout& l = WeekPageLayout();
    const int sheetType = l.SheetType;
    const bool normalPrint = l.NormalPrint;
    l.SetDefaults();
    // What this preview does not show keeps its value.
    if (m_mode == PREVIEW_PRINT)
        l.SheetType = sheetType;
    else
        l.NormalPrint = normalPrint;
    l.SyncContentFonts();
    LoadControls();
    Apply(true);
}

bool CPrintSettingsDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_title && event->type() == QEvent::FocusIn)
        ShowTitleTip();
    return Dialog::eventFilter(watched, event);
}

void CPrintSettingsDlg::ShowTitleTip()
{
    CTipWnd* tip = AppServices().GetTipWnd();
    if (!tip)
        return;
    const QPoint below = m_title->mapToGlobal(QPoint(0, m_title->height() + 2));
    const QPoint left = mapToGlobal(QPoint(5, 0));
    tip->ShowTip(left.x(), below.y(), kTitleTipTitle, kTitleTipText, 0);
}
