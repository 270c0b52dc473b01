#include <gtest/gtest.h>
#include <malloc.h>
#include <winternl.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "core/known_crash.h"
#include "diagnostics/crash_recorder.h"
#include "diagnostics/crash_report_text.h"
#include "diagnostics/minidump_writer.h"
#include "diagnostics/crash_recorder_sites.h"
#include "patch/frame_sites.h"
#include "plugin/apply.h"
#include "sim/host_diagnostics.h"
#include "patch/fault_guard.h"
#include "sim/host_memory.h"
#include "sim/import_redirect.h"
#include "sim/loader.h"
#include "tests/diagnostics/diagnostics_fixture.h"

using namespace diagnostics_test;

namespace {

constexpr uint32_t kFaultAddress = kUnpatchedHostCode;
constexpr uint32_t kSecondFault = 0x5ABD00;
const std::vector<uint32_t> kStackWords = {host::kImageBegin - 1, host::kImageBegin, host::kImageLast,
                                           host::kImageLast + 1};
const sim::Registers kFaultRegisters{.eax = 0x11, .ebx = 0xB0B, .ecx = 0xC0FFEE, .edx = 0xDEAD,
                                     .esi = 0x51, .edi = 0xD1, .ebp = 0xBEEF};

constexpr uint32_t kPassedOn = ExitCodeFor(EXCEPTION_CONTINUE_SEARCH, true);
constexpr uint32_t kHandled = ExitCodeFor(EXCEPTION_EXECUTE_HANDLER, true);
constexpr uint32_t kEndedBySystem = 0;  // nothing observes the filter
constexpr uint32_t kEitherAnswer = 1;   // two threads' answers race to end the process
const std::string kOlderReport = "an older report\r\n";
const std::string kSeparator = "===================================\r\n";
const std::string kNoReport;
const std::string kTime = "(\\d{4}_\\d\\d_\\d\\d_\\d\\d-\\d\\d-\\d\\d)";  // captured

std::string FullStack() {
  std::string words = "3FFFFF 400000 106A319 106A31A";
  for (int i = 0; i < 252; ++i) words += " 0";
  return words;
}

// The whole report of kFaultRegisters and kStackWords.
std::string ReportShape(const std::string& before = "", const std::string& fullStack = FullStack()) {
  return before + "Crash info:\r\n" + kTime +
         " - 5ABC00: V\\(1\\); EAX\\(11\\); "
         "EBX\\(B0B\\); ECX\\(C0FFEE\\); EDX\\(DEAD\\); ESI\\(51\\); EDI\\(D1\\); EBP\\(BEEF\\); "
         "ESP\\([0-9A-F]+\\); STACK\\(400000 106A319\\);\r\n\r\n"
         "Not so useful info \\(don't post unless asked\\):\r\nSTACK_FULL\\(" +
         fullStack + "\\);\r\n";
}

// A whole report of any registers and stack.
const std::string kAnyWholeReport =
    "Crash info:\r\n" + kTime + " - 5ABC00: V\\(1\\); EAX\\([0-9A-F]+\\); "
    "EBX\\([0-9A-F]+\\); ECX\\([0-9A-F]+\\); EDX\\([0-9A-F]+\\); ESI\\([0-9A-F]+\\); EDI\\([0-9A-F]+\\); "
    "EBP\\([0-9A-F]+\\); ESP\\([0-9A-F]+\\); STACK\\([0-9A-F ]*\\);\r\n\r\n"
    "Not so useful info \\(don't post unless asked\\):\r\nSTACK_FULL\\([0-9A-F ]*\\);\r\n";

// Creates the game's folders down to the crash folder, stopping before stop.
void MakeCrashFolders(const std::string& folder, const std::string& stop = "") {
  for (const char* level : {"\\Data", "\\Data\\QORV", "\\Data\\QORV\\Plugins", kCrashFolder}) {
    if (level == stop) break;
    CreateDirectoryA((folder + level).c_str(), nullptr);
  }
}

// One real unhandled exception in a child, with the recorder's value, and
// what it should leave: the exit code, the messages shown, and the one
// report (or none), its file name, and the log line that goes with it.
struct CrashCase {
  const char* what;
  std::string value;
  std::string kind = "access";
  std::string options = "-";
  uint32_t eip = kFaultAddress;
  bool olderReport = false;  // crash_last.txt is there before
  uint32_t exitCode = kPassedOn;
  std::string report = ReportShape();  // empty when none is left
  bool timestamped = false;
  std::vector<std::string> messages = {};
  bool reportFailed = false;  // the log says why there is none
};

const std::string kLogStamp = "\\d\\d [A-Z][a-z][a-z] \\d\\d:\\d\\d:\\d\\d ";

// The crash's two log entries, as a search pattern: the classic line, then
// the report's file or why there is none.
std::string CrashLogEntries(const std::string& secondLine) {
  return kLogStamp + "Game has crashed with exception address 0x" + Hex(kFaultAddress) + "!\r\n\r\n" + kLogStamp +
         secondLine + "\r\n\r\n";
}

void ExpectCrash(const CrashCase& c) {
  const std::string folder = sim::TempFolder("crash");
  const std::string crashFolder = folder + kCrashFolder;
  if (c.olderReport) {
    MakeCrashFolders(folder);
    sim::WriteFile(crashFolder + "\\crash_last.txt", kOlderReport);
  }
  const auto child = sim::RunScenarioInChild(
      "crash", Quoted(folder) + " " + c.value + " " + c.kind + " " + Hex(c.eip) + " " + c.options);
  if (c.exitCode == kEndedBySystem) {
    EXPECT_NE(child.exitCode, 0u) << child.output;
    EXPECT_NE(child.exitCode & ~0xFFu, 0x100u) << "no observer ran";
  } else if (c.exitCode == kEitherAnswer) {
    EXPECT_TRUE(child.exitCode == kPassedOn || child.exitCode == kHandled) << std::hex << child.exitCode;
  } else {
    EXPECT_EQ(child.exitCode, c.exitCode) << child.output;
  }
  EXPECT_EQ(MessageTexts(child), c.messages);
  const auto reports = FilesIn(crashFolder);
  const std::string log = sim::ReadFile(folder + "\\Data\\QORV\\Plugins\\OrrisbaneLog.txt");
  if (c.report.empty()) {
    EXPECT_TRUE(reports.empty());
    if (c.reportFailed) {
      EXPECT_TRUE(std::regex_search(log, std::regex(CrashLogEntries(
                      "Crash report could not be written: Data\\\\QORV\\\\Plugins\\\\CrashLog\\\\crash_last\\.txt: "
                      "it could not replace the older file \\(system error 5\\)"))))
          << log;
      EXPECT_EQ(log.find("Crash report written"), std::string::npos) << log;
    } else {
      EXPECT_EQ(log.find("Game has crashed"), std::string::npos) << log;
    }
    return;
  }
  ASSERT_EQ(reports.size(), 1u) << child.output;
  std::smatch nameParts, reportParts;
  const std::regex name(c.timestamped ? "crash_" + kTime + "\\.txt" : "crash_last\\.txt");
  ASSERT_TRUE(std::regex_match(reports[0], nameParts, name)) << reports[0];
  const std::string report = sim::ReadFile(crashFolder + "\\" + reports[0]);
  ASSERT_TRUE(std::regex_match(report, reportParts, std::regex(c.report))) << report;
  if (c.timestamped) {
    EXPECT_EQ(reportParts[1].str(), nameParts[1].str()) << "the file is named after the time in the report";
  }
  EXPECT_TRUE(std::regex_search(
      log, std::regex(CrashLogEntries("Crash report written to Data\\\\QORV\\\\Plugins\\\\CrashLog\\\\" +
                                      std::regex_replace(reports[0], std::regex("\\."), "\\.")))))
      << log;
}

TEST(CrashRecorder, EachCrashEndsAndIsReportedAsTheValueAsks) {
  const CrashCase cases[] = {
      {.what = "timestamped", .value = "1", .timestamped = true},
      {.what = "execute handler forced", .value = "17", .exitCode = kHandled, .timestamped = true},
      {.what = "fixed file", .value = "3"},
      {.what = "fixed file replacing", .value = "3", .olderReport = true},
      {.what = "fixed file appended after a separator", .value = "11", .olderReport = true,
       .report = ReportShape(kOlderReport + kSeparator)},
      {.what = "a second exception writes no second report", .value = "3", .options = "twice",
       .exitCode = 0x100u + 0x10 * EXCEPTION_CONTINUE_SEARCH + EXCEPTION_EXECUTE_HANDLER},
      {.what = "a short stack ends both lists without a second fault", .value = "3", .options = "short",
       .report = ReportShape("", "3FFFFF 400000 106A319 106A31A")},
      // The host may run on a stack of its own making, outside the limits
      // the thread was given; the filter then runs there too.
      {.what = "a stack outside the thread's limits", .value = "3", .options = "outside-stack"},
      // After the report the platform's own handling (under Wine its
      // debugger in automatic mode) must end the child.
      {.what = "unobserved", .value = "3", .options = "unobserved", .exitCode = kEndedBySystem},
      // Each kind of fault in host code leaves a whole report.
      {.what = "illegal instruction", .value = "3", .kind = "illegal"},
      {.what = "division by zero", .value = "3", .kind = "divide"},
      {.what = "stack overflow", .value = "3", .kind = "overflow", .report = kAnyWholeReport},
      // Skipped reports answer execute-handler and still call the earlier
      // filter, unless the value asks for crashes a warning explained.
      {.what = "ignored fault address", .value = "1", .eip = host::kIgnoredFaultAddress, .exitCode = kHandled,
       .report = kNoReport},
      {.what = "after a warning", .value = "1", .options = "known", .exitCode = kHandled, .report = kNoReport},
      {.what = "after a warning, reported anyway", .value = "5", .options = "known", .timestamped = true},
      {.what = "unopenable report file", .value = "3", .options = "blocked", .report = kNoReport,
       .messages = {"Failed to open file for writing: \"./Data/QORV/Plugins/CrashLog/crash_last.txt\""},
       .reportFailed = true},
      // The failure message goes through the host's message box; a host that
      // faults there faults inside the report writer, on the thread's own
      // stack or, after an overflow, on the reserve stack: it is contained.
      {.what = "fault in the writer", .value = "3", .options = "blocked-faulting-box", .report = kNoReport,
       .reportFailed = true},
      {.what = "fault in the writer after an overflow", .value = "3", .kind = "overflow",
       .options = "blocked-faulting-box", .report = kNoReport, .reportFailed = true},
  };
  for (const CrashCase& c : cases) {
    SCOPED_TRACE(c.what);
    ExpectCrash(c);
  }
}

// Two threads fault at the same host instruction at once. The one that
// finds the report being written must not let the process end before it is
// closed, and the older crash_last.txt stays whole until its successor is.
TEST(CrashRecorder, TwoThreadsFaultingTogetherLeaveOneWholeReport) {
  const CrashCase twoThreads{.what = "two threads", .value = "3", .options = "two-threads", .olderReport = true,
                             .exitCode = kEitherAnswer, .report = kAnyWholeReport};
  for (int run = 0; run < 20 && !HasFailure(); ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    ExpectCrash(twoThreads);
  }
}

// What a crash left in the game folder.
struct CrashLeft {
  std::vector<std::string> files;  // in the crash folder
  std::string report;              // crash_last.txt
  std::string dump;                // crash_last.dmp
  std::string log;
};

CrashLeft RunCrash(const std::string& folder, const std::string& value, const std::string& options,
                   uint32_t exitCode = kPassedOn) {
  const auto child = sim::RunScenarioInChild(
      "crash", Quoted(folder) + " " + value + " access " + Hex(kFaultAddress) + " " + options);
  EXPECT_EQ(child.exitCode, exitCode) << child.output;
  const std::string crashFolder = folder + kCrashFolder;
  CrashLeft left;
  left.files = FilesIn(crashFolder);
  left.log = sim::ReadFile(folder + "\\Data\\QORV\\Plugins\\OrrisbaneLog.txt");
  if (sim::FileExists(crashFolder + "\\crash_last.txt")) left.report = sim::ReadFile(crashFolder + "\\crash_last.txt");
  if (sim::FileExists(crashFolder + "\\crash_last.dmp")) left.dump = sim::ReadFile(crashFolder + "\\crash_last.dmp");
  return left;
}

const std::string kReportWrittenLine =
    "Crash report written to Data\\\\QORV\\\\Plugins\\\\CrashLog\\\\crash_last\\.txt";
constexpr const char* kLockReleasedByTimeout = "\\lock released by timeout";

// Another thread holds a lock that the C runtime or the loader needs, and
// keeps it until the child ends (or a long bound passes, which leaves a
// mark): the report and both log lines must not need it. The runtime's heap
// is what malloc, and a first localtime, take. The dump (bit 0x40) is
// written with the runtime's heap held. dbghelp's first step asks the
// loader for a module handle, so with the loader lock held its writer is
// given up after its bound, and the unfinished dump deleted and noted. The
// process heap is what the system's own file calls take to turn a name
// into the native one: the report and the log must be written without
// them, and the dump's writer, whose CreateFileA waits on it, is given up
// the same way.
TEST(CrashRecorder, ALockHeldByAnotherThreadStopsNeitherReportNorLogNorDump) {
  const struct {
    const char* lock;
    std::vector<std::string> files;
    std::string report;
  } cases[] = {
      {"crt-heap-locked", {"crash_last.dmp", "crash_last.txt"}, ReportShape()},
      {"loader-locked", {"crash_last.txt"}, ReportShape() + "Minidump not written: not finished in time\r\n"},
      {"process-heap-locked", {"crash_last.txt"}, ReportShape() + "Minidump not written: not finished in time\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lock);
    const std::string folder = sim::TempFolder("crash-locked");
    const CrashLeft left = RunCrash(folder, "67", c.lock);
    EXPECT_FALSE(sim::FileExists(folder + kLockReleasedByTimeout)) << "the crash waited for the lock";
    EXPECT_EQ(left.files, c.files);
    EXPECT_TRUE(std::regex_match(left.report, std::regex(c.report))) << left.report;
    if (left.files.size() == 2) {
      EXPECT_EQ(left.dump.substr(0, 4), "MDMP");
    }
    EXPECT_TRUE(std::regex_search(left.log, std::regex(CrashLogEntries(kReportWrittenLine)))) << left.log;
  }
}

// The disk has room for so many bytes of the plugin's own writes into the
// crash folder, and of dbghelp's: what does not fit is refused as a full
// disk refuses it. An older report survives whole, an append is cut back,
// and a dump that did not fit is deleted and noted in the report.
TEST(CrashRecorder, AFullDiskKeepsTheOlderReportWholeDeletesTheCutDumpAndSaysSo) {
  const std::string couldNotWrite =
      "Crash report could not be written: Data\\\\QORV\\\\Plugins\\\\CrashLog\\\\crash_last\\.txt: "
      "the disk took only part of it \\(system error 112\\)";
  const struct {
    const char* what;
    const char* value;
    const char* room;  // for the report, for the dump
    std::string report;
    std::string logLine;
  } cases[] = {
      {"no room", "3", "0,0", kOlderReport, couldNotWrite},
      {"room for part of the report", "3", "100,0", kOlderReport, couldNotWrite},
      {"an append with room for part of it", "11", "100,0", kOlderReport, couldNotWrite},
      {"room for the report, not the dump", "67", "100000,4096",
       ReportShape() + "Minidump not written: (dbghelp could not write it|the disk took only part of it)\r\n",
       kReportWrittenLine},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string folder = sim::TempFolder("crash-disk-full");
    MakeCrashFolders(folder);
    sim::WriteFile(folder + kCrashFolder + "\\crash_last.txt", kOlderReport);
    const CrashLeft left = RunCrash(folder, c.value, std::string("disk-full,") + c.room);
    EXPECT_EQ(left.files, std::vector<std::string>{"crash_last.txt"}) << "no partial report, no cut dump";
    if (c.report == kOlderReport) {
      EXPECT_EQ(left.report, kOlderReport);
    } else {
      EXPECT_TRUE(std::regex_match(left.report, std::regex(c.report))) << left.report;
    }
    EXPECT_TRUE(std::regex_search(left.log, std::regex(CrashLogEntries(c.logLine)))) << left.log;
  }
}

// A guarded leaf that saves three registers, entered again and again one
// word deeper until a push finds the stack's end: the stack overflow is the
// crash recorder's, with the push's address, not the landing's.
TEST(CrashRecorder, AStackOverflowInsideAGuardedLeafIsReportedNotLanded) {
  const std::string folder = sim::TempFolder("crash-guarded-overflow");
  const auto child = sim::RunScenarioInChild("overflow_in_guard", Quoted(folder));
  EXPECT_EQ(child.exitCode, kPassedOn) << child.output;
  std::smatch push;
  ASSERT_TRUE(std::regex_search(child.output, push, std::regex("last push at ([0-9A-F]+)\n"))) << child.output;
  const std::string report = sim::ReadFile(folder + kCrashFolder + "\\crash_last.txt");
  EXPECT_NE(report.find(" - " + push[1].str() + ": V(1); "), std::string::npos) << report;
}

// Dumps of crashes and freezes by their last write, newest first, among
// text reports and another kind of file: the newest five dumps stay, and
// nothing else is touched.
TEST(CrashRecorder, PruningKeepsTheNewestFiveDumpsAndEveryOtherFile) {
  const std::string folder = sim::TempFolder("dump-pruning");
  const char* byAge[] = {"freeze_b.dmp", "crash_z.dmp", "crash_a.dmp", "freeze_a.dmp", "crash_m.dmp",
                         "crash_old.dmp", "freeze_old.dmp", "crash_old.txt", "freeze_old.txt", "other.dmp"};
  SYSTEMTIME now;
  GetSystemTime(&now);
  FILETIME newest;
  SystemTimeToFileTime(&now, &newest);
  ULARGE_INTEGER time{.LowPart = newest.dwLowDateTime, .HighPart = newest.dwHighDateTime};
  for (const char* name : byAge) {
    const std::string path = folder + "\\" + name;
    sim::WriteFile(path, "x");
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const FILETIME written{time.LowPart, time.HighPart};
    SetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    time.QuadPart -= 10'000'000;  // a second older each
  }
  PruneOldDumps(folder.c_str());
  EXPECT_EQ(FilesIn(folder), (std::vector<std::string>{"crash_a.dmp", "crash_m.dmp", "crash_old.txt", "crash_z.dmp",
                                                       "freeze_a.dmp", "freeze_b.dmp", "freeze_old.txt", "other.dmp"}));
}

// Without the install bit only the folders are made. A file where a folder
// should be: higher up it keeps the folders from being created; as the
// crash folder itself it "already exists". Either way the crash folder is
// named and nothing is installed.
TEST(CrashRecorder, InstallMakesTheFoldersOrNamesTheCrashFolderAndInstallsNothing) {
  const std::vector<std::string> failed{"Failed to create directory: ./Data/QORV/Plugins/CrashLog"};
  const struct {
    const char* value;
    const char* fileInTheWay;
    std::vector<std::string> messages;
  } cases[] = {{"2", nullptr, {}}, {"1", "\\Data", failed}, {"1", kCrashFolder, failed}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fileInTheWay ? c.fileInTheWay : "nothing in the way");
    const std::string folder = sim::TempFolder("crash-folders");
    if (c.fileInTheWay) {
      MakeCrashFolders(folder, c.fileInTheWay);
      sim::WriteFile(folder + c.fileInTheWay, "a file where the folder should be");
    }
    const auto child = sim::RunScenarioInChild("install_only", Quoted(folder) + " " + c.value);
    EXPECT_EQ(child.exitCode, 0u) << child.output;
    EXPECT_EQ(MessageTexts(child), c.messages);
    const DWORD attributes = GetFileAttributesA((folder + kCrashFolder).c_str());
    EXPECT_EQ(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY), c.messages.empty());
  }
}

