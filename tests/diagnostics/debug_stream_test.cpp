#include <gtest/gtest.h>

#include <string>

#include "core/known_crash.h"
#include "diagnostics/debug_stream.h"
#include "patch/frame_sites.h"
#include "plugin/apply.h"
#include "sim/host_diagnostics.h"
#include "sim/host_memory.h"
#include "sim/loader.h"
#include "tests/diagnostics/diagnostics_fixture.h"

using namespace diagnostics_test;

namespace {

uint64_t g_now = 1000000;
uint64_t TestClock() { return g_now; }

constexpr const char* kReadHeading =
    "Game has crashed while reading binary data stream! This could indicate a corrupt NIF file. Here are the last "
    "opened files starting from most recent:";
constexpr const char* kStringHeading =
    "Game has crashed while setting string (this could still be corrupt NIF crash), stack: ";

std::string RecentFiles() {
  std::string text;
  AppendRecentFiles(text);
  return text;
}

// The hook runs after the host's own call, with the stream's field at
// [ESI+4] and the name the host passed at [ESP+8].
TEST(DebugStream, OpenedFilesAreRecordedAfterTheHostsCallWithEveryRegisterKept) {
  SetRecentFileClock(TestClock);
  uint32_t stream[2] = {0, 0x44};
  const char* name = "meshes\\rock.nif";
  const uint32_t callsBefore = sim::FileOpenCalls();
  const R registers{.ebx = 1, .ecx = 2, .edx = 3, .esi = AddressOf(stream), .edi = 5, .ebp = 6};
  const auto landing =
      ExpectSameAsHost(host::kDebugStreamOpenFile.site, ApplyDebugStream, registers, {0x10, 0x20, AddressOf(name)});
  ExpectLanded(landing, host::kDebugStreamOpenFile.resume,
               AfterCCall(With(registers, {{&R::eax, sim::kFileOpenResult}}), landing), 0, false);
  EXPECT_EQ(sim::FileOpenCalls(), callsBefore + 2) << "once unhooked, once hooked";
  EXPECT_EQ(RecentFiles().rfind("\"meshes\\rock.nif\" 0.000000 seconds ago.", 0), 0u) << RecentFiles();

  stream[1] = 0xFFFFFFFF;
  sim::RunHost(host::kDebugStreamOpenFile.site, registers, {0x10, 0x20, AddressOf("failed.nif")});
  EXPECT_EQ(RecentFiles().rfind("\"meshes\\rock.nif\"", 0), 0u) << "a failed open leaves no entry";
  stream[1] = 0;
  sim::RunHost(host::kDebugStreamOpenFile.site, registers, {0x10, 0x20, 0});
  EXPECT_EQ(RecentFiles().rfind("\"\" 0.000000 seconds ago.\n\n\"meshes\\rock.nif\"", 0), 0u) << RecentFiles();
}

TEST(DebugStream, TheNewestEightFilesAreListedNewestFirstWithFewerDecimalsAsTheyAge) {
  SetRecentFileClock(TestClock);
  for (int i = 0; i < 10; ++i) RecordOpenedFile(i, ("file" + std::to_string(i)).c_str());
  std::string expected;
  for (int i = 9; i >= 2; --i) {
    expected += "\"file" + std::to_string(i) + "\" 0.000000 seconds ago.";
    if (i > 2) expected += "\n\n";
  }
  EXPECT_EQ(RecentFiles(), expected);

  const uint64_t reportTime = 5000000;
  const struct {
    const char* name;
    uint64_t age;
  } opened[] = {{"old1", 20000}, {"old2", 20000}, {"old3", 20000}, {"f12.7", 12700},
                {"f5", 5000},    {"f3", 3000},    {"f1.5", 1500},   {"f0.5", 500}};
  for (const auto& file : opened) {
    g_now = reportTime - file.age;
    RecordOpenedFile(1, file.name);
  }
  g_now = reportTime;
  std::string text = "heading";
  AppendRecentFiles(text);
  EXPECT_EQ(text,
            "heading\n\n\"f0.5\" 0.500000 seconds ago.\n\n\"f1.5\" 1.500 seconds ago.\n\n\"f3\" 3.00 seconds ago."
            "\n\n\"f5\" 5.0 seconds ago.\n\n\"f12.7\" 12 seconds ago.\n\n\"old3\" 20 seconds ago.\n\n\"old2\" 20 "
            "seconds ago.\n\n\"old1\" 20 seconds ago.");
}

// The wrapper hands the host routine the same object and arguments, and
// drops them from the stack as the routine would.
TEST(DebugStream, StreamReadWrapperPassesCallAndResultThrough) {
  const R registers{.ebx = 0xB, .ecx = 0x5EA, .edx = 0xD, .esi = 0x51, .edi = 0xD1, .ebp = 0xBE};
  const auto landing = ExpectSameAsHost(host::kDebugStreamStreamRead.site, ApplyDebugStream, registers,
                                        {7, 9, 0xAAAA, 0xBBBB}, HostCallClobbers::kScratchRegistersAndFlags);
  ExpectLanded(landing, host::kDebugStreamStreamRead.resume,
               AfterCCall(With(registers, {{&R::eax, sim::StreamReadResult(7, 9)}}), landing), 8, false);
  EXPECT_EQ(landing.Stack(0), 0xAAAAu);
  EXPECT_EQ(sim::LastStreamRead().stream, 0x5EAu);
  EXPECT_EQ(sim::LastStreamRead().first, 7u);
  EXPECT_EQ(sim::LastStreamRead().second, 9u);
}

TEST(DebugStream, ReadableStringObjectRunsTheHostsInstructionsUnchanged) {
  const uint32_t object[2] = {0x11, 0x5781};
  for (uint32_t flags : {0u, sim::kArithmeticFlags}) {
    const R registers{.eax = 1, .ebx = 2, .ecx = 3, .edx = 4, .esi = 5, .edi = AddressOf(object), .ebp = 7,
                      .eflags = flags};
    ExpectLanded(ExpectSameAsHost(host::kDebugStreamStringSet.site, ApplyDebugStream, registers, {1, 2}),
                 host::kDebugStreamStringSet.resume,
                 With(registers, {{&R::eax, 0x5781}, {&R::edi, AddressOf(object) + 4}}), 0, false);
  }
}

// A fault while a string is set ends the game with a message: inside a
// stream read the read report (an empty file list adds nothing; after a
// warning nothing is shown), outside any read the stack words and files.
TEST(DebugStream, AFaultWhileSettingAStringShowsItsReportAndEndsTheGame) {
  EXPECT_EQ(ExpectKnownCrash("string_set_fault", "inside", 9), std::vector<std::string>{kReadHeading});
  EXPECT_TRUE(ExpectKnownCrash("string_set_fault", "inside-after-warning", 9).empty());

  const auto texts = ExpectKnownCrash("string_set_fault", "outside", 15);
  ASSERT_EQ(texts.size(), 1u);
  const std::string& text = texts[0];
  EXPECT_EQ(text.rfind(std::string(kStringHeading) + "400000 106A319", 0), 0u) << text;
  EXPECT_EQ(text.find("3FFFFF"), std::string::npos) << text;
  const std::string files = "\n\n\"b.nif\" 1.500 seconds ago.\n\n\"a.nif\" 12 seconds ago.";
  ASSERT_GT(text.size(), files.size());
  EXPECT_EQ(text.substr(text.size() - files.size()), files) << text;
}

void OpenThroughTheHost(const char* name) {
  static uint32_t stream[2] = {0, 1};
  sim::RunHost(host::kDebugStreamOpenFile.site, {.esi = AddressOf(stream)}, {0, 0, AddressOf(name)});
}

void SetStringOnBadObject() {
  sim::RunHost(host::kDebugStreamStringSet.site, {.edi = 0},
               {host::kImageBegin, 0x5, host::kImageLast, host::kImageBegin - 1});
}

}  // namespace

SIM_SCENARIO(string_set_fault) {
  sim::PrepareGameFolder(args.at(0), "[Patch]\nRecordCrashInfo=1\n");
  EXPECT_TRUE(ApplyRecordCrashInfo().Applied());
  EXPECT_TRUE(ApplyDebugStream().Applied());
  PrintKnownCrashReasonAtEnd();
  SetRecentFileClock(TestClock);
  const std::string& mode = args.at(1);
  if (mode == "outside") {
    g_now = 100000 - 12700;
    OpenThroughTheHost("a.nif");
    g_now = 100000 - 1500;
    OpenThroughTheHost("b.nif");
    g_now = 100000;
    sim::RunHost(host::kDebugStreamStreamRead.site, {.ecx = 1}, {1, 2});  // a finished read leaves no trace
    SetStringOnBadObject();
    return 1;
  }
  if (mode == "inside-after-warning") KnownCrashReason = kCrashMissingNode;
  sim::SetStreamReadAction(SetStringOnBadObject);
  sim::RunHost(host::kDebugStreamStreamRead.site, {.ecx = 1}, {1, 2});
  return 1;
}
