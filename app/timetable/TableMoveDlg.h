#pragma once
// The big move: the user chooses one of five structural changes of the finished timetables, sees
// its picture and an example, and starts it.
#include "platform/gui/Dialog.h"

#include <QImage>

#include <memory>
#include <string>
#include <vector>

class QComboBox;

struct CMoveOperation {
    std::string name;
    std::string group;
    std::string description;
    std::string example;
    QImage picture;  // null when its file is missing
};

class CTableMoveDlg : public zem::gui::Dialog {
public:
    enum { IDD = 368, IDC_OPERATION = 111, IDC_START = 1 };
    enum { MoveSwapDays = 0, MoveShiftRow = 1, MoveMergeDays = 2, MoveMergeSegments = 3, MoveMergeClasses = 4 };

    // The pictures are read from the images folder of `programFolder` (ending with '/').
    explicit CTableMoveDlg(QWidget* parent = nullptr, std::string programFolder = {});

    const std::vector<CMoveOperation>& GetOperations() const { return m_operations; }
    int GetChosen() const { return m_chosen; }
    // The list line of an entry: "【group - name】description".
    static std::string ListLine(const CMoveOperation& operation);

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void paintEvent(class QPaintEvent* event) override;

private:
    void OnSelChange();

    std::string m_programFolder;
    std::vector<CMoveOperation> m_operations;
    std::string m_title = "课表大挪移";
    int m_chosen = 0;
    zem::Rect m_header;
    zem::Rect m_footer;
    zem::Rect m_pictureArea;
    zem::Rect m_textArea;
};
