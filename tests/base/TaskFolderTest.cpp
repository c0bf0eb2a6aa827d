// The parts of a task folder and the one copy of them: what a copy takes and what it leaves out,
// when a backup is complete, which folders a copy may replace, and restores cut short.
#include "base/TaskFolder.h"
#include "base/TaskFolderRestore.h"

#include "platform/Files.h"
#include "support/FolderSnapshot.h"
#include "support/GbkBytes.h"
#include "support/GoneProcess.h"
#include "support/KillAt.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Tree = std::map<std::string, std::string>;

// A task with every part, the files that are the folder's and not the task's, and beside it a
// folder of somebody else's.
struct Folders {
    std::string task;
    std::string outside;
};

Folders MakeFolders(const TempFolder& dir)
{
    Folders f{dir / "task/", dir / "outside/"};
    const std::pair<const char*, const char*> task[] = {
        {"测试.zem", "[Task Info]\r\nName=测试\r\n"}, {"input.xml", "<Input/>"}, {"output.xml", "<Output/>"},
        {"task.ini", "[WeekTable]\r\n"}, {"temp/调课/调课.zem", "[Task Info]\r\nName=调课\r\n"},
        {"proctor/期中/in.xml", "<Input/>"}, {"report.txt", "报告"}, {"backup.ini", "[Backup]\r\n"},
        {"Backup/20240101/input.xml", "<Input/>"},
    };
    for (const auto& [path, bytes] : task)
        WriteRaw(f.task + path, bytes);
    for (const char* path : {"input.xml", "task.ini", "folder/theirs.zem"})
        WriteRaw(f.outside + path, "theirs");
    return f;
}

void Link(const std::string& target, const std::string& link)
{
    fs::remove_all(link);
    fs::create_symlink(target, link);
}

// What a backup of the good task holds.
Tree GoodBackup()
{
    return {{"测试.zem", "file [Task Info]\r\nName=测试\r\n"},
            {"input.xml", "file <Input/>"},
            {"output.xml", "file <Output/>"},
            {"task.ini", "file [WeekTable]\r\n"},
            {"temp", "folder"},
            {"temp/调课", "folder"},
            {"temp/调课/调课.zem", "file [Task Info]\r\nName=调课\r\n"},
            {"proctor", "folder"},
            {"proctor/期中", "folder"},
            {"proctor/期中/in.xml", "file <Input/>"}};
}

// Every entry of the folder but the marker, which must be there.
Tree BackupTree(const std::string& backup)
{
    Tree tree = Snapshot(backup);
    EXPECT_EQ(tree.erase(TaskFolder::kBackupMarker), 1u) << backup;
    return tree;
}

