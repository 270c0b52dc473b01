// The doctor reading crash reports, run as a player runs it: a program
// given a report and their Orrisbane.ini, judged by its output and exit code.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "fixes/scene_node_guard_sites.h"
#include "fixes/string_sites.h"
#include "tests/portable/doctor_fixture.h"

namespace {

std::string Hex(uint32_t value) {
  char text[12];
  std::snprintf(text, sizeof text, "%X", value);
  return text;
}

// A report as the recorder writes it, with the given line end.
std::string Report(uint32_t fault, const std::string& stack, const std::string& end = "\r\n",
                   const std::string& details = "") {
  return "Crash info:" + end + "2026_12_08_13-48-29 - " + Hex(fault) +
         ": V(1); EAX(0); EBX(0); ECX(0); EDX(0); ESI(0); EDI(0); EBP(0); ESP(19FF00); STACK(" + stack + ");" + end +
         end + "Not so useful info (don't post unless asked):" + end + "STACK_FULL(" + stack + " 0 0);" + end + details;
}

using CrashDoctor = DoctorFolder;

// Inside the patched span of MountNodeCrash, as the host runs it unpatched.
const uint32_t kFaultInGuardedSite = host::kMountNodeCrash.site + 3;
// A fault outside host code whose caller, a few words up, is a patched call.
const uint32_t kReturnAfterGuardedSite = host::kMountNodeCrash.resume;

TEST_F(CrashDoctor, ExplainsEachCrashReportWithTheOptionsThatGuardItsSite) {
  const std::string details = "\nDetails:\nException: 0xC0000005 access violation, reading address 0x10\n"
                              "Faulting module: CrashMod.dll+0x14B3 1.2.3.4\n";
  const struct {
    const char* what;
    std::string report;
    std::optional<std::string> ini;  // nothing: none given
    int exitCode;
    std::vector<std::string> says;
  } cases[] = {
      {"a guarded site, option off", Report(kFaultInGuardedSite, "400000"), "[Patch]\nMountNodeCrash=0\n", 1,
       {"Crash 1 of 1, at 2026_12_08_13-48-29\n  Fault address: 0x" + Hex(kFaultInGuardedSite),
        "lies in a site that MountNodeCrash patches.\n", "turning MountNodeCrash on guards this site.\n"}},
      {"a guarded site, option on", Report(kFaultInGuardedSite, "400000"), "[Patch]\nMountNodeCrash=1\n", 0,
       {"MountNodeCrash was on in "}},
      // Both comparison options patch one site: the report names the one that ran.
      {"a site two options share", Report(host::kStrCmp.site, "400000"), "[Patch]\nStrCmp=0\nStrCmpNoTry=1\n", 0,
       {"lies in a site that StrCmpNoTry patches.\n", "StrCmpNoTry was on in "}},
      {"a site two options share, both off", Report(host::kStrCmp.site, "400000"),
       "[Patch]\nStrCmp=0\nStrCmpNoTry=0\n", 1, {"turning StrCmp on guards this site.\n"}},
      {"a guarded site, no settings", Report(kFaultInGuardedSite, "400000"), std::nullopt, 0,
       {"Give your Orrisbane.ini as well"}},
      {"a return address after a guarded site", Report(0x71814B3, "400000 " + Hex(kReturnAfterGuardedSite)),
       "[Patch]\nMountNodeCrash=0\n", 1,
       {"return address 0x" + Hex(kReturnAfterGuardedSite) +
        " (stack word 2 in STACK) lies in a site that MountNodeCrash patches.\n"}},
      {"appended reports with and without details",
       Report(0x401234, "400000", "\n") + "===================================\n" +
           Report(0x71814B3, "", "\n", details),
       std::nullopt, 0,
       {"Crash 1 of 2, at 2026_12_08_13-48-29\n  Fault address: 0x401234\n"
        "  No site that an Orrisbane option patches holds",
        "Crash 2 of 2, at 2026_12_08_13-48-29\n  Fault address: 0x71814B3\n"
        "  Faulting module: CrashMod.dll+0x14B3 1.2.3.4\n"
        "  Exception: 0xC0000005 access violation, reading address 0x10\n"}},
      {"settings instead of a report", "[Patch]\nStrCmp=1\n", std::nullopt, 2, {"as an Orrisbane crash report"}},
      {"a report without its line", "Crash info:\r\nnot the line\r\n", std::nullopt, 2,
       {"as an Orrisbane crash report"}},
      {"an empty file", "", std::nullopt, 2, {"as an Orrisbane crash report"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string report = Write("crash.txt", c.report);
    const DoctorRun run = c.ini ? RunDoctor({"--crash", report, Write("Orrisbane.ini", *c.ini)})
                                : RunDoctor({"--crash", report});
    ExpectAnswer(run, c.exitCode, c.says);
  }
}

}  // namespace
