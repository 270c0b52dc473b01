#include "diagnostics/minidump_writer.h"

#include <dbghelp.h>

#include <atomic>
#include <cstring>

#include "core/text_builder.h"
#include "patch/static_file.h"

namespace {

using MiniDumpWriteDumpFunction = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
                                                 PMINIDUMP_EXCEPTION_INFORMATION,
                                                 PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);

// Thread lists with stacks, the module list and the exception come with
// every dump; the memory that stacks point to is asked for on top.
constexpr auto kDumpType = static_cast<MINIDUMP_TYPE>(MiniDumpWithIndirectlyReferencedMemory);

MiniDumpWriteDumpFunction g_writeDump = nullptr;
bool g_writerStarted = false;
HANDLE g_requested = nullptr;
HANDLE g_finished = nullptr;
char g_folder[260];

// Filled by the faulting thread before g_requested is set, read by the
// writer after it; the failure is read back after g_finished.
EXCEPTION_POINTERS* g_exception = nullptr;
DWORD g_faultingThread = 0;
const char* g_path = nullptr;
const char* g_failure = nullptr;

constexpr ULONG32 kDumpSignature = 0x504D444D;  // "MDMP"

bool ReadAt(HANDLE file, DWORD offset, void* out, DWORD length) {
  DWORD read = 0;
  return SetFilePointer(file, static_cast<LONG>(offset), nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
         ReadFile(file, out, length, &read, nullptr) && read == length;
}

bool InFile(const MINIDUMP_LOCATION_DESCRIPTOR& at, DWORD size) {
  return at.Rva <= size && at.DataSize <= size - at.Rva;
}

bool MemoryRangesInFile(HANDLE file, RVA list, DWORD size) {
  ULONG32 count = 0;
  if (!ReadAt(file, list, &count, sizeof count)) return false;
  for (ULONG32 i = 0; i < count; ++i) {
    MINIDUMP_MEMORY_DESCRIPTOR range;
    if (!ReadAt(file, list + sizeof count + i * sizeof range, &range, sizeof range) || !InFile(range.Memory, size)) {
      return false;
    }
  }
  return true;
}

// dbghelp may report success for a dump that the disk cut short: Wine's
// does not check its writes, and leaves the directory entries it could not
// write empty. A whole dump has its header, the threads, the modules and
// the exception, and every stream and every memory range (the bulk of the
// file) inside the file.
bool DumpIsWhole(HANDLE file, bool withException) {
  const DWORD size = GetFileSize(file, nullptr);
  MINIDUMP_HEADER header;
  if (size == INVALID_FILE_SIZE || !ReadAt(file, 0, &header, sizeof header) ||
      header.Signature != kDumpSignature) {
    return false;
  }
  const unsigned needed = 1u << ThreadListStream | 1u << ModuleListStream | (withException ? 1u << ExceptionStream : 0);
  unsigned found = 0;
  for (ULONG32 i = 0; i < header.NumberOfStreams; ++i) {
    MINIDUMP_DIRECTORY entry;
    if (!ReadAt(file, header.StreamDirectoryRva + i * sizeof entry, &entry, sizeof entry) ||
        !InFile(entry.Location, size)) {
      return false;
    }
    if (entry.StreamType == MemoryListStream && !MemoryRangesInFile(file, entry.Location.Rva, size)) return false;
    if (entry.StreamType < 32) found |= 1u << entry.StreamType;
  }
  return (found & needed) == needed;
}

// The dump is shared for deletion, so that a faulting thread that gave up
// waiting can delete it while this thread still writes. Without an
// exception the dump has none, only every thread as it stands.
const char* WriteDumpAlone(const char* path, EXCEPTION_POINTERS* exception, DWORD thread) {
  HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "the file could not be opened";
  MINIDUMP_EXCEPTION_INFORMATION information{thread, exception, FALSE};
  const char* failure = nullptr;
  if (!g_writeDump(GetCurrentProcess(), GetCurrentProcessId(), file, kDumpType,
                   exception != nullptr ? &information : nullptr, nullptr, nullptr)) {
    failure = "dbghelp could not write it";
  } else if (!DumpIsWhole(file, exception != nullptr)) {
    failure = "the disk took only part of it";
  }
  if (!CloseHandle(file) && failure == nullptr) failure = "the file could not be closed";
  if (failure != nullptr) DeleteFileA(path);
  return failure;
}

// dbghelp serves one caller at a time: a crash's dump that comes while a
// freeze's is being written is not written, rather than waited for.
const char* WriteDump(const char* path, EXCEPTION_POINTERS* exception, DWORD thread) {
  static std::atomic<bool> busy_acquire{false};
  if (busy_acquire.exchange(true, std::memory_order_acquire)) return "another dump was being written";
  const char* failure = WriteDumpAlone(path, exception, thread);
  busy_acquire.store(false, std::memory_order_release);
  return failure;
}

// Serves one request at a time, for as long as the process lives.
DWORD WINAPI WriteRequestedMinidumps(void*) {
  for (;;) {
    WaitForSingleObject(g_requested, INFINITE);
    g_failure = WriteDump(g_path, g_exception, g_faultingThread);
    if (g_failure == nullptr) PruneOldDumps(g_folder);
    SetEvent(g_finished);
  }
}

// The newest dumps found so far, newest first.
struct KeptDump {
  FILETIME written;
  char name[MAX_PATH];
};
KeptDump g_kept[kDumpsKept];
int g_keptCount = 0;
char g_pattern[MAX_PATH];
char g_doomed[MAX_PATH];

bool Newer(const WIN32_FIND_DATAA& found, const KeptDump& kept) {
  const LONG order = CompareFileTime(&found.ftLastWriteTime, &kept.written);
  return order > 0 || (order == 0 && std::strcmp(found.cFileName, kept.name) > 0);
}

bool IsKept(const WIN32_FIND_DATAA& found) {
  for (int i = 0; i < g_keptCount; ++i) {
    if (std::strcmp(found.cFileName, g_kept[i].name) == 0) return true;
  }
  return false;
}

void Remember(const WIN32_FIND_DATAA& found) {
  if (g_keptCount == kDumpsKept && !Newer(found, g_kept[kDumpsKept - 1])) return;
  int slot = g_keptCount < kDumpsKept ? g_keptCount++ : kDumpsKept - 1;
  for (; slot > 0 && Newer(found, g_kept[slot - 1]); --slot) g_kept[slot] = g_kept[slot - 1];
  g_kept[slot].written = found.ftLastWriteTime;
  TextBuilder(g_kept[slot].name).Append(found.cFileName);
}

// Calls visit for each file of the folder that matches the pattern.
template <typename Visit>
void ForEachDump(const char* folder, const char* pattern, Visit visit) {
  TextBuilder(g_pattern).Append(folder).Append("\\").Append(pattern);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(g_pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) visit(found);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

constexpr const char* kDumpPatterns[] = {"crash_*.dmp", "freeze_*.dmp"};

}  // namespace

bool StartMinidumpWriter(const char* folder) {
  if (g_writerStarted) return true;
  TextBuilder(g_folder).Append(folder);
  HMODULE dbghelp = LoadLibraryA("dbghelp.dll");
  if (dbghelp == nullptr) return false;
  g_writeDump = reinterpret_cast<MiniDumpWriteDumpFunction>(
      reinterpret_cast<void*>(GetProcAddress(dbghelp, "MiniDumpWriteDump")));
  if (g_writeDump == nullptr) return false;
  g_requested = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  g_finished = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (g_requested == nullptr || g_finished == nullptr) return false;
  HANDLE writer = CreateThread(nullptr, 0, WriteRequestedMinidumps, nullptr, 0, nullptr);
  if (writer == nullptr) return false;
  CloseHandle(writer);
  g_writerStarted = true;
  return true;
}

const char* WriteMinidump(EXCEPTION_POINTERS* exception, const char* path) {
  if (!g_writerStarted) return "dbghelp or its thread was not ready at start";
  g_exception = exception;
  g_faultingThread = GetCurrentThreadId();
  g_path = path;
  SetEvent(g_requested);
  if (WaitForSingleObject(g_finished, kMinidumpWaitMilliseconds) != WAIT_OBJECT_0) {
    DeleteStaticFile(path);
    return "not finished in time";
  }
  return g_failure;
}

const char* WriteMinidumpOfEveryThread(const char* path) {
  if (!g_writerStarted) return "dbghelp or its thread was not ready at start";
  const char* failure = WriteDump(path, nullptr, 0);
  if (failure == nullptr) PruneOldDumps(g_folder);
  return failure;
}

void PruneOldDumps(const char* folder) {
  // A crash's dump and a freeze's may finish together: the second pruner
  // leaves the work to the first, and the next dump catches up on its own.
  static std::atomic<bool> pruning_acquire{false};
  if (pruning_acquire.exchange(true, std::memory_order_acquire)) return;
  g_keptCount = 0;
  for (const char* pattern : kDumpPatterns) ForEachDump(folder, pattern, Remember);
  for (const char* pattern : kDumpPatterns) {
    ForEachDump(folder, pattern, [folder](const WIN32_FIND_DATAA& found) {
      if (IsKept(found)) return;
      TextBuilder(g_doomed).Append(folder).Append("\\").Append(found.cFileName);
      DeleteFileA(g_doomed);
    });
  }
  pruning_acquire.store(false, std::memory_order_release);
}
