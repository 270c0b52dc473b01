// Reads of process memory that may be unmapped or freed, for the crash
// details: every byte comes through the fault guard's word read, so a bad
// pointer ends one item and never the report.
#pragma once
#include <cstddef>
#include <cstdint>

// The word at address, read only from pages the system says are committed,
// readable and not a guard page: a bad pointer then costs no exception, so
// neither runs every module's exception handlers while a thread of the
// broken game is suspended, nor clears the guard page a thread's stack grows
// by. Memory freed after the question still faults into the fault guard.
bool ReadGuardedWord(uint32_t address, uint32_t* out);

// Reads the aligned word holding the byte, so that a byte at the end of a
// readable page never touches the next one.
inline bool ReadGuardedByte(uint32_t address, uint8_t* out) {
  uint32_t word = 0;
  if (!ReadGuardedWord(address & ~3u, &word)) return false;
  *out = static_cast<uint8_t>(word >> (8 * (address & 3u)));
  return true;
}

inline bool ReadGuardedHalf(uint32_t address, uint16_t* out) {
  uint8_t low = 0, high = 0;
  if (!ReadGuardedByte(address, &low) || !ReadGuardedByte(address + 1, &high)) return false;
  *out = static_cast<uint16_t>(low | high << 8);
  return true;
}

// Copies the terminated text at address into text, byte by byte, and
// terminates the copy. Returns its length, N - 1 when the buffer filled up
// before the text ended, or -1 when a byte is unreadable or not accepted.
template <size_t N>
int ReadGuardedText(uint32_t address, char (&text)[N], bool (*accepted)(uint8_t)) {
  int length = 0;
  for (; length + 1 < static_cast<int>(N); ++length) {
    uint8_t c = 0;
    if (!ReadGuardedByte(address + length, &c)) return -1;
    if (c == 0) break;
    if (!accepted(c)) return -1;
    text[length] = static_cast<char>(c);
  }
  text[length] = '\0';
  return length;
}

inline bool IsPrintable(uint8_t c) { return c >= 0x20 && c < 0x7F; }
