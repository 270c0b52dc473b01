#include "tests/frame/frame_fixture.h"

#include <cstdlib>

#include "patch/messages.h"
#include "sim/host_memory.h"
#include "sim/journal.h"

namespace frame_test {

std::string DistIniPath() {
  const char* ini = std::getenv("ORRISBANE_INI");
  return ini ? ini : "";
}

std::string LogFileIn(const std::string& folder) { return folder + "\\" + kLogFile; }

std::string FreshDllCopy(const std::string& folder) {
  static int copies = 0;
  const char* built = std::getenv("ORRISBANE_DLL");
  EXPECT_NE(built, nullptr) << "ORRISBANE_DLL names the built library";
  const std::string copy = folder + "\\Orrisbane-copy" + std::to_string(++copies) + ".dll";
  EXPECT_TRUE(CopyFileA(built ? built : "", copy.c_str(), FALSE)) << copy;
  return copy;
}

LoadedCopy LoadFreshCopy(const std::string& ini, bool late, sim::AfterMapping afterMapping) {
  sim::ResetHostImage();
  sim::ClearJournal();
  LoadedCopy copy;
  copy.folder = sim::TempFolder("load");
  sim::PrepareGameFolder(copy.folder, ini);
  copy.outcome = sim::LoadPluginAsQorv({FreshDllCopy(copy.folder), late, 0x09200000, 0, std::move(afterMapping)});
  return copy;
}

std::vector<sim::JournalEntry> MessageBoxesOf(const sim::ChildResult& run) {
  std::vector<sim::JournalEntry> boxes;
  for (const auto& e : run.journal) {
    if (e.kind == sim::JournalEntry::kMessageBox) boxes.push_back(e);
  }
  return boxes;
}

void ExpectPluginMessages(const std::vector<sim::JournalEntry>& boxes, const std::vector<std::string>& texts) {
  ASSERT_EQ(boxes.size(), texts.size());
  for (size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(boxes[i].text, texts[i]) << "box " << i;
    EXPECT_EQ(boxes[i].caption, "Message from Orrisbane") << "box " << i;
    EXPECT_EQ(boxes[i].style, 0x12010u) << "box " << i;
  }
}

}  // namespace frame_test
