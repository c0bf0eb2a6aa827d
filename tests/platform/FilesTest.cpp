#include "platform/Files.h"

#include "support/GoneProcess.h"
#include "support/TempFolder.h"

#include "platform/Text.h"

#include <gtest/gtest.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace zem;

namespace {

std::vector<std::string> Names(const std::string& folder)
{
    std::vector<FolderEntry> entries;
    EXPECT_TRUE(ListFolder(folder, entries));
    std::vector<std::string> names;
    for (const FolderEntry& e : entries)
        names.push_back(e.name + (e.isFolder ? "/" : ""));
    return names;
}

TEST(Files, AtomicWriteReplacesContentAndKeepsPermissions)
{
    TempFolder folder;
    const std::string path = folder / "task.ini";
    std::string error;
    ASSERT_TRUE(WriteFileAtomic(path, "old", &error)) << error;
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(WriteFileAtomic(path, std::string("new\0\xFF", 5), &error)) << error;

    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes, &error)) << error;
    EXPECT_EQ(bytes, std::string("new\0\xFF", 5));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"task.ini"});
}

TEST(Files, FailedWriteKeepsTheTargetAndLeavesNoTemporaryFile)
{
    TempFolder folder;
    const std::string path = folder / "input.xml";
    WriteRaw(path, "good");
    std::string error;

    // A file size limit makes the write fail half-way, as a full disk would.
    rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteFileAtomic(path, std::string(100000, 'x'), &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_EQ(ReadRaw(path), "good");
    EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"input.xml"});

    EXPECT_FALSE(WriteFileAtomic(folder / "missing/input.xml", "x", &error));
    EXPECT_NE(error.find("文件夹不存在"), std::string::npos) << error;
    EXPECT_FALSE(WriteFileAtomic(folder.path(), "x", &error));
    EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"input.xml"});
}

