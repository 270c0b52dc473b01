#include "fixes/null_guards_first.h"

#include <cstdlib>

#include "patch/fault_guard.h"
#include "patch/hook_asm.h"
#include "patch/patch_writer.h"
#include "plugin/apply.h"

namespace {
constexpr uint32_t kUnkUniqueIdSite = 0x8B4371;
constexpr uint32_t kUnkUniqueIdResume = 0x8B437C;
constexpr uint32_t kUnkUniqueIdSkip = 0x8B441C;
constexpr uint32_t kRender650Site = 0xCEC5EC;
constexpr uint32_t kRender650Resume = 0xCEC5F2;
constexpr uint32_t kRender650Use = 0xCEC5F8;
constexpr uint32_t kUnkObjRef4D4EB0Site = 0x4D4EB9;
constexpr uint32_t kUnkObjRef4D4EB0Resume = 0x4D4EBE;
constexpr uint32_t kNullSeenDataSite = 0x4C6031;
constexpr uint32_t kNullSeenDataResume = 0x4C6038;
constexpr uint32_t kSeenDataConstruct = 0x6A02A0;  // thiscall (0, 0), callee cleans
constexpr uint32_t kBhvGraphUpdateLoadSite = 0xC27A8B;
constexpr uint32_t kBhvGraphUpdateLoadResume = 0xC27A92;
constexpr uint32_t kUnk11Site = 0xD822D5;
constexpr uint32_t kUnk11Resume = 0xD822DC;
constexpr uint32_t kUnk11Skip = 0xD822FB;
constexpr uint32_t kShadowNodeSite = 0xC7A3CD;
constexpr uint32_t kShadowNodeResume = 0xC7A3D6;
constexpr uint32_t kShadowNodeSkip = 0xC7A404;
constexpr uint32_t kIndexError1Site = 0x6F3A11;
constexpr uint32_t kIndexError1Resume = 0x6F3A17;
constexpr uint32_t kIndexError1Index = 0x1B39128;  // host global, valid below 0x55
constexpr uint32_t kIndexError1Data = 0x106B150;  // host global
constexpr uint32_t kMovementPlannerAgentWarpSite = 0x76E358;
constexpr uint32_t kMovementPlannerAgentWarpResume = 0x76E365;
constexpr uint32_t kCellNullCrashSite = 0x437604;
constexpr uint32_t kCellNullCrashResume = 0x43760B;
constexpr uint32_t kCellNullCrashNotFound = 0x437610;
constexpr uint32_t kCellNullCrashFound = 0x437618;
constexpr uint32_t kMainMagicEffect1Site = 0x7E39EC;
constexpr uint32_t kMainMagicEffect1Resume = 0x7E39F2;
constexpr uint32_t kMainMagicEffect1Skip = 0x7E391E;
constexpr uint32_t kMainMagicEffect2Site = 0x657673;
constexpr uint32_t kMainMagicEffect2Resume = 0x65767C;
constexpr uint32_t kMainMagicEffect2Continue = 0x657706;
constexpr uint32_t kMainMagicEffect2Call = 0x4D4500;  // thiscall, no arguments
constexpr uint32_t kMainMagicEffect3Site = 0x6577D0;
constexpr uint32_t kMainMagicEffect3Resume = 0x6577D8;
constexpr uint32_t kMainMagicEffect3Continue = 0x6577DC;
constexpr uint32_t kMainMagicEffect3Call = 0x406C70;  // on the registers and stack of the site
constexpr uint32_t kMainMagicEffect4Site = 0x65FEEC;
constexpr uint32_t kMainMagicEffect4Resume = 0x65FEF1;
constexpr uint32_t kMainMagicEffect4Call = 0x403F10;  // thiscall, one argument, callee cleans
constexpr uint32_t kMainMagicEffect5Site = 0x8127CF;
constexpr uint32_t kMainMagicEffect5Resume = 0x8127D5;
constexpr uint32_t kMountNodeCrashSite = 0x6E7F85;
constexpr uint32_t kMountNodeCrashResume = 0x6E7F91;

constexpr size_t kSeenDataSize = 0x2C;

// Put back to zero on every use, in case anything wrote through the address
// handed out before.
volatile uint32_t g_zeroWord = 0;

void Install(uint32_t site, uint32_t resume, void (*body)()) {
  WriteJump(site, resume, reinterpret_cast<const void*>(body));
}
}  // namespace

// ---- plain guards --------------------------------------------------------

