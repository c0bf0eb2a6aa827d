// Text that once broke the writers of a task's files: bytes that are no UTF-8 (an overlong form, a
// lone surrogate) and characters GBK lacks, through save and reopen of every file kind; and writers
// made to put bytes in place that do not read back as what was saved.
#include "base/ScheduleProctor.h"
#include "base/ScheduleTask.h"

#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/Xml.h"
#include "support/FolderSnapshot.h"
#include "support/GbkBytes.h"
#include "support/MessageRecorder.h"
#include "support/TaskFolders.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string FullInput() { return ReadRaw(std::string(ZEM_TEST_DATA_DIR) + "/input/full.xml"); }

// One file of a task: how a name gets into it and is saved, and how it reads after reopening.
struct FileKind {
    const char* file;  // relative to the task folder
    bool ini;          // an ini file: a character GBK lacks is refused, not written as a reference
    bool says;         // says itself why a save failed (the caller of the report's save does)
    std::function<bool(CScheduleTask&, const std::string& text)> save;
    std::function<std::string(CScheduleTask&)> read;
};

std::unique_ptr<CScheduleProctor> Proctoring(CScheduleTask& task)
{
    auto set = std::make_unique<CScheduleProctor>();
    EXPECT_TRUE(set->Open(&task, "期中"));
    return set;
}

std::vector<FileKind> Kinds()
{
    return {
        {"input.xml", false, true,
         [](CScheduleTask& task, const std::string& text) {
             task.GetTeacher("t1")->SetName(text);
             return task.SaveInputData();
         },
         [](CScheduleTask& task) { return task.GetTeacherName("t1"); }},
        {"output.xml", false, true,
         [](CScheduleTask& task, const std::string& text) {
             task.GetClass("c1")->SetName(text);
             return task.SaveOutputData();
         },
         // Timetables are read by id; the name is there for readers of the file.
         [](CScheduleTask& task) {
             pugi::xml_document doc;
             EXPECT_TRUE(zem::LoadXmlFile(doc, task.GetTaskInfo().GetOutputFilePath()));
             return std::string(doc.child("Output").find_child_by_attribute("Class", "id", "c1").attribute("name").value());
         }},
        {"测试.zem", true, true,
         [](CScheduleTask& task, const std::string& text) {
             task.GetTaskInfo().SetDescription(text);
             return task.GetTaskInfo().WriteToFile();
         },
         [](CScheduleTask& task) { return task.GetTaskInfo().GetDescription(); }},
        {"task.ini", true, true, [](CScheduleTask& task, const std::string& text) { return task.SetConfig("Note", "Name", text); },
         [](CScheduleTask& task) { return task.GetConfig("Note", "Name", ""); }},
        {"report.txt", false, false,
         [](CScheduleTask& task, const std::string& text) {
             task.GetLastReportInfo().SetReportInfo("报告：" + text);
             return task.SaveLastReportInfo();
         },
         // Plain text: a character GBK lacks stays the reference it was written as.
         [](CScheduleTask& task) {
             const std::string text = task.GetLastReportInfo().GetReportInfo().substr(std::string("报告：").size());
             return zem::ReplaceAll(text, "&#x1F600;", "😀");
         }},
        {"backup.ini", true, true,
         [](CScheduleTask& task, const std::string& text) {
             return task.GetBackupManager().AddEntry(CBackupManager::ManualBackup, "20240102080000", "/备份/一", text);
         },
         [](CScheduleTask& task) {
             std::vector<const CBackupEntry*> entries;
             task.GetBackupManager().GetAllBackups(entries);
             return entries.empty() ? std::string() : entries.front()->m_strDescription;
         }},
        {"proctor/期中/in.xml", false, true,
         [](CScheduleTask& task, const std::string& text) {
             auto set = Proctoring(task);
             set->data().GetTeacherArray() = {"王喆", text};
             return set->Save();
         },
         [](CScheduleTask& task) {
             const auto set = Proctoring(task);
             const auto& teachers = set->data().GetTeacherArray();
             return teachers.size() == 2 ? teachers[1] : std::string();
         }},
        {"proctor/期中/out.xml", false, true,
         [](CScheduleTask& task, const std::string& text) {
             auto set = Proctoring(task);
             auto item = std::make_unique<CProctorData::ProctorItem>();
             item->id = "i1";
             item->plan = "p1";
             item->room = "101室";
             item->teachers = {text};
             set->data().GetProctorList().clear();
             set->data().GetProctorList().push_back(std::move(item));
             return set->Save();
         },
         [](CScheduleTask& task) {
             auto set = Proctoring(task);
             const auto& items = set->data().GetProctorList();
             return items.size() == 1 && items[0]->teachers.size() == 1 ? items[0]->teachers[0] : std::string();
         }},
    };
}

