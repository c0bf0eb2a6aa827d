#include "app/controls/PdfAside.h"

#include "platform/Files.h"
#include "platform/gui/QtText.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryFile>

namespace {

// The pixels that the printed pages are laid out in.
constexpr int kPdfResolution = 600;

}  // namespace

CPdfAside::CPdfAside() = default;

CPdfAside::~CPdfAside()
{
    Discard();
}

bool CPdfAside::Begin(QPrinter& printer, const std::string& target)
{
    Discard();
    const QFileInfo file(zem::gui::ToQ(target));
    if (target.empty() || !zem::FolderExists(file.absolutePath().toStdString()))
        return false;
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
    const bool saved = zem::ReadFileBytes(m_temp->fileName().toStdString(), bytes) && !bytes.empty() &&
                       zem::WriteFileAtomic(m_target, bytes);
    Discard();
    return saved;
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
