// zorlog.exe under Wine, run as a user would run it from a console, its
// standard output and error in files: its rows against what ZOR.exe's window
// shows for the same target, the largest free block when the target takes
// it, a target that exits and starts again, and its exit codes.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/zor_driver.h"
#include "e2e/zorlog_driver.h"
#include "res/resource.h"
#include "support/target_process_win32.h"

namespace {

using namespace e2e;

// The status line of a connection to a flagged target, the ceiling being
// this (equally flagged) program's own space.
std::string Connected(const std::wstring& name, DWORD pid) {
  MEMORYSTATUSEX m = {};
  m.dwLength = sizeof m;
  GlobalMemoryStatusEx(&m);
  return "connected to " + Utf8(name) + " (PID " + std::to_string(pid) + "): ceiling " +
         std::to_string(m.ullTotalVirtual >> 20) + " MB, large-address-aware, 4 GB (64-bit system)";
}

// The number after "Virtual Size:\n" in the info panel, or after "memory: ".
unsigned long long Number(const std::wstring& text, const wchar_t* after) {
  size_t at = text.find(after);
  return at == std::wstring::npos ? 0 : wcstoull(text.c_str() + at + wcslen(after), nullptr, 10);
}

TEST_F(ZorTest, ZorLogRowsMatchTheWindowAndTheLargestFreeBlockDropsWhenTheTargetTakesIt) {
  const std::wstring name = L"ZorLogTarget" + std::to_wstring(GetCurrentProcessId()) + L".exe";
  const std::wstring exe = TargetProcess::CopyAs(name);
  TargetProcess target;
  ASSERT_TRUE(target.Start(L"--reserve 65536 --commit 32768 --regions 4", exe));
  ZorRun zor;
  ASSERT_TRUE(zor.Start(name));
  ASSERT_TRUE(WaitFor([&] { return Number(zor.Text(IDC_INFO_PANEL), L"Size:\n") > 0; }));
  const unsigned long long shownMb = Number(zor.Text(IDC_INFO_PANEL), L"Size:\n");
  const unsigned long long limitMb = Number(zor.Text(IDC_MAX_MEMORY), L"memory: ");

  // Appended to a new file: the header, then three rows.
  const std::wstring csv = TempFile(L"log.csv");
  ZorLog log;
  ASSERT_EQ(log.Run(L"-n 3 -o \"" + csv + L"\" " + name), 0u) << Utf8(csv);
  std::vector<std::string> lines = Lines(ReadAll(csv));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], kHeader);
  Row row;
  wchar_t me[128];
  DWORD units = 128;
  ASSERT_TRUE(GetUserNameW(me, &units));
  std::string last;  // the rows' seconds follow one another
  for (size_t i = 1; i < lines.size(); ++i) {
    ASSERT_TRUE(ParseRow(lines[i], &row)) << lines[i];
    EXPECT_GT(row.time, last) << lines[i];
    last = row.time;
    EXPECT_EQ(row["pid"], target.Pid());
    EXPECT_EQ(row["virtual_mb"], shownMb) << lines[i];
    EXPECT_LE(row["committed_mb"] + row["reserved_mb"], row["virtual_mb"]) << lines[i];
    EXPECT_GE(row["committed_mb"] + row["reserved_mb"] + 1, row["virtual_mb"]) << lines[i];
    EXPECT_GE(row["committed_mb"], 32u) << lines[i];
    EXPECT_LE(row["largest_free_mb"], row["free_mb"]) << lines[i];
    EXPECT_GT(row["regions"], 4u) << lines[i];
    EXPECT_EQ(row["peak_virtual_mb"], shownMb) << lines[i];
    EXPECT_EQ(row["limit_mb"], limitMb) << lines[i];
    EXPECT_EQ(row["ceiling_mb"], limitMb) << lines[i];
    EXPECT_LE(row["largest_usable_mb"], row["largest_free_mb"]) << lines[i];
    // The target's bits and user: it runs as this test does.
    EXPECT_EQ(row.bits, "32") << lines[i];
    EXPECT_NE(row.user.find("\\" + Utf8(me) + "\""), std::string::npos) << lines[i];
    unsigned long long kinds = 0;
    for (const char* k : {"image", "mapped", "private"})
      kinds += row[(std::string(k) + "_committed_mb").c_str()] +
               row[(std::string(k) + "_reserved_mb").c_str()];
    EXPECT_LE(kinds, row["virtual_mb"]) << lines[i];
    EXPECT_GE(kinds + 6, row["virtual_mb"]) << lines[i];
  }
  EXPECT_EQ(log.Out(), std::vector<std::string>());
  EXPECT_EQ(log.Err(), std::vector<std::string>{Connected(name, target.Pid())});

  // A block larger than all the other free space together fits only in the
  // largest free block: reserving it takes that block, and the next row,
  // appended without a second header, shows it.
  const unsigned long long before = row["largest_free_mb"];
  ASSERT_GT(before, 64u);
  const unsigned long long takeMb =
      std::min(before - 1, std::max(row["free_mb"] - before + 1, (before + 1) / 2));
  const std::string answer = target.Command("reserve " + std::to_string(takeMb << 10));
  EXPECT_EQ(answer.compare(0, 3, "ok "), 0) << answer << " / " << lines[3] << " take " << takeMb;
  ZorLog again;
  ASSERT_EQ(again.Run(L"-n 1 -o \"" + csv + L"\" " + std::to_wstring(target.Pid())), 0u);
  lines = Lines(ReadAll(csv));
  ASSERT_EQ(lines.size(), 5u);
  ASSERT_TRUE(ParseRow(lines[4], &row)) << lines[4];
  EXPECT_LT(row["largest_free_mb"], before) << lines[4];
  EXPECT_GE(row["virtual_mb"], shownMb + takeMb) << lines[4];
  DeleteFileW(csv.c_str());
  DWORD code = 99;
  EXPECT_TRUE(zor.Close(&code));
  target.Exit();
  RemoveCopy(exe);
}

