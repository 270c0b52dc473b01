#include <windows.h>

#include <string>

#include "patch/frame_sites.h"
#include "sim/host_frame.h"
#include "sim/host_memory.h"
#include "sim/journal.h"

namespace sim {
namespace {

constexpr uint32_t kMainLoopEntry = 0x694708;     // mov ecx, timer; then the call site
constexpr uint32_t kConsoleObject = 0x1BF0100;    // simulator-chosen host data
constexpr uint32_t kTimerObjectAddress = 0x1BF0200;

uint32_t g_framesRun = 0;
uint32_t g_readingTime = 0;
uint32_t g_timerUpdates = 0;
uint32_t g_timerResult = 0x7130E0A0;
volatile uint32_t g_lastTimerResult = 0;

extern "C" int __cdecl SimHostMessageBox(const char* text, const char* caption, unsigned style) {
  if (g_readingTime != 0) Sleep(g_readingTime);
  RecordMessageBox(text, caption, style);
  return 1;  // IDOK
}

// The host prints the text as a printf format with no arguments: "%%" is a
// percent sign, anything else after '%' would read a missing argument.
std::string RenderWithoutArguments(const char* format) {
  std::string out;
  for (const char* c = format; *c != '\0'; ++c) {
    if (*c != '%') {
      out += *c;
    } else if (c[1] == '%') {
      out += '%';
      ++c;
    } else {
      out += "<unescaped %>";
      if (c[1] == '\0') break;
    }
  }
  return out;
}

extern "C" __attribute__((thiscall)) void SimHostConsolePrint(void* console, const char* text, void* consoleAgain) {
  std::string raw = text ? text : "";
  std::string printed = RenderWithoutArguments(raw.c_str());
  if (console != consoleAgain || reinterpret_cast<uintptr_t>(console) != kConsoleObject) {
    printed = "<wrong console object> " + printed;
  }
  RecordConsoleLine(printed, raw);
}

extern "C" __attribute__((thiscall)) uint32_t SimHostTimerUpdate(void*) {
  ++g_timerUpdates;
  return g_timerResult;
}

void PlaceFrameRoutines() {
  PlaceJump(host::kMessageBox, reinterpret_cast<const void*>(&SimHostMessageBox));
  PlaceJump(host::kConsolePrint, reinterpret_cast<const void*>(&SimHostConsolePrint));
  PlaceJump(host::kTimerUpdate, reinterpret_cast<const void*>(&SimHostTimerUpdate));
  const uint32_t timer = kTimerObjectAddress;
  PlaceBytes(kMainLoopEntry, {0xB9, uint8_t(timer), uint8_t(timer >> 8), uint8_t(timer >> 16), uint8_t(timer >> 24)});
  PlaceBytes(host::kMainLoop.site, {0xE8});
  PlaceWord(host::kMainLoop.site + 1, host::kTimerUpdate - (host::kMainLoop.site + 5));
  const auto last = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&g_lastTimerResult));
  PlaceBytes(host::kMainLoop.resume, {0xA3, uint8_t(last), uint8_t(last >> 8), uint8_t(last >> 16), uint8_t(last >> 24), 0xC3});
  HostAt<uint32_t>(host::kConsole) = kConsoleObject;
}

[[maybe_unused]] const bool g_registered = RegisterHostPlacer(PlaceFrameRoutines);

}  // namespace

void SetMessageBoxReadingTime(uint32_t milliseconds) { g_readingTime = milliseconds; }

void SetConsolePresent(bool present) { HostAt<uint32_t>(host::kConsole) = present ? kConsoleObject : 0; }
uint32_t ConsoleObject() { return kConsoleObject; }

void RunFrame() {
  reinterpret_cast<void (*)()>(kMainLoopEntry)();
  ++g_framesRun;
}

uint32_t FramesRun() { return g_framesRun; }
uint32_t LastTimerResult() { return g_lastTimerResult; }
uint32_t TimerUpdatesRun() { return g_timerUpdates; }
uint32_t TimerObject() { return kTimerObjectAddress; }
void SetTimerResult(uint32_t eax) { g_timerResult = eax; }

}  // namespace sim
