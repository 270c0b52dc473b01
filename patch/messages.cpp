#include "patch/messages.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <mutex>
#include <string>

#include "core/settings.h"
#include "core/text_builder.h"
#include "patch/frame_sites.h"
#include "patch/static_file.h"

namespace {

constexpr const char* kTimestampFormat = "%d %b %H:%M:%S ";

// 0: not decided yet; > 0: on; < 0: off for the rest of the process.
int g_logState = 0;

// One buffer each, so callers on different threads (two allocation failures
// at once, say) take turns. Recursive: a crash while a message is up may
// report through the same thread.
char g_messageBuffer[kMessageBufferSize];
char g_consoleBuffer[kConsoleBufferSize];
std::recursive_mutex g_messageLock;
std::recursive_mutex g_consoleLock;

// A box holds the thread that shows it, the main thread included: the
// freeze watchdog does not count that time.
std::atomic<int> g_openMessageBoxes{0};
std::atomic<uint32_t> g_lastMessageBoxClosedTick{0};

// The crash path's log entry, composed without the C runtime: one thread
// at a time, the one that reports the crash.
char g_crashLogEntry[kMessageBufferSize + 32];

using HostMessageBoxFn = int(__cdecl*)(const char* text, const char* caption, unsigned style);
using HostConsolePrintFn = void(__thiscall*)(void* console, const char* text, void* consoleAgain);

// The host reads console text as a printf format; every percent sign must
// reach it doubled so that the line prints as formatted here.
std::string DoublePercentSigns(const char* text) {
  std::string escaped;
  for (const char* c = text; *c != '\0'; ++c) {
    escaped += *c;
    if (*c == '%') escaped += '%';
  }
  return escaped;
}

// The text strftime gives for kTimestampFormat in the C locale.
void AppendTimestamp(TextBuilder& entry, const SYSTEMTIME& time) {
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const char* month = time.wMonth >= 1 && time.wMonth <= 12 ? kMonths[time.wMonth - 1] : "???";
  entry.AppendDecimal(time.wDay, 2).Append(" ").Append(month).Append(" ").AppendDecimal(time.wHour, 2);
  entry.Append(":").AppendDecimal(time.wMinute, 2).Append(":").AppendDecimal(time.wSecond, 2).Append(" ");
}

}  // namespace

// Both the crash recorder and the freeze watchdog pass here at install:
// their files are written relative to the folder the game runs in now.
void DecideLogMessageToFile() {
  if (g_logState != 0) return;
  RememberGameFolderForStaticFiles();
  const int32_t setting = GetSetting("LogMessageToFile", -1);
  g_logState = setting > 0 ? setting : -1;
}

void LogMessageToFile(const char* text) {
  DecideLogMessageToFile();
  if (g_logState < 0) return;
  std::ofstream log(kLogFile, std::ios::out | std::ios::app);
  if (!log.good()) {
    g_logState = -1;  // a log that failed to open once is never tried again
    return;
  }
  const std::time_t now = std::time(nullptr);
  if (const std::tm* local = std::localtime(&now)) {
    char stamp[80];
    if (std::strftime(stamp, sizeof stamp, kTimestampFormat, local) != 0) log << stamp;
  }
  log << text << "\n\n";
}

void ShowText(const char* text) {
  LogMessageToFile(text);
  g_openMessageBoxes.fetch_add(1, std::memory_order_relaxed);
  reinterpret_cast<HostMessageBoxFn>(host::kMessageBox)(text, kMessageCaption, kMessageStyle);
  g_lastMessageBoxClosedTick.store(GetTickCount() | 1u, std::memory_order_relaxed);
  g_openMessageBoxes.fetch_sub(1, std::memory_order_release);
}

bool MessageBoxOpen() { return g_openMessageBoxes.load(std::memory_order_acquire) != 0; }

uint32_t LastMessageBoxClosedTick() { return g_lastMessageBoxClosedTick.load(std::memory_order_relaxed); }

// The text stream's entry byte for byte: its line feeds become CR LF.
void LogMessageToFileFromCrash(const char* text) {
  if (g_logState <= 0) return;
  SYSTEMTIME now;
  GetLocalTime(&now);
  TextBuilder entry(g_crashLogEntry, TextBuilder::kCrLf);
  AppendTimestamp(entry, now);
  entry.Append(text).Append("\n\n");
  AppendWithRollback(kLogFile, {{g_crashLogEntry, static_cast<DWORD>(entry.Length())}});
}

void ShowTextFromCrash(const char* text) {
  LogMessageToFileFromCrash(text);
  reinterpret_cast<HostMessageBoxFn>(host::kMessageBox)(text, kMessageCaption, kMessageStyle);
}

void ShowMessage(const char* format, ...) {
  std::lock_guard guard(g_messageLock);
  va_list args;
  va_start(args, format);
  std::vsnprintf(g_messageBuffer, sizeof g_messageBuffer, format, args);
  va_end(args);
  ShowText(g_messageBuffer);
}

void ConsolePrint(const char* format, ...) {
  std::lock_guard guard(g_consoleLock);
  va_list args;
  va_start(args, format);
  std::vsnprintf(g_consoleBuffer, sizeof g_consoleBuffer, format, args);
  va_end(args);
  void* console = host::At<void*>(host::kConsole);
  if (console == nullptr) return;
  const std::string escaped = DoublePercentSigns(g_consoleBuffer);
  reinterpret_cast<HostConsolePrintFn>(host::kConsolePrint)(console, escaped.c_str(), console);
}