TEST(ZorLog, WaitsForTheNameFollowsItsExitAndTheNextProcessOfThatName) {
  const std::wstring name = L"ZorLogAgain" + std::to_wstring(GetCurrentProcessId()) + L".exe";
  const std::string n = Utf8(name);
  const std::wstring exe = TargetProcess::CopyAs(name);
  ZorLog log;
  ASSERT_TRUE(log.Launch(L"-n 2 " + name));
  ASSERT_TRUE(WaitFor([&] { return log.Err().size() == 1; }, 15000));

  TargetProcess first;
  ASSERT_TRUE(first.Start(L"", exe));
  ASSERT_TRUE(WaitFor([&] { return log.Out().size() == 2; }, 15000));
  first.Exit();
  ASSERT_TRUE(WaitFor([&] { return log.Err().size() == 4; }, 15000));
  TargetProcess second;
  ASSERT_TRUE(second.Start(L"", exe));
  ASSERT_EQ(log.Wait(), 0u);

  const std::string a = std::to_string(first.Pid()), b = std::to_string(second.Pid());
  std::vector<std::string> err = log.Err();
  // How it ended: a normal exit, after what it was watched doing.
  const std::string exited =
      n + " (PID " + a + ") exited with 0x00000000 (a normal exit), watched ";
  ASSERT_EQ(err.size(), 5u);
  EXPECT_EQ(err[2].substr(0, exited.size()), exited);
  err[2] = "exited";
  EXPECT_EQ(err,
            (std::vector<std::string>{"waiting for " + n, Connected(name, first.Pid()), "exited",
                                      "waiting for " + n, Connected(name, second.Pid())}));
  std::vector<std::string> lines = log.Out();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], kHeader);
  Row row;
  ASSERT_TRUE(ParseRow(lines[1], &row)) << lines[1];
  EXPECT_EQ(row["pid"], first.Pid());
  ASSERT_TRUE(ParseRow(lines[2], &row)) << lines[2];
  EXPECT_EQ(row["pid"], second.Pid());
  second.Exit();
  RemoveCopy(exe);
}

