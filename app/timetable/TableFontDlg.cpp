#include "app/timetable/TableFontDlg.h"

#include "app/controls/DialogPlacement.h"
#include "app/controls/GdiResources.h"
#include "app/controls/HoverButton.h"
#include "app/shared/AppServices.h"
#include "platform/Text.h"

#include <QCheckBox>
#include <QComboBox>

#include <algorithm>

namespace {

struct QuickStyle {
    const char* text;
    const char* faces;  // the face, then the names it goes by elsewhere
    const char* key;    // a face whose name holds it may stand in
    int titleSize[2];   // record 0, records 1 and 2
    int contentSize[2];
};

constexpr QuickStyle kStyles[CTableFontDlg::kStyleCount] = {
    {"楷", "楷体,楷体_GB2312,华文楷体", "楷", {14, 12}, {10, 8}},
    {"行", "华文行楷,行楷", "行", {14, 12}, {10, 8}},
    {"隶", "隶书,华文隶书", "隶", {14, 12}, {10, 8}},
    {"魏", "华文新魏,魏碑", "魏", {14, 12}, {10, 8}},
    {"篆", "篆体,华文篆书", "篆", {14, 12}, {10, 8}},
    {"黑", "微软雅黑,Microsoft Yahei,雅黑", "黑", {12, 10}, {9, 8}},
};

struct FontRow {
    int face, size, bold, italic;
    const char* label;
    CFontSpec CTableFontPair::*font;
};

constexpr FontRow kRows[] = {
    {CTableFontDlg::IDC_TITLE_FACE, CTableFontDlg::IDC_TITLE_SIZE, CTableFontDlg::IDC_TITLE_BOLD,
     CTableFontDlg::IDC_TITLE_ITALIC, "标题", &CTableFontPair::main},
    {CTableFontDlg::IDC_CONTENT_FACE, CTableFontDlg::IDC_CONTENT_SIZE, CTableFontDlg::IDC_CONTENT_BOLD,
     CTableFontDlg::IDC_CONTENT_ITALIC, "内容", &CTableFontPair::second},
};

// The first item that begins with the text, ignoring case; -1 when none does.
int FindPrefix(const QComboBox* combo, const std::string& text)
{
    if (text.empty())
        return -1;
    for (int i = 0; i < combo->count(); ++i) {
        const std::string item = combo->itemText(i).toStdString();
        if (item.size() >= text.size() && zem::EqualsNoCase(std::string_view(item).substr(0, text.size()), text))
            return i;
    }
    return -1;
}

}  // namespace