// Words placed at the end of a committed page whose successor is never
// committed are followed by nothing readable.
TEST(StackWords, HostImageListKeepsBothEndsOfTheRangeAndListsEndAtAnUnreadableWordOr256) {
  auto* pages = static_cast<uint8_t*>(VirtualAlloc(nullptr, 0x2000, MEM_RESERVE, PAGE_NOACCESS));
  ASSERT_NE(pages, nullptr);
  ASSERT_NE(VirtualAlloc(pages, 0x1000, MEM_COMMIT, PAGE_READWRITE), nullptr);
  const auto placeAtEnd = [pages](const std::vector<uint32_t>& words) {
    auto* first = reinterpret_cast<uint32_t*>(pages + 0x1000) - words.size();
    std::copy(words.begin(), words.end(), first);
    return AddressOf(first);
  };
  StackWordsText text;
  const uint32_t start = placeAtEnd({host::kImageBegin - 1, host::kImageBegin, 0x7, host::kImageLast,
                                     host::kImageLast + 1, 0xFFFFFFFF, 0xABCDEF});
  EXPECT_STREQ(FormatStackWords(start, true, text), "400000 106A319 ABCDEF");
  EXPECT_STREQ(FormatStackWords(start, false, text), "3FFFFF 400000 7 106A319 106A31A FFFFFFFF ABCDEF");
  EXPECT_STREQ(FormatStackWords(placeAtEnd({host::kImageBegin - 1, host::kImageLast + 1}), true, text), "");

  EXPECT_STREQ(FormatStackWords(placeAtEnd({}), false, text), "");
  std::vector<uint32_t> words;
  for (uint32_t i = 0; i < 0x400; ++i) words.push_back(host::kImageBegin + i);
  const std::string listed = FormatStackWords(placeAtEnd(words), true, text);
  EXPECT_EQ(listed.rfind("400000 400001 ", 0), 0u);
  EXPECT_EQ(listed.substr(listed.size() - 7), " 4000FF") << "256 words, no more";
  VirtualFree(pages, 0, MEM_RELEASE);
}

