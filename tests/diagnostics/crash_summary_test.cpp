#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diagnostics/crash_summary.h"
#include "sim/host_memory.h"
#include "tests/diagnostics/diagnostics_fixture.h"

using namespace diagnostics_test;

namespace {

constexpr DWORD kCppException = 0xE06D7363;
constexpr ULONG_PTR kThrowMagic = 0x19930520;
constexpr uint32_t kCopyFaultReturn = 0x14;  // CrashModCopyFault's call of memcpy ends there

std::string CrashModPath() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of("\\/") + 1) + "CrashMod.dll";
}

// The culprit rule on hand-made threads: the mod's own fault, a C++
// exception the mod threw (raised in the system), the mod as the caller of
// a system function that faulted, and a game crash whose stack holds only a
// function pointer of the mod.
TEST(CrashSummary, TheCulpritIsTheFirstModuleThatIsNeitherTheGameNorTheSystem) {
  HMODULE mod = LoadLibraryA(CrashModPath().c_str());
  ASSERT_NE(mod, nullptr);
  const auto exported = [mod](const char* name) { return AddressOf(reinterpret_cast<void*>(GetProcAddress(mod, name))); };
  const uint32_t raise = AddressOf(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernelbase.dll"), "RaiseException")));
  ASSERT_NE(raise, 0u);
  // The stack: one page of words, an unreadable page after it.
  auto* page = static_cast<uint32_t*>(VirtualAlloc(nullptr, 0x2000, MEM_COMMIT, PAGE_READWRITE));
  DWORD protection = 0;
  VirtualProtect(reinterpret_cast<uint8_t*>(page) + 0x1000, 0x1000, PAGE_NOACCESS, &protection);
  uint32_t* const stackEnd = page + 0x1000 / 4;

  const struct {
    const char* what;
    uint32_t eip;
    std::vector<uint32_t> stack;
    std::vector<ULONG_PTR> cppThrow;  // the exception's parameters when it is a C++ one
    const char* culprit;              // null: none
    CulpritReason reason;
    std::string line;
  } cases[] = {
      {"the mod's fault", exported("CrashModReadFault") + 3, {}, {}, "CrashMod.dll", CulpritReason::kFaultedInIt,
       "Probable culprit: CrashMod.dll 1.2.3.4 (the crash happened in it)\r\n"},
      {"its throw", raise, {kUnpatchedHostCode + 5}, {kThrowMagic, 0, exported("CrashModVtables")}, "CrashMod.dll",
       CulpritReason::kThrewIt, "Probable culprit: CrashMod.dll 1.2.3.4 (it threw the C++ exception that nothing caught)\r\n"},
      {"its call", raise, {0, exported("CrashModWriteFault"), exported("CrashModCopyFault") + kCopyFaultReturn}, {},
       "CrashMod.dll", CulpritReason::kFirstInCallStack,
       "Probable culprit: CrashMod.dll 1.2.3.4 (first mod module in the call stack; the crash happened in "},
      {"the game's", kUnpatchedHostCode, {exported("CrashModWriteFault"), kUnpatchedHostCode}, {}, nullptr,
       CulpritReason::kNone, "Probable culprit: none found: every frame belongs to the game or the system."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::fill(page, stackEnd, 0u);
    std::copy(c.stack.begin(), c.stack.end(), stackEnd - 64);
    CONTEXT context{};
    context.Eip = c.eip;
    context.Esp = AddressOf(stackEnd - 64);
    EXCEPTION_RECORD record{};
    record.ExceptionCode = c.cppThrow.empty() ? EXCEPTION_ACCESS_VIOLATION : kCppException;
    for (ULONG_PTR parameter : c.cppThrow) record.ExceptionInformation[record.NumberParameters++] = parameter;

    CulpritReason reason{};
    const LoadedModule* culprit = ProbableCulprit(context, &record, &reason);
    EXPECT_EQ(culprit == nullptr ? std::string("none") : culprit->name, c.culprit == nullptr ? "none" : c.culprit);
    EXPECT_EQ(reason, c.reason);
    DWORD length = 0;
    const std::string summary = ComposeCrashSummary(context, &record, &length);
    EXPECT_EQ(summary.size(), length);
    EXPECT_EQ(summary.rfind("\r\n\r\nSummary:\r\n" + c.line, 0), 0u) << summary;
    EXPECT_EQ(summary.substr(summary.rfind("\r\n") + 2), "The culprit named here is the most likely one, not a certain one.");
  }
  VirtualFree(page, 0, MEM_RELEASE);
  FreeLibrary(mod);
}

TEST(CrashSummary, SystemModulesAreKnownByNameInAnyCase) {
  for (const char* name : {"ntdll.dll", "KERNELBASE.dll", "msvcr120.dll", "MSVCP140.dll", "vcruntime140.dll",
                           "ucrtbase.dll", "d3d9.dll", "d3d11.dll", "dxgi.dll", "opengl32.dll", "USER32.dll",
                           "winex11.drv", "nvd3dum.dll"}) {
    EXPECT_TRUE(IsSystemModule(name)) << name;
  }
  for (const char* name : {"CrashMod.dll", "Orrisbane.dll", "Vellmoor.exe", "ntdll.dll.bak", "mykernel32.dll"}) {
    EXPECT_FALSE(IsSystemModule(name)) << name;
  }
}

}  // namespace