TEST(Files, FailuresGiveTheErrorNumberAndAReasonInChinese)
{
    TempFolder folder;
    std::string bytes;
    std::string error;
    int code = -1;
    EXPECT_FALSE(ReadFileBytes(folder / "none.xml", bytes, &error, &code));
    EXPECT_EQ(code, ENOENT);
    EXPECT_FALSE(ReadFileBytes(folder.path(), bytes, &error, &code));
    EXPECT_EQ(code, EISDIR);
    EXPECT_FALSE(WriteFileAtomic(folder / "missing/input.xml", "x", &error, &code));
    EXPECT_EQ(code, ENOENT);
    EXPECT_FALSE(WriteFileAtomic(folder.path(), "x", &error, &code));
    EXPECT_EQ(code, EISDIR);
    EXPECT_TRUE(WriteFileAtomic(folder / "ok.xml", "x", &error, &code));
    EXPECT_EQ(code, 0);

    if (::geteuid() != 0) {
        const std::string locked = folder / "locked/";
        std::filesystem::create_directory(locked);
        std::filesystem::permissions(locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        EXPECT_FALSE(WriteFileAtomic(locked + "input.xml", "x", &error, &code));
        std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
        EXPECT_EQ(code, EACCES);
        EXPECT_NE(error.find("没有访问权限"), std::string::npos) << error;
    }
    EXPECT_EQ(FileErrorReason(ENOSPC), "磁盘空间不足");
    EXPECT_EQ(FileErrorReason(12345), "错误代码 12345");
}

// Every call of the library on a path the system refuses: what it gave and whether its text says
// why, one line a call. Nothing may throw: a call that did would end the program.
std::string Probe(const std::string& path, const std::string& source, const std::string& scratch)
{
    std::string said;
    auto note = [&](const char* call, bool ok, int code, const std::string& error) {
        const bool why = code != 0 && error.find(FileErrorReason(code)) != std::string::npos;
        said += Format("%s %s %d %s\n", call, ok ? "ok" : "failed", code, why ? "why" : ("no why: " + error).c_str());
    };
    said += Format("exists %d %d\n", FileExists(path), FolderExists(path));
    std::string error;
    int code = 0;
    bool ok = MakeFolder(path, &error, &code);
    note("MakeFolder", ok, code, error);
    ok = MakeRealFolder(path, &error, &code);
    note("MakeRealFolder", ok, code, error);
    code = CopyFolder(source, path, &error);
    note("CopyFolder to", code == 0, code, error);
    code = CopyFolder(path, scratch + "copy", &error);
    note("CopyFolder from", code == 0, code, error);
    ok = WriteFileAtomic(path + "/input.xml", "x", &error, &code);
    note("WriteFileAtomic", ok, code, error);
    ok = CopyFile(source + "/input.xml", path + "/input.xml", &error, &code);
    note("CopyFile", ok, code, error);
    std::string bytes;
    ok = ReadFileBytes(path + "/input.xml", bytes, &error, &code);
    note("ReadFileBytes", ok, code, error);
    // ListFolder gives no number: its text must give the reason the read before it gave.
    std::vector<FolderEntry> entries;
    ok = ListFolder(path, entries, &error);
    note("ListFolder", ok, ok ? 0 : code, error);
    IsPathSameOrInside(path, scratch);
    return said;
}

std::string Refused(int code)
{
    std::string said = "exists 0 0\n";
    for (const char* call : {"MakeFolder", "MakeRealFolder", "CopyFolder to", "CopyFolder from", "WriteFileAtomic",
                             "CopyFile", "ReadFileBytes", "ListFolder"})
        said += Format("%s failed %d why\n", call, code);
    return said;
}

// Runs `probe` as the user nobody in a child process (root passes every permission check) and
// gives what it said; without root it runs here. Empty, with `skipped` set, where no user can be
// switched to.
std::string AsAnotherUser(const std::function<std::string()>& probe, bool& skipped)
{
    skipped = false;
    if (::geteuid() != 0)
        return probe();
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        constexpr gid_t kNobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            std::_Exit(77);
        const std::string said = probe();
        const bool written = ::write(pipeFds[1], said.data(), said.size()) == static_cast<ssize_t>(said.size());
        std::_Exit(written ? 0 : 1);
    }
    ::close(pipeFds[1]);
    std::string said;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) {
        skipped = true;
        return {};
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        said += Format("the probe ended with status %d\n", status);
    return said;
}

TEST(Files, APathTheSystemRefusesIsAnErrorWithItsReasonNeverAnException)
{
    TempFolder folder;
    const std::string source = folder / "source";
    WriteRaw(source + "/input.xml", "<Input/>");
    const std::string scratch = folder / "scratch/";
    ASSERT_TRUE(MakeFolder(scratch));

    // A name longer than a folder entry can hold, as a task named with 300 characters gives.
    EXPECT_EQ(Probe(folder / std::string(300, 'x'), source, scratch), Refused(ENAMETOOLONG));
    EXPECT_EQ(Probe(folder / (std::string(100, 'y') + "/" + std::string(256, 'z')), source, scratch),
              Refused(ENAMETOOLONG));
    EXPECT_EQ(FileErrorReason(ENAMETOOLONG), "文件名太长");

    // Links that lead to themselves, directly or through a folder.
    const std::string loop = folder / "loop";
    ASSERT_EQ(::symlink(loop.c_str(), loop.c_str()), 0);
    EXPECT_EQ(Probe(loop, source, scratch), Refused(ELOOP));
    EXPECT_EQ(Probe(loop + "/sub", source, scratch), Refused(ELOOP));
    EXPECT_TRUE(IsLink(loop));

    // A folder the user may not search.
    const std::string locked = folder / "locked";
    ASSERT_TRUE(MakeFolder(locked + "/inside"));
    WriteRaw(locked + "/inside/input.xml", "x");
    ::chmod(folder.path().c_str(), 0755);
    ::chmod(source.c_str(), 0755);
    ::chmod((source + "/input.xml").c_str(), 0644);
    ::chmod(scratch.c_str(), 0777);
    ::chmod(locked.c_str(), ::geteuid() == 0 ? 0700 : 0);
    bool skipped = false;
    const std::string said =
        AsAnotherUser([&] { return Probe(locked + "/inside", source, scratch); }, skipped);
    ::chmod(locked.c_str(), 0755);
    if (skipped)
        GTEST_SKIP() << "no other user to switch to: the case of a folder without permission is not tried";
    EXPECT_EQ(said, Refused(EACCES));
    EXPECT_EQ(ReadRaw(locked + "/inside/input.xml"), "x");
}