// Takes the lock on a thread of its own and keeps it until the process
// ends; after a bound far beyond any crash's it leaves a mark and lets go.
struct LockHolder {
  std::string marker;
  std::string lock;  // as the scenario's option names it
  HANDLE taken = CreateEventA(nullptr, TRUE, FALSE, nullptr);
};

DWORD WINAPI HoldLock(void* argument) {
  auto* holder = static_cast<LockHolder*>(argument);
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  const auto lock = reinterpret_cast<LONG(NTAPI*)(ULONG, ULONG*, ULONG_PTR*)>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrLockLoaderLock")));
  const auto unlock = reinterpret_cast<LONG(NTAPI*)(ULONG, ULONG_PTR)>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrUnlockLoaderLock")));
  const bool loaderLock = holder->lock == "loader-locked";
  const auto heap = holder->lock == "crt-heap-locked" ? reinterpret_cast<HANDLE>(_get_heap_handle()) : GetProcessHeap();
  ULONG_PTR cookie = 0;
  if (loaderLock) {
    lock(0, nullptr, &cookie);
  } else {
    HeapLock(heap);
  }
  SetEvent(holder->taken);
  Sleep(30000);
  HANDLE mark = CreateFileA(holder->marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CloseHandle(mark);
  if (loaderLock) {
    unlock(0, cookie);
  } else {
    HeapUnlock(heap);
  }
  return 0;
}

void HoldLockElsewhere(const std::string& folder, const std::string& lock) {
  static LockHolder holder{folder + kLockReleasedByTimeout, lock};
  CloseHandle(CreateThread(nullptr, 0, HoldLock, &holder, 0, nullptr));
  WaitForSingleObject(holder.taken, INFINITE);
}

// Bytes that fit on the full disk: the plugin's writes into the crash
// folder (through ntdll), and dbghelp's (through kernel32). A write beyond
// them puts what fits and fails as a full disk does.
LONG g_reportRoom = 0;
LONG g_dumpRoom = 0;
using NtWriteFileFunction = NTSTATUS(NTAPI*)(HANDLE, HANDLE, void*, void*, IO_STATUS_BLOCK*, void*, ULONG,
                                             LARGE_INTEGER*, ULONG*);
using WriteFileFunction = BOOL(WINAPI*)(HANDLE, const void*, DWORD, DWORD*, OVERLAPPED*);
NtWriteFileFunction g_realNtWriteFile = nullptr;
WriteFileFunction g_realWriteFile = nullptr;
constexpr NTSTATUS kDiskFull = static_cast<NTSTATUS>(0xC000007F);

BOOL WriteWithin(LONG& room, HANDLE file, const void* data, DWORD length, DWORD* written, OVERLAPPED* overlapped) {
  const DWORD fits = std::min<DWORD>(length, static_cast<DWORD>(room));
  if (!g_realWriteFile(file, data, fits, written, overlapped)) return FALSE;
  room -= static_cast<LONG>(*written);
  if (fits == length) return TRUE;
  SetLastError(ERROR_DISK_FULL);
  return FALSE;
}

// What a full disk's NtWriteFile answers: the bytes that fit, and
// STATUS_DISK_FULL.
NTSTATUS NTAPI WriteReportOnFullDisk(HANDLE file, HANDLE event, void* apc, void* apcContext, IO_STATUS_BLOCK* io,
                                     void* data, ULONG length, LARGE_INTEGER* offset, ULONG* key) {
  char path[MAX_PATH];
  const DWORD pathLength = GetFinalPathNameByHandleA(file, path, sizeof path, 0);
  if (pathLength == 0 || pathLength >= sizeof path || std::strstr(path, "\\CrashLog\\") == nullptr) {
    return g_realNtWriteFile(file, event, apc, apcContext, io, data, length, offset, key);
  }
  const ULONG fits = std::min<ULONG>(length, static_cast<ULONG>(g_reportRoom));
  io->Information = 0;
  if (fits != 0) {
    const NTSTATUS status = g_realNtWriteFile(file, event, apc, apcContext, io, data, fits, offset, key);
    if (status < 0) return status;
    g_reportRoom -= static_cast<LONG>(io->Information);
  }
  return fits == length ? 0 : kDiskFull;
}

BOOL WINAPI WriteDumpOnFullDisk(HANDLE file, const void* data, DWORD length, DWORD* written, OVERLAPPED* overlapped) {
  return WriteWithin(g_dumpRoom, file, data, length, written, overlapped);
}

void FillTheDisk(const std::string& room) {
  std::sscanf(room.c_str(), "%ld,%ld", &g_reportRoom, &g_dumpRoom);
  g_realNtWriteFile = reinterpret_cast<NtWriteFileFunction>(reinterpret_cast<const void*>(sim::RedirectImport(
      GetModuleHandleA(nullptr), "ntdll.dll", "NtWriteFile", reinterpret_cast<const void*>(&WriteReportOnFullDisk))));
  if (HMODULE dbghelp = GetModuleHandleA("dbghelp.dll")) {
    g_realWriteFile = reinterpret_cast<WriteFileFunction>(reinterpret_cast<const void*>(
        sim::RedirectImport(dbghelp, "kernel32.dll", "WriteFile", reinterpret_cast<const void*>(&WriteDumpOnFullDisk))));
  }
}

}  // namespace

