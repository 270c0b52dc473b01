#include "fixes/null_guards_first.h"

#include <cstdlib>

#include "fixes/null_guards_first_sites.h"
#include "patch/fault_guard.h"
#include "patch/hook_asm.h"
#include "patch/patch_writer.h"
#include "plugin/apply.h"

using namespace host;

namespace {

constexpr size_t kSeenDataSize = 0x2C;

// Put back to zero on every use, in case anything wrote through the address
// handed out before.
volatile uint32_t g_zeroWord = 0;
}  // namespace

// ---- plain guards --------------------------------------------------------

HOOK_BODY(UnkUniqueId_Body,
          "test ebp, ebp\n"
          "jz 1f\n"
          "mov eax, [ebp]\n"
          "test eax, eax\n"
          "jz 1f\n"
          CONTINUE_AFTER(kUnkUniqueId)
          "1:\n"
          CONTINUE_AT(kUnkUniqueIdSkip),
          RESUME_OF(kUnkUniqueId), HOST_ADDRESS(kUnkUniqueIdSkip))

// A null object is treated like one whose flag at 0x40 is set.
HOOK_BODY(Render650_Body,
          "test eax, eax\n"
          "jz 1f\n"
          "cmp byte ptr [eax+0x40], 0\n"
          "jne 1f\n"
          CONTINUE_AT(kRender650Use)
          "1:\n"
          CONTINUE_AFTER(kRender650),
          HOST_ADDRESS(kRender650Use), RESUME_OF(kRender650))

// The replaced bytes were a tail jump through the object's table entry.
HOOK_BODY(UnkObjRef4D4EB0_Body,
          "test eax, eax\n"
          "jz 1f\n"
          "mov edx, [eax+0x74]\n"
          "jmp edx\n"
          "1:\n"
          CONTINUE_AFTER(kUnkObjRef4D4EB0),
          RESUME_OF(kUnkObjRef4D4EB0))

// A null word table (at ESI+0x0C) skips the lookup instead of indexing it.
HOOK_BODY(Unk11_Body,
          "mov esi, [esi+0x0C]\n"
          "test esi, esi\n"
          "jz 1f\n"
          "movzx esi, word ptr [esi+edx*2]\n"
          CONTINUE_AFTER(kUnk11)
          "1:\n"
          CONTINUE_AT(kUnk11Skip),
          RESUME_OF(kUnk11), HOST_ADDRESS(kUnk11Skip))

// One step of a search over linked entries (key at 0, next entry at 8): a
// null entry ends the search as not found instead of being read.
HOOK_BODY(CellNullCrash_Body,
          "test eax, eax\n"
          "jz 1f\n"
          "cmp [eax], edi\n"
          "je 2f\n"
          "mov eax, [eax+8]\n"
          CONTINUE_AFTER(kCellNullCrash)
          "1:\n"
          CONTINUE_AT(kCellNullCrashNotFound)
          "2:\n"
          CONTINUE_AT(kCellNullCrashFound),
          RESUME_OF(kCellNullCrash), HOST_ADDRESS(kCellNullCrashNotFound),
          HOST_ADDRESS(kCellNullCrashFound))

// A null object in EAX falls back to the object in EDI.
HOOK_BODY(MountNodeCrash_Body,
          "test eax, eax\n"
          "jnz 1f\n"
          "mov eax, edi\n"
          "1:\n"
          "mov ecx, [eax+0x78]\n"
          "mov edx, [esi+0x3C]\n"
          "add eax, 0x78\n"
          "mov eax, [eax+4]\n"
          CONTINUE_AFTER(kMountNodeCrash),
          RESUME_OF(kMountNodeCrash))

// Only an object of form type 0x3E is kept; anything else, null included,
// leaves the field empty rather than holding a wrongly typed pointer.
HOOK_BODY(MovementPlannerAgentWarp_Body,
          "test eax, eax\n"
          "jz 1f\n"
          "cmp byte ptr [eax+0x12], 0x3E\n"
          "jne 1f\n"
          "mov [esi+0x50], eax\n"
          CONTINUE_AFTER(kMovementPlannerAgentWarp)
          "1:\n"
          "mov dword ptr [esi+0x50], 0\n"
          CONTINUE_AFTER(kMovementPlannerAgentWarp),
          RESUME_OF(kMovementPlannerAgentWarp))