TEST(Files, CheckFileNameRefusesNamesThatLeaveTheirFolderOrFailOnWindows)
{
    struct Case {
        const char* name;
        const char* message;  // nullptr: accepted
    };
    const Case cases[] = {
        {"初二年级 喆堃", nullptr},
        {"2024.春季", nullptr},
        {".hidden", nullptr},
        {"CONSOLE", nullptr},
        {"", "名称不能为空。"},
        {"a/b", "名称“a/b”中不能含有下列字符：\\ / : * ? \" < > |"},
        {"a\\b", "名称“a\\b”中不能含有下列字符：\\ / : * ? \" < > |"},
        {"C:", "名称“C:”中不能含有下列字符：\\ / : * ? \" < > |"},
        {"谁?", "名称“谁?”中不能含有下列字符：\\ / : * ? \" < > |"},
        {"a|b", "名称“a|b”中不能含有下列字符：\\ / : * ? \" < > |"},
        {"..", "名称“..”中不能含有“..”。"},
        {"a..b", "名称“a..b”中不能含有“..”。"},
        {"任务.", "名称“任务.”不能以点或空格结尾。"},
        {"任务 ", "名称“任务 ”不能以点或空格结尾。"},
        {"两行\n", "名称中不能含有换行符或其他控制字符。"},
        {"con", "“con”是系统保留的名称，不能使用。"},
        {"Lpt3.zem", "“Lpt3.zem”是系统保留的名称，不能使用。"},
    };
    for (const Case& c : cases) {
        std::string message;
        EXPECT_EQ(CheckFileName(c.name, &message), c.message == nullptr) << c.name;
        EXPECT_EQ(message, c.message ? c.message : "") << c.name;
    }
}

TEST(Files, ReadFailsForMissingFileAndFolder)
{
    TempFolder folder;
    std::string bytes = "stale";
    std::string error;
    EXPECT_FALSE(ReadFileBytes(folder / "none.xml", bytes, &error));
    EXPECT_NE(error.find("找不到文件"), std::string::npos) << error;
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(ReadFileBytes(folder.path(), bytes, &error));
    EXPECT_NE(error.find("文件夹"), std::string::npos) << error;
    WriteRaw(folder / "empty", "");
    EXPECT_TRUE(ReadFileBytes(folder / "empty", bytes));
    EXPECT_TRUE(bytes.empty());
}

TEST(Files, MakeListAndRemoveFolders)
{
    TempFolder folder;
    ASSERT_TRUE(MakeFolder(folder / "任务/temp/"));
    EXPECT_TRUE(FolderExists(folder / "任务/temp"));
    EXPECT_FALSE(FileExists(folder / "任务/temp"));
    WriteRaw(folder / "任务/input.xml", "x");
    EXPECT_TRUE(FileExists(folder / "任务/input.xml"));
    EXPECT_FALSE(FolderExists(folder / "任务/input.xml"));
    EXPECT_FALSE(MakeFolder(folder / "任务/input.xml"));

    WriteRaw(folder / "任务/backup.ini", "x");
    EXPECT_EQ(Names(folder / "任务"), (std::vector<std::string>{"backup.ini", "input.xml", "temp/"}));
    std::vector<FolderEntry> entries;
    EXPECT_FALSE(ListFolder(folder / "none", entries));

    EXPECT_FALSE(RemoveFolder(folder / "任务/input.xml"));
    EXPECT_TRUE(FileExists(folder / "任务/input.xml"));
    EXPECT_TRUE(RemoveFolder(folder / "任务/"));
    EXPECT_FALSE(std::filesystem::exists(folder / "任务"));
    EXPECT_TRUE(RemoveFolder(folder / "任务"));
}

