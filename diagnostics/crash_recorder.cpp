#include "diagnostics/crash_recorder.h"

#include <ctime>

#include "diagnostics/crash_recorder_sites.h"
#include "diagnostics/text_builder.h"
#include "patch/fault_guard.h"
#include "patch/frame_sites.h"
#include "patch/messages.h"
#include "patch/patch_writer.h"
#include "plugin/apply.h"
#include "plugin/known_crash.h"
#include "plugin/settings.h"

using namespace host;

namespace {

constexpr const char* kCrashFolder = "./Data/QORV/Plugins/CrashLog";
constexpr const char* kFoldersToCreate[] = {"./Data/QORV", "./Data/QORV/Plugins", kCrashFolder};
constexpr const char* kAppendSeparator = "===================================\n";
constexpr int kStackWordsListed = 256;

constexpr int32_t kInstallBit = 0x01;
constexpr int32_t kFixedFileBit = 0x02;
constexpr int32_t kReportKnownCrashBit = 0x04;
constexpr int32_t kAppendBit = 0x08;
constexpr int32_t kForceExecuteBit = 0x10;

// Written by the apply function at load, read by the filter.
bool TimestampedCrashFile = true;
bool SkipKnownCrash = true;
bool AppendCrashFile = false;
bool ForceExecuteHandler = false;
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;

// The filter may run on a thread that has overflowed its stack, so all it
// builds lives here rather than in locals.
volatile LONG g_filterEntered = 0;
char g_timeText[80];
char g_reportPath[260];
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

void BuildReportPath() {
  TextBuilder path(g_reportPath);
  path.Append(kCrashFolder);
  if (TimestampedCrashFile) {
    path.Append("/crash_").Append(g_timeText).Append(".txt");
  } else {
    path.Append("/crash_last.txt");
  }
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

bool LittleStackLeft() {
  const char here = 0;
  uintptr_t bottom;  // the TEB's DeallocationStack: the lowest address the stack may reach
  asm("movl %%fs:0xE0C, %0" : "=r"(bottom));
  return reinterpret_cast<uintptr_t>(&here) - bottom < kStackNeededForReport;
}

void WriteCrashReportWithEnoughStack(EXCEPTION_POINTERS* exception) {
  if (LittleStackLeft()) {
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
  BuildReportPath();
  HANDLE file = CreateFileA(g_reportPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            AppendCrashFile ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    ShowMessage("Failed to open file for writing: \"%s\"", g_reportPath);
    return;
  }
  const DWORD length = ComposeReport(context);
  if (AppendCrashFile) SetFilePointer(file, 0, nullptr, FILE_END);
  DWORD written = 0;
  WriteFile(file, g_report, length, &written, nullptr);
  // Closed before the filter returns: the process may be gone right after.
  CloseHandle(file);
  TextBuilder(g_reportPath).Append("Game has crashed with exception address 0x").AppendHex(context.Eip).Append("!");
  LogMessageToFile(g_reportPath);
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* exception) {
  bool reportAttempted = false;
  // Set before the report, so that a fault inside the writer, or a crash on
  // another thread meanwhile, never writes a second one.
  if (InterlockedExchange(&g_filterEntered, 1) == 0) {
    const bool userWasTold = SkipKnownCrash && KnownCrashReason != 0;
    if (!userWasTold && exception->ContextRecord->Eip != kIgnoredFaultAddress) {
      WriteCrashReportWithEnoughStack(exception);
      reportAttempted = true;
    }
  }
  if (g_previousFilter != nullptr) g_previousFilter(exception);
  return reportAttempted && !ForceExecuteHandler ? EXCEPTION_CONTINUE_SEARCH : EXCEPTION_EXECUTE_HANDLER;
}

LPTOP_LEVEL_EXCEPTION_FILTER WINAPI NoOpSetFilter(LPTOP_LEVEL_EXCEPTION_FILTER) { return nullptr; }

bool ApplyRecordCrashInfo() {
  for (const char* folder : kFoldersToCreate) {
    if (!CreateDirectoryA(folder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      ShowMessage("Failed to create directory: %s", kCrashFolder);
      return false;
    }
  }
  const int32_t value = GetSetting("RecordCrashInfo", -1);
  if ((value & kInstallBit) == 0) return true;
  if (value & kFixedFileBit) TimestampedCrashFile = false;
  if (value & kReportKnownCrashBit) SkipKnownCrash = false;
  if (value & kAppendBit) AppendCrashFile = true;
  if (value & kForceExecuteBit) ForceExecuteHandler = true;

  // A second installation would find the recorder itself as the previous
  // filter and call itself for ever.
  const LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(CrashFilter);
  if (previous != CrashFilter) g_previousFilter = previous;

  const auto noOp = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&NoOpSetFilter));
  return InstallPatches({{kSetFilterImportSlot, nullptr, &noOp}});
}