SIM_SCENARIO(crash) {
  const std::string& options = args.at(4);
  const std::string ini = "[Patch]\nLogMessageToFile=1\nRecordCrashInfo=" + args.at(1) + "\n";
  if (options == "unobserved") {
    sim::PrepareGameFolder(args.at(0), ini);
    (void)ApplyRecordCrashInfo();  // the scenario's value decides
  } else {
    InstallObservedRecorder(args.at(0), ini);
    if (ObservedRecorder() != CrashFilter) return 2;
  }
  if (sim::HostSetsExceptionFilter(nullptr) != nullptr) return 3;  // the host's own call must change nothing
  const std::string& kind = args.at(2);
  sim::UnhandledFault fault{.eip = static_cast<uint32_t>(std::stoul(args.at(3), nullptr, 16)),
                            .regs = kFaultRegisters,
                            .stack = kStackWords};
  if (kind == "illegal") fault.kind = sim::FaultKind::kIllegalInstruction;
  if (kind == "divide") fault.kind = sim::FaultKind::kDivideByZero;
  if (kind == "overflow") fault.kind = sim::FaultKind::kStackOverflow;
  if (options == "known") KnownCrashReason = kCrashMissingNode;
  if (options == "short") fault.stackEndsAfterWords = true;
  if (options == "blocked-dump") CreateDirectoryA("Data\\QORV\\Plugins\\CrashLog\\crash_last.dmp", nullptr);
  if (options == "blocked" || options == "blocked-faulting-box") {
    CreateDirectoryA("Data\\QORV\\Plugins\\CrashLog\\crash_last.txt", nullptr);
  }
  if (options == "blocked-faulting-box") sim::PlaceBytes(host::kMessageBox, {0xA1, 0x00, 0x00, 0x00, 0x00});
  if (options == "outside-stack") fault.stackOutsideThread = true;
  if (options == "crt-heap-locked" || options == "process-heap-locked" || options == "loader-locked") {
    HoldLockElsewhere(args.at(0), options);
  }
  if (options.rfind("disk-full,", 0) == 0) FillTheDisk(options.substr(10));
  if (options == "two-threads") {
    sim::PlaceBytes(fault.eip, {0xA1, 0x00, 0x00, 0x00, 0x00});
    HANDLE threads[2];
    for (HANDLE& thread : threads) {
      thread = CreateThread(nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(uintptr_t{fault.eip}), nullptr,
                            CREATE_SUSPENDED, nullptr);
    }
    for (HANDLE thread : threads) ResumeThread(thread);
    WaitForMultipleObjects(2, threads, TRUE, INFINITE);
    return 6;  // the observer ends the process first
  }
  if (options == "twice") {
    sim::PlaceBytes(kSecondFault, {0xA1, 0x00, 0x00, 0x00, 0x00});
    ResumeFirstCrashAt(kSecondFault);
  }
  sim::RaiseUnhandledFault(fault);
}