TEST(Files, CopyFolderMergesANestedTreeIntoTheTarget)
{
    TempFolder folder;
    WriteRaw(folder / "src/a.txt", "new a");
    WriteRaw(folder / "src/sub/深/b.txt", "b");
    std::filesystem::create_directories(folder / "src/empty");
    std::filesystem::create_symlink("..", folder / "src/sub/up");
    WriteRaw(folder / "dst/a.txt", "old a");
    WriteRaw(folder / "dst/other.txt", "other");

    // A link would lead the copy back to where it came from: all else is copied, and the copy
    // names what it left out.
    std::string error;
    EXPECT_EQ(CopyFolder(folder / "src/", folder / "dst/", &error), ELOOP);
    EXPECT_NE(error.find("下列内容没有复制：\nsub/up（是一个链接）"), std::string::npos) << error;
    EXPECT_EQ(ReadRaw(folder / "dst/a.txt"), "new a");
    EXPECT_EQ(ReadRaw(folder / "dst/sub/深/b.txt"), "b");
    EXPECT_EQ(ReadRaw(folder / "dst/other.txt"), "other");
    EXPECT_TRUE(FolderExists(folder / "dst/empty"));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(folder / "dst/sub/up")));

    std::filesystem::remove(folder / "src/sub/up");
    ASSERT_EQ(::mkfifo((folder / "src/sub/pipe").c_str(), 0600), 0);
    EXPECT_EQ(CopyFolder(folder / "src", folder / "new/parents/dst", &error), ESPIPE);
    EXPECT_NE(error.find("sub/pipe（不是普通文件）"), std::string::npos) << error;
    std::filesystem::remove(folder / "src/sub/pipe");
    EXPECT_EQ(CopyFolder(folder / "src", folder / "new/parents/dst"), 0);
    EXPECT_EQ(ReadRaw(folder / "new/parents/dst/sub/深/b.txt"), "b");

    EXPECT_NE(CopyFolder(folder / "none", folder / "x", &error), 0);
    EXPECT_NE(error.find("找不到"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(folder / "x"));
    EXPECT_NE(CopyFolder(folder / "src", folder / "src/sub/inner", &error), 0);
    EXPECT_FALSE(std::filesystem::exists(folder / "src/sub/inner"));
}

TEST(Files, CopyFileReplacesTheTarget)
{
    TempFolder folder;
    WriteRaw(folder / "a", "source");
    WriteRaw(folder / "b", "old");
    EXPECT_TRUE(CopyFile(folder / "a", folder / "b"));
    EXPECT_EQ(ReadRaw(folder / "b"), "source");
    EXPECT_FALSE(CopyFile(folder / "none", folder / "b"));
    EXPECT_EQ(ReadRaw(folder / "b"), "source");
    EXPECT_TRUE(RemoveFile(folder / "b"));
    EXPECT_FALSE(FileExists(folder / "b"));
}