const std::vector<int>& CTableFontDlg::SizeChoices()
{
    static const std::vector<int> sizes = {6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
    return sizes;
}

CTableFontDlg::CTableFontDlg(QWidget* parent) : Dialog(parent, "字体", {232, 74}) {}

CTableFontDlg::~CTableFontDlg()
{
    // A dialog ended by its owner's EndDialog still leaves its fonts.
    if (m_ready)
        KeepFonts();
}

void CTableFontDlg::SetTarget(zem::MessageTarget* notify, int record)
{
    m_notify = notify;
    m_record = std::clamp(record, 0, 2);
}

void CTableFontDlg::SetFaceList(std::vector<std::string> faces)
{
    m_faces = std::move(faces);
    m_hasFaceList = true;
}

QComboBox* CTableFontDlg::AddCombo(int id, const zem::Rect& rect)
{
    auto* combo = new QComboBox(this);
    combo->setMaxVisibleItems(20);
    AddField(this, id, combo, rect);
    QObject::connect(combo, &QComboBox::activated, this, [this, id] { OnCommand(id); });
    return combo;
}

bool CTableFontDlg::OnInitDialog()
{
    if (const CTableFontPair* record = AppServices().GetTableFontRecord(m_record))
        m_fonts = *record;
    if (!m_hasFaceList) {
        // The program lists the faces once it runs; until then they are read here.
        CGdiResources* resources = CGdiResources::GetInstance();
        m_faces = resources->IsScanDone() ? resources->GetFaceList() : ListInstalledFaces();
    }
    std::vector<std::string> sorted = m_faces;
    std::sort(sorted.begin(), sorted.end(),
              [](const std::string& a, const std::string& b) { return zem::CompareGbkNoCase(a, b) < 0; });

    int top = 8;
    for (const FontRow& row : kRows) {
        AddLabel(this, row.label, UnitsRect(7, top + 3, 24, 8));
        QComboBox* faces = AddCombo(row.face, UnitsRect(32, top, 110, 14));
        for (const std::string& face : sorted)
            faces->addItem(zem::gui::ToQ(face));
        QComboBox* sizes = AddCombo(row.size, UnitsRect(146, top, 34, 14));
        for (const int size : SizeChoices())
            sizes->addItem(QString::number(size));
        AddCheck(this, row.bold, "粗", UnitsRect(186, top + 2, 20, 10), false);
        AddCheck(this, row.italic, "斜", UnitsRect(208, top + 2, 20, 10), false);
        top += 20;
    }
    for (int style = 0; style < kStyleCount; ++style)
        AddHoverButton(this, IDC_STYLE_KAI + style, kStyles[style].text, UnitsRect(7 + style * 21, 52, 18, 14));
    AddHoverButton(this, IDC_DEFAULT, "默认", UnitsRect(181, 52, 44, 14));
    ResolveStyleFaces();
    ShowFonts();
    m_ready = true;
    return true;
}

void CTableFontDlg::ResolveStyleFaces()
{
    for (int style = 0; style < kStyleCount; ++style) {
        const QuickStyle& quick = kStyles[style];
        const std::string face = PickInstalledFontFace(m_faces, quick.faces, quick.key);
        // An installed face as the machine spells it; without one the style keeps its first face,
        // which the font system stands in for, and its button says so.
        const auto installed = std::find_if(m_faces.begin(), m_faces.end(),
                                            [&](const std::string& each) { return zem::EqualsNoCase(each, face); });
        const bool found = installed != m_faces.end();
        m_styleFaces[style] = found ? *installed : face;
        QWidget* button = GetDlgItem(IDC_STYLE_KAI + style);
        if (IDC_STYLE_KAI + style == IDC_STYLE_HEI) {
            button->setVisible(found);
            continue;
        }
        std::string names = quick.faces;
        std::replace(names.begin(), names.end(), ',', ' ');
        button->setToolTip(found ? zem::gui::ToQ(m_styleFaces[style])
                                     : zem::gui::ToQ(zem::Format("本机没有安装这种字体：%s", names.c_str())));
    }
}

void CTableFontDlg::ShowFonts()
{
    m_showing = true;
    for (const FontRow& row : kRows) {
        const CFontSpec& font = m_fonts.*row.font;
        auto* faces = Item<QComboBox>(row.face);
        faces->setCurrentIndex(FindPrefix(faces, font.faceName));
        auto* sizes = Item<QComboBox>(row.size);
        sizes->setCurrentIndex(sizes->findText(QString::number(font.size)));
        Item<QCheckBox>(row.bold)->setChecked(font.bold);
        Item<QCheckBox>(row.italic)->setChecked(font.italic);
    }
    m_showing = false;
}

void CTableFontDlg::ApplyStyle(int style)
{
    const QuickStyle& quick = kStyles[style];
    const std::string& face = m_styleFaces[style];
    if (face.empty())
        return;
    const int column = m_record == 0 ? 0 : 1;
    m_fonts.main.faceName = face;
    m_fonts.second.faceName = face;
    m_fonts.main.size = quick.titleSize[column];
    m_fonts.second.size = quick.contentSize[column];
}

void CTableFontDlg::OnCommand(int id)
{
    if (m_showing)
        return;
    if (id >= IDC_STYLE_KAI && id < IDC_STYLE_KAI + kStyleCount) {
        ApplyStyle(id - IDC_STYLE_KAI);
        ShowFonts();
        Notify();
        return;
    }
    if (id == IDC_DEFAULT) {
        AppServices().ResetTableFontRecord(m_record);
        if (const CTableFontPair* record = AppServices().GetTableFontRecord(m_record))
            m_fonts = *record;
        ShowFonts();
        Notify();
        return;
    }
    for (const FontRow& row : kRows) {
        CFontSpec& font = m_fonts.*row.font;
        if (id == row.face) {
            font.faceName = zem::gui::FromQ(Item<QComboBox>(row.face)->currentText());
        } else if (id == row.size) {
            font.size = Item<QComboBox>(row.size)->currentText().toInt();
        } else if (id == row.bold) {
            font.bold = Item<QCheckBox>(row.bold)->isChecked();
        } else if (id == row.italic) {
            font.italic = Item<QCheckBox>(row.italic)->isChecked();
        } else {
            continue;
        }
        Notify();
        return;
    }
    Dialog::OnCommand(id);
}

void CTableFontDlg::Notify()
{
    zem::SendMessage(m_notify, WM_TABLE_FONT_CHANGED, 0, zem::ToLParam(&m_fonts));
}

void CTableFontDlg::KeepFonts()
{
    if (m_kept)
        return;
    m_kept = true;
    AppServices().StoreTableFontRecord(m_record, m_fonts);
}

void CTableFontDlg::OnOK()
{
    KeepFonts();
    EndDialog(zem::IDOK);
}

void CTableFontDlg::OnCancel()
{
    // Escape and the close box keep the fonts as well: every change was already shown.
    KeepFonts();
    EndDialog(zem::IDCANCEL);
}