HOOK_BODY(UnkUniqueId_Body,
          "test ebp, ebp\n"
          "jz 1f\n"
          "mov eax, [ebp]\n"
          "test eax, eax\n"
          "jz 1f\n"
          CONTINUE_AT(kUnkUniqueIdResume)
          "1:\n"
          CONTINUE_AT(kUnkUniqueIdSkip),
          HOST_ADDRESS(kUnkUniqueIdResume), HOST_ADDRESS(kUnkUniqueIdSkip))

// A null object is treated like one whose flag at 0x40 is set.
HOOK_BODY(Render650_Body,
          "test eax, eax\n"
          "jz 1f\n"
          "cmp byte ptr [eax+0x40], 0\n"
          "jne 1f\n"
          CONTINUE_AT(kRender650Use)
          "1:\n"
          CONTINUE_AT(kRender650Resume),
          HOST_ADDRESS(kRender650Use), HOST_ADDRESS(kRender650Resume))

// The replaced bytes were a tail jump through the object's table entry.
HOOK_BODY(UnkObjRef4D4EB0_Body,
          "test eax, eax\n"
          "jz 1f\n"
          "mov edx, [eax+0x74]\n"
          "jmp edx\n"
          "1:\n"
          CONTINUE_AT(kUnkObjRef4D4EB0Resume),
          HOST_ADDRESS(kUnkObjRef4D4EB0Resume))

HOOK_BODY(Unk11_Body,
          "mov esi, [esi+0x0C]\n"
          "test esi, esi\n"
          "jz 1f\n"
          "movzx esi, word ptr [esi+edx*2]\n"
          CONTINUE_AT(kUnk11Resume)
          "1:\n"
          CONTINUE_AT(kUnk11Skip),
          HOST_ADDRESS(kUnk11Resume), HOST_ADDRESS(kUnk11Skip))

// One step of a search over linked entries (key at 0, next entry at 8): a
// null entry ends the search as not found instead of being read.
HOOK_BODY(CellNullCrash_Body,
          "test eax, eax\n"
          "jz 1f\n"
          "cmp [eax], edi\n"
          "je 2f\n"
          "mov eax, [eax+8]\n"
          CONTINUE_AT(kCellNullCrashResume)
          "1:\n"
          CONTINUE_AT(kCellNullCrashNotFound)
          "2:\n"
          CONTINUE_AT(kCellNullCrashFound),
          HOST_ADDRESS(kCellNullCrashResume), HOST_ADDRESS(kCellNullCrashNotFound),
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
          CONTINUE_AT(kMountNodeCrashResume),
          HOST_ADDRESS(kMountNodeCrashResume))

// Only an object of form type 0x3E is kept; anything else, null included,
// leaves the field empty rather than holding a wrongly typed pointer.
HOOK_BODY(MovementPlannerAgentWarp_Body,
          "test eax, eax\n"
          "jz 1f\n"
          "cmp byte ptr [eax+0x12], 0x3E\n"
          "jne 1f\n"
          "mov [esi+0x50], eax\n"
          CONTINUE_AT(kMovementPlannerAgentWarpResume)
          "1:\n"
          "mov dword ptr [esi+0x50], 0\n"
          CONTINUE_AT(kMovementPlannerAgentWarpResume),
          HOST_ADDRESS(kMovementPlannerAgentWarpResume))

// A value of 0x55 or more in the host global ends the routine early (it had
// pushed ESI) with that value in EAX.
HOOK_BODY(IndexError1_Body,
          "mov eax, dword ptr [%c[kIndexError1Index]]\n"
          "mov eax, [eax]\n"
          "cmp eax, 0x55\n"
          "jae 1f\n"
          "mov esi, dword ptr [%c[kIndexError1Data]]\n"
          "mov esi, [esi]\n"
          CONTINUE_AT(kIndexError1Resume)
          "1:\n"
          "pop esi\n"
          "ret\n",
          HOST_ADDRESS(kIndexError1Index), HOST_ADDRESS(kIndexError1Data), HOST_ADDRESS(kIndexError1Resume))

// ---- GetMainMagicEffect: five sites that read a null effect --------------

HOOK_BODY(GetMainMagicEffect_Hook1,
          "test eax, eax\n"
          "jz 1f\n"
          "mov edi, [eax+0x80]\n"
          CONTINUE_AT(kMainMagicEffect1Resume)
          "1:\n"
          CONTINUE_AT(kMainMagicEffect1Skip),
          HOST_ADDRESS(kMainMagicEffect1Resume), HOST_ADDRESS(kMainMagicEffect1Skip))

