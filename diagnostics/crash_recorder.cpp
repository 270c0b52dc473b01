#include "diagnostics/crash_recorder.h"

#include <atomic>
#include <ctime>

#include "core/known_crash.h"
#include "core/settings.h"
#include "diagnostics/crash_details.h"
#include "diagnostics/crash_info_bits.h"
#include "diagnostics/crash_recorder_sites.h"
#include "diagnostics/minidump_writer.h"
#include "diagnostics/text_builder.h"
#include "patch/fault_guard.h"
#include "patch/frame_sites.h"
#include "patch/messages.h"
#include "patch/patch_writer.h"

using namespace host;

namespace {

constexpr const char* kCrashFolder = "./Data/QORV/Plugins/CrashLog";
constexpr const char* kFoldersToCreate[] = {"./Data/QORV", "./Data/QORV/Plugins", kCrashFolder};
constexpr const char* kAppendSeparator = "===================================\n";
constexpr int kStackWordsListed = 256;

using namespace crash_info;

// Written by the apply function at load, read by the filter.
bool TimestampedCrashFile = true;
bool SkipKnownCrash = true;
bool AppendCrashFile = false;
bool ForceExecuteHandler = false;
bool WriteDetails = false;
bool WriteDump = false;
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;

// Taken by the first thread in the filter; a thread that finds it taken
// waits until the report is closed, because its answer may end the process.
std::atomic<bool> g_filterEntered{false};
std::atomic<bool> g_reportClosed{false};
std::atomic<DWORD> g_reportingThread{0};
constexpr DWORD kReportWaitMilliseconds = 5000;
constexpr DWORD kReportPollMilliseconds = 10;

// The filter may run on a thread that has overflowed its stack, so all it
// builds lives here rather than in locals.
char g_timeText[80];
char g_reportPath[260];
char g_partialPath[260];
char g_dumpPath[260];
char g_dumpNote[160];
char g_logLine[80];
StackWordsText g_usefulWords;
StackWordsText g_allWords;
char g_report[2 * kStackWordsTextSize + 512];

void FormatCrashTime() {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  if (local == nullptr || std::strftime(g_timeText, sizeof g_timeText, "%Y_%m_%d_%H-%M-%S", local) == 0) {
    TextBuilder(g_timeText).Append("0");
  }
}

// A new report is written under a name of its own and renamed into place
// once complete, so that an older crash_last.txt is never emptied for a
// report that the end of the process then cuts short. The minidump takes
// the report's name.
void BuildPath(char (&path)[260], const char* ending) {
  TextBuilder text(path);
  text.Append(kCrashFolder);
  if (TimestampedCrashFile) {
    text.Append("/crash_").Append(g_timeText);
  } else {
    text.Append("/crash_last");
  }
  text.Append(ending);
}

void BuildReportPaths() {
  BuildPath(g_reportPath, ".txt");
  BuildPath(g_partialPath, ".txt.partial");
  BuildPath(g_dumpPath, ".dmp");
}

void AppendRegister(TextBuilder& report, const char* name, DWORD value) {
  report.Append(name).Append("(").AppendHex(value).Append("); ");
}

// The report as a text stream would write it: every line feed as CR LF.
DWORD ComposeReport(const CONTEXT& context) {
  TextBuilder report(g_report, TextBuilder::kCrLf);
  if (!TimestampedCrashFile && AppendCrashFile) report.Append(kAppendSeparator);
  report.Append("Crash info:\n").Append(g_timeText).Append(" - ").AppendHex(context.Eip).Append(": V(1); ");
  AppendRegister(report, "EAX", context.Eax);
  AppendRegister(report, "EBX", context.Ebx);
  AppendRegister(report, "ECX", context.Ecx);
  AppendRegister(report, "EDX", context.Edx);
  AppendRegister(report, "ESI", context.Esi);
  AppendRegister(report, "EDI", context.Edi);
  AppendRegister(report, "EBP", context.Ebp);
  AppendRegister(report, "ESP", context.Esp);
  report.Append("STACK(").Append(FormatStackWords(context.Esp, true, g_usefulWords)).Append(");");
  report.Append("\n\nNot so useful info (don't post unless asked):\n");
  report.Append("STACK_FULL(").Append(FormatStackWords(context.Esp, false, g_allWords)).Append(");\n");
  return report.Length();
}

void NoteFailedMinidump(const char* failure) {
  if (failure == nullptr) return;
  HANDLE file = CreateFileA(g_reportPath, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const DWORD length = TextBuilder(g_dumpNote, TextBuilder::kCrLf).Append("Minidump not written: ").Append(failure)
                           .Append("\n").Length();
  DWORD written = 0;
  WriteFile(file, g_dumpNote, length, &written, nullptr);
  CloseHandle(file);
}

uint32_t WriteCrashReportGuarded(void* exception) {
  WriteCrashReport(static_cast<EXCEPTION_POINTERS*>(exception));
  return 0;
}

void __cdecl WriteCrashReportContained(void* exception) {
  bool faulted = false;
  GuardedCall(WriteCrashReportGuarded, exception, &faulted);
}

// After a stack overflow the faulting thread has too little stack left for
// the file, log and message calls of the report, so then the report is
// written on a stack of its own. The thread's stack bounds follow the
// switch, as they do for a fiber, so that the guard's exception frame on
// the reserve stack counts as valid. With stack to spare the report stays
// on the thread's own stack, where nothing about the thread is unusual.
constexpr uintptr_t kStackNeededForReport = 64 * 1024;
alignas(16) char g_reserveStack[256 * 1024];

}  // namespace

extern "C" void __cdecl RunOnReserveStack(void (*function)(void*), void* argument, void* top, void* bottom);
asm(R"(
  .intel_syntax noprefix
  .text
  .globl _RunOnReserveStack
_RunOnReserveStack:
  push ebp
  mov ebp, esp
  push dword ptr fs:[4]
  push dword ptr fs:[8]
  mov eax, [ebp+16]
  mov ecx, [ebp+20]
  mov fs:[4], eax
  mov fs:[8], ecx
  mov esp, eax
  push dword ptr [ebp+12]
  call dword ptr [ebp+8]
  lea esp, [ebp-8]
  pop dword ptr fs:[8]
  pop dword ptr fs:[4]
  pop ebp
  ret
  .att_syntax prefix
)");

namespace {

// A host that switched to a stack of its own runs the filter outside the
// thread's limits, where the room left is unknown and the guard's exception
// frame would not count as valid: that is treated as a stack running out.
bool StackUnfitForReport() {
  const char here = 0;
  uintptr_t bottom;  // the TEB's DeallocationStack: the lowest address the stack may reach
  uintptr_t top;     // the TIB's StackBase
  asm("movl %%fs:0xE0C, %0" : "=r"(bottom));
  asm("movl %%fs:4, %0" : "=r"(top));
  const auto esp = reinterpret_cast<uintptr_t>(&here);
  return esp < bottom + kStackNeededForReport || esp >= top;
}

void WriteCrashReportWithEnoughStack(EXCEPTION_POINTERS* exception) {
  if (StackUnfitForReport()) {
    RunOnReserveStack(WriteCrashReportContained, exception, g_reserveStack + sizeof g_reserveStack, g_reserveStack);
  } else {
    WriteCrashReportContained(exception);
  }
}

}  // namespace

const char* FormatStackWords(uint32_t start, bool hostImageOnly, StackWordsText& out) {
  TextBuilder list(out);
  for (int i = 0; i < kStackWordsListed; ++i) {
    uint32_t word = 0;
    if (!GuardedReadWord(reinterpret_cast<const void*>(static_cast<uintptr_t>(start + 4u * i)), &word)) break;
    if (hostImageOnly && word - host::kImageBegin > host::kImageLast - host::kImageBegin) continue;
    if (list.Length() != 0) list.Append(" ");
    list.AppendHex(word);
  }
  return out;
}

void WriteCrashReport(EXCEPTION_POINTERS* exception) {
  const CONTEXT& context = *exception->ContextRecord;
  FormatCrashTime();
  BuildReportPaths();
  // Appending goes straight to the report: a partial append destroys
  // nothing written before it.
  const char* writtenPath = AppendCrashFile ? g_reportPath : g_partialPath;
  HANDLE file = CreateFileA(writtenPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            AppendCrashFile ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    ShowMessage("Failed to open file for writing: \"%s\"", g_reportPath);
    return;
  }
  const DWORD length = ComposeReport(context);
  if (AppendCrashFile) SetFilePointer(file, 0, nullptr, FILE_END);
  DWORD written = 0;
  WriteFile(file, g_report, length, &written, nullptr);
  if (WriteDetails) {
    DWORD detailsLength = 0;
    const char* details = ComposeCrashDetails(*exception, &detailsLength);
    WriteFile(file, details, detailsLength, &written, nullptr);
  }
  // Closed before the filter returns: the process may be gone right after.
  CloseHandle(file);
  if (!AppendCrashFile && !MoveFileExA(g_partialPath, g_reportPath, MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileA(g_partialPath);
    ShowMessage("Failed to open file for writing: \"%s\"", g_reportPath);
    return;
  }
  // The report and its log line are whole on disk before the dump, which
  // may not finish.
  TextBuilder(g_logLine).Append("Game has crashed with exception address 0x").AppendHex(context.Eip).Append("!");
  LogMessageToFile(g_logLine);
  if (WriteDump) NoteFailedMinidump(WriteMinidump(exception, g_dumpPath));
}

namespace {

// The writing thread itself may come back here (a fault the guard did not
// contain); it must not wait for itself.
// A dump belongs to the report: its writer gets its own bound on top.
void WaitForReportToClose() {
  if (g_reportingThread.load(std::memory_order_relaxed) == GetCurrentThreadId()) return;
  const DWORD bound = kReportWaitMilliseconds + (WriteDump ? kMinidumpWaitMilliseconds : 0);
  for (DWORD waited = 0; waited < bound; waited += kReportPollMilliseconds) {
    if (g_reportClosed.load(std::memory_order_acquire)) return;
    Sleep(kReportPollMilliseconds);
  }
}

}  // namespace

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* exception) {
  bool reportAttempted = false;
  // Taken before the report, so that a fault inside the writer, or a crash
  // on another thread meanwhile, never writes a second one.
  if (!g_filterEntered.exchange(true, std::memory_order_acq_rel)) {
    g_reportingThread.store(GetCurrentThreadId(), std::memory_order_relaxed);
    const bool userWasTold = SkipKnownCrash && KnownCrashReason != 0;
    if (!userWasTold && exception->ContextRecord->Eip != kIgnoredFaultAddress) {
      WriteCrashReportWithEnoughStack(exception);
      reportAttempted = true;
    }
    g_reportClosed.store(true, std::memory_order_release);
  } else {
    WaitForReportToClose();
  }
  if (g_previousFilter != nullptr) g_previousFilter(exception);
  return reportAttempted && !ForceExecuteHandler ? EXCEPTION_CONTINUE_SEARCH : EXCEPTION_EXECUTE_HANDLER;
}

LPTOP_LEVEL_EXCEPTION_FILTER WINAPI NoOpSetFilter(LPTOP_LEVEL_EXCEPTION_FILTER) { return nullptr; }

ApplyStatus ApplyRecordCrashInfo() {
  // "Already exists" may be a file of that name, where no report can go.
  for (const char* folder : kFoldersToCreate) {
    CreateDirectoryA(folder, nullptr);
    const DWORD attributes = GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      ShowMessage("Failed to create directory: %s", kCrashFolder);
      return kSetUpFailed;
    }
  }
  const int32_t value = GetSetting("RecordCrashInfo", -1);
  if ((value & kInstallBit) == 0) return kInert;
  if (value & kFixedFileBit) TimestampedCrashFile = false;
  if (value & kReportKnownCrashBit) SkipKnownCrash = false;
  if (value & kAppendBit) AppendCrashFile = true;
  if (value & kForceExecuteBit) ForceExecuteHandler = true;
  if (value & kDetailsBit) {
    WriteDetails = true;
  }
  // A failed start is noted in the report of the crash, where it matters.
  if (value & kMinidumpBit) {
    WriteDump = true;
    StartMinidumpWriter();
  }

  // A second installation would find the recorder itself as the previous
  // filter and call itself for ever.
  const LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(CrashFilter);
  if (previous != CrashFilter) g_previousFilter = previous;

  const auto noOp = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&NoOpSetFilter));
  return InstallPatches({{kSetFilterImportSlot, nullptr, &noOp}});
}
