#pragma once
// Lists the open task's backups, automatic and manual, and restores the one the user selects.
// Backups whose folder is gone are listed grey and cannot be restored.
#include "base/BackupManager.h"
#include "platform/Gdi.h"
#include "platform/gui/Dialog.h"

#include <string>
#include <vector>

namespace zem::gui {
class ReportList;
}

class CBackupRestoreDlg : public zem::gui::Dialog {
public:
    enum { IDD = 350, IDC_LIST = 1365 };
    static constexpr zem::COLORREF kMissingColor = zem::RGB(192, 192, 192);

    explicit CBackupRestoreDlg(QWidget* parent = nullptr);

    zem::gui::ReportList* GetList() const { return m_list; }
    // The folder a row's backup lives in.
    std::string GetRowFolder(int row) const;

    // "2026年03月05日 08:07:00" for a 14-digit time text; any other text as it stands.
    static std::string FormatBackupTime(const std::string& time);

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void paintEvent(class QPaintEvent* event) override;
    void resizeEvent(class QResizeEvent* event) override;

private:
    struct Row {
        CBackupEntry entry;
        std::string folder;
        bool missing = false;
    };

    void FillRows();
    void Layout();
    void UpdateOkButton();

    std::vector<Row> m_rows;
    zem::gui::ReportList* m_list = nullptr;
    zem::Rect m_listFrame;
};