TEST(ZorLog, BadInputExitsWithTwoAndAMissingProcessOrFileWithOne) {
  ZorLog usage;
  EXPECT_EQ(usage.Run(L"-i 0 xtop.exe"), 2u);
  std::vector<std::string> err = usage.Err();
  ASSERT_GE(err.size(), 2u);
  EXPECT_EQ(err[0], "zorlog: -i must be from 1 to 3600 seconds, not 0");
  EXPECT_EQ(err[1].compare(0, 6, "usage:"), 0) << err[1];
  EXPECT_EQ(usage.Out(), std::vector<std::string>());

  ZorLog trend;  // the trend could never form
  EXPECT_EQ(trend.Run(L"-i 150 --warn-minutes 5 xtop.exe"), 2u);

  ZorLog path;
  EXPECT_EQ(path.Run(L"C:\\cad\\xtop.exe"), 2u);
  EXPECT_EQ(path.Err().at(0),
            "zorlog: give the image name alone, such as xtop.exe, not C:\\cad\\xtop.exe");

  ZorLog help;
  EXPECT_EQ(help.Run(L"/?"), 0u);
  EXPECT_EQ(help.Out().at(0).compare(0, 6, "usage:"), 0);
  EXPECT_EQ(help.Err(), std::vector<std::string>());

  // Nothing is written for a PID that is not running, not even a file.
  const std::wstring never = TempFile(L"never.csv");
  ZorLog missing;
  EXPECT_EQ(missing.Run(L"-o \"" + never + L"\" 4294967295"), 1u);
  EXPECT_EQ(missing.Err(),
            std::vector<std::string>{"zorlog: PID 4294967295 is not running or cannot be read"});
  EXPECT_EQ(GetFileAttributesW(never.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(missing.Out(), std::vector<std::string>());

  ZorLog unwritable;
  EXPECT_EQ(unwritable.Run(L"-o \"" + TempFile(L"no-such-folder") + L"\\log.csv\" xtop.exe"), 1u);
  err = unwritable.Err();
  ASSERT_EQ(err.size(), 1u);
  EXPECT_EQ(err[0].compare(0, 34, "zorlog: cannot open for appending "), 0) << err[0];

  // A folder for the maps that is not there: said before anything is followed.
  ZorLog nowhere;
  EXPECT_EQ(nowhere.Run(L"--save-map \"" + TempFile(L"no-such-folder") + L"\" xtop.exe"), 1u);
  EXPECT_EQ(nowhere.Err().size(), 1u);
  EXPECT_EQ(nowhere.Out(), std::vector<std::string>());
}

// The target's own ceiling, with and without the large-address-aware flag,
// its private memory as it reserves and commits, and its threads' stacks as
// it starts threads.
TEST(ZorLog, NamesEachTargetsOwnCeilingAndSplitsWhatFillsItsSpace) {
  MEMORYSTATUSEX m = {};
  m.dwLength = sizeof m;
  GlobalMemoryStatusEx(&m);
  const unsigned long long ownMb = m.ullTotalVirtual >> 20;
  for (bool flagged : {true, false}) {
    std::wstring exe = TargetProcess::DefaultExe();
    if (!flagged) exe.replace(exe.size() - 4, 4, L"2g.exe");
    TargetProcess target;
    ASSERT_TRUE(target.Start(L"", exe));
    const std::wstring pid = std::to_wstring(target.Pid());
    ZorLog log;
    ASSERT_EQ(log.Run(L"-n 2 " + pid), 0u);
    const std::string connected = log.Err().at(0);
    if (flagged)
      EXPECT_EQ(
          connected.substr(connected.find("):")),
          "): ceiling " + std::to_string(ownMb) + " MB, large-address-aware, 4 GB (64-bit system)");
    else
      EXPECT_EQ(connected.substr(connected.find("):")),
                "): ceiling 2047 MB, not large-address-aware");
    Row before, after;
    ASSERT_TRUE(ParseRow(log.Out().at(2), &before)) << log.Out().at(2);
    EXPECT_EQ(before["ceiling_mb"], flagged ? before["limit_mb"] : 2047u);
    EXPECT_LE(before["largest_usable_mb"], before["largest_free_mb"]);
    EXPECT_LE(before["largest_usable_below_2g_mb"], before["largest_usable_mb"]);

    ASSERT_EQ(target.Command("reserve 65536"), "ok reserved=65536 committed=0");
    ASSERT_EQ(target.Command("touch 16384"), "ok reserved=49152 committed=16384");
    ZorLog again;
    ASSERT_EQ(again.Run(L"-n 1 " + pid), 0u);
    ASSERT_TRUE(ParseRow(again.Out().at(1), &after)) << again.Out().at(1);
    const long long reserved = after["private_reserved_mb"] - before["private_reserved_mb"];
    const long long committed = after["private_committed_mb"] - before["private_committed_mb"];
    EXPECT_NEAR(reserved, 48, 1) << flagged;
    EXPECT_NEAR(committed, 16, 1) << flagged;
    if (!flagged) continue;

    // Wine commits whole stacks: committed and reserved together.
    const std::string started = target.Command("threads 20 4096");
    EXPECT_EQ(std::count(started.begin(), started.end(), ' '), 20) << started;
    ZorLog threads;
    ASSERT_EQ(threads.Run(L"-n 1 " + pid), 0u);
    Row more;
    ASSERT_TRUE(ParseRow(threads.Out().at(1), &more)) << threads.Out().at(1);
    EXPECT_EQ(more["threads"], after["threads"] + 20);
    const long long stacks = more["stack_committed_mb"] + more["stack_reserved_mb"] -
                             after["stack_committed_mb"] - after["stack_reserved_mb"];
    EXPECT_NEAR(stacks, 80, 4) << threads.Out().at(1);
  }
}

// A file an earlier version began goes on in its own shape (a nightly task
// that appends to it keeps working); one of another kind is left as it was.
TEST(ZorLog, AppendsToAnEarlierVersionsLogInItsShapeAndRefusesAnotherKind) {
  TargetProcess target;
  ASSERT_TRUE(target.Start(L""));
  const std::wstring csv = TempFile(L"old.csv");
  const std::string old =
      "time,pid,virtual_mb,committed_mb,reserved_mb,free_mb,largest_free_mb,regions,"
      "peak_virtual_mb,limit_mb\r\n2026-12-07T11:37:03,32,1042,19,1022,3053,1916,75,1042,4095\r\n";
  for (const std::string& text : {old, "base,size,state" + old.substr(old.find('\r'))}) {
    HANDLE file = CreateFileW(csv.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
    CloseHandle(file);
    ZorLog log;
    const bool earlier = text == old;
    EXPECT_EQ(log.Run(L"-n 1 -o \"" + csv + L"\" " + std::to_wstring(target.Pid())),
              earlier ? 0u : 1u);
    // One row of the earlier shape appended, or nothing.
    const std::vector<std::string> lines = Lines(ReadAll(csv));
    EXPECT_EQ(ReadAll(csv).substr(0, text.size()), text);
    ASSERT_EQ(lines.size(), earlier ? 3u : 2u);
    EXPECT_EQ(std::count(lines.back().begin(), lines.back().end(), ','), 9) << lines.back();
  }
  DeleteFileW(csv.c_str());
}

}  // namespace

namespace {

// Left unattended: one warning line, command and map; an end told by its exit
// code. The target's name holds what cmd.exe acts on: the command gets it as
// plain text and, exactly, quoted from its environment. It exits before the
// next reading: the map that warned is the exit's too, saved once.
TEST(ZorLog, WarnsAndActsOncePerCrossingAndTellsHowTheTargetEnded) {
  const std::wstring folder = L"ZorPwned" + std::to_wstring(GetCurrentProcessId());
  const std::wstring name = L"z&mkdir " + folder + L"&.exe";
  const std::wstring exe = TargetProcess::CopyAs(name), dir = TempFile(L"maps"),
                     ran = TempFile(L"ran.txt");
  ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
  auto maps = [&dir] {
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW f;
    HANDLE h = FindFirstFileW((dir + L"\\*.csv").c_str(), &f);
    for (bool more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &f))
      found.push_back(f.cFileName);
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    return found;
  };
  TargetProcess target;
  ASSERT_TRUE(target.Start(L"", exe));
  ZorLog log;
  ASSERT_TRUE(
      log.Launch(L"-i 5 --warn-below 128 --run \"cmd /c echo {NAME} {PID} "
                 L"{LARGEST_USABLE_MB} \\\"%ZOR_NAME%\\\" %ZOR_PID%>>" +
                 ran + L"\" --save-map \"" + dir + L"\" \"" + name + L"\""));
  ASSERT_TRUE(WaitFor([&] { return log.Out().size() >= 2; }, 20000));
  // 20 threads of 4 MB, counted in the rows before the warning's map.
  std::istringstream started(target.Command("threads 20 4096").substr(8));
  std::set<std::string> threads;
  for (std::string tid; started >> tid;) threads.insert("\"thread " + tid + "\"");
  ASSERT_EQ(threads.size(), 20u);
  ASSERT_TRUE(WaitFor(
      [&] {
        const std::string row = log.Out().back();
        size_t at = 0;
        for (int comma = 0; comma < 20 && at != std::string::npos; ++comma)
          at = row.find(',', at + 1);
        return at != std::string::npos && atoi(row.c_str() + at + 1) >= 21;
      },
      30000));
  const std::string kb = std::to_string(std::stoull(target.Command("fill").substr(7)) / 1024);
  ASSERT_EQ(target.Command("reserve " + kb), "ok reserved=" + kb + " committed=0");
  auto count = [&log](const std::string& text) {
    const std::vector<std::string> err = log.Err();
    return std::count_if(err.begin(), err.end(), [&](const std::string& line) {
      return line.find(text) != std::string::npos;
    });
  };
  ASSERT_TRUE(WaitFor([&] { return maps().size() == 1 && !ReadAll(ran).empty(); }, 30000));
  // The warning's map marks their stacks as zormap's save does.
  unsigned long long stacks = 0;
  for (const std::string& line : Lines(ReadAll(dir + L"\\" + maps()[0]))) {
    const size_t tid = line.find(",\"thread ");
    if (line.size() > 6 && line.compare(line.size() - 6, 6, ",stack") == 0 &&
        tid != std::string::npos &&
        threads.count(line.substr(tid + 1, line.find(',', tid + 1) - tid - 1)))
      stacks += std::stoull(line.substr(line.find(',') + 1));
  }
  EXPECT_NEAR(static_cast<double>(stacks >> 20), 80.0, 4.0);
  const size_t rows = log.Out().size();
  target.Exit(0xC0000017);
  ASSERT_TRUE(WaitFor([&] { return count("waiting for") == 1; }, 20000));
  const std::string pid = std::to_string(target.Pid());
  const std::vector<std::string> lines = Lines(ReadAll(ran));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].find("z_mkdir_" + Utf8(folder) + "_.exe " + pid + " "), 0u) << lines[0];
  EXPECT_NE(lines[0].find(" \"" + Utf8(name) + "\" " + pid), std::string::npos) << lines[0];
  EXPECT_EQ(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);  // nothing ran
  EXPECT_EQ(count("zorlog: warn-below at "), 1);
  EXPECT_EQ(count(") exited with 0xC0000017 (not enough memory), watched "), 1);
  EXPECT_EQ(count("cannot"), 0);
  const std::vector<std::wstring> saved = maps();
  // The exit's map is the warning's when no reading came between.
  EXPECT_EQ(saved.size(), log.Out().size() == rows ? 1u : 2u);
  const std::wstring stem =
      name.substr(0, name.size() - 4) + L"-" + std::to_wstring(target.Pid()) + L"-";
  for (const std::wstring& file : saved) {
    EXPECT_EQ(file.compare(0, stem.size(), stem), 0) << Utf8(file);
    EXPECT_EQ(ReadAll(dir + L"\\" + file).compare(0, 5, "base,"), 0) << Utf8(file);
    DeleteFileW((dir + L"\\" + file).c_str());
  }
  RemoveDirectoryW(dir.c_str());
  DeleteFileW(ran.c_str());
  RemoveCopy(exe);
}

