#include <gtest/gtest.h>

#include <iterator>
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
#include "tests/frame/frame_fixture.h"

namespace frame_test {
namespace {

class Messages : public testing::Test {
 protected:
  void SetUp() override {
    sim::ResetHostImage();
    sim::ClearJournal();
  }
};

TEST_F(Messages, TextIsShownUnformattedAndMessagesFormattedUpToTheBufferEnd) {
  ShowText("100% sure: %s %d");
  ShowMessage("Size / alignment %d / %d", 24, 16);
  ShowMessage("%s", std::string(40000, 'x').c_str());
  ExpectPluginMessages(sim::MessageBoxes(), {"100% sure: %s %d", "Size / alignment 24 / 16", std::string(32767, 'x')});
}

TEST_F(Messages, MessagesFromSeveralThreadsKeepTheirOwnText) {
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

// The host gets every percent sign doubled (the raw text) and prints it as
// formatted here; a long line is cut, and without a console nothing is sent.
TEST_F(Messages, ConsoleDoublesEveryPercentSignOnceCutsLongLinesAndNeedsAConsole) {
  struct Line {
    const char* format;
    std::string argument, raw, printed;
  };
  const Line lines[] = {{"%s", "usage 50%", "usage 50%%", "usage 50%"},
                        {"100%%", "", "100%%", "100%"},
                        {"%s", "%%d%", "%%%%d%%", "%%d%"},
                        {"%s", "", "", ""},
                        {"%s", std::string(2000, 'y'), std::string(999, 'y'), std::string(999, 'y')}};
  for (const Line& line : lines) ConsolePrint(line.format, line.argument.c_str());
  sim::SetConsolePresent(false);
  ConsolePrint("nobody sees this");
  const auto printed = sim::ConsoleLines();
  ASSERT_EQ(printed.size(), std::size(lines));
  for (size_t i = 0; i < printed.size(); ++i) {
    EXPECT_EQ(printed[i].caption, lines[i].raw) << i;
    EXPECT_EQ(printed[i].text, lines[i].printed) << i;
  }
}

// The log decides once per process, so each case runs in its own child.
TEST(LogFile, EntriesAreTimestampedAndSeparatedByAnEmptyLine) {
  const std::string folder = sim::TempFolder("log");
  auto result = sim::RunScenarioInChild("log_twice", "\"" + folder + "\"");
  ASSERT_EQ(result.exitCode, 0u) << result.output;
  const std::string log = sim::ReadFile(LogFileIn(folder));
  const std::regex shape(
      "\\d\\d [A-Z][a-z][a-z] \\d\\d:\\d\\d:\\d\\d first\r\n\r\n"
      "\\d\\d [A-Z][a-z][a-z] \\d\\d:\\d\\d:\\d\\d second\r\nline\r\n\r\n"
      "\\d\\d [A-Z][a-z][a-z] \\d\\d:\\d\\d:\\d\\d 100% shown\r\n\r\n");
  EXPECT_TRUE(std::regex_match(log, shape)) << log;
  EXPECT_EQ(MessageBoxesOf(result).size(), 1u);
}

TEST(LogFile, OffOrUnopenableMeansNoFileAndNoRetry) {
  const std::string folder = sim::TempFolder("nolog");
  auto result = sim::RunScenarioInChild("log_missing_folder", "\"" + folder + "\"");
  ASSERT_EQ(result.exitCode, 0u) << result.output;
  EXPECT_FALSE(sim::FileExists(LogFileIn(folder)));
  EXPECT_EQ(MessageBoxesOf(result).size(), 2u) << "message boxes keep working";

  const std::string off = sim::TempFolder("logoff");
  result = sim::RunScenarioInChild("log_off", "\"" + off + "\"");
  ASSERT_EQ(result.exitCode, 0u) << result.output;
  EXPECT_FALSE(sim::FileExists(LogFileIn(off)));
}

// The crash path's entry against the text stream's, the same text logged
// both ways: byte for byte the same once the clock's digits are set aside.
// Before the setting is decided, and with it off, nothing is logged.
TEST(LogFile, TheCrashPathWritesTheSameEntryAsTheStreamAndOnlyWhenDecidedOn) {
  const std::string folder = sim::TempFolder("crash-log");
  const auto result = sim::RunScenarioInChild("log_from_crash", "\"" + folder + "\" 1");
  ASSERT_EQ(result.exitCode, 0u) << result.output;
  const std::string log = sim::ReadFile(LogFileIn(folder));
  const auto clockDigitsSetAside = [](const std::string& text) {
    return std::regex_replace(text, std::regex("\\d"), "9");
  };
  const std::string stream = log.substr(0, log.size() / 2), crash = log.substr(log.size() / 2);
  const std::regex entry("\\d\\d [A-Z][a-z][a-z] \\d\\d:\\d\\d:\\d\\d two\r\nlines 100%\r\n\r\n");
  EXPECT_TRUE(std::regex_match(stream, entry)) << log;
  EXPECT_EQ(clockDigitsSetAside(crash), clockDigitsSetAside(stream)) << log;

  const std::string off = sim::TempFolder("crash-log-off");
  ASSERT_EQ(sim::RunScenarioInChild("log_from_crash", "\"" + off + "\" 0").exitCode, 0u);
  EXPECT_FALSE(sim::FileExists(LogFileIn(off)));
}

}  // namespace
}  // namespace frame_test

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
  CreateDirectoryA(kLogFile, nullptr);
  ShowText("first");
  RemoveDirectoryA(kLogFile);
  ShowText("second");
  return 0;
}

SIM_SCENARIO(log_off) {
  sim::PrepareGameFolder(args.at(0), "[Patch]\nLogMessageToFile=0\n");
  ShowText("not logged");
  return 0;
}

SIM_SCENARIO(log_from_crash) {
  sim::PrepareGameFolder(args.at(0), "[Patch]\nLogMessageToFile=" + args.at(1) + "\n");
  LogMessageToFileFromCrash("undecided");
  DecideLogMessageToFile();
  LogMessageToFile("two\nlines 100%");
  LogMessageToFileFromCrash("two\nlines 100%");
  return 0;
}
