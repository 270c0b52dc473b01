#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>

#include "diagnostics/crash_recorder.h"
#include "diagnostics/crash_recorder_sites.h"
#include "patch/frame_sites.h"
#include "plugin/apply.h"
#include "plugin/known_crash.h"
#include "sim/host_diagnostics.h"
#include "sim/host_memory.h"
#include "sim/loader.h"
#include "tests/diagnostics/diagnostics_fixture.h"

using namespace diagnostics_test;

namespace {

constexpr uint32_t kFaultAddress = kUnpatchedHostCode;
const std::string kCrashedLogLine = [] {
  char line[64];
  std::snprintf(line, sizeof line, "Game has crashed with exception address 0x%X!", kFaultAddress);
  return std::string(line);
}();
constexpr uint32_t kSecondFault = 0x5ABD00;
const std::vector<uint32_t> kStackWords = {host::kImageBegin - 1, host::kImageBegin, host::kImageLast, host::kImageLast + 1};
const sim::Registers kFaultRegisters{.eax = 0x11, .ebx = 0xB0B, .ecx = 0xC0FFEE, .edx = 0xDEAD,
                                     .esi = 0x51, .edi = 0xD1, .ebp = 0xBEEF};

struct CrashRun {
  std::string folder;
  sim::ChildResult child;
  std::string CrashFolder() const { return folder + kCrashFolder; }
  std::vector<std::string> Reports() const { return FilesIn(CrashFolder()); }
  std::string Report(const std::string& name) const { return sim::ReadFile(CrashFolder() + "\\" + name); }
};

// One real unhandled exception in a child, with the recorder's value.
CrashRun Crash(const std::string& value, const std::string& kind = "access", uint32_t eip = kFaultAddress,
               const std::string& options = "-", const std::string& existingLastReport = "") {
  CrashRun run{sim::TempFolder("crash"), {}};
  if (!existingLastReport.empty()) {
    CreateDirectoryA((run.folder + "\\Data").c_str(), nullptr);
    CreateDirectoryA((run.folder + "\\Data\\QORV").c_str(), nullptr);
    CreateDirectoryA((run.folder + "\\Data\\QORV\\Plugins").c_str(), nullptr);
    CreateDirectoryA(run.CrashFolder().c_str(), nullptr);
    sim::WriteFile(run.CrashFolder() + "\\crash_last.txt", existingLastReport);
  }
  char eipText[16];
  std::snprintf(eipText, sizeof eipText, "%X", eip);
  run.child = sim::RunScenarioInChild("crash", Quoted(run.folder) + " " + value + " " + kind + " " + eipText + " " +
                                                   options);
  return run;
}

std::string FullStack() {
  std::string words = "3FFFFF 400000 106A319 106A31A";
  for (int i = 0; i < 252; ++i) words += " 0";
  return words;
}

// The whole report, with the time captured.
std::regex ReportShape(const std::string& separator, const std::string& fullStack) {
  return std::regex(separator +
                    "Crash info:\r\n(\\d{4}_\\d\\d_\\d\\d_\\d\\d-\\d\\d-\\d\\d) - 5ABC00: V\\(1\\); EAX\\(11\\); "
                    "EBX\\(B0B\\); ECX\\(C0FFEE\\); EDX\\(DEAD\\); ESI\\(51\\); EDI\\(D1\\); EBP\\(BEEF\\); "
                    "ESP\\([0-9A-F]+\\); STACK\\(400000 106A319\\);\r\n\r\n"
                    "Not so useful info \\(don't post unless asked\\):\r\nSTACK_FULL\\(" +
                    fullStack + "\\);\r\n");
}

const std::string kSeparator = "===================================\r\n";

TEST(CrashRecorder, TimestampedReportHasTheExactLayoutAndLetsTheSystemGoOn) {
  const CrashRun run = Crash("1");
  ASSERT_EQ(run.child.exitCode, ExitCodeFor(EXCEPTION_CONTINUE_SEARCH, true)) << run.child.output;
  const auto reports = run.Reports();
  ASSERT_EQ(reports.size(), 1u);
  std::smatch nameParts;
  ASSERT_TRUE(std::regex_match(reports[0], nameParts,
                               std::regex("crash_(\\d{4}_\\d\\d_\\d\\d_\\d\\d-\\d\\d-\\d\\d)\\.txt")))
      << reports[0];
  const std::string report = run.Report(reports[0]);
  std::smatch reportParts;
  ASSERT_TRUE(std::regex_match(report, reportParts, ReportShape("", FullStack()))) << report;
  EXPECT_EQ(reportParts[1].str(), nameParts[1].str()) << "the file is named after the time in the report";
  const std::string log = sim::ReadFile(run.folder + "\\Data\\QORV\\Plugins\\OrrisbaneLog.txt");
  EXPECT_NE(log.find(kCrashedLogLine), std::string::npos) << log;
  EXPECT_TRUE(MessageTexts(run.child).empty());
}

TEST(CrashRecorder, FixedFileIsTruncatedOrAppendedAfterASeparator) {
  const CrashRun truncated = Crash("3", "access", kFaultAddress, "-", "an older report\r\n");
  ASSERT_EQ(truncated.child.exitCode, ExitCodeFor(EXCEPTION_CONTINUE_SEARCH, true)) << truncated.child.output;
  ASSERT_EQ(truncated.Reports(), std::vector<std::string>{"crash_last.txt"});
  EXPECT_TRUE(std::regex_match(truncated.Report("crash_last.txt"), ReportShape("", FullStack())))
      << truncated.Report("crash_last.txt");

  const CrashRun appended = Crash("11", "access", kFaultAddress, "-", "an older report\r\n");
  ASSERT_EQ(appended.child.exitCode, ExitCodeFor(EXCEPTION_CONTINUE_SEARCH, true)) << appended.child.output;
  ASSERT_EQ(appended.Reports(), std::vector<std::string>{"crash_last.txt"});
  EXPECT_TRUE(std::regex_match(appended.Report("crash_last.txt"),
                               ReportShape("an older report\r\n" + kSeparator, FullStack())))
      << appended.Report("crash_last.txt");
}

TEST(CrashRecorder, ForcedExecuteHandlerStillWritesTheReport) {
  const CrashRun run = Crash("17");
  EXPECT_EQ(run.child.exitCode, ExitCodeFor(EXCEPTION_EXECUTE_HANDLER, true)) << run.child.output;
  EXPECT_EQ(run.Reports().size(), 1u);
}

TEST(CrashRecorder, SkippedReportsAnswerExecuteHandlerAndStillCallTheEarlierFilter) {
  const CrashRun ignoredSite = Crash("1", "access", host::kIgnoredFaultAddress);
  EXPECT_EQ(ignoredSite.child.exitCode, ExitCodeFor(EXCEPTION_EXECUTE_HANDLER, true)) << ignoredSite.child.output;
  EXPECT_TRUE(ignoredSite.Reports().empty());

  const CrashRun afterWarning = Crash("1", "access", kFaultAddress, "known");
  EXPECT_EQ(afterWarning.child.exitCode, ExitCodeFor(EXCEPTION_EXECUTE_HANDLER, true)) << afterWarning.child.output;
  EXPECT_TRUE(afterWarning.Reports().empty());

  const CrashRun reportAnyway = Crash("5", "access", kFaultAddress, "known");
  EXPECT_EQ(reportAnyway.child.exitCode, ExitCodeFor(EXCEPTION_CONTINUE_SEARCH, true)) << reportAnyway.child.output;
  EXPECT_EQ(reportAnyway.Reports().size(), 1u);
}

TEST(CrashRecorder, ASecondExceptionWritesNoSecondReport) {
  const CrashRun run = Crash("3", "access", kFaultAddress, "twice");
  EXPECT_EQ(run.child.exitCode, 0x100u + 0x10 * EXCEPTION_CONTINUE_SEARCH + EXCEPTION_EXECUTE_HANDLER)
      << run.child.output;
  ASSERT_EQ(run.Reports(), std::vector<std::string>{"crash_last.txt"});
  EXPECT_TRUE(std::regex_match(run.Report("crash_last.txt"), ReportShape("", FullStack())))
      << "the report is the first crash's, written once";
}

TEST(CrashRecorder, AShortStackEndsBothListsWithoutASecondFault) {
  const CrashRun run = Crash("3", "access", kFaultAddress, "short");
  ASSERT_EQ(run.child.exitCode, ExitCodeFor(EXCEPTION_CONTINUE_SEARCH, true)) << run.child.output;
  EXPECT_TRUE(std::regex_match(run.Report("crash_last.txt"), ReportShape("", "3FFFFF 400000 106A319 106A31A")))
      << run.Report("crash_last.txt");
}

// Each kind of fault in host code leaves a complete report.
TEST(CrashRecorder, ReportsAccessViolationsIllegalInstructionsDivisionsAndStackOverflows) {
  for (const char* kind : {"access", "illegal", "divide", "overflow"}) {
    const CrashRun run = Crash("3", kind);
    EXPECT_EQ(run.child.exitCode, ExitCodeFor(EXCEPTION_CONTINUE_SEARCH, true)) << kind << run.child.output;
    const std::string report = run.Report("crash_last.txt");
    EXPECT_NE(report.find(" - 5ABC00: V(1); "), std::string::npos) << kind << report;
    EXPECT_EQ(report.substr(report.size() < 4 ? 0 : report.size() - 4), ");\r\n") << kind << " report is complete";
  }
}

// Two threads fault at the same host instruction at once. The one that
// finds the report being written must not let the process end before it is
// closed, and the older crash_last.txt stays whole until its successor is.
TEST(CrashRecorder, TwoThreadsFaultingTogetherLeaveOneCompleteReport) {
  const std::regex completeReport(
      "Crash info:\r\n[0-9_-]+ - 5ABC00: V\\(1\\); EAX\\([0-9A-F]+\\); EBX\\([0-9A-F]+\\); ECX\\([0-9A-F]+\\); "
      "EDX\\([0-9A-F]+\\); ESI\\([0-9A-F]+\\); EDI\\([0-9A-F]+\\); EBP\\([0-9A-F]+\\); ESP\\([0-9A-F]+\\); "
      "STACK\\([0-9A-F ]*\\);\r\n\r\nNot so useful info \\(don't post unless asked\\):\r\n"
      "STACK_FULL\\([0-9A-F ]*\\);\r\n");
  for (int run = 0; run < 20; ++run) {
    const CrashRun crash = Crash("3", "access", kFaultAddress, "two-threads", "an older report\r\n");
    ASSERT_EQ(crash.Reports(), std::vector<std::string>{"crash_last.txt"}) << "run " << run << crash.child.output;
    const std::string report = crash.Report("crash_last.txt");
    ASSERT_TRUE(std::regex_match(report, completeReport)) << "run " << run << ": " << report;
    const std::string log = sim::ReadFile(crash.folder + "\\Data\\QORV\\Plugins\\OrrisbaneLog.txt");
    ASSERT_NE(log.find(kCrashedLogLine), std::string::npos) << "run " << run;
  }
}

// The host may run on a stack of its own making, outside the limits the
// thread was given; the filter then runs there too.
TEST(CrashRecorder, AStackOutsideTheThreadsLimitsStillGivesReportAndLogLine) {
  const CrashRun run = Crash("3", "access", kFaultAddress, "outside-stack");
  EXPECT_EQ(run.child.exitCode, ExitCodeFor(EXCEPTION_CONTINUE_SEARCH, true)) << run.child.output;
  EXPECT_TRUE(std::regex_match(run.Report("crash_last.txt"), ReportShape("", FullStack())))
      << run.Report("crash_last.txt");
  const std::string log = sim::ReadFile(run.folder + "\\Data\\QORV\\Plugins\\OrrisbaneLog.txt");
  EXPECT_NE(log.find(kCrashedLogLine), std::string::npos) << log;
}

// Nothing observes the filter here: after the report the platform's own
// handling (under Wine its debugger in automatic mode) must end the child.
TEST(CrashRecorder, TheSystemsOwnHandlingAfterTheReportEndsTheProcess) {
  const CrashRun run = Crash("3", "access", kFaultAddress, "unobserved");
  EXPECT_NE(run.child.exitCode, 0u) << run.child.output;
  EXPECT_NE(run.child.exitCode & ~0xFFu, 0x100u) << "no observer ran";
  EXPECT_TRUE(std::regex_match(run.Report("crash_last.txt"), ReportShape("", FullStack())))
      << run.Report("crash_last.txt");
}

TEST(CrashRecorder, OptionWithoutInstallBitOnlyCreatesTheFolders) {
  const std::string folder = sim::TempFolder("crash-folders");
  const auto child = sim::RunScenarioInChild("install_only", Quoted(folder) + " 2");
  EXPECT_EQ(child.exitCode, 0u) << child.output;
  const DWORD attributes = GetFileAttributesA((folder + kCrashFolder).c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
}

// A file where a folder should be: higher up it keeps the folders from
// being created; as the crash folder itself it "already exists".
TEST(CrashRecorder, AFolderThatCannotBeCreatedNamesTheCrashFolderAndInstallsNothing) {
  for (const char* fileInTheWay : {"\\Data", kCrashFolder}) {
    const std::string folder = sim::TempFolder("crash-nofolder");
    for (const char* level : {"\\Data", "\\Data\\QORV", "\\Data\\QORV\\Plugins"}) {
      if (std::string(level) == fileInTheWay) break;
      CreateDirectoryA((folder + level).c_str(), nullptr);
    }
    sim::WriteFile(folder + fileInTheWay, "a file where the folder should be");
    const auto child = sim::RunScenarioInChild("install_only", Quoted(folder) + " 1");
    EXPECT_EQ(child.exitCode, 0u) << fileInTheWay << child.output;
    EXPECT_EQ(MessageTexts(child),
              std::vector<std::string>{"Failed to create directory: ./Data/QORV/Plugins/CrashLog"})
        << fileInTheWay;
  }
}

TEST(CrashRecorder, UnopenableReportFileIsToldAndNothingIsLogged) {
  const CrashRun run = Crash("3", "access", kFaultAddress, "blocked");
  EXPECT_EQ(run.child.exitCode, ExitCodeFor(EXCEPTION_CONTINUE_SEARCH, true)) << run.child.output;
  EXPECT_EQ(MessageTexts(run.child),
            std::vector<std::string>{"Failed to open file for writing: \"./Data/QORV/Plugins/CrashLog/crash_last.txt\""});
  const std::string log = sim::ReadFile(run.folder + "\\Data\\QORV\\Plugins\\OrrisbaneLog.txt");
  EXPECT_EQ(log.find("Game has crashed"), std::string::npos) << log;
}

// The failure message goes through the host's message box; a host that
// faults there faults inside the report writer, on the thread's own stack
// or, after an overflow, on the reserve stack.
TEST(CrashRecorder, AFaultInsideTheReportWriterIsContained) {
  for (const char* kind : {"access", "overflow"}) {
    const CrashRun run = Crash("3", kind, kFaultAddress, "blocked-faulting-box");
    EXPECT_EQ(run.child.exitCode, ExitCodeFor(EXCEPTION_CONTINUE_SEARCH, true)) << kind << run.child.output;
    EXPECT_TRUE(MessageTexts(run.child).empty()) << kind;
  }
}

// Two pages, the second never committed: words placed at the end of the
// first are followed by nothing readable.
class StackWords : public testing::Test {
 protected:
  void SetUp() override {
    pages_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, 0x2000, MEM_RESERVE, PAGE_NOACCESS));
    ASSERT_NE(pages_, nullptr);
    ASSERT_NE(VirtualAlloc(pages_, 0x1000, MEM_COMMIT, PAGE_READWRITE), nullptr);
  }
  void TearDown() override { VirtualFree(pages_, 0, MEM_RELEASE); }

