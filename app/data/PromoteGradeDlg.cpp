#include "app/data/PromoteGradeDlg.h"

#include "app/shared/AppServices.h"
#include "app/shared/SettingsFile.h"
#include "app/controls/DialogLook.h"
#include "app/controls/HoverButton.h"
#include "app/shared/Strings.h"
#include "app/shared/Vocabulary.h"
#include "base/ConfigHost.h"
#include "platform/Text.h"
#include "platform/gui/QtText.h"
#include "platform/gui/ReportList.h"

#include <QComboBox>
#include <QLabel>

using zem::Rect;
using zem::gui::ToQ;

namespace {

constexpr const char* kNameTagKey = "UpgradeNameTag";
constexpr const char* kShortNameTagKey = "UpgradeShortNameTag";
constexpr int kDefaultNameTag = 2;
constexpr int kDefaultShortNameTag = 8;

// A remembered sequence; a value the table does not hold gives the default.
int ReadTag(const char* key, int fallback)
{
    const CConfigHost* config = AppServices().GetProgramConfig();
    const int value = config ? config->GetConfigInt(kCommonSection, key, fallback) : fallback;
    return value >= 0 && value < CGradeNamePresets::GetCount() ? value : fallback;
}

}  // namespace

void ComputePromotion(std::vector<CPromotionRecord>& records, int nameTag, int shortNameTag)
{
    for (CPromotionRecord& record : records) {
        record.newName = CGradeNamePresets::NextGradeName(record.name, nameTag);
        record.newShortName = CGradeNamePresets::NextGradeName(record.shortName, shortNameTag);
    }
}

std::string FindPromotionRepeat(const std::vector<CPromotionRecord>& records)
{
    for (std::size_t i = 0; i < records.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j)
            if (zem::EqualsNoCase(records[i].newName, records[j].newName))
                return zem::Format("班级名称 %s 重复", records[i].newName.c_str());
        for (std::size_t j = 0; j < i; ++j)
            if (zem::EqualsNoCase(records[i].newShortName, records[j].newShortName))
                return zem::Format("班级简称 %s 重复", records[i].newShortName.c_str());
    }
    return {};
}

CGradeTagDlg::CGradeTagDlg(QWidget* parent)
    : Dialog(parent, "选择年级标识格式", {230, 104}),
      m_nameTag(ReadTag(kNameTagKey, kDefaultNameTag)),
      m_shortNameTag(ReadTag(kShortNameTagKey, kDefaultShortNameTag))
{
}

bool CGradeTagDlg::OnInitDialog()
{
    auto row = [this](int id, const char* text, int top, int selection) {
        AddLabel(this, text, UnitsRect(10, top + 2, 96, 10));
        auto* box = new QComboBox(this);
        for (int i = 0; i < CGradeNamePresets::GetCount(); ++i)
            box->addItem(ToQ(CGradeNamePresets::GetAt(i)));
        box->setCurrentIndex(selection);
        AddField(this, id, box, UnitsRect(110, top, 110, 14));
        return box;
    };
    m_nameBox = row(IDC_NAME_TAG, "班级名称中的年级标识", 10, m_nameTag);
    m_shortNameBox = row(IDC_SHORT_NAME_TAG, "班级简称中的年级标识", 30, m_shortNameTag);
    AddLabel(this, "年级标识是指班级名称中用来标识年级的汉字或数字\n如：初一（1）班中的“一”，802班中的“8”",
             UnitsRect(10, 50, 210, 22), IDC_HINT)
        ->setStyleSheet(QStringLiteral("color: rgb(128, 128, 128);"));
    AddHoverButton(this, zem::IDOK, "确定")->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, "取消");
    PlaceButtonRow(this, height() - Units().Y(7) - Units().Y(14), {}, {zem::IDOK, zem::IDCANCEL});
    return true;
}

void CGradeTagDlg::OnOK()
{
    m_nameTag = m_nameBox->currentIndex();
    m_shortNameTag = m_shortNameBox->currentIndex();
    if (const CConfigHost* config = AppServices().GetProgramConfig()) {
        // A setting that cannot be written has said so; the promotion still takes the choice.
        config->SetConfigInt(kCommonSection, kNameTagKey, m_nameTag);
        config->SetConfigInt(kCommonSection, kShortNameTagKey, m_shortNameTag);
    }
    EndDialog(zem::IDOK);
}

