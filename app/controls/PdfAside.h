#pragma once
// A printout to a PDF file is written to a temporary file and saved over the chosen file only once
// it is complete, so that a failed printout never replaces a good file. The list printer and the
// printed timetables print through it.
#include <memory>
#include <string>

class QPrinter;
class QTemporaryFile;

class CPdfAside {
public:
    CPdfAside();
    ~CPdfAside();
    CPdfAside(const CPdfAside&) = delete;
    CPdfAside& operator=(const CPdfAside&) = delete;

    // Points the printer at a temporary file in place of `target`. False when the target's folder
    // does not exist or no temporary file can be made.
    bool Begin(QPrinter& printer, const std::string& target);
    // For a printer set to print into a PDF file, Begin with that file; other printers are left
    // alone and answer true.
    bool Begin(QPrinter& printer);
    // Saves the finished printout over the target and points the printer at the target again;
    // false when that fails. True when nothing was set aside.
    bool Commit();
    // Drops the temporary file; the target stays as it was.
    void Discard();
    // Why a printout into a PDF file failed, its reason first ("打印失败：磁盘空间不足 ..."), when a
    // reason is known: the target's folder, the save over the target, or a full temporary folder.
    // `fallback` otherwise.
    std::string FailureText(const char* fallback = "打印失败!") const;

private:
    void RestoreTarget();
    void NoteFailure(int errorNumber, const std::string& what, const std::string& path);

    QPrinter* m_printer = nullptr;
    std::string m_target;
    std::unique_ptr<QTemporaryFile> m_temp;
    std::string m_failure;
};

// A PDF file has no unprintable edge, so its pages are drawn from the paper's corner, and it gets
// the resolution of an office printer.
void PrepareForPdf(QPrinter& printer);
