#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "patch/messages.h"
#include "sim/child.h"
#include "sim/host_frame.h"
#include "sim/host_memory.h"
#include "sim/journal.h"
#include "sim/loader.h"

namespace {

std::vector<sim::JournalEntry> Boxes(const sim::ChildResult& r) {
  std::vector<sim::JournalEntry> out;
  for (auto& e : r.journal) {
    if (e.kind == sim::JournalEntry::kMessageBox) out.push_back(e);
  }
  return out;
}

TEST(Messages, ShowTextShowsTheTextUnformattedWithCaptionAndStyle) {
  sim::ResetHostImage();
  sim::ClearJournal();
  ShowText("100% sure: %s %d");
  auto boxes = sim::MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "100% sure: %s %d");
  EXPECT_EQ(boxes[0].caption, "Message from Orrisbane");
  EXPECT_EQ(boxes[0].style, 0x12010u);
}

TEST(Messages, ShowMessageFormatsAndCutsAtTheBufferEnd) {
  sim::ResetHostImage();
  sim::ClearJournal();
  ShowMessage("Size / alignment %d / %d", 24, 16);
  const std::string longText(40000, 'x');
  ShowMessage("%s", longText.c_str());
  auto boxes = sim::MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Size / alignment 24 / 16");
  EXPECT_EQ(boxes[1].text, std::string(32767, 'x'));
}

TEST(Messages, MessagesFromSeveralThreadsKeepTheirOwnText) {
  sim::ResetHostImage();
  sim::ClearJournal();
  constexpr int kThreads = 4;
  constexpr int kMessages = 5;
  sim::SetMessageBoxReadingTime(5);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      const std::string text(3000, static_cast<char>('a' + t));
      for (int i = 0; i < kMessages; ++i) ShowMessage("%s%d", text.c_str(), i);
    });
  }
  for (auto& thread : threads) thread.join();
  sim::SetMessageBoxReadingTime(0);
  std::multiset<std::string> shown, sent;
  for (const auto& box : sim::MessageBoxes()) shown.insert(box.text);
  for (int t = 0; t < kThreads; ++t) {
    for (int i = 0; i < kMessages; ++i) sent.insert(std::string(3000, static_cast<char>('a' + t)) + std::to_string(i));
  }
  EXPECT_TRUE(shown == sent) << "a message box showed another thread's text";
}

TEST(Messages, ConsoleDoublesEveryPercentSignOnce) {
  sim::ResetHostImage();
  sim::ClearJournal();
  ConsolePrint("%s", "usage 50%");
  ConsolePrint("100%%");
  ConsolePrint("%s", "%%d%");
  ConsolePrint("%s", "");
  auto lines = sim::ConsoleLines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].caption, "usage 50%%");  // the raw text the host got
  EXPECT_EQ(lines[0].text, "usage 50%");      // what the host printed
  EXPECT_EQ(lines[1].caption, "100%%");
  EXPECT_EQ(lines[2].caption, "%%%%d%%");
  EXPECT_EQ(lines[2].text, "%%d%");
  EXPECT_EQ(lines[3].caption, "");
}

TEST(Messages, ConsoleLinesAreCutAndDroppedWithoutAConsole) {
  sim::ResetHostImage();
  sim::ClearJournal();
  ConsolePrint("%s", std::string(2000, 'y').c_str());
  sim::SetConsolePresent(false);
  ConsolePrint("nobody sees this");
  auto lines = sim::ConsoleLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, std::string(999, 'y'));
}

// The log decides once per process, so each case runs in its own child.
TEST(LogFile, EntriesAreTimestampedAndSeparatedByAnEmptyLine) {
  const std::string folder = sim::TempFolder("log");
  auto result = sim::RunScenarioInChild("log_twice", "\"" + folder + "\"");
  ASSERT_EQ(result.exitCode, 0u) << result.output;
  const std::string log = sim::ReadFile(folder + "\\Data\\QORV\\Plugins\\OrrisbaneLog.txt");
  const std::regex shape(
      "\\d\\d [A-Z][a-z][a-z] \\d\\d:\\d\\d:\\d\\d first\r\n\r\n"
      "\\d\\d [A-Z][a-z][a-z] \\d\\d:\\d\\d:\\d\\d second\r\nline\r\n\r\n"
      "\\d\\d [A-Z][a-z][a-z] \\d\\d:\\d\\d:\\d\\d 100% shown\r\n\r\n");
  EXPECT_TRUE(std::regex_match(log, shape)) << log;
  EXPECT_EQ(Boxes(result).size(), 1u);
}

TEST(LogFile, OffOrUnopenableMeansNoFileAndNoRetry) {
  const std::string folder = sim::TempFolder("nolog");
  auto result = sim::RunScenarioInChild("log_missing_folder", "\"" + folder + "\"");
  ASSERT_EQ(result.exitCode, 0u) << result.output;
  EXPECT_FALSE(sim::FileExists(folder + "\\Data\\QORV\\Plugins\\OrrisbaneLog.txt"));
  EXPECT_EQ(Boxes(result).size(), 2u) << "message boxes keep working";

  const std::string off = sim::TempFolder("logoff");
  result = sim::RunScenarioInChild("log_off", "\"" + off + "\"");
  ASSERT_EQ(result.exitCode, 0u) << result.output;
  EXPECT_FALSE(sim::FileExists(off + "\\Data\\QORV\\Plugins\\OrrisbaneLog.txt"));
}

}  // namespace

// The setting is read on the first call only: turning it off in the file
// afterwards changes nothing.
SIM_SCENARIO(log_twice) {
  sim::PrepareGameFolder(args.at(0), "[Patch]\nLogMessageToFile=2\n");
  LogMessageToFile("first");
  sim::WriteFile(args.at(0) + "\\Data\\QORV\\Plugins\\Orrisbane.ini", "[Patch]\nLogMessageToFile=0\n");
  LogMessageToFile("second\nline");
  ShowText("100% shown");
  return 0;
}

// A log that cannot be opened (here a folder stands where the file would)
// is off for good: once the way is clear again, nothing is retried.
SIM_SCENARIO(log_missing_folder) {
  sim::PrepareGameFolder(args.at(0), "[Patch]\nLogMessageToFile=1\n");
  CreateDirectoryA("Data\\QORV\\Plugins\\OrrisbaneLog.txt", nullptr);
  ShowText("first");
  RemoveDirectoryA("Data\\QORV\\Plugins\\OrrisbaneLog.txt");
  ShowText("second");
  return 0;
}

SIM_SCENARIO(log_off) {
  sim::PrepareGameFolder(args.at(0), "[Patch]\nLogMessageToFile=0\n");
  ShowText("not logged");
  return 0;
}