HOOK_BODY(GetMainMagicEffect_Hook2,
          "mov edi, eax\n"
          "test eax, eax\n"
          "jz 1f\n"
          "mov ecx, edi\n"
          CALL_HOST(kMainMagicEffect2Call)
          "1:\n"
          CONTINUE_AT(kMainMagicEffect2Continue),
          HOST_ADDRESS(kMainMagicEffect2Call), HOST_ADDRESS(kMainMagicEffect2Continue))

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
          CONTINUE_AT(kMainMagicEffect4Resume)
          "1:\n"
          CALL_HOST(kMainMagicEffect4Call)
          CONTINUE_AT(kMainMagicEffect4Resume),
          HOST_ADDRESS(kMainMagicEffect4Call), HOST_ADDRESS(kMainMagicEffect4Resume))

HOOK_BODY(GetMainMagicEffect_Hook5,
          "xor ecx, ecx\n"
          "test eax, eax\n"
          "jz 1f\n"
          "mov ecx, [eax+0x80]\n"
          "1:\n"
          CONTINUE_AT(kMainMagicEffect5Resume),
          HOST_ADDRESS(kMainMagicEffect5Resume))

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
          CONTINUE_AT(kNullSeenDataResume),
          PLUGIN_FUNCTION(SeenDataOrDummy), HOST_ADDRESS(kNullSeenDataResume))

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
          CONTINUE_AT(kBhvGraphUpdateLoadResume),
          PLUGIN_FUNCTION(ReadableOrZero), HOST_ADDRESS(kBhvGraphUpdateLoadResume))

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
          CONTINUE_AT(kShadowNodeResume)
          "1:\n"
          RESTORE_ALL
          "mov byte ptr [esi+0x10C], 0\n"
          "mov byte ptr [esi+0x108], 0\n"
          CONTINUE_AT(kShadowNodeSkip),
          PLUGIN_FUNCTION(GuardedSlot7Call), HOST_ADDRESS(kShadowNodeResume), HOST_ADDRESS(kShadowNodeSkip))

// ---- apply functions -----------------------------------------------------

void ApplyUnkUniqueId() { Install(kUnkUniqueIdSite, kUnkUniqueIdResume, &UnkUniqueId_Body); }
void ApplyRender650() { Install(kRender650Site, kRender650Resume, &Render650_Body); }
void ApplyUnkObjRef4D4EB0() { Install(kUnkObjRef4D4EB0Site, kUnkObjRef4D4EB0Resume, &UnkObjRef4D4EB0_Body); }
void ApplyNullSeenData() { Install(kNullSeenDataSite, kNullSeenDataResume, &NullSeenData_Body); }
void ApplyBhvGraphUpdateLoad() {
  Install(kBhvGraphUpdateLoadSite, kBhvGraphUpdateLoadResume, &BhvGraphUpdateLoad_Body);
}
void ApplyUnk11() { Install(kUnk11Site, kUnk11Resume, &Unk11_Body); }
void ApplyShadowNode() { Install(kShadowNodeSite, kShadowNodeResume, &ShadowNode_Body); }
void ApplyIndexError1() { Install(kIndexError1Site, kIndexError1Resume, &IndexError1_Body); }
void ApplyMovementPlannerAgentWarp() {
  Install(kMovementPlannerAgentWarpSite, kMovementPlannerAgentWarpResume, &MovementPlannerAgentWarp_Body);
}
void ApplyCellNullCrash() { Install(kCellNullCrashSite, kCellNullCrashResume, &CellNullCrash_Body); }
void ApplyMountNodeCrash() { Install(kMountNodeCrashSite, kMountNodeCrashResume, &MountNodeCrash_Body); }

void ApplyGetMainMagicEffect() {
  Install(kMainMagicEffect1Site, kMainMagicEffect1Resume, &GetMainMagicEffect_Hook1);
  Install(kMainMagicEffect2Site, kMainMagicEffect2Resume, &GetMainMagicEffect_Hook2);
  Install(kMainMagicEffect3Site, kMainMagicEffect3Resume, &GetMainMagicEffect_Hook3);
  Install(kMainMagicEffect4Site, kMainMagicEffect4Resume, &GetMainMagicEffect_Hook4);
  Install(kMainMagicEffect5Site, kMainMagicEffect5Resume, &GetMainMagicEffect_Hook5);
}
