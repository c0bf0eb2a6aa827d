// The toolkit's standard dialogs speak Chinese once the program's translations are in.
#include "support/ScreenTestSupport.h"

#include "platform/gui/Translations.h"
#include "support/TempFolder.h"

#include <QTest>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

bool IsChinese(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF)
            return true;
    return false;
}

// The visible texts of the dialog's labels and push buttons that hold no Chinese character.
std::vector<std::string> ForeignTexts(QWidget& dialog)
{
    std::vector<std::string> foreign;
    auto check = [&](const QWidget* widget, const QString& text) {
        if (widget->isVisible() && !text.isEmpty() && !IsChinese(text))
            foreign.push_back(text.toStdString());
    };
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        if (label->pixmap().isNull() && !label->text().startsWith(QLatin1Char('/')))  // a path
            check(label, label->text());
    for (const QPushButton* button : dialog.findChildren<QPushButton*>())
        check(button, button->text());
    return foreign;
}

TEST(StandardDialogs, FileFolderAndPrintDialogsShowChineseLabels)
{
    const zem::gui::ToolkitTranslations translations;
    ASSERT_TRUE(translations.IsLoaded()) << "no translations in " << zem::gui::ToolkitTranslations::Folder();

    TempFolder folder;
    std::filesystem::create_directory(folder.path() + "课表");
    std::ofstream(folder.path() + "教师.xlsx") << "x";
    EXPECT_EQ(QFileIconProvider().type(QFileInfo(QString::fromStdString(folder.path()))).toStdString(), "文件夹");

    struct Case {
        const char* picture;
        std::function<void(QFileDialog&)> set;
        QDialogButtonBox::StandardButton acceptButton;
        const char* accept;
    };
    const Case cases[] = {
        {"standard_open", [](QFileDialog& d) { d.setFileMode(QFileDialog::ExistingFile); }, QDialogButtonBox::Open,
         "打开(&O)"},
        {"standard_save", [](QFileDialog& d) { d.setAcceptMode(QFileDialog::AcceptSave); }, QDialogButtonBox::Save,
         "保存(&S)"},
        {"standard_folder",
         [](QFileDialog& d) {
             d.setFileMode(QFileDialog::Directory);
             d.setOption(QFileDialog::ShowDirsOnly);
         },
         QDialogButtonBox::Open, "选择(&C)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picture);
        // Shown without a modal loop, so that nothing waits for a user.
        QFileDialog dialog(nullptr, QStringLiteral("选择文件"), QString::fromStdString(folder.path()),
                           QStringLiteral("Excel文件 (*.xlsx *.xls);;所有文件 (*)"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        c.set(dialog);
        dialog.show();
        // The folder is read on a thread of the toolkit; the picture is better with its entries.
        const auto* model = dialog.findChild<QFileSystemModel*>();
        (void)QTest::qWaitFor([&] { return model && model->rowCount(model->index(dialog.directory().absolutePath())) > 0; });
        SaveScreenshot(&dialog, c.picture);

        const auto* lookIn = dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"));
        ASSERT_NE(lookIn, nullptr);
        EXPECT_TRUE(IsChinese(lookIn->text())) << lookIn->text().toStdString();
        const auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        ASSERT_NE(buttons, nullptr);
        ASSERT_NE(buttons->button(c.acceptButton), nullptr);
        EXPECT_EQ(buttons->button(c.acceptButton)->text().toStdString(), c.accept);
        EXPECT_EQ(ForeignTexts(dialog), std::vector<std::string>{});
        dialog.close();
    }

    QPrinter printer;
    printer.setOutputFileName(QString::fromStdString(folder.path() + "课表.pdf"));
    QPrintDialog print(&printer);
    print.setOption(QAbstractPrintDialog::PrintToFile, true);
    print.show();
    SaveScreenshot(&print, "standard_print");
    EXPECT_TRUE(IsChinese(print.windowTitle())) << print.windowTitle().toStdString();
    const auto* printers = print.findChild<QComboBox*>(QStringLiteral("printers"));
    ASSERT_NE(printers, nullptr);
    ASSERT_GT(printers->count(), 0);
    const QString toFile = printers->itemText(printers->count() - 1);  // the last entry prints to a file
    EXPECT_TRUE(toFile.contains(QStringLiteral("PDF")) && IsChinese(toFile)) << toFile.toStdString();
    EXPECT_EQ(ForeignTexts(print), std::vector<std::string>{});
    print.close();
}

}  // namespace