TEST(Files, OnlyRegularFilesWithinTheLimitAreRead)
{
    TempFolder folder;
    const std::string fifo = folder / "input.xml";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string big = folder / "big.xml";
    WriteRaw(big, std::string(1025, 'x'));
    struct Case {
        std::string path;
        std::size_t limit;
        int code;
        const char* text;
    };
    const Case cases[] = {
        {fifo, kMaxReadBytes, ESPIPE, "不是普通文件："},
        {"/dev/zero", kMaxReadBytes, ESPIPE, "不是普通文件："},
        {big, 1024, EFBIG, "文件太大（超过 1 KB）："},
        {big, 1025, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::string bytes;
        std::string error;
        int code = -1;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(ReadFileBytes(c.path, bytes, &error, &code, c.limit), c.code == 0);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(error.substr(0, std::string(c.text).size()), c.text);
        EXPECT_EQ(bytes.size(), c.code == 0 ? 1025u : 0u);
    }
    // A copy takes only regular files too, and never blocks on one that is not.
    EXPECT_FALSE(CopyFile(fifo, folder / "copy.xml"));
    EXPECT_FALSE(FileExists(folder / "copy.xml"));
}

TEST(Files, LinksAreNeverWrittenPrunedOrRemovedThrough)
{
    TempFolder folder;
    namespace fs = std::filesystem;
    const std::string outside = folder / "outside/";
    WriteRaw(outside + "report.txt", "theirs");
    WriteRaw(outside + "20200101/input.xml", "theirs");
    const std::string task = folder / "task/";
    ASSERT_TRUE(MakeFolder(task));
    fs::create_symlink(outside + "report.txt", task + "report.txt");
    fs::create_symlink(outside, task + "Backup");
    fs::create_symlink(outside + "20200101", task + "day");
    WriteRaw(task + "input.xml", "ours");

    std::string error;
    ASSERT_TRUE(WriteFileAtomic(task + "report.txt", "new", &error)) << error;
    EXPECT_FALSE(IsLink(task + "report.txt"));
    EXPECT_EQ(ReadRaw(task + "report.txt"), "new");

    EXPECT_TRUE(IsLink(task + "Backup/"));
    EXPECT_TRUE(FolderExists(task + "Backup"));
    EXPECT_FALSE(RealFolderExists(task + "Backup/"));
    EXPECT_FALSE(MakeRealFolder(task + "Backup", &error));
    EXPECT_NE(error.find("链接"), std::string::npos) << error;
    EXPECT_FALSE(MakeRealFolder(task + "input.xml", &error));
    EXPECT_NE(error.find("已有同名的文件"), std::string::npos) << error;
    EXPECT_TRUE(MakeRealFolder(task + "proctor/"));
    EXPECT_TRUE(MakeRealFolder(task + "proctor"));
    EXPECT_TRUE(RealFolderExists(task + "proctor/"));

    std::vector<FolderEntry> entries;
    ASSERT_TRUE(ListFolder(task, entries));
    for (const FolderEntry& entry : entries) {
        SCOPED_TRACE(entry.name);
        EXPECT_EQ(entry.isLink, entry.name == "Backup" || entry.name == "day");
        EXPECT_EQ(entry.isFolder, entry.name == "proctor");
    }

    // A copy of the folder carries no link out, and never copies into a link.
    EXPECT_EQ(CopyFolder(task, folder / "copy/", &error), ELOOP);
    EXPECT_EQ(Names(folder / "copy"), (std::vector<std::string>{"input.xml", "proctor/", "report.txt"}));
    EXPECT_NE(CopyFolder(folder / "copy/", task + "day/", &error), 0);
    fs::create_symlink(outside, folder / "copy/proctor2");
    ASSERT_TRUE(MakeFolder(folder / "source/proctor2"));
    WriteRaw(folder / "source/proctor2/in.xml", "x");
    EXPECT_NE(CopyFolder(folder / "source", folder / "copy", &error), 0);
    EXPECT_NE(error.find("链接"), std::string::npos) << error;

    // Removing a link given as a folder removes the link.
    EXPECT_TRUE(RemoveFolder(task + "Backup/"));
    EXPECT_TRUE(RemoveFile(task + "day/"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(task + "Backup")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(task + "day")));
    EXPECT_EQ(ReadRaw(outside + "report.txt"), "theirs");
    EXPECT_EQ(ReadRaw(outside + "20200101/input.xml"), "theirs");
    EXPECT_EQ(Names(outside), (std::vector<std::string>{"20200101/", "report.txt"}));
}

TEST(Files, AFaultFromTheHookFailsTheWriteAsTheSystemWould)
{
    TempFolder folder;
    const std::string path = folder / "output.xml";
    WriteRaw(path, "good");
    const FileWriteFaultHook previous = SetFileWriteFaultHook([](const std::string&) { return ENOSPC; });
    std::string error;
    int code = 0;
    EXPECT_FALSE(WriteFileAtomic(path, "new", &error, &code));
    EXPECT_EQ(code, ENOSPC);
    EXPECT_NE(error.find("磁盘空间不足"), std::string::npos) << error;
    EXPECT_FALSE(MakeFolder(folder / "Backup", &error));
    EXPECT_FALSE(MakeRealFolder(folder / "Backup", &error, &code));
    EXPECT_EQ(code, ENOSPC);
    SetFileWriteFaultHook(previous);
    EXPECT_EQ(ReadRaw(path), "good");
    EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"output.xml"});
}

