#pragma once
// The modal dialog in which the user picks one object (a class, a room, a course, a teacher, a
// teacher group) from large icons, with a search box that matches names, their pinyin or its
// initials. The derived pickers differ in icon, caption and source list; the absence picker refuses
// a teacher without lessons.
#include "platform/gui/Dialog.h"
#include "platform/gui/ImageList.h"

#include <map>
#include <string>
#include <vector>

class CZemObject;
class CZemObjectList;
class QLineEdit;

namespace zem::gui {
class ItemList;
}

class CObjectPickerDlg : public zem::gui::Dialog {
public:
    enum { IDD = 190, IDC_SHOW_ALL = 1121, IDC_SEARCH_LABEL = 1122, IDC_SEARCH = 1120, IDC_LIST = 1056 };

    explicit CObjectPickerDlg(QWidget* parent = nullptr);

    void SetTitle(const std::string& caption) { m_caption = caption; }
    // After IDOK: the chosen object, still owned by its list; null before.
    CZemObject* GetSelectedObject() const { return m_selected; }
    zem::gui::ItemList* GetList() const { return m_list; }

    // Set by the derived picker; a caller may change them before the dialog runs.
    const CZemObjectList* m_source = nullptr;  // null lists nothing
    int m_iconBitmap = 0;
    std::string m_caption;
    std::vector<std::string> m_excluded;  // never listed
    QWidget* m_centreWindow = nullptr;    // the dialog is centred on it when set
    std::string m_searchText;

protected:
    // Called first at the start.
    virtual void PrepareItems() {}
    // Called after the icon is image 0 of the image list.
    virtual void AddImages() {}
    // Called after each entry is listed.
    virtual void DecorateItem(int index) {}
    // Called on OK with the selected object set; false keeps the dialog open.
    virtual bool ValidateSelection() { return true; }

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int id) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    // Lists the source's objects in order whose names pass the filter, and selects the first.
    void FillList(const std::string& filter);

    zem::gui::ImageList m_images{32, 32};
    CZemObject* m_selected = nullptr;
    zem::gui::ItemList* m_list = nullptr;

private:
    void Layout();

    QLineEdit* m_search = nullptr;
    zem::Rect m_searchFrame;
    zem::Rect m_listFrame;
};

class CClassPickerDlg : public CObjectPickerDlg {
public:
    explicit CClassPickerDlg(QWidget* parent = nullptr);
};

class CRoomPickerDlg : public CObjectPickerDlg {
public:
    explicit CRoomPickerDlg(QWidget* parent = nullptr);
};

class CCoursePickerDlg : public CObjectPickerDlg {
public:
    explicit CCoursePickerDlg(QWidget* parent = nullptr);
};

class CTeacherPickerDlg : public CObjectPickerDlg {
public:
    explicit CTeacherPickerDlg(QWidget* parent = nullptr);
};

class CTeacherGroupPickerDlg : public CObjectPickerDlg {
public:
    explicit CTeacherGroupPickerDlg(QWidget* parent = nullptr);
};

// Runs the class (0), teacher (1) or room (2) picker over the parent; the chosen object's id, or
// empty when the user chose none.
std::string PickObjectOfKind(QWidget* parent, int kind);

// Picks the teacher whose lessons are to be covered: a teacher without any lesson is listed with
// " (无课)" and a greyed icon, and cannot be chosen.
class CTeacherAbsencePickerDlg : public CTeacherPickerDlg {
public:
    explicit CTeacherAbsencePickerDlg(QWidget* parent = nullptr);

protected:
    void PrepareItems() override;
    void AddImages() override;
    void DecorateItem(int index) override;
    bool ValidateSelection() override;

private:
    std::map<std::string, bool> m_hasLessons;
};