// The files of the task folder, but the backups a save may take on its way.
std::map<std::string, std::string> Files(const std::string& folder, const FileKind& kind)
{
    std::map<std::string, std::string> files = Snapshot(folder);
    std::erase_if(files, [&](const auto& entry) {
        return entry.first.rfind("Backup", 0) == 0 || (entry.first == "backup.ini" && kind.file != entry.first);
    });
    return files;
}

struct Task {
    TempFolder dir;
    std::string folder = dir / "task/";
    std::string taskFile;

    Task()
    {
        taskFile = MakeTaskFolder(folder, FullInput());
        // Every file there, so that each save replaces one.
        MessageRecorder quiet;
        auto task = Open();
        const std::string good = "王玥";
        for (const FileKind& kind : Kinds())
            EXPECT_TRUE(kind.save(*task, good)) << kind.file;
    }
    std::unique_ptr<CScheduleTask> Open() const
    {
        auto task = std::make_unique<CScheduleTask>();
        EXPECT_TRUE(task->Open(taskFile));
        return task;
    }
};

TEST(TaskFileText, EveryFileKindRefusesWhatItCannotWriteAndKeepsWhatItCan)
{
    struct Text {
        const char* name;
        std::string text;
        bool cannotBeWritten;  // bytes that are no character: refused by every file
    };
    const Text texts[] = {
        {"an overlong sequence", "王\xC0\xAF喆", true},
        {"a lone surrogate", "王\xED\xA0\x80喆", true},
        {"a character GBK lacks", "王😀喆", false},
    };
    for (const FileKind& kind : Kinds()) {
        for (const Text& t : texts) {
            SCOPED_TRACE(std::string(kind.file) + ": " + t.name);
            Task folder;
            const auto before = Files(folder.folder, kind);
            MessageRecorder recorder;
            const bool refused = t.cannotBeWritten || kind.ini;
            {
                auto task = folder.Open();
                EXPECT_EQ(kind.save(*task, t.text), !refused);
            }
            if (refused) {
                // Said why, and every file as it was.
                EXPECT_EQ(recorder.messages.empty(), !kind.says);
                EXPECT_EQ(Files(folder.folder, kind), before);
                EXPECT_EQ(kind.read(*folder.Open()), "王玥");
            } else {
                EXPECT_TRUE(recorder.messages.empty());
                EXPECT_EQ(kind.read(*folder.Open()), t.text);
            }
        }
    }
}

// A writer that drops the rest of the text at the name, as one did at a byte it could not convert.
TEST(TaskFileText, AWriterWhoseBytesDoNotReadBackLeavesTheOldFile)
{
    for (const FileKind& kind : Kinds()) {
        SCOPED_TRACE(kind.file);
        Task folder;
        const auto before = Files(folder.folder, kind);
        const std::string name = "李堃";
        const std::string target = folder.folder + kind.file;
        const zem::FileBytesHook previous =
            zem::SetFileBytesHookForTesting([&](const std::string& path, std::string& bytes) {
                if (path == target && bytes.find(Gbk(name)) != std::string::npos)
                    bytes.resize(bytes.find(Gbk(name)));
            });
        MessageRecorder recorder;
        {
            auto task = folder.Open();
            EXPECT_FALSE(kind.save(*task, name));
        }
        zem::SetFileBytesHookForTesting(previous);
        if (kind.says) {
            ASSERT_FALSE(recorder.messages.empty());
            EXPECT_NE(recorder.messages.back().text.find("写入的内容读回时与要保存的不符"), std::string::npos)
                << recorder.messages.back().text;
        }
        EXPECT_EQ(Files(folder.folder, kind), before);
        EXPECT_EQ(kind.read(*folder.Open()), "王玥");
    }
}

}  // namespace
