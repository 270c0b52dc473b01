#include "diagnostics/minidump_writer.h"

#include <dbghelp.h>

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

// Filled by the faulting thread before g_requested is set, read by the
// writer after it; the failure is read back after g_finished.
EXCEPTION_POINTERS* g_exception = nullptr;
DWORD g_faultingThread = 0;
const char* g_path = nullptr;
const char* g_failure = nullptr;

DWORD WINAPI WriteRequestedMinidump(void*) {
  WaitForSingleObject(g_requested, INFINITE);
  HANDLE file = CreateFileA(g_path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    g_failure = "the file could not be opened";
  } else {
    MINIDUMP_EXCEPTION_INFORMATION exception{g_faultingThread, g_exception, FALSE};
    if (!g_writeDump(GetCurrentProcess(), GetCurrentProcessId(), file, kDumpType, &exception, nullptr, nullptr)) {
      g_failure = "dbghelp could not write it";
    }
    CloseHandle(file);
  }
  SetEvent(g_finished);
  return 0;
}

}  // namespace

bool StartMinidumpWriter() {
  HMODULE dbghelp = LoadLibraryA("dbghelp.dll");
  if (dbghelp == nullptr) return false;
  g_writeDump = reinterpret_cast<MiniDumpWriteDumpFunction>(
      reinterpret_cast<void*>(GetProcAddress(dbghelp, "MiniDumpWriteDump")));
  if (g_writeDump == nullptr) return false;
  g_requested = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  g_finished = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (g_requested == nullptr || g_finished == nullptr) return false;
  HANDLE writer = CreateThread(nullptr, 0, WriteRequestedMinidump, nullptr, 0, nullptr);
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
  if (WaitForSingleObject(g_finished, kMinidumpWaitMilliseconds) != WAIT_OBJECT_0) return "not finished in time";
  return g_failure;
}
