#include "diagnostics/system_info.h"

#include <windows.h>

#include <cpuid.h>
#include <cstring>

namespace {

// Under Wine the memory status is read from the host system's files, with
// the host's C library: taken before a thread is suspended, which may hold
// its locks, and used once.
MEMORYSTATUSEX g_memory;
bool g_memoryRead = false;
bool g_memoryTaken = false;

constexpr uint32_t kMegabyte = 1024 * 1024;
constexpr int kMaxRegionsWalked = 1 << 20;  // far above what a 4 GB space can hold

struct OsVersion {  // RTL_OSVERSIONINFOW, of which only the numbers are kept
  ULONG size, major, minor, build, platform;
  WCHAR servicePack[128];
};
using RtlGetVersionFunction = LONG(WINAPI*)(OsVersion*);
using WineGetVersionFunction = const char*(CDECL*)();

OsVersion g_windows{};
char g_wineVersion[64];
char g_processor[49];
DWORD g_processorCount = 0;
uint32_t g_addressLimit = 0;  // one past the highest application address
ULONGLONG g_loadedAt = 0;

void ReadProcessorName() {
  unsigned words[12] = {};
  unsigned highest = __get_cpuid_max(0x80000000, nullptr);
  if (highest < 0x80000004) {
    std::strcpy(g_processor, "unknown");
    return;
  }
  for (unsigned i = 0; i < 3; ++i) {
    __get_cpuid(0x80000002 + i, &words[4 * i], &words[4 * i + 1], &words[4 * i + 2], &words[4 * i + 3]);
  }
  std::memcpy(g_processor, words, 48);
  g_processor[48] = '\0';
  // The brand string is padded with spaces, often in front.
  const char* start = g_processor;
  while (*start == ' ') ++start;
  std::memmove(g_processor, start, std::strlen(start) + 1);
  for (size_t n = std::strlen(g_processor); n > 0 && g_processor[n - 1] == ' '; --n) g_processor[n - 1] = '\0';
  // A virtual machine may hand any bytes back: the report shows text only.
  for (char* c = g_processor; *c != '\0'; ++c) {
    if (*c < 0x20 || *c > 0x7E) *c = '?';
  }
}

// Bytes of the address space that are reserved or committed.
uint64_t AddressSpaceInUse() {
  uint64_t used = 0;
  uintptr_t at = 0;
  MEMORY_BASIC_INFORMATION region;
  for (int i = 0; i < kMaxRegionsWalked && at < g_addressLimit; ++i) {
    if (VirtualQuery(reinterpret_cast<const void*>(at), &region, sizeof region) == 0) break;
    if (region.State != MEM_FREE) used += region.RegionSize;
    const uintptr_t next = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return used;
}

}  // namespace

void PrepareSystemInfo() {
  g_loadedAt = GetTickCount64();
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (ntdll != nullptr) {
    const auto getVersion = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    g_windows.size = sizeof g_windows;
    if (getVersion == nullptr || getVersion(&g_windows) != 0) g_windows.major = 0;
    const auto wineVersion = reinterpret_cast<WineGetVersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")));
    if (wineVersion != nullptr) TextBuilder(g_wineVersion).Append(wineVersion());
  }
  ReadProcessorName();
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  g_processorCount = system.dwNumberOfProcessors;
  g_addressLimit = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(system.lpMaximumApplicationAddress)) + 1;
}

void TakeMemoryStatus() {
  g_memory.dwLength = sizeof g_memory;
  g_memoryRead = GlobalMemoryStatusEx(&g_memory) != FALSE;
  g_memoryTaken = true;
}

void AppendSystemInfo(TextBuilder& out) {
  out.Append("System:\n");
  if (g_windows.major != 0) {
    out.Append("  Windows ").AppendDecimal(g_windows.major).Append(".").AppendDecimal(g_windows.minor);
    out.Append(" build ").AppendDecimal(g_windows.build).Append("\n");
  }
  if (g_wineVersion[0] != '\0') out.Append("  Wine ").Append(g_wineVersion).Append("\n");
  out.Append("  Processor: ").Append(g_processor).Append(", ").AppendDecimal(g_processorCount)
      .Append(" logical cores\n");
  if (!g_memoryTaken) TakeMemoryStatus();
  g_memoryTaken = false;
  if (g_memoryRead) {
    out.Append("  Physical memory: ").AppendDecimal(static_cast<uint32_t>(g_memory.ullTotalPhys / kMegabyte));
    out.Append(" MB, ").AppendDecimal(static_cast<uint32_t>(g_memory.ullAvailPhys / kMegabyte)).Append(" MB free\n");
  }
  out.Append("  Address space: ").AppendDecimal(static_cast<uint32_t>(AddressSpaceInUse() / kMegabyte));
  out.Append(" MB used of ").AppendDecimal(static_cast<uint32_t>(static_cast<uint64_t>(g_addressLimit) / kMegabyte))
      .Append(" MB\n");
  out.Append("  Orrisbane loaded ").AppendDecimal(static_cast<uint32_t>((GetTickCount64() - g_loadedAt) / 1000))
      .Append(" s ago\n");
  out.Append("  Orrisbane " ORRISBANE_VERSION "\n");
}
