#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "diagnostics/crash_details.h"
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

// The section of the report under this heading: its line and the indented
// lines after it.
std::string Section(const std::string& report, const std::string& heading) {
  size_t begin = report.find("\r\n" + heading);
  if (begin == std::string::npos) return "";
  begin += 2;
  size_t end = report.find("\r\n", begin) + 2;
  while (end > 1 && end < report.size() && report[end] == ' ') end = report.find("\r\n", end) + 2;
  return report.substr(begin, end - begin);
}

// The real plugin, loaded as the script extender loads it, records a fault
// inside another mod's library that the host called: inside one of its
// exports, and inside the C runtime's memcpy that the export called. The
// registers point at a template object of the mod, at its second base, at
// a game reference and a string; a function pointer and two host-image
// words on the stack are no frames.
TEST(CrashDetails, AFaultInAnotherModsLibraryNamesTheModItsFunctionsObjectsAndStrings) {
  HMODULE mod = LoadLibraryA(BesideThisProgram("CrashMod.dll").c_str());
  ASSERT_NE(mod, nullptr);
  const auto offsetOf = [mod](const char* name) {
    return AddressOf(reinterpret_cast<void*>(GetProcAddress(mod, name))) - AddressOf(mod);
  };
  const uint32_t hostReturn = kModCallSite + 5 - AddressOf(GetModuleHandleA(nullptr));
  const std::string hostFrame = ": diagnostics_tests.exe+0x" + Hex(hostReturn) + " *\r\n";  // the host's call
  const struct {
    const char* kind;
    std::vector<std::string> parts;
    std::string callStack;  // the whole section, or where the C runtime's frames vary a frame in it
  } cases[] = {
      {"read",
       {"\r\nSummary:\r\nProbable culprit: CrashMod.dll 1.2.3.4 (the crash happened in it)\r\nWhat to do: update or "
        "remove the mod that installed CrashMod.dll, and post this whole report, not only its first lines, when "
        "you ask for help.\r\nThe culprit named here is the most likely one, not a certain one.\r\n\r\nNot so useful",
        "\r\nFaulting module: CrashMod.dll+0x" + Hex(offsetOf("CrashModReadFault") + 3) +
            " (CrashModReadFault+0x3) 1.2.3.4\r\n",
        "\r\nInstructions:\r\n  > " + Hex(AddressOf(mod) + offsetOf("CrashModReadFault") + 3) +
            " A1 10 00 00 00        mov eax, [0x00000010]\r\n    " +
            Hex(AddressOf(mod) + offsetOf("CrashModReadFault") + 8) + " 5D                    pop ebp\r\n"},
       "Probable call stack (* confirmed by the EBP frame chain):\r\n  ESP+0x4" + hostFrame},
      {"copy",
       {"\r\nProbable culprit: CrashMod.dll 1.2.3.4 (first mod module in the call stack; the crash happened in "
        "msvcrt.dll)\r\n",
        "\r\nFaulting module: msvcrt.dll+0x"},
       "(CrashModCopyFault+0x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    const std::string folder = sim::TempFolder("crash-in-mod");
    const auto child = sim::RunScenarioInChild("crash_in_mod", Quoted(folder) + " " + std::to_string(kDetailsAndDump) +
                                                                   " " + c.kind);
    const std::string report = sim::ReadFile(folder + kCrashFolder + "\\crash_last.txt");
    ASSERT_FALSE(report.empty()) << child.output;
    ExpectContains(report, c.parts);
    const std::string callStack = Section(report, "Probable call stack");
    EXPECT_TRUE(Contains(callStack, hostFrame)) << callStack;
    EXPECT_FALSE(Contains(callStack, "CrashModWriteFault")) << "a function pointer is no frame\n" << callStack;
    if (c.kind != std::string("read")) {
      EXPECT_TRUE(Contains(callStack, c.callStack)) << callStack;
      continue;
    }
    EXPECT_EQ(callStack, c.callStack) << "the function pointer and the host-image words are no frames";

    const std::regex object("\r\n  ECX 0x([0-9A-F]+) object of class TESObjectREFR\r\n");
    std::smatch found;
    ASSERT_TRUE(std::regex_search(report, found, object)) << report;
    const uint32_t reference = std::stoul(found[1], nullptr, 16), box = reference - 0x100;  // as the scenario lays out
    EXPECT_TRUE(std::regex_search(report, std::regex("\r\n  EAX 0x[0-9A-F]+ Orrisbane\\.dll\\+0x[0-9A-F]+ "
                                                     "\\(CrashFilter\\+0x1\\)\r\n")))
        << report;
    ExpectContains(report, {"\r\n  EBX 0x" + Hex(box) + " object of class mod::Box<int>\r\n",
                            "\r\n  EDI 0x" + Hex(box + 8) + " object of class mod::Box<int> (its base at +0x8; the "
                            "object starts at 0x" + Hex(box) + ")\r\n",
                            " \"a \\\"string\\\" in ESI\\n\"\r\n",
                            "\r\nPossible relevant objects:\r\n  0x" + Hex(reference) +
                                " (ECX, ESP+0xC): object of class TESObjectREFR, form 0x0100ABCD, type 0x3D, base form "
                                "0x00012345\r\nSystem:",
                            " CrashMod.dll 1.2.3.4\r\n",  // in the module list
                            "\r\n  Orrisbane " + std::string(ORRISBANE_VERSION) + "\r\n",
                            "\r\nOrrisbane options on: LogMessageToFile, RecordCrashInfo\r\n"});
    EXPECT_TRUE(std::regex_search(report, std::regex("\r\n  EDX 0x[0-9A-F]+\r\n  ESI "))) << "nothing more\n" << report;
    EXPECT_TRUE(std::regex_search(report, std::regex("\r\nSystem:\r\n  Windows [0-9]+\\.[0-9]+ build [0-9]+\r\n(  Wine .+\r\n)?"
                                                     "  Processor: .+, [1-9][0-9]* logical cores\r\n  Physical memory: "
                                                     "[1-9][0-9]* MB, [0-9]+ MB free\r\n  Address space: [1-9][0-9]* MB "
                                                     "used of (2047|3071|4095) MB\r\n  Orrisbane loaded [0-9]+ s ago\r\n")))
        << report;
    const std::string details = ");\r\n\r\nDetails:\r\nException: ";
    EXPECT_TRUE(Contains(report, details + "0xC0000005 access violation, reading address 0x10\r\n") ||
                Contains(report, details + "0xC000001D illegal instruction\r\n"))
        << report;
    EXPECT_EQ(report.substr(report.size() < 2 ? 0 : report.size() - 2), "\r\n");

    const Minidump dump{sim::ReadFile(folder + kCrashFolder + "\\crash_last.dmp")};
    ASSERT_EQ(dump.bytes.substr(0, 4), "MDMP") << child.output << report;
    const uint32_t exception = dump.Stream(6);
    ASSERT_NE(exception, 0u);
    EXPECT_TRUE(dump.Word(exception + 8) == EXCEPTION_ACCESS_VIOLATION ||
                dump.Word(exception + 8) == kPageFaultUnderEmulation)
        << Hex(dump.Word(exception + 8));
    EXPECT_EQ(dump.Word(exception + 24), AddressOf(mod) + offsetOf("CrashModReadFault") + 3) << "the exception address";
    EXPECT_TRUE(Contains(dump.ModuleNames(), "Orrisbane.dll")) << dump.ModuleNames();
  }
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
       {"\r\nSummary:\r\nProbable culprit: none found: every frame belongs to the game or the system. Run "
        "orrisbane-doctor --crash on this report: it tells whether an Orrisbane option guards this site.\r\n",
        "\r\nOrrisbane options on: LogMessageToFile, RecordCrashInfo\r\n"
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

// A thread that did not fault (as a freeze report shows the main thread):
// where it is stands in place of the exception and the faulting module,
// and the rest of the details follows as for a crash.
TEST(CrashDetails, AThreadWithoutAnExceptionGetsWhereItIsStuckAndTheRest) {
  HMODULE mod = LoadLibraryA(BesideThisProgram("CrashMod.dll").c_str());
  ASSERT_NE(mod, nullptr);
  const auto exported = [mod](const char* name) { return AddressOf(reinterpret_cast<void*>(GetProcAddress(mod, name))); };
  constexpr uint32_t kCopyFaultReturn = 0x14;  // right after CrashModCopyFault's call of memcpy
  std::vector<uint32_t> stack(4096, 0);  // every word the call stack searches
  stack[1] = exported("CrashModCopyFault") + kCopyFaultReturn;
  // A register into another thread's stack guard page: reading it would
  // clear the guard, and that stack could never grow again.
  void* guard = VirtualAlloc(nullptr, 0x1000, MEM_COMMIT, PAGE_READWRITE | PAGE_GUARD);
  CONTEXT context{};
  context.Eip = exported("CrashModReadFault") + 3;
  context.Esp = AddressOf(stack.data());
  context.Ebx = AddressOf(guard);
  PrepareThreadDetails();
  DWORD length = 0;
  const std::string details = ComposeThreadDetails(context, nullptr, &length);
  EXPECT_EQ(details.size(), length);
  const std::string stuck = Hex(exported("CrashModReadFault") + 3 - AddressOf(mod));
  const std::string copyReturn = Hex(exported("CrashModCopyFault") + kCopyFaultReturn - AddressOf(mod));
  EXPECT_EQ(details.rfind("\r\nDetails:\r\nMain thread stuck at: CrashMod.dll+0x" + stuck +
                          " (CrashModReadFault+0x3)\r\nInstructions:\r\n  > ", 0), 0u) << details;
  ExpectContains(details, {"\r\nProbable call stack (* confirmed by the EBP frame chain):\r\n  ESP+0x4: CrashMod.dll+0x" +
                               copyReturn + " (CrashModCopyFault+0x14)\r\nRegisters:\r\n",
                           "\r\nPossible relevant objects:\r\n  none found\r\nSystem:\r\n", "\r\nModules:\r\n"});
  EXPECT_FALSE(Contains(details, "Exception:")) << details;
  MEMORY_BASIC_INFORMATION region{};
  VirtualQuery(guard, &region, sizeof region);
  EXPECT_NE(region.Protect & PAGE_GUARD, 0u) << "the details read the guard page";
  VirtualFree(guard, 0, MEM_RELEASE);
  FreeLibrary(mod);
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
  struct Thrown {
    uint32_t typeDescriptor[2] = {0, 0};
    char name[40] = {};
    uint32_t catchableType[2] = {0, 0};
    uint32_t catchableTypes[2] = {1, 0};
    uint32_t throwInfo[4] = {0, 0, 0, 0};
    explicit Thrown(const char* decorated) {
      std::strcpy(name, decorated);
      catchableType[1] = AddressOf(typeDescriptor);
      catchableTypes[1] = AddressOf(catchableType);
      throwInfo[3] = AddressOf(catchableTypes);
    }
  };
  const Thrown plain(".?AVbad_thing@game@@"), templated(".?AV?$bad_value@H@game@@"), odd(".?AV?$bad@P6AXXZ@@");
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
      {0xE06D7363, {0x19930520, 0, AddressOf(plain.throwInfo)}, "0xE06D7363 C++ exception, thrown type game::bad_thing"},
      {0xE06D7363, {0x19930520, 0, AddressOf(templated.throwInfo)},
       "0xE06D7363 C++ exception, thrown type game::bad_value<int>"},
      // a name that does not decode in full stands as it is
      {0xE06D7363, {0x19930520, 0, AddressOf(odd.throwInfo)}, "0xE06D7363 C++ exception, thrown type .?AV?$bad@P6AXXZ@@"},
      {0xE06D7363, {0x19930520, 0, sim::UnreadablePage()}, "0xE06D7363 C++ exception"},
  };
  for (const auto& c : cases) EXPECT_EQ(describe(c.code, c.parameters), c.text);
}

}  // namespace

// An address in the plugin's code and hand-built objects in the registers
// of a host call into another mod's library that faults: a mod::Box<int>
// whose two vtables lie in the mod (EBX at the object, EDI at its second
// base), a game reference with its base form (vtables in the host's image,
// ECX and a stack word), a string and a pointer to nothing. Type
// information as MSVC lays it out: vtable -> the word before it -> complete
// object locator -> type descriptor.
SIM_SCENARIO(crash_in_mod) {
  sim::PrepareGameFolder(args.at(0), "[Patch]\nLogMessageToFile=1\nRecordCrashInfo=" + args.at(1) + "\n");
  const char* plugin = std::getenv("ORRISBANE_DLL");
  if (plugin == nullptr || !sim::LoadPluginAsQorv({plugin}).loadResult) return 2;
  HMODULE mod = LoadLibraryA(BesideThisProgram("CrashMod.dll").c_str());
  if (mod == nullptr) return 3;
  ObserveInstalledRecorder();

  auto* memory = static_cast<uint8_t*>(VirtualAlloc(nullptr, 0x1000, MEM_COMMIT, PAGE_READWRITE));
  const auto at = [memory](uint32_t offset) { return AddressOf(memory + offset); };
  // A locator at 0x20 * n holds the vtable's offset in the object at +4 and
  // its type descriptor at +12; the descriptor at 0x100 * n has its name at +8.
  const auto describe = [&](int n, uint32_t baseOffset, const char* decorated) {
    sim::HostAt<uint32_t>(at(0x20 * n) + 4) = baseOffset;
    sim::HostAt<uint32_t>(at(0x20 * n) + 12) = at(0x100 * n);
    std::strcpy(reinterpret_cast<char*>(memory + 0x100 * n + 8), decorated);
    return at(0x20 * n);
  };
  auto* modVtables = reinterpret_cast<uint32_t*>(GetProcAddress(mod, "CrashModVtables"));
  modVtables[0] = describe(1, 0, ".?AU?$Box@H@mod@@");
  modVtables[2] = describe(2, 8, ".?AU?$Box@H@mod@@");
  const uint32_t box = at(0xA00);
  sim::HostAt<uint32_t>(box) = AddressOf(&modVtables[1]);
  sim::HostAt<uint32_t>(box + 8) = AddressOf(&modVtables[3]);

  constexpr uint32_t kBaseFormVtable = kVtableInHostImage + 0x10;
  sim::PlaceWord(kVtableInHostImage - 4, describe(3, 0, ".?AVTESObjectREFR@@"));
  sim::PlaceWord(kVtableInHostImage, kModCallSite);  // the first virtual function, in host code
  sim::PlaceWord(kBaseFormVtable - 4, describe(4, 0, ".?AVTESNPC@@"));
  sim::PlaceWord(kBaseFormVtable, kModCallSite);
  const uint32_t reference = at(0xB00), baseForm = at(0xC00);
  sim::HostAt<uint32_t>(reference) = kVtableInHostImage;
  sim::HostAt<uint32_t>(reference + 0x0C) = 0x0100ABCD;
  sim::HostAt<uint8_t>(reference + 0x12) = 0x3D;
  sim::HostAt<uint32_t>(reference + 0x24) = baseForm;
  sim::HostAt<uint32_t>(baseForm) = kBaseFormVtable;
  sim::HostAt<uint32_t>(baseForm + 0x0C) = 0x00012345;
  std::strcpy(reinterpret_cast<char*>(memory + 0xD00), "a \"string\" in ESI\n");

  const char* faulting = args.at(2) == "read" ? "CrashModReadFault" : "CrashModCopyFault";
  const uint32_t functionPointer = AddressOf(reinterpret_cast<void*>(GetProcAddress(mod, "CrashModWriteFault")));
  // A code address inside the plugin that no export names: only its own
  // function table can.
  const uint32_t insidePlugin = AddressOf(reinterpret_cast<void*>(ObservedRecorder())) + 1;
  sim::UnhandledFault fault{.eip = kModCallSite,
                            .regs = {.eax = insidePlugin, .ebx = box, .ecx = reference, .edx = sim::UnreadablePage(),
                                     .esi = at(0xD00), .edi = box + 8, .ebp = 0xBEEF},
                            .stack = {functionPointer, reference, host::kImageBegin, host::kImageLast}};
  fault.callee = AddressOf(reinterpret_cast<void*>(GetProcAddress(mod, faulting)));
  sim::RaiseUnhandledFault(fault);
}