// A value of 0x55 or more in the host global ends the routine early (it had
// pushed ESI) with that value in EAX.
HOOK_BODY(IndexError1_Body,
          "mov eax, dword ptr [%c[kIndexError1Index]]\n"
          "mov eax, [eax]\n"
          "cmp eax, 0x55\n"
          "jae 1f\n"
          "mov esi, dword ptr [%c[kIndexError1Data]]\n"
          "mov esi, [esi]\n"
          CONTINUE_AFTER(kIndexError1)
          "1:\n"
          "pop esi\n"
          "ret\n",
          HOST_ADDRESS(kIndexError1Index), HOST_ADDRESS(kIndexError1Data), RESUME_OF(kIndexError1))

// ---- GetMainMagicEffect: five sites that read a null effect --------------

HOOK_BODY(GetMainMagicEffect_Hook1,
          "test eax, eax\n"
          "jz 1f\n"
          "mov edi, [eax+0x80]\n"
          CONTINUE_AFTER(kMainMagicEffect1)
          "1:\n"
          CONTINUE_AT(kMainMagicEffect1Skip),
          RESUME_OF(kMainMagicEffect1), HOST_ADDRESS(kMainMagicEffect1Skip))

// A null effect is kept in EDI but never called on; both paths meet after the call.
HOOK_BODY(GetMainMagicEffect_Hook2,
          "mov edi, eax\n"
          "test eax, eax\n"
          "jz 1f\n"
          "mov ecx, edi\n"
          CALL_HOST(kMainMagicEffect2Call)
          "1:\n"
          CONTINUE_AT(kMainMagicEffect2Continue),
          HOST_ADDRESS(kMainMagicEffect2Call), HOST_ADDRESS(kMainMagicEffect2Continue))

// The lookup may find no effect: EDI is then 0 instead of a read through null.
HOOK_BODY(GetMainMagicEffect_Hook3,
          CALL_HOST(kMainMagicEffect3Call)
          "xor edi, edi\n"
          "test eax, eax\n"
          "jz 1f\n"
          "mov edi, [eax+0x50]\n"
          "1:\n"
          CONTINUE_AT(kMainMagicEffect3Continue),
          HOST_ADDRESS(kMainMagicEffect3Call), HOST_ADDRESS(kMainMagicEffect3Continue))

// A null object: drop the argument pushed for the call, as the callee's own
// return would have, and answer 0.
HOOK_BODY(GetMainMagicEffect_Hook4,
          "test ecx, ecx\n"
          "jnz 1f\n"
          "add esp, 4\n"
          "xor eax, eax\n"
          CONTINUE_AFTER(kMainMagicEffect4)
          "1:\n"
          CALL_HOST(kMainMagicEffect4Call)
          CONTINUE_AFTER(kMainMagicEffect4),
          HOST_ADDRESS(kMainMagicEffect4Call), RESUME_OF(kMainMagicEffect4))

// A null effect hands on ECX = 0 instead of reading its field at 0x80.
HOOK_BODY(GetMainMagicEffect_Hook5,
          "xor ecx, ecx\n"
          "test eax, eax\n"
          "jz 1f\n"
          "mov ecx, [eax+0x80]\n"
          "1:\n"
          CONTINUE_AFTER(kMainMagicEffect5),
          RESUME_OF(kMainMagicEffect5))

// ---- NullSeenData --------------------------------------------------------

// The host constructor may use any register, so everything is kept around
// it. cdecl (block); the two zero arguments are the constructor's own.
HOOK_BODY(NullSeenData_ConstructDummy,
          SAVE_ALL
          "mov ecx, [esp+0x28]\n"
          "push 0\n"
          "push 0\n"
          CALL_HOST(kSeenDataConstruct)
          RESTORE_ALL
          "ret\n",
          HOST_ADDRESS(kSeenDataConstruct))

namespace {
void* CreateDummySeenData() {
  void* block = std::malloc(kSeenDataSize);
  reinterpret_cast<void(__cdecl*)(void*)>(&NullSeenData_ConstructDummy)(block);
  return block;
}
}  // namespace

extern "C" void* SeenDataOrDummy(void* p) {
  if (p != nullptr) return p;
  // A function-local static: a second thread meeting a null while the first
  // is still constructing waits, and the pointer is only handed out once the
  // host has initialised the block.
  static void* const dummySeenData = CreateDummySeenData();
  return dummySeenData;
}

// ECX and EDX are overwritten by the virtual-slot load anyway, so the call may
// clobber them.
HOOK_BODY(NullSeenData_Body,
          "push eax\n"
          CALL_PLUGIN(SeenDataOrDummy)
          "add esp, 4\n"
          "mov edx, [eax]\n"
          "mov ecx, eax\n"
          "mov eax, [edx+4]\n"
          CONTINUE_AFTER(kNullSeenData),
          PLUGIN_FUNCTION(SeenDataOrDummy), RESUME_OF(kNullSeenData))

