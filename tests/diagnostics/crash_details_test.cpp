#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "diagnostics/exception_description.h"
#include "patch/frame_sites.h"
#include "sim/host_diagnostics.h"
#include "sim/host_memory.h"
#include "sim/loader.h"
#include "tests/diagnostics/diagnostics_fixture.h"

using namespace diagnostics_test;

namespace {

constexpr uint32_t kModCallSite = kUnpatchedHostCode;
constexpr uint32_t kVtableInHostImage = 0x1500004;  // the word before it leads to the locator
constexpr int kDetailsAndDump = 0x63;                // one crash_last.txt, details, minidump
constexpr uint32_t kPageFaultUnderEmulation = 0xC000001D;

std::string BesideThisProgram(const char* name) {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of("\\/") + 1) + name;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

void ExpectContains(const std::string& text, const std::vector<std::string>& parts) {
  for (const std::string& part : parts) EXPECT_TRUE(Contains(text, part)) << "no \"" << part << "\" in\n" << text;
}

// The parts of a minidump the tests read back.
struct Minidump {
  std::string bytes;
  uint32_t Word(size_t offset) const {
    uint32_t word = 0;
    if (offset + 4 <= bytes.size()) std::memcpy(&word, bytes.data() + offset, 4);
    return word;
  }
  // The stream's offset in the file, or 0.
  uint32_t Stream(uint32_t type) const {
    for (uint32_t i = 0; i < Word(8); ++i) {
      if (Word(Word(12) + 12 * i) == type) return Word(Word(12) + 12 * i + 8);
    }
    return 0;
  }
  std::string ModuleNames() const {
    std::string names;
    const uint32_t list = Stream(4);
    for (uint32_t i = 0; list != 0 && i < Word(list); ++i) {
      const uint32_t name = Word(list + 4 + 108 * i + 20);
      for (uint32_t c = 0; c < Word(name) / 2; ++c) names += static_cast<char>(bytes[name + 4 + 2 * c]);
      names += "\n";
    }
    return names;
  }
};

// The real plugin, loaded as the script extender loads it, records a fault
// inside another mod's library that the host called.
TEST(CrashDetails, AFaultInAnotherModsLibraryIsNamedWithItsCallerObjectsAndStrings) {
  const std::string folder = sim::TempFolder("crash-in-mod");
  const auto child = sim::RunScenarioInChild("crash_in_mod", Quoted(folder) + " " + std::to_string(kDetailsAndDump));
  const std::string report = sim::ReadFile(folder + kCrashFolder + "\\crash_last.txt");

  HMODULE mod = LoadLibraryA(BesideThisProgram("CrashMod.dll").c_str());
  ASSERT_NE(mod, nullptr);
  const uint32_t faultOffset = AddressOf(reinterpret_cast<void*>(GetProcAddress(mod, "CrashModReadFault"))) -
                               AddressOf(mod) + 3;
  const uint32_t hostReturn = kModCallSite + 5 - AddressOf(GetModuleHandleA(nullptr));

  ExpectContains(report, {" - " + Hex(AddressOf(mod) + faultOffset) + ": V(1); ",
                          "\r\nFaulting module: CrashMod.dll+0x" + Hex(faultOffset) + " 1.2.3.4\r\n",
                          // the host's call, confirmed by the frame chain
                          ": diagnostics_tests.exe+0x" + Hex(hostReturn) + " *\r\n",
                          " object of class Outer::Inner\r\n",
                          " \"a \\\"string\\\" in ESI\\n\"\r\n",
                          " CrashMod.dll 1.2.3.4\r\n",  // in the module list
                          " Orrisbane.dll",
                          "\r\nOrrisbane options on: LogMessageToFile, RecordCrashInfo\r\n"});
  const std::string details = ");\r\n\r\nDetails:\r\nException: ";
  EXPECT_TRUE(Contains(report, details + "0xC0000005 access violation, reading address 0x10\r\n") ||
              Contains(report, details + "0xC000001D illegal instruction\r\n"))
      << report;
  EXPECT_TRUE(std::regex_search(report, std::regex("\r\n  EDX 0x[0-9A-F]+\r\n  ESI "))) << "nothing more\n" << report;
  EXPECT_EQ(report.substr(report.size() < 2 ? 0 : report.size() - 2), "\r\n");

  const Minidump dump{sim::ReadFile(folder + kCrashFolder + "\\crash_last.dmp")};
  ASSERT_EQ(dump.bytes.substr(0, 4), "MDMP") << child.output << report;
  const uint32_t exception = dump.Stream(6);
  ASSERT_NE(exception, 0u);
  EXPECT_TRUE(dump.Word(exception + 8) == EXCEPTION_ACCESS_VIOLATION ||
              dump.Word(exception + 8) == kPageFaultUnderEmulation)
      << Hex(dump.Word(exception + 8));
  EXPECT_EQ(dump.Word(exception + 24), AddressOf(mod) + faultOffset) << "the exception address";
  EXPECT_TRUE(Contains(dump.ModuleNames(), "Orrisbane.dll")) << dump.ModuleNames();
  FreeLibrary(mod);
}

// A crash in host code through the crash scenario of the recorder's tests,
// with details and dump on. After an overflow the faulting thread has no
// stack left: the recorder's reserve stack carries both the details and the
// hand-over to the dump's thread. A dump that cannot be written costs one
// line after a complete report.
TEST(CrashDetails, AHostCrashGetsTheClassicLinesTheDetailsAndADumpOrALineWhyNot) {
  const struct {
    const char* kind;
    const char* options;
    std::vector<std::string> parts;
    uint32_t dumpException;  // 0 when no dump can be written
  } cases[] = {
      {"overflow", "-",
       {" - 5ABC00: V(1); EAX(11); ", ");\r\n\r\nDetails:\r\nException: 0xC00000FD stack overflow\r\n",
        "\r\nFaulting module: diagnostics_tests.exe+0x"},
       EXCEPTION_STACK_OVERFLOW},
      {"access", "blocked-dump",
       {"\r\nOrrisbane options on: LogMessageToFile, RecordCrashInfo\r\n"
        "Minidump not written: the file could not be opened\r\n"},
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    const std::string folder = sim::TempFolder("crash-details");
    const auto child = sim::RunScenarioInChild("crash", Quoted(folder) + " " + std::to_string(kDetailsAndDump) + " " +
                                                            c.kind + " 5ABC00 " + c.options);
    const std::string report = sim::ReadFile(folder + kCrashFolder + "\\crash_last.txt");
    EXPECT_EQ(report.rfind("Crash info:\r\n", 0), 0u) << report;
    ExpectContains(report, c.parts);
    if (c.dumpException == 0) continue;
    EXPECT_FALSE(Contains(report, "Minidump not written")) << report;
    const Minidump dump{sim::ReadFile(folder + kCrashFolder + "\\crash_last.dmp")};
    ASSERT_EQ(dump.bytes.substr(0, 4), "MDMP") << child.output;
    EXPECT_EQ(dump.Word(dump.Stream(6) + 8), c.dumpException);
  }
}

TEST(CrashDetails, ExceptionsAreNamedWithWhatTheyTriedAndTheThrownType) {
  char text[256];
  const auto describe = [&text](DWORD code, const std::vector<ULONG_PTR>& parameters) {
    EXCEPTION_RECORD record{};
    record.ExceptionCode = code;
    for (ULONG_PTR parameter : parameters) record.ExceptionInformation[record.NumberParameters++] = parameter;
    TextBuilder out(text);
    AppendExceptionDescription(record, out);
    return std::string(text);
  };
  // Throw information as MSVC lays it out: throw info -> catchable type
  // array -> first catchable type -> type descriptor.
  struct {
    uint32_t typeDescriptor[2] = {0, 0};
    char name[32] = ".?AVbad_thing@game@@";
    uint32_t catchableType[2] = {0, 0};
    uint32_t catchableTypes[2] = {1, 0};
    uint32_t throwInfo[4] = {0, 0, 0, 0};
  } thrown;
  thrown.catchableType[1] = AddressOf(thrown.typeDescriptor);
  thrown.catchableTypes[1] = AddressOf(thrown.catchableType);
  thrown.throwInfo[3] = AddressOf(thrown.catchableTypes);
  const struct {
    DWORD code;
    std::vector<ULONG_PTR> parameters;
    std::string text;
  } cases[] = {
      {EXCEPTION_ACCESS_VIOLATION, {0, 0x10}, "0xC0000005 access violation, reading address 0x10"},
      {EXCEPTION_ACCESS_VIOLATION, {1, 0xABC}, "0xC0000005 access violation, writing address 0xABC"},
      {EXCEPTION_ACCESS_VIOLATION, {8, kModCallSite},
       "0xC0000005 access violation, executing address 0x" + Hex(kModCallSite)},
      {EXCEPTION_INT_DIVIDE_BY_ZERO, {}, "0xC0000094 integer divide by zero"},
      {EXCEPTION_PRIV_INSTRUCTION, {}, "0xC0000096 privileged instruction"},
      {0xE0001234, {}, "0xE0001234 unknown exception"},
      {0xE06D7363, {0x19930520, 0, AddressOf(thrown.throwInfo)},
       "0xE06D7363 C++ exception, thrown type game::bad_thing"},
      {0xE06D7363, {0x19930520, 0, sim::UnreadablePage()}, "0xE06D7363 C++ exception"},
  };
  for (const auto& c : cases) EXPECT_EQ(describe(c.code, c.parameters), c.text);
}

}  // namespace

// A hand-built object of class Outer::Inner (its vtable in the host's
// image), a string and a pointer to nothing, in the registers of a host
// call into another mod's library that faults.
SIM_SCENARIO(crash_in_mod) {
  sim::PrepareGameFolder(args.at(0), "[Patch]\nLogMessageToFile=1\nRecordCrashInfo=" + args.at(1) + "\n");
  const char* plugin = std::getenv("ORRISBANE_DLL");
  if (plugin == nullptr || !sim::LoadPluginAsQorv({plugin}).loadResult) return 2;
  HMODULE mod = LoadLibraryA(BesideThisProgram("CrashMod.dll").c_str());
  if (mod == nullptr) return 3;
  ObserveInstalledRecorder();

  auto* memory = static_cast<uint8_t*>(VirtualAlloc(nullptr, 0x1000, MEM_COMMIT, PAGE_READWRITE));
  const uint32_t typeDescriptor = AddressOf(memory + 0x100), locator = AddressOf(memory + 0x200);
  std::strcpy(reinterpret_cast<char*>(memory + 0x108), ".?AVInner@Outer@@");
  sim::HostAt<uint32_t>(locator + 12) = typeDescriptor;
  sim::HostAt<uint32_t>(AddressOf(memory + 0x300)) = kVtableInHostImage;
  sim::PlaceWord(kVtableInHostImage - 4, locator);
  std::strcpy(reinterpret_cast<char*>(memory + 0x400), "a \"string\" in ESI\n");

  sim::UnhandledFault fault{.eip = kModCallSite,
                            .regs = {.eax = 0x11, .ebx = 0xB0B, .ecx = AddressOf(memory + 0x300),
                                     .edx = sim::UnreadablePage(), .esi = AddressOf(memory + 0x400), .edi = 0xD1,
                                     .ebp = 0xBEEF},
                            .stack = {host::kImageBegin, host::kImageLast}};
  fault.callee = AddressOf(reinterpret_cast<void*>(GetProcAddress(mod, "CrashModReadFault")));
  sim::RaiseUnhandledFault(fault);
}
