// The doctor's crash analysis on reports the real plugin wrote: crashes in
// another mod's library, in a site NullRefNode guards, and in unguarded game
// code, made in child processes, gathered into CrashLog folders and judged
// by the built doctor as a player runs it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "fixes/scene_node_guard_sites.h"
#include "sim/child.h"
#include "sim/loader.h"
#include "tests/diagnostics/diagnostics_fixture.h"

using namespace diagnostics_test;

namespace {

constexpr int kDetails = 0x21;           // a report per crash, named by its time, with details
constexpr int kAppendedDetails = 0x2B;   // the same, appended to one crash_last.txt
constexpr int kClassic = 0x01;           // the five classic lines only

// The reports of each kind, made once: the real recorder's bytes.
struct Reports {
  std::string modAppended;              // four crashes in CrashMod.dll, one file
  std::vector<std::string> guarded;     // three in NullRefNode's site, which is off
  std::vector<std::string> game;        // two in game code no option patches
  std::string classic;                  // one without details
};

std::string OnlyReport(const std::string& game) {
  const std::vector<std::string> names = FilesIn(game + kCrashFolder);
  EXPECT_EQ(names.size(), 1u);
  return names.empty() ? "" : sim::ReadFile(game + kCrashFolder + "\\" + names.front());
}

std::string HostCrash(uint32_t eip, int value) {
  const std::string game = sim::TempFolder("doctor-report");
  sim::RunScenarioInChild("crash", Quoted(game) + " " + std::to_string(value) + " access " + Hex(eip) + " -");
  return OnlyReport(game);
}

const Reports& MadeByThePlugin() {
  static const Reports reports = [] {
    Reports r;
    const std::string mods = sim::TempFolder("doctor-mod");
    for (int i = 0; i < 4; ++i) sim::RunScenarioInChild("crash_in_mod", Quoted(mods) + " " + std::to_string(kAppendedDetails) + " read");
    r.modAppended = sim::ReadFile(mods + kCrashFolder + "\\crash_last.txt");
    for (int i = 0; i < 3; ++i) r.guarded.push_back(HostCrash(host::kNullRefNode.site, kDetails));
    for (int i = 0; i < 2; ++i) r.game.push_back(HostCrash(kUnpatchedHostCode, kDetails));
    r.classic = HostCrash(kUnpatchedHostCode, kClassic);
    return r;
  }();
  return reports;
}

// The first of appended reports, as a player copies it out.
std::string FirstOf(const std::string& appended) {
  const size_t first = appended.find("Crash info:");
  return appended.substr(first, appended.find("Crash info:", first + 1) - first);
}

struct Folder {
  const char* what;
  std::map<std::string, std::string> files;  // name in CrashLog -> report
  std::string ini;                           // an Orrisbane.ini given with it, when set
  int exitCode;
  std::vector<std::string> says;
};

std::vector<Folder> Folders(const Reports& r) {
  const std::string culprit = "  CrashMod.dll: 4 crashes, newest ";
  const std::map<std::string, std::string> guardedAndMod = {{"crash_1.txt", r.guarded[0]},
                                                           {"crash_2.txt", r.guarded[1]},
                                                           {"crash_3.txt", r.guarded[2]},
                                                           {"crash_last.txt", r.modAppended}};
  const std::string nullRefNodeOn = "[Patch]\nLogMessageToFile=1\nRecordCrashInfo=33\nNullRefNode=1\n";
  return {
      {"one mod in most crashes, an old report among them",
       {{"crash_last.txt", r.modAppended}, {"crash_old.txt", r.classic}}, "", 1,
       {"Read 5 reports from ", culprit, "    at CrashMod.dll+0x",
        "  no details (counted by fault address): 1 crash, newest ",
        "Verdict: CrashMod.dll is in 4 of 5 crashes: update or remove the mod that installed it\n"}},
      {"a guarded site that is off", guardedAndMod, "", 1,
       {"crash_1.txt: the fault address 0x" + Hex(host::kNullRefNode.site) +
            " lies in a site that NullRefNode guards; NullRefNode was off at that crash\n",
        "Verdict: 3 crashes in a site that NullRefNode guards, which is off\n"}},
      {"the same folder after turning it on", guardedAndMod, nullRefNodeOn, 1,
       {"NullRefNode was off at that crash and is on now\n",
        "Settings: you changed settings since the crash: on now, off then: NullRefNode\n",
        "Verdict: CrashMod.dll is in 4 of 7 crashes"}},
      {"spread over the game's code, the guarding option now on",
       {{"crash_a.txt", r.game[0]}, {"crash_b.txt", r.game[1]}, {"crash_c.txt", r.guarded[0]},
        {"crash_old.txt", r.classic}},
       nullRefNodeOn, 0,
       {"  none found (the game or the system): 3 crashes", "    at diagnostics_tests.exe+0x",
        "Verdict: no single cause: the crashes are spread over 2 modules\n"}},
      {"every report", 
       {{"crash_last.txt", r.modAppended}, {"crash_1.txt", r.guarded[0]}, {"crash_2.txt", r.guarded[1]},
        {"crash_3.txt", r.guarded[2]}, {"crash_a.txt", r.game[0]}, {"crash_b.txt", r.game[1]},
        {"crash_old.txt", r.classic}},
       "", 1, {"Read 10 reports from ", culprit, "Verdict: 3 crashes in a site that NullRefNode guards, which is off\n"}},
      {"one report in the mod", {{"crash_last.txt", FirstOf(r.modAppended)}}, "", 1,
       {"How sure: fairly: the crash happened in CrashMod.dll itself\n",
        "What to do: update or remove the mod that installed CrashMod.dll",
        "Verdict: CrashMod.dll is in 1 of 1 crashes"}},
  };
}

TEST(CrashFolderDoctor, RanksAndJudgesTheReportsThePluginWrote) {
  const Reports& reports = MadeByThePlugin();
  ASSERT_NE(FirstOf(reports.modAppended), reports.modAppended) << "four appended reports\n" << reports.modAppended;
  const char* doctor = std::getenv("ORRISBANE_DOCTOR");
  ASSERT_NE(doctor, nullptr);
  for (const Folder& folder : Folders(reports)) {
    SCOPED_TRACE(folder.what);
    const std::string crashLog = sim::TempFolder("doctor-folder") + "\\CrashLog";
    CreateDirectoryA(crashLog.c_str(), nullptr);
    for (const auto& [name, text] : folder.files) sim::WriteFile(crashLog + "\\" + name, text);
    std::string command = std::string("\"") + doctor + "\" --crash \"" + crashLog + "\"";
    if (!folder.ini.empty()) {
      sim::WriteFile(crashLog + "\\..\\Orrisbane.ini", folder.ini);
      command += " \"" + crashLog + "\\..\\Orrisbane.ini\"";
    }
    const sim::ChildResult run = sim::RunProgram(command);
    EXPECT_EQ(run.exitCode, static_cast<uint32_t>(folder.exitCode)) << run.output;
    for (const std::string& text : folder.says) {
      EXPECT_NE(run.output.find(text), std::string::npos) << text << "\n" << run.output;
    }
  }
}

}  // namespace