TEST(TaskFolder, ATaskFolderIsOneWithATaskFileOrInputAndANewTaskTakesNoFolderWithTaskFiles)
{
    struct Case {
        const char* file;  // the one entry of the folder
        bool isTaskFolder;
        bool holdsTaskFiles;
    };
    const std::vector<Case> cases = {
        {"input.xml", true, true},        {"初二.zem", true, true},     {"初二.ZEM", true, true},
        {"output.xml", false, true},      {"task.ini", false, true},    {"report.txt", false, false},
        {"temp/调课/调课.zem", false, false}, {".zem", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TempFolder dir;
        WriteRaw(dir / c.file, "");
        EXPECT_EQ(TaskFolder::IsTaskFolder(dir.path()), c.isTaskFolder);
        EXPECT_EQ(TaskFolder::HoldsTaskFiles(dir.path()), c.holdsTaskFiles);
        // A link counts as what it is named.
        fs::rename(dir / c.file, dir / "target");
        fs::create_directories(fs::path(dir / c.file).parent_path());
        fs::create_symlink(dir / "target", dir / c.file);
        EXPECT_EQ(TaskFolder::IsTaskFolder(dir.path()), c.isTaskFolder);
    }
}

TEST(TaskFolder, ABackupTakesThePartsAndNeverFollowsALink)
{
    struct Case {
        const char* what;
        std::function<void(const Folders&)> arrange;
        std::vector<std::string> notCopied;  // of the good backup
        std::vector<std::string> leftOut;
        Tree more = {};
    };
    const std::vector<Case> cases = {
        {"a whole task", [](const Folders&) {}, {}, {}},
        {"temp a link out of the task", [](const Folders& f) { Link(f.outside + "folder", f.task + "temp"); },
         {"temp", "temp/调课", "temp/调课/调课.zem"}, {"temp"}},
        {"proctor a link out of the task", [](const Folders& f) { Link(f.outside + "folder", f.task + "proctor"); },
         {"proctor", "proctor/期中", "proctor/期中/in.xml"}, {"proctor"}},
        {"task.ini a link to a file outside", [](const Folders& f) { Link(f.outside + "task.ini", f.task + "task.ini"); },
         {"task.ini"}, {"task.ini"}},
        {"a link inside temp", [](const Folders& f) { Link(f.outside + "folder", f.task + "temp/调课/别人"); }, {},
         {"temp"}},
        {"a task without timetables", [](const Folders& f) { fs::remove(f.task + "output.xml"); }, {"output.xml"}, {}},
        // The task reads its data through the link: that is what the backup holds.
        {"input.xml a link to a file outside", [](const Folders& f) { Link(f.outside + "input.xml", f.task + "input.xml"); },
         {"input.xml"}, {}, {{"input.xml", "file theirs"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder dir;
        const Folders f = MakeFolders(dir);
        c.arrange(f);
        const Tree outside = Snapshot(f.outside);
        const TaskFolder::CopyReport report =
            TaskFolder(f.task).BackUpTo(dir / "backup", {"20240102030405", "测试前"}, f.task + "测试.zem", "测试.zem");
        ASSERT_TRUE(report.ok) << report.error;
        Tree expected = GoodBackup();
        for (const std::string& path : c.notCopied)
            expected.erase(path);
        for (const auto& [path, what] : c.more)
            expected[path] = what;
        EXPECT_EQ(BackupTree(dir / "backup"), expected);
        EXPECT_EQ(report.leftOut, c.leftOut);
        EXPECT_EQ(report.onlyLinksLeftOut, true);
        EXPECT_EQ(Snapshot(f.outside), outside);
        TaskFolder::BackupMark mark;
        ASSERT_TRUE(TaskFolder::IsCompleteBackup(dir / "backup", &mark));
        EXPECT_EQ(mark.time, "20240102030405");
        EXPECT_EQ(mark.description, "测试前");
    }
}

TEST(TaskFolder, ABackupTakesItsPlaceOnlyWholeAndOneCutShortIsFinishedOrRemoved)
{
    struct Case {
        const char* what;
        const char* killAt;  // empty: not cut short
        bool older;          // an older backup in its place
        bool newInPlace;     // after the clean-up the new backup is in place (else the older one, or none)
    };
    const std::vector<Case> cases = {
        {"a new backup", "", false, true},
        {"a new backup cut short while copying", "copied", false, false},
        {"a new backup cut short once complete", "marked", false, true},
        {"a backup over an older one", "", true, true},
        {"a backup over an older one cut short while copying", "copied", true, false},
        {"a backup over an older one cut short once complete", "marked", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder dir;
        const Folders f = MakeFolders(dir);
        const std::string place = f.task + "Backup/20240102";
        if (c.older) {
            WriteRaw(place + "/input.xml", "<Old/>");
            WriteRaw(place + "/old.txt", "old");
            WriteRaw(place + "/" + TaskFolder::kBackupMarker, "");
        }
        const Tree before = Snapshot(place);
        {
            KillAt kill(c.killAt);
            const TaskFolder::CopyReport report = TaskFolder(f.task).BackUpTo(place, {});
            EXPECT_EQ(report.ok, std::string(c.killAt).empty());
        }
        // Cut short, the place is as it was until the clean-up.
        if (std::string(c.killAt).size()) {
            EXPECT_EQ(Snapshot(place), before);
        }
        TaskFolder::CleanStaging(f.task + "Backup");
        std::vector<zem::FolderEntry> entries;
        ASSERT_TRUE(zem::ListFolder(f.task + "Backup", entries));
        std::vector<std::string> names;
        for (const zem::FolderEntry& entry : entries)
            names.push_back(entry.name);
        const bool placed = c.newInPlace || c.older;
        const std::vector<std::string> expected =
            placed ? std::vector<std::string>{"20240101", "20240102"} : std::vector<std::string>{"20240101"};
        EXPECT_EQ(names, expected);
        if (c.newInPlace) {
            EXPECT_EQ(BackupTree(place), (Tree{{"input.xml", "file <Input/>"}, {"output.xml", "file <Output/>"},
                                               {"task.ini", "file [WeekTable]\r\n"}, {"temp", "folder"},
                                               {"temp/调课", "folder"}, {"temp/调课/调课.zem", "file [Task Info]\r\nName=调课\r\n"},
                                               {"proctor", "folder"}, {"proctor/期中", "folder"},
                                               {"proctor/期中/in.xml", "file <Input/>"}}));
        } else if (c.older) {
            EXPECT_EQ(Snapshot(place), before);
        }
        EXPECT_EQ(TaskFolder::IsCompleteBackup(place), placed);
    }
}

// What killed runs left where the program stages, among folders of the same look that are not its
// own: only a folder with its owner marker, of a run that has ended, moves or goes, and only into
// a free name.
TEST(TaskFolder, TheCleanUpMovesOnlyFoldersTheProgramProvesItMade)
{
    TempFolder dir;
    const Folders f = MakeFolders(dir);
    const std::string home = dir / "home/";
    const int gone = RunInGoneProcess();
    const std::string g = std::to_string(gone);
    const std::string owner = TaskFolder::kOwnerMarker;
    const std::string complete = TaskFolder::kBackupMarker;
    auto plant = [&](const std::string& folder, std::vector<std::string> files, int pid, const std::string& leaf) {
        for (const std::string& file : files)
            WriteRaw(home + folder + "/" + file, file == complete ? "" : "<Input/>");
        if (pid != 0)
            WriteRaw(home + folder + "/" + owner, OwnerMark(pid, leaf));
    };
    // Not the program's.
    WriteRaw(home + ".桌面.old-2024-01/notes.txt", "notes");
    WriteRaw(home + ".mozilla.old-2023-12/prefs.js", "prefs");
    WriteRaw(home + ".高一.staging-999-0/高一.zem", "[Task Info]\r\nName=高一\r\n");
    plant(".高一.staging-999-0", {"input.xml"}, 0, "");
    plant(".初一.staging-" + g + "-0", {"input.xml", complete}, 0, "");
    WriteRaw(dir / "elsewhere/input.xml", "<Input/>");
    WriteRaw(dir / ("elsewhere/" + owner), OwnerMark(gone, "班级"));
    fs::create_directory_symlink(dir / "elsewhere", home + ".班级.staging-" + g + "-1");
    plant(".初二.staging-" + std::to_string(RunningProcess()) + "-2", {"input.xml", complete}, RunningProcess(), "初二");
    plant(".初三.staging-" + g + "-3", {"input.xml", complete}, gone, "初四");
    plant(".初三.old-" + g + "-4", {"input.xml"}, RunningProcess(), "初三");
    plant(".初五.staging-" + g + "-5", {"input.xml", complete}, 0, "");
    fs::create_symlink(dir / ("elsewhere/" + owner), home + ".初五.staging-" + g + "-5/" + owner);
    const std::string busy = ".初六.staging-" + std::to_string(::getpid()) + "-6";
    plant(busy, {"input.xml"}, ::getpid(), "初六");
    // The program's, of runs that ended: a complete backup finishes, the rest goes.
    plant(".高二.staging-" + g + "-7", {"input.xml", complete}, gone, "高二");
    plant(".高三.staging-" + g + "-8", {"input.xml", complete}, gone, "高三");
    WriteRaw(home + "高三/高三.zem", "[Task Info]\r\nName=高三\r\n");
    plant(".高三.old-" + g + "-9", {"input.xml", complete}, gone, "高三");
    plant(".高四.old-" + g + "-10", {"input.xml", complete}, gone, "高四");
    plant(".高五.staging-" + g + "-11", {"input.xml"}, gone, "高五");
    // A backup made by another run, killed once complete.
    const int backupRun = RunInGoneProcess([&] {
        KillAt kill("marked");
        TaskFolder(f.task).BackUpTo(home + "备份", {});
    });
    std::string staged;
    for (const auto& entry : fs::directory_iterator(home))
        if (entry.path().filename().string().rfind(".备份.staging-" + std::to_string(backupRun) + "-", 0) == 0)
            staged = entry.path().filename().string();
    ASSERT_TRUE(fs::is_directory(home + staged)) << staged;

    Tree expected = Snapshot(home);
    auto move = [&](const std::string& from, const std::string& to) {
        Tree moved;
        for (auto it = expected.begin(); it != expected.end();) {
            if (it->first == from || it->first.rfind(from + "/", 0) == 0) {
                if (!to.empty() && it->first != from + "/" + owner)
                    moved[to + it->first.substr(from.size())] = it->second;
                it = expected.erase(it);
            } else {
                ++it;
            }
        }
        expected.insert(moved.begin(), moved.end());
    };
    move(".高二.staging-" + g + "-7", "高二");
    move(".高三.staging-" + g + "-8", "");
    move(".高三.old-" + g + "-9", "");
    move(".高四.old-" + g + "-10", "高四");
    move(".高五.staging-" + g + "-11", "");
    move(staged, "备份");
    const Tree elsewhere = Snapshot(dir / "elsewhere");
    {
        TaskFolder::Busy working(home + busy);
        TaskFolder::CleanStaging(home);
    }
    EXPECT_EQ(Snapshot(home), expected);
    EXPECT_EQ(Snapshot(dir / "elsewhere"), elsewhere);
    EXPECT_TRUE(TaskFolder::IsCompleteBackup(home + "备份"));
    // Asked for one place, the clean-up leaves the others'.
    plant(".高七.staging-" + g + "-12", {"input.xml"}, gone, "高七");
    TaskFolder::CleanStaging(home, "高二");
    EXPECT_TRUE(fs::is_directory(home + ".高七.staging-" + g + "-12"));
}

TEST(TaskFolder, OnlyAFolderWithoutAnotherTaskMayBeReplaced)
{
    TempFolder dir;
    const std::string open = dir / "tasks/初二/";
    WriteRaw(open + "初二.zem", "");
    WriteRaw(open + "input.xml", "");
    WriteRaw(open + "temp/调课/调课.zem", "");
    WriteRaw(dir / "tasks/初三/input.xml", "");
    WriteRaw(dir / "files/a.txt", "");
    WriteRaw(dir / "files/sub/b.txt", "");
    fs::create_directories(dir / "empty");
    WriteRaw(dir / "deep/a/b/x.zem", "");
    WriteRaw(dir / "backup/input.xml", "");
    WriteRaw(dir / "backup/temp/调课/调课.zem", "");
    WriteRaw(dir / ("backup/" + std::string(TaskFolder::kBackupMarker)), "");
    WriteRaw(dir / "backup with a task/input.xml", "");
    WriteRaw(dir / ("backup with a task/" + std::string(TaskFolder::kBackupMarker)), "");
    WriteRaw(dir / "backup with a task/mine/mine.zem", "");
    WriteRaw(dir / "unfinished/input.xml", "");
    WriteRaw(dir / "unfinished/temp/调课/调课.zem", "");
    Link(dir / "tasks/初三", dir / "link to a task");
    Link(dir / "tasks", dir / "link to the tasks");
    WriteRaw(dir / "with a link/note.txt", "");
    Link(open, dir / "with a link/task");
    WriteRaw(dir / "a file", "");

    using Check = TaskFolder::ReplaceCheck;
    struct Case {
        std::string folder;
        bool backupByPlace;
        Check::Verdict verdict;
        std::string task = {};
        bool isBackup = false;
        int entries = 0;
    };
    const std::vector<Case> cases = {
        {"nothing", false, Check::Absent},
        {"empty", false, Check::Replaceable},
        {"files/", false, Check::Replaceable, {}, false, 3},
        {"tasks", false, Check::HoldsOpenTask},
        {"tasks/初二", false, Check::HoldsOpenTask},
        {"tasks/初二/temp", false, Check::HoldsTask, dir / "tasks/初二/temp/调课"},
        {"tasks/初三", false, Check::HoldsTask, dir / "tasks/初三"},
        {"deep", false, Check::HoldsTask, dir / "deep/a/b"},
        {"backup", false, Check::Replaceable, {}, true, 5},
        {"backup with a task", false, Check::HoldsTask, dir / "backup with a task/mine"},
        {"unfinished", false, Check::HoldsTask, dir / "unfinished"},
        {"unfinished", true, Check::Replaceable, {}, true, 4},
        {"link to a task", false, Check::Replaceable},
        {"link to the tasks", false, Check::HoldsOpenTask},
        {"with a link", false, Check::Replaceable, {}, false, 2},
        {"a file", false, Check::NotAFolder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder + (c.backupByPlace ? " by place" : ""));
        const Check check = TaskFolder::CheckReplace(dir / c.folder, open, c.backupByPlace);
        EXPECT_EQ(check.verdict, c.verdict);
        EXPECT_EQ(check.task, c.task);
        EXPECT_EQ(check.isBackup, c.isBackup);
        if (c.verdict == Check::Replaceable) {
            EXPECT_EQ(check.entries, c.entries);
        }
    }
}

// A restore of a backup that differs in every part the task has: other data, no timetables, no
// settings, another temporary task and a task file of another name.
struct RestoreFolders : Folders {
    std::string backup;
    Tree original;  // the task folder before the restore
    Tree restored;  // the task folder after a restore that went through
};

RestoreFolders MakeRestore(const TempFolder& dir)
{
    RestoreFolders f{MakeFolders(dir), dir / "backup/", {}, {}};
    WriteRaw(f.backup + "旧名.zem", Gbk("[Task Info]\r\nName=旧名\r\nDescription=备份时\r\n"));
    WriteRaw(f.backup + "input.xml", "<Input>备份</Input>");
    WriteRaw(f.backup + "temp/代课/代课.zem", "[Task Info]\r\nName=代课\r\n");
    WriteRaw(f.backup + "proctor/期末/in.xml", "<Input>期末</Input>");
    WriteRaw(f.backup + TaskFolder::kBackupMarker, "");
    f.original = Snapshot(f.task);
    f.restored = f.original;
    for (const char* gone : {"output.xml", "temp/调课", "temp/调课/调课.zem", "proctor/期中", "proctor/期中/in.xml"})
        f.restored.erase(gone);
    // The task keeps its name: a backup taken before a rename has the old one.
    f.restored["测试.zem"] = "file " + Gbk("[Task Info]\r\nName=测试\r\nDescription=备份时\r\nCreator=\r\nCreateTime=\r\n");
    f.restored["input.xml"] = "file <Input>备份</Input>";
    f.restored["temp/代课"] = "folder";
    f.restored["temp/代课/代课.zem"] = "file [Task Info]\r\nName=代课\r\n";
    f.restored["proctor/期末"] = "folder";
    f.restored["proctor/期末/in.xml"] = "file <Input>期末</Input>";
    return f;
}

bool RunRestore(const RestoreFolders& f)
{
    TaskFolderRestore restore(f.task, f.backup);
    std::string error;
    if (!restore.Stage("测试.zem", "测试", error) || !restore.Swap(error))
        return false;
    restore.Commit();
    return true;
}

TEST(TaskFolderRestore, ARestoreCutShortAnywhereIsUndoneWhenTheTaskNextOpens)
{
    // Every step a restore takes, in order.
    std::vector<std::string> steps;
    {
        TempFolder dir;
        const RestoreFolders f = MakeRestore(dir);
        const TaskFolder::KillHook previous = TaskFolder::SetKillHookForTesting([&](const std::string& step) {
            steps.push_back(step);
            return false;
        });
        EXPECT_TRUE(RunRestore(f));
        TaskFolder::SetKillHookForTesting(previous);
        EXPECT_EQ(Snapshot(f.task), f.restored);
    }
    ASSERT_EQ(steps.front(), "staged");
    ASSERT_EQ(steps.back(), "committed");
    EXPECT_EQ(steps.size(), 11u);  // staged, 5 parts held (output.xml too), 4 put in, committed

    for (const std::string& step : steps) {
        SCOPED_TRACE(step);
        TempFolder dir;
        const RestoreFolders f = MakeRestore(dir);
        {
            KillAt kill(step);
            RunRestore(f);
        }
        TaskFolderRestore::FinishInterrupted(f.task);
        // Once the restore was made final it stands; before that it never happened.
        EXPECT_EQ(Snapshot(f.task), step == "committed" ? f.restored : f.original);
    }
}

TEST(TaskFolderRestore, ABackupsLinksAreNotFollowedAndTheTaskKeepsItsOwn)
{
    TempFolder dir;
    RestoreFolders f = MakeRestore(dir);
    Link(f.outside + "folder", f.backup + "temp");
    Link(f.outside + "task.ini", f.backup + "task.ini");
    const Tree outside = Snapshot(f.outside);
    TaskFolderRestore restore(f.task, f.backup);
    std::string error;
    ASSERT_TRUE(restore.Stage("测试.zem", "测试", error)) << error;
    EXPECT_EQ(restore.LeftOut(), (std::vector<std::string>{"task.ini", "temp"}));
    ASSERT_TRUE(restore.Swap(error)) << error;
    restore.Commit();
    Tree expected = f.restored;
    for (const char* kept : {"temp/调课", "temp/调课/调课.zem"})
        expected[kept] = f.original.at(kept);
    expected.erase("temp/代课");
    expected.erase("temp/代课/代课.zem");
    EXPECT_EQ(Snapshot(f.task), expected);
    EXPECT_EQ(Snapshot(f.outside), outside);
}

}  // namespace
