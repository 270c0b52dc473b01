#include "diagnostics/debug_stream.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <list>
#include <memory>
#include <mutex>
#include <vector>

#include "core/known_crash.h"
#include "diagnostics/crash_report_text.h"
#include "diagnostics/debug_stream_sites.h"
#include "patch/fault_guard.h"
#include "patch/hook_asm.h"
#include "patch/messages.h"
#include "patch/patch_writer.h"

using namespace host;

namespace {

constexpr uint32_t kFailedOpen = 0xFFFFFFFF;
constexpr size_t kRecentFilesKept = 8;

struct RecentFile {
  std::unique_ptr<char[]> name;  // null when the host gave none
  uint64_t openedAt;
};

std::recursive_mutex g_recentFilesLock;
std::list<RecentFile> g_recentFiles;  // oldest first
std::recursive_mutex g_readerThreadsLock;
std::vector<DWORD> g_streamReaderThreads;  // one element per running read
uint64_t SystemClock() { return GetTickCount64(); }
MillisecondClock g_clock = SystemClock;

using HostStreamRead = uint32_t(__thiscall*)(void* stream, uint32_t first, uint32_t second);

std::unique_ptr<char[]> CopyName(const char* name) {
  if (name == nullptr) return nullptr;
  const size_t size = std::strlen(name) + 1;
  auto copy = std::make_unique<char[]>(size);
  std::memcpy(copy.get(), name, size);
  return copy;
}

void FormatAge(uint64_t milliseconds, char (&out)[32]) {
  const float seconds = static_cast<float>(static_cast<double>(milliseconds) / 1000.0);
  if (seconds < 1.0f) {
    std::snprintf(out, sizeof out, "%f", seconds);
  } else if (seconds < 2.0f) {
    std::snprintf(out, sizeof out, "%.3f", seconds);
  } else if (seconds < 4.0f) {
    std::snprintf(out, sizeof out, "%.2f", seconds);
  } else if (seconds < 10.0f) {
    std::snprintf(out, sizeof out, "%.1f", seconds);
  } else {
    std::snprintf(out, sizeof out, "%d", static_cast<int>(seconds));
  }
}

bool CurrentThreadIsReading() {
  std::lock_guard<std::recursive_mutex> lock(g_readerThreadsLock);
  return std::find(g_streamReaderThreads.begin(), g_streamReaderThreads.end(), GetCurrentThreadId()) !=
         g_streamReaderThreads.end();
}

}  // namespace

void SetRecentFileClock(MillisecondClock clock) { g_clock = clock; }

void RecordOpenedFile(uint32_t handleField, const char* name) {
  if (handleField == kFailedOpen) return;
  std::lock_guard<std::recursive_mutex> lock(g_recentFilesLock);
  g_recentFiles.push_back(RecentFile{CopyName(name), g_clock()});
  if (g_recentFiles.size() > kRecentFilesKept) g_recentFiles.pop_front();
}

void AppendRecentFiles(std::string& text) {
  const uint64_t now = g_clock();
  std::lock_guard<std::recursive_mutex> lock(g_recentFilesLock);
  for (auto file = g_recentFiles.rbegin(); file != g_recentFiles.rend(); ++file) {
    char age[32];
    FormatAge(now - file->openedAt, age);
    if (!text.empty()) text += "\n\n";
    text += '"';
    text += file->name ? file->name.get() : "";
    text += "\" ";
    text += age;
    text += " seconds ago.";
  }
}

void ReportStreamReadFailure() {
  if (KnownCrashReason != 0) return;
  std::string text =
      "Game has crashed while reading binary data stream! This could indicate a corrupt NIF file. Here are the "
      "last opened files starting from most recent:";
  AppendRecentFiles(text);
  KnownCrashReason = kCrashStreamReadReport;
  ShowText(text.c_str());
}

void ReportStringSetFailure(uint32_t stackStart) {
  if (CurrentThreadIsReading()) {
    ReportStreamReadFailure();
    EndProcessAfterKnownCrash(kCrashStringSetInRead);
  }
  static StackWordsText stackWords;
  std::string text = "Game has crashed while setting string (this could still be corrupt NIF crash), stack: ";
  text += FormatStackWords(stackStart, true, stackWords);
  AppendRecentFiles(text);
  ShowText(text.c_str());
  EndProcessAfterKnownCrash(kCrashStringSetOutsideRead);
}

namespace {

uint32_t __cdecl WrapStreamRead(void* stream, uint32_t first, uint32_t second) {
  const DWORD thread = GetCurrentThreadId();
  {
    std::lock_guard<std::recursive_mutex> lock(g_readerThreadsLock);
    g_streamReaderThreads.push_back(thread);
  }
  const uint32_t result = reinterpret_cast<HostStreamRead>(kStreamRead)(stream, first, second);
  std::lock_guard<std::recursive_mutex> lock(g_readerThreadsLock);
  auto entry = std::find(g_streamReaderThreads.begin(), g_streamReaderThreads.end(), thread);
  if (entry != g_streamReaderThreads.end()) g_streamReaderThreads.erase(entry);
  return result;
}

// The host then reads the same word itself; a fault here means it would
// crash there.
void __cdecl GuardStringSet(uint32_t object, uint32_t stackStart) {
  uint32_t word = 0;
  if (!GuardedReadWord(reinterpret_cast<const void*>(static_cast<uintptr_t>(object + 4)), &word)) {
    ReportStringSetFailure(stackStart);
  }
}

}  // namespace

// The name is the host's argument at [ESP+8] after its call; SAVE_ALL moves
// it 0x24 further away.
HOOK_BODY(DebugStream_OpenFile,
          CALL_HOST(kOpenFile)
          SAVE_ALL
          "push dword ptr [esp+0x2C]\n"
          "push dword ptr [esi+4]\n"
          CALL_PLUGIN(RecordOpenedFile)
          "add esp, 8\n"
          RESTORE_ALL
          CONTINUE_AFTER(kDebugStreamOpenFile),
          HOST_ADDRESS(kOpenFile), RESUME_OF(kDebugStreamOpenFile), PLUGIN_FUNCTION(RecordOpenedFile))

// Drops the host's two arguments as the host routine would have.
HOOK_BODY(DebugStream_StreamRead,
          "push dword ptr [esp+4]\n"
          "push dword ptr [esp+4]\n"
          "push ecx\n"
          CALL_PLUGIN(WrapStreamRead)
          "add esp, 20\n"
          CONTINUE_AFTER(kDebugStreamStreamRead),
          RESUME_OF(kDebugStreamStreamRead), PLUGIN_FUNCTION(WrapStreamRead))

HOOK_BODY(DebugStream_StringSet,
          SAVE_ALL
          "lea eax, [esp+0x24]\n"
          "push eax\n"
          "push edi\n"
          CALL_PLUGIN(GuardStringSet)
          "add esp, 8\n"
          RESTORE_ALL
          "mov eax, [edi+4]\n"
          "add edi, 4\n"
          CONTINUE_AFTER(kDebugStreamStringSet),
          RESUME_OF(kDebugStreamStringSet), PLUGIN_FUNCTION(GuardStringSet))

ApplyStatus ApplyDebugStream() {
  return InstallPatches({{kDebugStreamOpenFile, &DebugStream_OpenFile},
                         {kDebugStreamStreamRead, &DebugStream_StreamRead},
                         {kDebugStreamStringSet, &DebugStream_StringSet}});
}