CPromoteGradeDlg::CPromoteGradeDlg(QWidget* parent) : Dialog(parent, "升年级", {270, 230}) {}

void CPromoteGradeDlg::SetTags(int nameTag, int shortNameTag)
{
    m_nameTag = nameTag;
    m_shortNameTag = shortNameTag;
}

bool CPromoteGradeDlg::OnInitDialog()
{
    const auto& u = Units();
    AddGroup(this, "年级标识", UnitsRect(7, 4, 256, 32));
    m_tagLabel = AddLabel(this, "", UnitsRect(15, 18, 180, 10), IDC_TAG_LABEL);
    AddHoverButton(this, IDC_CHANGE, "更改", UnitsRect(205, 15, 50, 14));

    const int buttonTop = height() - u.Y(7) - u.Y(14);
    m_list = new COwnerDrawListBox(this);
    m_list->setFrameShape(QFrame::NoFrame);
    m_listFrame = PlaceList(this, m_list, u.Y(42), buttonTop - u.Y(7));
    AddControl(IDC_LIST, m_list);

    AddHoverButton(this, zem::IDOK, "升年级")->setDefault(true);
    AddHoverButton(this, zem::IDCANCEL, "取消");
    PlaceButtonRow(this, buttonTop, {}, {zem::IDOK, zem::IDCANCEL});
    Recompute();
    return true;
}

void CPromoteGradeDlg::Recompute()
{
    ComputePromotion(m_records, m_nameTag, m_shortNameTag);
    m_list->ResetContent();
    for (CPromotionRecord& record : m_records) {
        const int index = m_list->AddString(record.name + " -> " + record.newName);
        m_list->SetItemDataPtr(index, &record);
    }
    m_tagLabel->setText(ToQ(zem::Format("班级名称：%s 简称：%s", CGradeNamePresets::GetAt(m_nameTag).c_str(),
                                        CGradeNamePresets::GetAt(m_shortNameTag).c_str())));
}

void CPromoteGradeDlg::OnCommand(int id)
{
    if (id == IDC_CHANGE) {
        CGradeTagDlg tags(this);
        if (tags.DoModal() == zem::IDOK) {
            SetTags(tags.GetNameTag(), tags.GetShortNameTag());
            Recompute();
        }
        return;
    }
    Dialog::OnCommand(id);
}

void CPromoteGradeDlg::OnOK()
{
    const std::string repeat = FindPromotionRepeat(m_records);
    if (!repeat.empty()) {
        zem::ShowMessage(repeat, "提示", zem::MessageIcon::Warning);
        return;
    }
    EndDialog(zem::IDOK);
}

void CPromoteGradeDlg::paintEvent(QPaintEvent*)
{
    PaintOffscreen(this, [this](zem::gui::DC& dc, const Rect& client) {
        dc.FillSolidRect(client, kDialogBandColor);
        DrawFramedBox(dc, m_listFrame, true);
    });
}

bool PromoteClassRows(QWidget* page, zem::gui::ReportList& list)
{
    CGradeTagDlg tags(page);
    if (tags.DoModal() != zem::IDOK)
        return false;
    CPromoteGradeDlg promote(page);
    promote.SetTags(tags.GetNameTag(), tags.GetShortNameTag());
    for (int row = 0; row < list.GetItemCount(); ++row) {
        CPromotionRecord record;
        record.id = list.GetItemText(row, 0);
        record.row = row;
        record.name = list.GetItemText(row, 1);
        record.shortName = list.GetItemText(row, 2);
        promote.GetRecords().push_back(std::move(record));
    }
    if (promote.DoModal() != zem::IDOK)
        return false;
    for (const CPromotionRecord& record : promote.GetRecords()) {
        list.SetItemText(record.row, 1, record.newName);
        list.SetItemText(record.row, 2, record.newShortName);
    }
    return true;
}