  uint32_t PlaceAtEnd(const std::vector<uint32_t>& words) {
    auto* first = reinterpret_cast<uint32_t*>(pages_ + 0x1000) - words.size();
    std::copy(words.begin(), words.end(), first);
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(first));
  }

  uint8_t* pages_ = nullptr;
  StackWordsText text_;
};

TEST_F(StackWords, HostImageListKeepsBothEndsOfTheRangeOnly) {
  const uint32_t start = PlaceAtEnd({host::kImageBegin - 1, host::kImageBegin, 0x7, host::kImageLast, host::kImageLast + 1, 0xFFFFFFFF, 0xABCDEF});
  EXPECT_STREQ(FormatStackWords(start, true, text_), "400000 106A319 ABCDEF");
  EXPECT_STREQ(FormatStackWords(start, false, text_), "3FFFFF 400000 7 106A319 106A31A FFFFFFFF ABCDEF");
  EXPECT_STREQ(FormatStackWords(PlaceAtEnd({host::kImageBegin - 1, host::kImageLast + 1}), true, text_), "");
}

TEST_F(StackWords, ListsEndAtTheFirstUnreadableWordOrAfter256Words) {
  EXPECT_STREQ(FormatStackWords(PlaceAtEnd({}), false, text_), "");
  std::vector<uint32_t> words;
  for (uint32_t i = 0; i < 0x400; ++i) words.push_back(host::kImageBegin + i);
  const std::string listed = FormatStackWords(PlaceAtEnd(words), true, text_);
  EXPECT_EQ(listed.rfind("400000 400001 ", 0), 0u);
  EXPECT_EQ(listed.substr(listed.size() - 7), " 4000FF") << "256 words, no more";
}

}  // namespace

SIM_SCENARIO(crash) {
  const std::string& options = args.at(4);
  const std::string ini = "[Patch]\nLogMessageToFile=1\nRecordCrashInfo=" + args.at(1) + "\n";
  if (options == "unobserved") {
    sim::PrepareGameFolder(args.at(0), ini);
    ApplyRecordCrashInfo();
  } else {
    InstallObservedRecorder(args.at(0), ini);
    if (ObservedRecorder() != CrashFilter) return 2;
  }
  if (sim::HostSetsExceptionFilter(nullptr) != nullptr) return 3;  // the host's own call must change nothing
  const std::string& kind = args.at(2);
  sim::UnhandledFault fault{.eip = ParseHex(args.at(3)), .regs = kFaultRegisters, .stack = kStackWords};
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
