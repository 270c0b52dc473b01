// The probable call stack of a thread: the stack words that are return
// addresses, each right after a call instruction in a module's code, with
// those that the EBP frame chain confirms marked. Shared by the details and
// the summary's culprit; static storage, guarded reads, no heap.
#pragma once
#include <windows.h>

#include <cstdint>

struct CallFrame {
  uint32_t slotOffset;     // from ESP
  uint32_t returnAddress;
  bool confirmed;          // the EBP chain passes through the slot
};

constexpr int kCallFramesKept = 64;

// Scans the stack of the context against the last module snapshot (take
// one first); returns the frames, nearest first, and sets their count.
const CallFrame* CollectCallStack(const CONTEXT& context, int* count);
