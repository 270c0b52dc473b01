// The doctor run as players run it: the built program given files in a
// fresh folder, judged by its output and exit code.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace fs = std::filesystem;

struct DoctorRun {
  int exitCode = -1;
  std::string output;
  bool Says(const std::string& text) const { return output.find(text) != std::string::npos; }
};

// Runs the built doctor with each argument quoted; the output holds both
// streams.
inline DoctorRun RunDoctor(std::initializer_list<std::string> arguments) {
  std::string command = std::string("\"") + ORRISBANE_DOCTOR + "\"";
  for (const std::string& argument : arguments) command += " \"" + argument + "\"";
  DoctorRun run;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  char buffer[4096];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) run.output.append(buffer, n);
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// The run ended with exitCode, its output holding every text of says and none
// of saysNot.
inline void ExpectAnswer(const DoctorRun& run, int exitCode, const std::vector<std::string>& says,
                         const std::vector<std::string>& saysNot = {}) {
  EXPECT_EQ(run.exitCode, exitCode) << run.output;
  for (const auto& text : says) EXPECT_TRUE(run.Says(text)) << text << "\n" << run.output;
  for (const auto& text : saysNot) EXPECT_FALSE(run.Says(text)) << text << "\n" << run.output;
}

class DoctorFolder : public testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    dir_ = fs::temp_directory_path() / ("orrisbane-doctor-" + std::to_string(std::time(nullptr)) + "-" +
                                        std::to_string(++counter));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    return (dir_ / name).string();
  }

  fs::path dir_;
};