// A --run as long as a command may be runs whole; a longer one is refused
// before anything is followed.
TEST(ZorLog, RunsALongCommandWholeAndRefusesATooLongOneAtTheStart) {
  const std::wstring ran = TempFile(L"long.txt"), pad(560, L'x');
  TargetProcess target;
  ASSERT_TRUE(target.Start(L""));
  ZorLog log, refused;
  EXPECT_EQ(log.Run(L"-n 2 --warn-at 1 --run \"cmd /c echo " + pad + L" {PID}>>" + ran + L"\" " +
                    std::to_wstring(target.Pid())),
            0u);
  ASSERT_TRUE(WaitFor([&] { return !ReadAll(ran).empty(); }, 20000));
  EXPECT_EQ(Lines(ReadAll(ran)).at(0), Utf8(pad) + " " + std::to_string(target.Pid()));
  EXPECT_EQ(refused.Run(L"--warn-at 1 --run \"" + std::wstring(8200, L'x') + L"\" 4294967295"), 2u);
  DeleteFileW(ran.c_str());
}

// The message table holds each event ID with its line as the insertion, and
// the source is registered with zorlog.exe's own path, and removed again.
TEST(ZorLog, EventEntriesHaveTheirMessagesAndTheSourceIsRegisteredAndRemoved) {
  const std::wstring exe = BinDir() + L"zorlog.exe";
  HMODULE messages = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(messages, nullptr);
  for (DWORD id = 1; id <= 9; ++id) {
    wchar_t text[64] = L"";
    DWORD_PTR line[] = {reinterpret_cast<DWORD_PTR>(L"zorlog: a line")};
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                                   messages, id, 0, text, 64, reinterpret_cast<va_list*>(line));
    EXPECT_EQ(Utf8(std::wstring(text, n)), id <= 8 ? "zorlog: a line\r\n" : "") << id;
  }
  FreeLibrary(messages);
  const wchar_t* key = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Zorvane";
  ZorLog add;
  EXPECT_EQ(add.Run(L"--register-event-source"), 0u);
  wchar_t path[MAX_PATH] = L"";
  DWORD bytes = sizeof path, types = 0, typeBytes = sizeof types;
  EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, key, L"EventMessageFile", RRF_RT_ANY | RRF_NOEXPAND,
                         nullptr, path, &bytes),
            ERROR_SUCCESS);
  EXPECT_EQ(lstrcmpiW(path, exe.c_str()), 0) << Utf8(path);
  EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, key, L"TypesSupported", RRF_RT_REG_DWORD, nullptr,
                         &types, &typeBytes),
            ERROR_SUCCESS);
  EXPECT_EQ(types, 7u);
  EXPECT_NE(add.Err().at(0).find(Utf8(exe)), std::string::npos);
  EXPECT_EQ(ZorLog().Run(L"--unregister-event-source"), 0u);
  HKEY gone = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &gone), ERROR_SUCCESS);
}

