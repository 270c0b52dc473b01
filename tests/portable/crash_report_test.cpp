// The doctor reading crash reports, run as a player runs it: a program
// given a report and their Orrisbane.ini, judged by its output and exit code.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "fixes/scene_node_guard_sites.h"
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

class CrashDoctor : public DoctorFolder {
 protected:
  DoctorRun Explain(const std::string& report, const std::string& ini = "") {
    const std::string reportPath = Write("crash.txt", report);
    return ini.empty() ? RunDoctor({"--crash", reportPath})
                       : RunDoctor({"--crash", reportPath, Write("Orrisbane.ini", ini)});
  }
};

// Inside the patched span of MountNodeCrash, as the host runs it unpatched.
const uint32_t kFaultInGuardedSite = host::kMountNodeCrash.site + 3;

TEST_F(CrashDoctor, AFaultInAGuardedSiteNamesTheOptionAndWhetherItWasOn) {
  const DoctorRun off = Explain(Report(kFaultInGuardedSite, "400000"), "[Patch]\nMountNodeCrash=0\n");
  EXPECT_EQ(off.exitCode, 1) << off.output;
  EXPECT_TRUE(off.Says("Crash 1 of 1, at 2026_12_08_13-48-29\n  Fault address: 0x" + Hex(kFaultInGuardedSite)))
      << off.output;
  EXPECT_TRUE(off.Says("lies in a site that MountNodeCrash patches.\n")) << off.output;
  EXPECT_TRUE(off.Says("turning MountNodeCrash on guards this site.\n")) << off.output;

  const DoctorRun on = Explain(Report(kFaultInGuardedSite, "400000"), "[Patch]\nMountNodeCrash=1\n");
  EXPECT_EQ(on.exitCode, 0) << on.output;
  EXPECT_TRUE(on.Says("MountNodeCrash was on in ")) << on.output;

  const DoctorRun noSettings = Explain(Report(kFaultInGuardedSite, "400000"));
  EXPECT_EQ(noSettings.exitCode, 0) << noSettings.output;
  EXPECT_TRUE(noSettings.Says("Give your Orrisbane.ini as well")) << noSettings.output;
}

// A fault outside host code whose caller, a few words up, is a patched call.
TEST_F(CrashDoctor, AReturnAddressRightAfterAGuardedSiteNamesItsOption) {
  const uint32_t returnAddress = host::kMountNodeCrash.resume;
  const DoctorRun answer = Explain(Report(0x71814B3, "400000 " + Hex(returnAddress)), "[Patch]\nMountNodeCrash=0\n");
  EXPECT_EQ(answer.exitCode, 1) << answer.output;
  EXPECT_TRUE(answer.Says("return address 0x" + Hex(returnAddress) + " (stack word 2 in STACK) lies in a site that "
                          "MountNodeCrash patches.\n"))
      << answer.output;
}

TEST_F(CrashDoctor, AppendedReportsWithAndWithoutDetailsAreEachExplained) {
  const std::string details = "\nDetails:\nException: 0xC0000005 access violation, reading address 0x10\n"
                              "Faulting module: CrashMod.dll+0x14B3 1.2.3.4\n";
  const DoctorRun answer = Explain(Report(0x401234, "400000", "\n") + "===================================\n" +
                                Report(0x71814B3, "", "\n", details));
  EXPECT_EQ(answer.exitCode, 0) << answer.output;
  EXPECT_TRUE(answer.Says("Crash 1 of 2, at 2026_12_08_13-48-29\n  Fault address: 0x401234\n  No site that an "
                          "Orrisbane option patches holds"))
      << answer.output;
  EXPECT_TRUE(answer.Says("Crash 2 of 2, at 2026_12_08_13-48-29\n  Fault address: 0x71814B3\n"
                          "  Faulting module: CrashMod.dll+0x14B3 1.2.3.4\n"
                          "  Exception: 0xC0000005 access violation, reading address 0x10\n"))
      << answer.output;
}

TEST_F(CrashDoctor, AFileThatIsNoReportIsRefused) {
  for (const std::string text : {std::string("[Patch]\nStrCmp=1\n"), std::string("Crash info:\r\nnot the line\r\n"),
                                 std::string()}) {
    const DoctorRun answer = Explain(text);
    EXPECT_EQ(answer.exitCode, 2) << answer.output;
    EXPECT_TRUE(answer.Says("as an Orrisbane crash report")) << answer.output;
  }
}

}  // namespace
