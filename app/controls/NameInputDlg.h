#pragma once
// The modal dialog that asks for one name.
#include "platform/gui/Dialog.h"

#include <string>

class CNameInputDlg : public zem::gui::Dialog {
public:
    enum { IDD = 263, IDC_NAME = 1003 };

    explicit CNameInputDlg(QWidget* parent = nullptr);

    // In: the caption and the prompt above the edit.
    std::string m_caption = "输入";
    std::string m_prompt = "请输入固定活动名称";
    // In: the name shown at the start. Out after IDOK: the name typed, without trailing blanks; never
    // empty and never holding a character the task's files cannot hold.
    std::string m_name;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
};
