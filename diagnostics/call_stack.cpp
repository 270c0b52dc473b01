#include "diagnostics/call_stack.h"

#include "diagnostics/call_instruction.h"
#include "diagnostics/guarded_memory.h"
#include "diagnostics/module_list.h"

namespace {

constexpr int kStackWordsSearched = 4096;
constexpr int kFramesFollowed = 64;
constexpr uint32_t kLargestFrame = 1024 * 1024;

CallFrame g_frames[kCallFramesKept];
uint32_t g_frameReturnSlots[kFramesFollowed];
int g_frameCount = 0;

// Code is what a call can return to: committed executable memory of a
// module. The section table is not asked, because a module may make code
// executable at run time (as the host's unpacked image does).
bool IsModuleCode(uint32_t address) {
  if (ModuleContaining(address) == nullptr) return false;
  MEMORY_BASIC_INFORMATION region;
  if (VirtualQuery(reinterpret_cast<const void*>(static_cast<uintptr_t>(address)), &region, sizeof region) == 0) {
    return false;
  }
  constexpr DWORD kExecutable = PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  return region.State == MEM_COMMIT && (region.Protect & kExecutable) != 0;
}

// The bytes before the word are read one by one, so that a call at the
// start of a readable page still counts.
bool FollowsCall(uint32_t address) {
  uint8_t before[kLongestCall];
  int count = 0;
  while (count < kLongestCall && ReadGuardedByte(address - 1 - count, &before[kLongestCall - 1 - count])) ++count;
  return EndsWithCall(before + kLongestCall - count, count);
}

// The return-address slots of the EBP frame chain, each frame above the last.
void FollowFrameChain(uint32_t ebp) {
  g_frameCount = 0;
  while (g_frameCount < kFramesFollowed) {
    uint32_t callerEbp = 0;
    if (!ReadGuardedWord(ebp, &callerEbp)) return;
    g_frameReturnSlots[g_frameCount++] = ebp + 4;
    if (callerEbp <= ebp || callerEbp - ebp > kLargestFrame) return;
    ebp = callerEbp;
  }
}

bool ConfirmedByFrameChain(uint32_t slot) {
  for (int i = 0; i < g_frameCount; ++i) {
    if (g_frameReturnSlots[i] == slot) return true;
  }
  return false;
}

}  // namespace

const CallFrame* CollectCallStack(const CONTEXT& context, int* count) {
  FollowFrameChain(context.Ebp);
  *count = 0;
  for (int i = 0; i < kStackWordsSearched && *count < kCallFramesKept; ++i) {
    const uint32_t slot = context.Esp + 4u * i;
    uint32_t word = 0;
    if (!ReadGuardedWord(slot, &word)) break;
    if (!IsModuleCode(word) || !FollowsCall(word)) continue;
    g_frames[(*count)++] = {4u * i, word, ConfirmedByFrameChain(slot)};
  }
  return g_frames;
}
