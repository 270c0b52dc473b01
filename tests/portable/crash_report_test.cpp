// The doctor reading crash reports, run as a player runs it: a program
// given a report or a folder and their Orrisbane.ini, judged by its output
// and exit code.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "fixes/scene_node_guard_sites.h"
#include "fixes/string_sites.h"
#include "tests/portable/doctor_fixture.h"
#include "tests/portable/utf16_text.h"
#include "tests/unpatched_host_code.h"

namespace {

std::string Hex(uint32_t value) {
  char text[12];
  std::snprintf(text, sizeof text, "%X", value);
  return text;
}

// A report as the recorder writes it, with the given line end; the summary
// and the details go where the report's layout puts them.
std::string Report(uint32_t fault, const std::string& stack, const std::string& end = "\r\n",
                   const std::string& details = "", const std::string& summary = "",
                   const std::string& time = "2026_12_08_13-48-29") {
  return "Crash info:" + end + time + " - " + Hex(fault) +
         ": V(1); EAX(0); EBX(0); ECX(0); EDX(0); ESI(0); EDI(0); EBP(0); ESP(19FF00); STACK(" + stack + ");" + end +
         summary + end + "Not so useful info (don't post unless asked):" + end + "STACK_FULL(" + stack + " 0 0);" +
         end + details;
}

std::string Words(int count, const std::string& word) {
  std::string text;
  for (int i = 0; i < count; ++i) text += (i == 0 ? "" : " ") + word;
  return text;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

std::string Utf16BigEndian(std::string_view text) {
  std::string bytes = "\xFE\xFF";
  for (char c : text) bytes += {'\0', c};
  return bytes;
}

using CrashDoctor = DoctorFolder;

// Inside the patched span of MountNodeCrash, as the host runs it unpatched.
const uint32_t kFaultInGuardedSite = host::kMountNodeCrash.site + 3;
// A fault outside host code whose caller, a few words up, is a patched call.
const uint32_t kReturnAfterGuardedSite = host::kMountNodeCrash.resume;

// Details and summaries in the report's own layout, with and without the
// summary lines, for a crash in another mod's library and one in the game.
const std::string kModDetails =
    "\r\nDetails:\r\nException: 0xC0000005 access violation, reading address 0x10\r\n"
    "Faulting module: CrashMod.dll+0x14B4 (FaulterRead@4+0x4) 1.2.3.4\r\n"
    "Instructions:\r\n  > 711814B4 8B 40 10              mov eax, [eax+0x10]\r\n"
    "Probable call stack (* confirmed by the EBP frame chain):\r\n  ESP+0x4: Vellmoor.exe+0x1ABC05 *\r\n"
    "  ESP+0x1C: CrashMod.dll+0x1020 (RunFaulter+0x10)\r\nRegisters:\r\n  EAX 0x10\r\n"
    "Orrisbane options on: LogMessageToFile, RecordCrashInfo, MountNodeCrash\r\n";
const std::string kGameDetails =
    "\r\nDetails:\r\nException: 0xC0000005 access violation, reading address 0x0\r\n"
    "Faulting module: Vellmoor.exe+0x1ABC00 1.0.0.0\r\n"
    "Probable call stack (* confirmed by the EBP frame chain):\r\n  ESP+0x4: ntdll.dll+0x100\r\n"
    "  ESP+0x8: OtherMod.dll+0x2020 (Hook+0x20)\r\n  ESP+0xC: Vellmoor.exe+0x1000 *\r\n"
    "Modules:\r\n  00400000-0106B000 Vellmoor.exe 1.0.0.0\r\n"
    "Orrisbane options on: LogMessageToFile, RecordCrashInfo\r\n";
const std::string kModSummary =
    "\r\nSummary:\r\nProbable culprit: CrashMod.dll 1.2.3.4 (the crash happened in it)\r\n"
    "What to do: update or remove the mod that installed CrashMod.dll, and post this whole report, not only its "
    "first lines, when you ask for help.\r\nThe culprit named here is the most likely one, not a certain one.\r\n";
const std::string kStackSummary =
    "\r\nSummary:\r\nProbable culprit: OtherMod.dll 2.0 (first mod module in the call stack; the crash happened in "
    "Vellmoor.exe)\r\nWhat to do: update or remove the mod that installed OtherMod.dll.\r\n";
const std::string kNoneSummary =
    "\r\nSummary:\r\nProbable culprit: none found: every frame belongs to the game or the system. Run "
    "orrisbane-doctor --crash on this report: it tells whether an Orrisbane option guards this site.\r\n";
const std::string kFreeze =
    "Freeze info:\r\n2026_12_08_20-00-00 - no frame for 30 s; main thread at 71811000\r\n\r\nSummary:\r\n"
    "Probable culprit: Slow.dll 1.0 (the main thread is stuck in it)\r\n\r\nDetails:\r\n"
    "Main thread stuck at: Slow.dll+0x1000 (Spin+0x4)\r\nOrrisbane options on: RecordCrashInfo\r\n";

struct ReportCase {
  const char* what;
  std::string report;
  std::optional<std::string> ini;  // nothing: none given
  int exitCode;
  std::vector<std::string> says;
  std::vector<std::string> saysNot = {};
};

void RunCases(CrashDoctor& folder, const std::vector<ReportCase>& cases,
              const std::function<std::string(const std::string&, const std::string&)>& write) {
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string report = write("crash.txt", c.report);
    const DoctorRun run = c.ini ? RunDoctor({"--crash", report, write("Orrisbane.ini", *c.ini)})
                                : RunDoctor({"--crash", report});
    ExpectAnswer(run, c.exitCode, c.says, c.saysNot);
  }
  (void)folder;
}

TEST_F(CrashDoctor, ExplainsEachCrashReportWithTheOptionsThatGuardItsSite) {
  const std::vector<ReportCase> cases = {
      {"a guarded site, option off", Report(kFaultInGuardedSite, "400000"), "[Patch]\nMountNodeCrash=0\n", 1,
       {"Crash at 2026_12_08_13-48-29, address 0x" + Hex(kFaultInGuardedSite),
        "the fault address 0x" + Hex(kFaultInGuardedSite) + " lies in a site that MountNodeCrash guards; "
        "MountNodeCrash is off in the Orrisbane.ini given",
        "Verdict: 1 crash in a site that MountNodeCrash guards, which is off\n"}},
      {"a guarded site, option on", Report(kFaultInGuardedSite, "400000"), "[Patch]\nMountNodeCrash=1\n", 0,
       {"MountNodeCrash is on in the Orrisbane.ini given", "Verdict: no single cause"}},
      // Both comparison options patch one site: the report names the one that ran.
      {"a site two options share", Report(host::kStrCmp.site, "400000"), "[Patch]\nStrCmp=0\nStrCmpNoTry=1\n", 0,
       {"lies in a site that StrCmpNoTry guards; StrCmpNoTry is on"}},
      {"a site two options share, both off", Report(host::kStrCmp.site, "400000"),
       "[Patch]\nStrCmp=0\nStrCmpNoTry=0\n", 1, {"Verdict: 1 crash in a site that StrCmp guards, which is off"}},
      {"a guarded site, no settings", Report(kFaultInGuardedSite, "400000"), std::nullopt, 0,
       {"may have been on or off: give your Orrisbane.ini as well"}},
      {"a return address after a guarded site", Report(0x71814B3, "400000 " + Hex(kReturnAfterGuardedSite)),
       "[Patch]\nMountNodeCrash=0\n", 1,
       {"the game's call before the return address 0x" + Hex(kReturnAfterGuardedSite) +
        " (STACK word 2) lies in a site that MountNodeCrash guards"}},
      {"the options at the crash and now", Report(kFaultInGuardedSite, "400000", "\r\n", kModDetails),
       "[Patch]\nMountNodeCrash=0\nLogMessageToFile=1\nRecordCrashInfo=1\nStrLen=1\n", 1,
       {"MountNodeCrash was on at that crash and is off now",
        "Settings: you changed settings since the crash: on then, off now: MountNodeCrash; on now, off then: StrLen\n",
        "Verdict: 1 crash in a site that MountNodeCrash guards, which is off"}},
      {"appended reports with and without details",
       Report(0x401234, "400000", "\n") + "===================================\n" +
           Report(0x71814B3, "", "\n", kModDetails),
       std::nullopt, 0,
       {"Read 2 reports from ", "  CrashMod.dll: 1 crash, newest 2026_12_08_13-48-29\n"
        "    at CrashMod.dll+0x14B4 (FaulterRead@4+0x4)\n",
        "  no details (counted by fault address): 1 crash, newest 2026_12_08_13-48-29\n    at Vellmoor.exe+0x1234\n",
        "Verdict: no single cause: the crashes are spread over 2 modules"}},
      {"settings instead of a report", "[Patch]\nStrCmp=1\n", std::nullopt, 2,
       {"crash.txt: not an Orrisbane crash report"}},
      {"a report without its line", "Crash info:\r\nnot the line\r\n", std::nullopt, 2,
       {"crash.txt: line 2: no \"<time> - \" at the start of \"not the line\""}},
      {"an empty file", "", std::nullopt, 2, {"crash.txt: not an Orrisbane crash report"}},
  };
  RunCases(*this, cases, [&](const std::string& name, const std::string& text) { return Write(name, text); });
}

// The summary lines of the report's layout, in its three forms, and a
// freeze report; without a summary the doctor finds the same culprit from
// the details, and says how sure it is.
TEST_F(CrashDoctor, NamesTheCulpritByTheSummaryOrTheDetailsAndHowSure) {
  const std::vector<ReportCase> cases = {
      {"in the mod, with a summary", Report(0x711814B4, "5ABC05", "\r\n", kModDetails, kModSummary), std::nullopt, 1,
       {"How sure: fairly: the crash happened in CrashMod.dll itself\n",
        "What to do: update or remove the mod that installed CrashMod.dll, and post this whole report",
        "Verdict: CrashMod.dll is in 1 of 1 crashes: update or remove the mod that installed it\n"}},
      {"in the mod, details only", Report(0x711814B4, "5ABC05", "\r\n", kModDetails), std::nullopt, 1,
       {"How sure: fairly: the crash happened in CrashMod.dll itself\n",
        "What to do: update or remove the mod that installed CrashMod.dll,",
        "Verdict: CrashMod.dll is in 1 of 1 crashes"}},
      {"first mod in the stack, with a summary", Report(kUnpatchedHostCode, "", "\r\n", kGameDetails, kStackSummary),
       std::nullopt, 1,
       {"How sure: a guess: OtherMod.dll is only the first mod module in the call stack; the crash happened in "
        "Vellmoor.exe\n",
        "What to do: update or remove the mod that installed OtherMod.dll.\n", "  OtherMod.dll: 1 crash"}},
      {"first mod in the stack, details only: the system module is passed over",
       Report(kUnpatchedHostCode, "", "\r\n", kGameDetails), std::nullopt, 1,
       {"How sure: a guess: OtherMod.dll is only the first mod module", "at Vellmoor.exe+0x1ABC00\n"}},
      {"none found", Report(kUnpatchedHostCode, "", "\r\n", kGameDetails, kNoneSummary), std::nullopt, 0,
       {"How sure: no mod is named", "  none found (the game or the system): 1 crash",
        "Verdict: no single cause: no mod is named in these reports\n"}},
      {"no details", Report(kUnpatchedHostCode, "400000"), std::nullopt, 0,
       {"How sure: the report has no details (RecordCrashInfo without 32)", "set RecordCrashInfo=97"}},
      {"a freeze report", kFreeze, std::nullopt, 1,
       {"Freeze at 2026_12_08_20-00-00, address 0x71811000", "How sure: fairly: the crash happened in Slow.dll",
        "at Slow.dll+0x1000 (Spin+0x4)", "Verdict: Slow.dll is in 1 of 1 crashes"}},
  };
  RunCases(*this, cases, [&](const std::string& name, const std::string& text) { return Write(name, text); });
}

// What players' copies of reports turned into, and files that are no
// report at all: each gives a reported problem or a reading, never a crash
// or a hang, and nothing a terminal would obey.
TEST_F(CrashDoctor, SurvivesAnyFile) {
  const std::string good = Report(kUnpatchedHostCode, "400000");
  const std::vector<ReportCase> cases = {
      {"a STACK line of 1,300 words", Report(kFaultInGuardedSite, Words(1300, "5ABC05")), "[Patch]\n", 1,
       {"lies in a site that MountNodeCrash guards"}},
      {"a STACK line of 4,000 words", Report(kUnpatchedHostCode, Words(4000, "400000")), std::nullopt, 0, {"Read 1 report"}},
      {"a 1 MB time field", Report(kUnpatchedHostCode, "400000", "\r\n", "", "", std::string(1 << 20, '7')), std::nullopt, 2,
       {"line 2: no \"<time> - \" at the start of \"7777777777777777777777777777777777777777...\"\n"}},
      {"a 9-digit STACK word", Report(kUnpatchedHostCode, "400000 123456789"), std::nullopt, 2,
       {"line 2: STACK word \"123456789\" is not a 32-bit address"}},
      {"a 9-digit fault address", Replaced(Report(kUnpatchedHostCode, "400000"), " 5ABC00:", " 1005ABC00:"), std::nullopt, 2,
       {"line 2: not an address: \"1005ABC00\""}},
      {"many reports in guarded sites and many places",
       [] {
         std::string text;
         for (uint32_t i = 0; i < 12; ++i) text += Report(kFaultInGuardedSite + (i % 2), "400000");
         for (uint32_t i = 0; i < 12; ++i) text += Report(kUnpatchedHostCode + i, "400000");
         return text;
       }(),
       "[Patch]\n", 1,
       {"Read 24 reports", "report 10 of 24): the fault address", "  and 2 more\n",
        "Vellmoor.exe+0x1ABC07 and 4 more places\n",
        "Verdict: 12 crashes in a site that MountNodeCrash guards, which is off"},
       {"report 11 of 24): the fault address", "Vellmoor.exe+0x1ABC08"}},
      {"a bad word after a good report", good + Report(kUnpatchedHostCode, "40000G"), std::nullopt, 0,
       {"Read 1 report", "not read: crash.txt: line 7: STACK word \"40000G\" is not a 32-bit address"}},
      {"control characters in the time, exception and module",
       Report(0x711814B4, "", "\r\n",
              "\r\nDetails:\r\nException: \x1b[2J\r\nFaulting module: Evil\x1b]0;x\x07.dll+0x10 1.0\r\n", "",
              "2026\x1b[31m"),
       std::nullopt, 1,
       {"Crash at 2026\\x1B[31m,", "Exception: \\x1B[2J\n", "Evil\\x1B]0;x\\x07.dll: 1 crash"}, {"\x1b", "\x07"}},
      {"re-saved with a UTF-8 mark", "\xEF\xBB\xBF" + good, std::nullopt, 0, {"Read 1 report", "0x" + Hex(kUnpatchedHostCode)}},
      {"re-saved as UTF-16", Utf16WithMark(good), std::nullopt, 0, {"Read 1 report", "0x" + Hex(kUnpatchedHostCode)}},
      {"re-saved as UTF-16, high byte first", Utf16BigEndian(good), std::nullopt, 0, {"Read 1 report", "0x" + Hex(kUnpatchedHostCode)}},
  };
  RunCases(*this, cases, [&](const std::string& name, const std::string& text) { return Write(name, text); });

  const std::string pipe = (dir_ / "crash_pipe.txt").string();
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  ExpectAnswer(RunDoctor({"--crash", pipe}), 2, {"cannot read " + pipe + ": not a file"});
  const std::string huge = (dir_ / "crash_huge.txt").string();
  std::ofstream(huge) << good;
  fs::resize_file(huge, (64u << 20) + 1);
  ExpectAnswer(RunDoctor({"--crash", huge}), 2,
               {"not checked: " + huge + " is 67108865 bytes, far more than a crash report (the limit is 64 MB)"});
  const std::string escaped = Write("crash_\x1b[2J.txt", good);
  ExpectAnswer(RunDoctor({"--crash", escaped}), 0, {"crash_\\x1B[2J.txt"}, {"\x1b"});
  // A folder: the pipe, the oversize file and a settings file are told and
  // skipped; the readable reports are judged.
  Write("crash_settings.txt", "[Patch]\n");
  ExpectAnswer(RunDoctor({"--crash", dir_.string()}), 0,
               {"Read 1 report from ", "not read: cannot read " + pipe + ": not a file",
                "not read: crash_settings.txt: not an Orrisbane crash report", "is 67108865 bytes"});
  fs::remove_all(dir_);
  fs::create_directories(dir_);
  ExpectAnswer(RunDoctor({"--crash", dir_.string()}), 2, {"no crash_*.txt or freeze_*.txt in "});
}

}  // namespace
