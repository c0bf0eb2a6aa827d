#pragma once
// The floating page settings of the print preview ("基本设置"): print mode or worksheet
// arrangement, title template, cell texts per table kind, the information shown, paper, tables per
// page, row height and fonts. Every change goes into the program's week-table layout at once and
// the preview is told to redraw; the layout is written to zem.ini when the dialog goes.
#include "platform/gui/Dialog.h"

#include <string>

class QCheckBox;
class QComboBox;
class QPlainTextEdit;
class QRadioButton;

class CPrintSettingsDlg : public zem::gui::Dialog {
public:
    enum {
        IDC_NORMAL_PRINT = 1204,
        IDC_COLOR_PRINT = 1205,
        IDC_SHEET_TYPE = 1273,
        IDC_TITLE = 1387,
        IDC_TEMPLATES = 1388,
        IDC_CLASS_FORMAT = 1321,
        IDC_TEACHER_FORMAT = 1322,
        IDC_ROOM_FORMAT = 1323,
        IDC_SHORT_NAMES = 1206,
        IDC_HEAD_TEACHER = 1202,
        IDC_WEEK_COUNT = 1208,
        IDC_DATE = 1203,
        IDC_SECTION_NAMES = 1207,
        IDC_PAPER = 1316,
        IDC_ORIENTATION = 1315,
        IDC_TABLES_PER_PAGE = 1314,
        IDC_ROW_HEIGHT = 1324,
        IDC_TITLE_FACE = 1317,
        IDC_TITLE_SIZE = 1319,
        IDC_CONTENT_FACE = 1318,
        IDC_CONTENT_SIZE = 1320,
        IDC_CONTENT2_FACE = 1325,
        IDC_CONTENT2_SIZE = 1327,
        IDC_DEFAULTS = 1326,
    };
    // The first command of the template menu.
    static constexpr int kFirstTemplateCommand = 1924;

    // Changes go to `notify` as WM_PRINT_SETTINGS_CHANGED; mode as the preview's; temporary: the
    // title edits the temporary template.
    CPrintSettingsDlg(QWidget* parent, zem::MessageTarget* notify, int mode, bool temporary);
    ~CPrintSettingsDlg() override;

    // The ready title templates the menu offers, in order.
    static const std::vector<std::string>& TitleTemplates();

    // The controls back from the layout.
    void LoadControls();

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void OnOK() override {}
    void OnCancel() override { hide(); }
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QComboBox* AddCombo(int id, const zem::Rect& rect, const std::vector<std::string>& texts);
    QCheckBox* AddCheck(int id, const char* text, const zem::Rect& rect);
    // Stores every control into the layout and tells the preview; `pagesChanged` when the tables
    // per page may have changed.
    void Apply(bool pagesChanged);
    void OnTitleChanged();
    void ShowTemplateMenu();
    void RestoreDefaults();
    // The row-height combo is shown only with one table per page; the layout combo takes its room.
    void ShowRowHeight();
    void ShowTitleTip();

    zem::MessageTarget* m_notify;
    int m_mode;
    bool m_temporary;
    bool m_loading = false;
    QPlainTextEdit* m_title = nullptr;
    // The right edge of the layout combo beside the row-height combo and alone.
    int m_layoutRightWithRowHeight = 0;
    int m_layoutRightAlone = 0;
};
