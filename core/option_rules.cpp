#include "core/option_rules.h"

#include <cctype>
#include <iterator>

namespace option_rules {
namespace {

bool SameWord(std::string_view text, std::string_view word) {
  if (text.size() != word.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != word[i]) return false;
  }
  return true;
}

constexpr ValueRead kValueReads[] = {
    {"UseOSAllocators", "AlignHeapAllocate", 0,
     "its own hooks are not installed; its value makes the system heap hand out 16-byte aligned blocks"},
    {"CustomMemoryBlock", "AlignHeapAllocate", 0, "the pools lay out their slots 16-byte aligned"},
    {"CustomMemoryBlock", "CustomMemoryBlockTotalSizeMb", -1, "the pools' total size in MB"},
    {"RunAllocatorBenchmark", "CountAllocatorBenchmark", -1, "allocations per run"},
    {"RunAllocatorBenchmark", "TimesAllocatorBenchmark", -1, "runs measured"},
    {"RunAllocatorBenchmark", "ThreadsAllocatorBenchmark", -1, "threads in the threaded test"},
    {"FreezeReportSeconds", "RecordCrashInfo", -1, "its bit 64 puts a minidump beside each freeze report"},
};

}  // namespace

EnbBool ReadEnbBool(std::string_view value) {
  value = value.substr(0, kEnbValueChars);
  while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
  if (SameWord(value, "true") || value == "1") return EnbBool::kTrue;
  if (SameWord(value, "false") || value == "0") return EnbBool::kFalse;
  return EnbBool::kNeither;
}

bool ValueInstallsNothing(std::string_view key, int32_t value) {
  return key == "RecordCrashInfo" && value > 0 && (value & kCrashReportInstallBit) == 0;
}

std::span<const ValueRead> ValueReads() { return kValueReads; }

int32_t ReadValue(const ValueRead& read) { return GetSetting(read.key, read.fallback); }

const ValueRead* FindValueRead(std::string_view reader, std::string_view key) {
  for (const ValueRead& read : kValueReads) {
    if (reader == read.reader && key == read.key) return &read;
  }
  return nullptr;
}

}  // namespace option_rules