// ---- bhvGraphUpdateLoad --------------------------------------------------

extern "C" const void* ReadableOrZero(const void* p) {
  g_zeroWord = 0;
  uint32_t word;
  if (GuardedReadWord(p, &word)) return p;
  return const_cast<const uint32_t*>(&g_zeroWord);
}

// The host tests the first byte of the string at the resume; an unreadable
// one is shown to it as empty.
HOOK_BODY(BhvGraphUpdateLoad_Body,
          "mov edx, [esp+0x10]\n"
          "push edx\n"
          CALL_PLUGIN(ReadableOrZero)
          "add esp, 4\n"
          "mov edx, eax\n"
          "cmp byte ptr [edx], 0\n"
          CONTINUE_AFTER(kBhvGraphUpdateLoad),
          PLUGIN_FUNCTION(ReadableOrZero), RESUME_OF(kBhvGraphUpdateLoad))

// ---- ShadowNode ----------------------------------------------------------

namespace {
uint32_t CallSlot7(void* object) {
  using Slot = uint32_t(__attribute__((thiscall)) *)(void*);
  const Slot slot = (*static_cast<Slot* const*>(object))[7];
  return slot(object);
}
}  // namespace

extern "C" uint64_t GuardedSlot7Call(void* object) {
  bool faulted = false;
  const uint32_t result = GuardedCall(&CallSlot7, object, &faulted);
  return faulted ? kSlot7Faulted : result;
}

// The flag comes back in EDX beside the result, not through shared state, so
// threads at this site each see their own. When the call faults, the two
// bytes of the object in ESI are cleared and their use is skipped.
HOOK_BODY(ShadowNode_Body,
          SAVE_ALL
          "push edi\n"
          CALL_PLUGIN(GuardedSlot7Call)
          "add esp, 4\n"
          "test edx, edx\n"
          "jnz 1f\n"
          "mov [esp+" SAVED_EAX "], eax\n"
          RESTORE_ALL
          CONTINUE_AFTER(kShadowNode)
          "1:\n"
          RESTORE_ALL
          "mov byte ptr [esi+0x10C], 0\n"
          "mov byte ptr [esi+0x108], 0\n"
          CONTINUE_AT(kShadowNodeSkip),
          PLUGIN_FUNCTION(GuardedSlot7Call), RESUME_OF(kShadowNode), HOST_ADDRESS(kShadowNodeSkip))

// ---- apply functions -----------------------------------------------------

bool ApplyUnkUniqueId() { return InstallPatches({{kUnkUniqueId, &UnkUniqueId_Body}}); }
bool ApplyRender650() { return InstallPatches({{kRender650, &Render650_Body}}); }
bool ApplyUnkObjRef4D4EB0() { return InstallPatches({{kUnkObjRef4D4EB0, &UnkObjRef4D4EB0_Body}}); }
bool ApplyNullSeenData() { return InstallPatches({{kNullSeenData, &NullSeenData_Body}}); }
bool ApplyBhvGraphUpdateLoad() { return InstallPatches({{kBhvGraphUpdateLoad, &BhvGraphUpdateLoad_Body}}); }
bool ApplyUnk11() { return InstallPatches({{kUnk11, &Unk11_Body}}); }
bool ApplyShadowNode() { return InstallPatches({{kShadowNode, &ShadowNode_Body}}); }
bool ApplyIndexError1() { return InstallPatches({{kIndexError1, &IndexError1_Body}}); }
bool ApplyMovementPlannerAgentWarp() {
  return InstallPatches({{kMovementPlannerAgentWarp, &MovementPlannerAgentWarp_Body}});
}
bool ApplyCellNullCrash() { return InstallPatches({{kCellNullCrash, &CellNullCrash_Body}}); }
bool ApplyMountNodeCrash() { return InstallPatches({{kMountNodeCrash, &MountNodeCrash_Body}}); }

bool ApplyGetMainMagicEffect() {
  return InstallPatches({{kMainMagicEffect1, &GetMainMagicEffect_Hook1},
                         {kMainMagicEffect2, &GetMainMagicEffect_Hook2},
                         {kMainMagicEffect3, &GetMainMagicEffect_Hook3},
                         {kMainMagicEffect4, &GetMainMagicEffect_Hook4},
                         {kMainMagicEffect5, &GetMainMagicEffect_Hook5}});
}
