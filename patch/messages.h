// How the plugin talks to the user: the log file, message boxes shown
// through the game, and lines on the game's console.
#pragma once
#include <cstdint>

constexpr const char* kLogFile = "Data\\QORV\\Plugins\\OrrisbaneLog.txt";
constexpr const char* kMessageCaption = "Message from Orrisbane";
constexpr unsigned kMessageStyle = 0x12010;  // OK, error icon, task-modal, foreground
constexpr unsigned kMessageBufferSize = 32768;
constexpr unsigned kConsoleBufferSize = 1000;

void LogMessageToFile(const char* text);
// Reads the LogMessageToFile setting now, as the first LogMessageToFile
// call would, for code that must log later without reading settings.
void DecideLogMessageToFile();
// For code that runs while other threads of a broken process may hold the
// heap or the loader lock (the crash filter): the entry LogMessageToFile
// writes, byte for byte, composed in a static buffer and appended with
// CreateFileA/WriteFile. Logs only when the setting was decided on before.
// One thread at a time.
void LogMessageToFileFromCrash(const char* text);
// ShowText for the same code: logged as above, then shown.
void ShowTextFromCrash(const char* text);
// Logs the finished text, then shows it unchanged; returns once it is closed.
void ShowText(const char* text);

// While one of the plugin's message boxes is open the thread that shows it
// runs no frame: that is the player reading, not a freeze. The tick count
// when the last box closed, with its low bit set (0 before any).
bool MessageBoxOpen();
uint32_t LastMessageBoxClosedTick();
void ShowMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
void ConsolePrint(const char* format, ...) __attribute__((format(printf, 1, 2)));
