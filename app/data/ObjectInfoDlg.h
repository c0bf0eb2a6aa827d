#pragma once
// The small dialogs that add or modify one class, teacher, subject or room. They send the row to
// their page with WM_PAGE_ROW and let the page judge it: in add mode the dialog stays open, empty
// and ready for the next one; in modify mode it closes once the page took the row.
#include "app/controls/DialogPlacement.h"
#include "app/controls/PageNotify.h"
#include "platform/gui/Dialog.h"

#include <optional>
#include <string>

class QComboBox;
class QLineEdit;

// The texts that tell the kinds apart.
struct CObjectInfoTexts {
    const char* addCaption;
    const char* modifyCaption;
    const char* nameLabel;
    const char* shortNameLabel;
    const char* nameMissing;
    const char* shortNameMissing;
    int picture;  // bitmap resource
};

class CObjectInfoDlg : public zem::gui::Dialog {
public:
    enum { IDC_NAME = 1003, IDC_SHORT_NAME = 1012, IDC_PRIORITY = 1013, IDC_PICTURE = 1105 };

    // In: the fields shown at the start; false is add mode.
    std::string m_name;
    std::string m_shortName;
    bool m_modify = false;
    // The page the rows go to; the parent when not set.
    zem::MessageTarget* m_page = nullptr;

    // The short name follows the name until either holds text of its own.
    bool ShortNameFollows() const { return m_shortNameFollows; }

protected:
    CObjectInfoDlg(QWidget* parent, const CObjectInfoTexts& texts);

    bool OnInitDialog() override;
    void OnOK() override;
    void paintEvent(QPaintEvent* event) override;

    // Adds the kind's fields below the short name, one row each, with AddFieldRow.
    virtual void AddFields() {}
    // The kind's checks after the names; false has told the user and kept the dialog open.
    virtual bool CheckFields() { return true; }
    // The cells after name and short name.
    virtual void AppendCells(CPageRow& row) const {}

    // A labelled row of the dialog holding the control (and a small button beside it).
    void AddFieldRow(const char* label, int id, QWidget* control, QWidget* button = nullptr, int buttonId = 0);
    // The text of an edit or combo box, without blanks at the right.
    std::string FieldText(int id) const;
    void FocusField(int id);

private:
    void OnNameChanged();
    void Layout();

    CObjectInfoTexts m_texts;
    bool m_shortNameFollows = true;
    std::optional<CFieldRows> m_fields;
    zem::Rect m_pictureRect;
};

// A kind with a priority: the combo lists the task's priorities.
class CPriorityInfoDlg : public CObjectInfoDlg {
public:
    // In: the index selected at the start.
    int m_priority = 1;

protected:
    CPriorityInfoDlg(QWidget* parent, const CObjectInfoTexts& texts) : CObjectInfoDlg(parent, texts) {}
    void AddFields() override;
    void AppendCells(CPageRow& row) const override;

    QComboBox* m_priorityCombo = nullptr;
};

class CClassInfoDlg : public CPriorityInfoDlg {
public:
    enum { IDD = 223, IDC_HEAD_TEACHER = 1016, IDC_PICK_TEACHER = 1290 };

    explicit CClassInfoDlg(QWidget* parent = nullptr);

    // In: the head teacher's name (any text).
    std::string m_headTeacher;

protected:
    void AddFields() override;
    void AppendCells(CPageRow& row) const override;
    void OnCommand(int id) override;

private:
    QComboBox* m_headTeacherCombo = nullptr;
};

class CTeacherInfoDlg : public CPriorityInfoDlg {
public:
    enum { IDD = 235 };
    explicit CTeacherInfoDlg(QWidget* parent = nullptr);
};

class CSubjectInfoDlg : public CPriorityInfoDlg {
public:
    enum { IDD = 154 };
    explicit CSubjectInfoDlg(QWidget* parent = nullptr);
};

class CRoomInfoDlg : public CObjectInfoDlg {
public:
    enum { IDD = 236, IDC_CAPACITY = 1014 };

    explicit CRoomInfoDlg(QWidget* parent = nullptr);

    // In: how many classes the room holds at one time.
    int m_capacity = 1;

protected:
    void AddFields() override;
    bool CheckFields() override;
    void AppendCells(CPageRow& row) const override;
};
