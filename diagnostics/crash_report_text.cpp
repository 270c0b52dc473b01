#include "diagnostics/crash_report_text.h"

#include "core/text_builder.h"
#include "diagnostics/crash_recorder_sites.h"
#include "diagnostics/crash_summary.h"
#include "patch/fault_guard.h"
#include "patch/frame_sites.h"

namespace {

constexpr const char* kAppendSeparator = "===================================\n";
constexpr int kStackWordsListed = 256;

// Static, not locals: the filter may run on a thread that has overflowed
// its stack.
StackWordsText g_usefulWords;
StackWordsText g_allWords;
char g_report[2 * kStackWordsTextSize + 512 + kCrashSummarySize];

void AppendRegister(TextBuilder& report, const char* name, DWORD value) {
  report.Append(name).Append("(").AppendHex(value).Append("); ");
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

void FormatCrashTime(CrashTimeText& out) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  TextBuilder(out)
      .AppendDecimal(now.wYear, 4).Append("_").AppendDecimal(now.wMonth, 2).Append("_").AppendDecimal(now.wDay, 2)
      .Append("_").AppendDecimal(now.wHour, 2).Append("-").AppendDecimal(now.wMinute, 2).Append("-")
      .AppendDecimal(now.wSecond, 2);
}

const char* ComposeClassicReport(const CONTEXT& context, const char* time, bool withSeparator, const char* summary,
                                 DWORD* length) {
  TextBuilder report(g_report, TextBuilder::kCrLf);
  if (withSeparator) report.Append(kAppendSeparator);
  report.Append("Crash info:\n").Append(time).Append(" - ").AppendHex(context.Eip).Append(": V(1); ");
  AppendRegister(report, "EAX", context.Eax);
  AppendRegister(report, "EBX", context.Ebx);
  AppendRegister(report, "ECX", context.Ecx);
  AppendRegister(report, "EDX", context.Edx);
  AppendRegister(report, "ESI", context.Esi);
  AppendRegister(report, "EDI", context.Edi);
  AppendRegister(report, "EBP", context.Ebp);
  AppendRegister(report, "ESP", context.Esp);
  report.Append("STACK(").Append(FormatStackWords(context.Esp, true, g_usefulWords)).Append(");");
  if (summary != nullptr) report.Append(summary);
  report.Append("\n\nNot so useful info (don't post unless asked):\n");
  report.Append("STACK_FULL(").Append(FormatStackWords(context.Esp, false, g_allWords)).Append(");\n");
  *length = static_cast<DWORD>(report.Length());
  return g_report;
}