// Only a regular file of the exact naming, of a run that has ended, goes: another run's save, or
// this one's, may be writing it now.
TEST(Files, LeftoverTemporaryFilesOfOurOwnNamingAreRemoved)
{
    TempFolder folder;
    const std::string gone = std::to_string(RunInGoneProcess());
    const std::string running = std::to_string(RunningProcess());
    const std::string own = std::to_string(::getpid());
    const std::vector<std::string> left = {".~zem." + gone + ".4.tmp", ".~zem." + gone + ".22.tmp"};
    const std::vector<std::string> kept = {".~zem." + running + ".4.tmp", ".~zem." + own + ".4.tmp",
                                           ".~zem.99999999999.1.tmp", ".~zem.x.tmp", ".~zem." + gone + ".2.tmp.bak",
                                           "a.tmp", "~zem." + gone + ".2.tmp"};
    for (const std::vector<std::string>* names : {&left, &kept})
        for (const std::string& name : *names)
            WriteRaw(folder / name, "x");
    ASSERT_TRUE(MakeFolder(folder / (".~zem." + gone + ".6.tmp")));
    WriteRaw(folder / "elsewhere/keep", "x");
    std::filesystem::create_symlink(folder / "elsewhere/keep", folder / (".~zem." + gone + ".8.tmp"));
    EXPECT_TRUE(IsOwnTemporaryFileName(".~zem.123.4.tmp"));
    EXPECT_FALSE(IsOwnTemporaryFileName(".~zem..4.tmp"));

    EXPECT_EQ(RemoveOwnTemporaryFiles(folder.path()), 2);
    std::vector<std::string> expected = kept;
    expected.push_back(".~zem." + gone + ".6.tmp/");
    expected.push_back(".~zem." + gone + ".8.tmp");
    expected.push_back("elsewhere/");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(folder.path()), expected);
    EXPECT_EQ(ReadRaw(folder / "elsewhere/keep"), "x");
}

// An export killed while writing leaves a whole workbook hidden beside its target: the next save
// into that folder takes it away, and nothing of a run still going.
TEST(Files, ASaveTakesAwayWhatKilledSavesLeftInItsFolder)
{
    TempFolder folder;
    const std::string gone = std::to_string(RunInGoneProcess());
    const std::string leftover = ".~zem." + gone + ".3.tmp";
    const std::string theirs = ".~zem." + std::to_string(RunningProcess()) + ".3.tmp";
    WriteRaw(folder / leftover, "a whole workbook");
    WriteRaw(folder / theirs, "being written");
    WriteRaw(folder / "elsewhere/keep", "x");
    std::filesystem::create_symlink(folder / "elsewhere/keep", folder / (".~zem." + gone + ".4.tmp"));
    ASSERT_TRUE(WriteFileAtomic(folder / "总课表.xlsx", "new"));
    std::vector<std::string> expected{".~zem." + gone + ".4.tmp", theirs, "elsewhere/", "总课表.xlsx"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(folder.path()), expected);
    EXPECT_EQ(ReadRaw(folder / "elsewhere/keep"), "x");
}

TEST(Files, ProgramFolderHoldsTheRunningProgram)
{
    const std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(FileExists(folder + "platform_tests"));
}

TEST(Files, WindowsPathsAreRecognised)
{
    for (const char* path : {"D:\\排课\\", "c:/tasks", "\\\\server\\share", "tasks\\a"})
        EXPECT_TRUE(IsWindowsPath(path)) << path;
    for (const char* path : {"/home/u/排课/", "ab:c", "", "任务"})
        EXPECT_FALSE(IsWindowsPath(path)) << path;
}

}  // namespace
