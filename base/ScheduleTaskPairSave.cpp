// The save of input.xml and output.xml together, as one pair under one stamp.
#include "base/ScheduleTask.h"
#include "base/TaskFolder.h"
#include "base/TaskXml.h"
#include "platform/Files.h"
#include "platform/Hooks.h"
#include "platform/Text.h"
#include "platform/Xml.h"

#include <cerrno>

using namespace taskxml;

namespace {

// output.xml as it was before the save, to be put back when input.xml cannot follow it.
struct OldFile {
    std::string path;
    std::string bytes;
    bool existed = false;

    explicit OldFile(std::string at) : path(std::move(at)) { existed = zem::ReadFileBytes(path, bytes); }
    bool PutBack() const { return existed ? zem::WriteFileAtomic(path, bytes) : zem::RemoveFile(path); }
};

// The document's bytes, or false with the reason and its errno.
bool DocumentBytes(const pugi::xml_document& doc, const std::string& path, std::string& bytes, std::string& error,
                   int& code)
{
    if (zem::XmlFileBytes(doc, bytes, &error))
        return true;
    error = zem::Format("保存失败：%s\n%s", path.c_str(), error.c_str());
    code = EILSEQ;
    return false;
}

zem::ReadBackCheck ReadsBackAs(const pugi::xml_document& doc)
{
    return [&doc](std::string_view bytes, std::string* reason) { return zem::XmlReadsBackAs(doc, bytes, reason); };
}

}  // namespace

bool CScheduleTask::SaveInputAndOutput()
{
    m_tablesUnsaved = true;
    if (!MayReplaceOutput() || !CheckSavable())
        return false;
    AutoBackup(false, "", false);
    const std::string stamp = NewFileStamp();
    pugi::xml_document input;
    pugi::xml_document output;
    BuildInputDocument(input, stamp);
    BuildOutputDocument(output, m_pairMismatch ? NewFileStamp() : stamp);
    const std::string inputPath = m_taskInfo.GetInputFilePath();
    const std::string outputPath = m_taskInfo.GetOutputFilePath();
    const OldFile oldOutput(outputPath);

    std::string bytes;
    std::string error;
    int code = 0;
    zem::PendingFile pendingInput;
    auto fail = [&](const std::string& path, const char* outcome) {
        zem::ShowMessage(SaveFailureText(*this, path, code, error) + "\n\n" + outcome, "提示",
                         zem::MessageIcon::Error);
        return false;
    };
    const char* const unchanged = "input.xml 和 output.xml 都没有改变。";
    if (!DocumentBytes(input, inputPath, bytes, error, code) ||
        !pendingInput.Write(inputPath, bytes, &error, &code, ReadsBackAs(input)))
        return fail(inputPath, unchanged);
    if (!DocumentBytes(output, outputPath, bytes, error, code) ||
        !zem::WriteFileAtomic(outputPath, bytes, &error, &code, ReadsBackAs(output)))
        return fail(outputPath, unchanged);
    // A program killed here leaves the new output.xml beside the old input.xml.
    if (TaskFolder::IsKilledAt("pair: output.xml written"))
        return false;
    if (!pendingInput.Commit(&error, &code))
        return fail(inputPath, oldOutput.PutBack() ? "已把 output.xml 恢复为保存前的样子，input.xml 和 output.xml 都没有改变。"
                                                   : "output.xml 已是新的课表，但没能恢复为保存前的样子，请从备份恢复。");
    m_pairStamp = stamp;
    m_tablesUnsaved = false;
    GetBackupManager().SetAutoBackupBeforeRestore(true);
    return true;
}

bool CScheduleTask::ConfirmPair()
{
    if (!m_pairMismatch)
        return true;
    m_pairMismatch = false;
    if (SaveInputAndOutput())
        return true;
    m_pairMismatch = true;
    return false;
}

std::string CScheduleTask::OutputPairStamp() const { return m_pairMismatch ? NewFileStamp() : m_pairStamp; }