// The README's batch files, as it shows them: the scheduled task's, which
// keeps zorlog's status lines, and the one it starts at a warning, which
// takes the values quoted from its environment.
TEST(ZorLog, TheReadmesBatchFilesRunAsShown) {
  const std::string readme = ReadAll(L"" ZOR_README);
  auto shown = [&readme](const std::string& file) {  // the indented block after its name
    size_t at = readme.find("`" + file + "`");
    at = readme.find("\n\n    ", at) + 1;
    std::string text;
    for (size_t end; at != std::string::npos && readme.compare(at + 1, 4, "    ") == 0; at = end) {
      end = readme.find('\n', at + 1);
      text += readme.substr(at + 5, end - at - 5) + "\r\n";
    }
    return text;
  };
  const std::string watch = shown("C:\\Tools\\night-watch.cmd"),
                    page = shown("C:\\Tools\\page.cmd");
  for (const wchar_t* dir : {L"C:\\Tools", L"C:\\Logs", L"C:\\Logs\\maps"})
    CreateDirectoryW(dir, nullptr);
  for (const auto& file : {std::make_pair(L"C:\\Tools\\night-watch.cmd", watch),
                           std::make_pair(L"C:\\Tools\\page.cmd", page)}) {
    HANDLE h = CreateFileW(file.first, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    WriteFile(h, file.second.data(), static_cast<DWORD>(file.second.size()), &n, nullptr);
    CloseHandle(h);
  }
  ASSERT_TRUE(CopyFileW((BinDir() + L"zorlog.exe").c_str(), L"C:\\Tools\\zorlog.exe", FALSE));
  const std::wstring exe = TargetProcess::CopyAs(L"cad.exe");
  TargetProcess target;
  ASSERT_TRUE(target.Start(L"", exe));
  // The batch file and what it starts, in a job that ends them all.
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::wstring cmd = L"cmd /c C:\\Tools\\night-watch.cmd";
  ASSERT_TRUE(CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE,
                             CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &si, &pi));
  AssignProcessToJobObject(job, pi.hProcess);
  ResumeThread(pi.hThread);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  auto has = [](const wchar_t* file, const std::string& text) {
    return ReadAll(file).find(text) != std::string::npos;
  };
  const wchar_t *status = L"C:\\Logs\\zorlog-status.txt", *warnings = L"C:\\Logs\\warnings.txt";
  EXPECT_TRUE(WaitFor([&] { return has(status, "connected to cad.exe"); }, 20000));
  const std::string kb = std::to_string(std::stoull(target.Command("fill").substr(7)) / 1024);
  ASSERT_EQ(target.Command("reserve " + kb), "ok reserved=" + kb + " committed=0");
  EXPECT_TRUE(WaitFor([&] { return has(warnings, "\"cad.exe\""); }, 30000));
  EXPECT_TRUE(has(warnings, "\"warn-below\" \"cad.exe\" \"" + std::to_string(target.Pid()) + "\""))
      << ReadAll(warnings);
  EXPECT_TRUE(has(status, "zorlog: warn-below at "));
  EXPECT_GE(Lines(ReadAll(L"C:\\Logs\\cad.csv")).size(), 2u);
  TerminateJobObject(job, 1);
  CloseHandle(job);
  target.Exit(0);
  WaitFor([] { return DeleteFileW(L"C:\\Tools\\zorlog.exe") != FALSE; }, 10000);
  for (const wchar_t* dir : {L"C:\\Logs\\maps\\", L"C:\\Logs\\", L"C:\\Tools\\"}) {
    WIN32_FIND_DATAW f;
    HANDLE h = FindFirstFileW((dir + std::wstring(L"*.*")).c_str(), &f);
    for (bool more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &f))
      DeleteFileW((dir + std::wstring(f.cFileName)).c_str());
    FindClose(h);
    RemoveDirectoryW(dir);
  }
  RemoveCopy(exe);
}

}  // namespace
