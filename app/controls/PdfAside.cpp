#include "app/controls/PdfAside.h"

#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/gui/QtText.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryFile>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace {

// The pixels that the printed pages are laid out in.
constexpr int kPdfResolution = 600;
// Below this the temporary folder cannot hold a printout of a few pages.
constexpr std::uintmax_t kMinTempSpace = 1 << 20;

}  // namespace

CPdfAside::CPdfAside() = default;

CPdfAside::~CPdfAside()
{
    Discard();
}

bool CPdfAside::Begin(QPrinter& printer, const std::string& target)
{
    Discard();
    m_failure.clear();
    m_target = target;
    const QFileInfo file(zem::gui::ToQ(target));
    if (target.empty())
        return false;
    if (!zem::FolderExists(file.absolutePath().toStdString())) {
        NoteFailure(ENOENT, "无法保存 PDF 文件", target);
        return false;
    }
    auto temp = std::make_unique<QTemporaryFile>(QDir::tempPath() + "/zem-print-XXXXXX.pdf");
    if (!temp->open())
        return false;
    temp->close();
    m_printer = &printer;
    m_target = target;
    m_temp = std::move(temp);
    printer.setOutputFileName(m_temp->fileName());
    return true;
}

bool CPdfAside::Begin(QPrinter& printer)
{
    if (printer.outputFormat() != QPrinter::PdfFormat)
        return true;
    return Begin(printer, printer.outputFileName().toStdString());
}

bool CPdfAside::Commit()
{
    if (!m_temp)
        return true;
    std::string bytes;
    int code = 0;
    const bool saved = zem::ReadFileBytes(m_temp->fileName().toStdString(), bytes) && !bytes.empty() &&
                       zem::WriteFileAtomic(m_target, bytes, nullptr, &code);
    if (code != 0)
        NoteFailure(code, "无法保存 PDF 文件", m_target);
    Discard();
    return saved;
}

void CPdfAside::NoteFailure(int errorNumber, const std::string& what, const std::string& path)
{
    m_failure = zem::Format("打印失败：%s\n\n%s：\n%s", zem::FileErrorReason(errorNumber).c_str(), what.c_str(),
                            path.c_str());
}

std::string CPdfAside::FailureText(const char* fallback) const
{
    if (!m_failure.empty())
        return m_failure;
    // The printout is written into the temporary folder first: a full one fails the printer itself.
    std::error_code error;
    const std::string folder = QDir::tempPath().toStdString();
    const std::filesystem::space_info space = std::filesystem::space(folder, error);
    if (!m_target.empty() && !error && space.available < kMinTempSpace)
        return zem::Format("打印失败：%s\n\n无法写入临时文件夹：\n%s", zem::FileErrorReason(ENOSPC).c_str(), folder.c_str());
    return fallback;
}

void CPdfAside::Discard()
{
    RestoreTarget();
    m_temp.reset();
    m_printer = nullptr;
}

void CPdfAside::RestoreTarget()
{
    if (m_printer && m_temp)
        m_printer->setOutputFileName(zem::gui::ToQ(m_target));
}

void PrepareForPdf(QPrinter& printer)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(kPdfResolution);
    printer.setFullPage(true);
}