// Installs with the given value and answers 0 when no filter replaced the
// process's own and the host's import slot is untouched.
SIM_SCENARIO(install_only) {
  InstallObservedRecorder(args.at(0), "[Patch]\nRecordCrashInfo=" + args.at(1) + "\n");
  if (ObservedRecorder() == CrashFilter) return 4;
  if (sim::HostSetsExceptionFilter(nullptr) == nullptr) return 5;
  return 0;
}

// GuardedPushLeaf(ECX = a readable word): saves three registers, reads the
// word, and answers 0 from its landing when the read faults.
extern "C" char GuardedPushLeaf_Begin[], GuardedPushLeaf_LastPush[], GuardedPushLeaf_End[], GuardedPushLeaf_Landing[];
extern "C" void DescendThroughGuardedLeaf(const uint32_t* word);
asm(R"(
  .intel_syntax noprefix
  .text
  .globl _GuardedPushLeaf_Begin, _GuardedPushLeaf_LastPush, _GuardedPushLeaf_End, _GuardedPushLeaf_Landing
  .globl _DescendThroughGuardedLeaf
_GuardedPushLeaf_Begin:
  push ebx
  push esi
_GuardedPushLeaf_LastPush:
  push edi
  mov eax, [ecx]
  pop edi
  pop esi
  pop ebx
  ret
_GuardedPushLeaf_End:
_GuardedPushLeaf_Landing:
  pop edi
  pop esi
  pop ebx
  xor eax, eax
  ret
_DescendThroughGuardedLeaf:
  mov ecx, [esp+4]
  xor eax, eax
1:
  push eax
  call _GuardedPushLeaf_Begin
  jmp 1b
  .att_syntax prefix
)");

namespace {
DWORD WINAPI DescendUntilTheStackEnds(void*) {
  static const uint32_t word = 0;
  DescendThroughGuardedLeaf(&word);
  return 0;
}
}  // namespace

// Each level goes one word deeper than the last, and the leaf's last push
// is the first write below the deepest word written so far: the stack's
// end is always met by that push.
SIM_SCENARIO(overflow_in_guard) {
  InstallObservedRecorder(args.at(0), "[Patch]\nRecordCrashInfo=3\n");
  RegisterFaultLanding(GuardedPushLeaf_Begin, GuardedPushLeaf_End, GuardedPushLeaf_Landing);
  std::printf("last push at %X\n", AddressOf(GuardedPushLeaf_LastPush));
  std::fflush(stdout);
  HANDLE thread = CreateThread(nullptr, 64 * 1024, DescendUntilTheStackEnds, nullptr,
                               STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  WaitForSingleObject(thread, INFINITE);
  return 7;  // the observer ends the process first
}
