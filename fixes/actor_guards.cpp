// Guards on actors: an actor without its base form, outfit entry, detection
// data, behaviour graph string, movement table or magic effect skips the
// host's work on it, or hands on the neutral value the host expects.
#include "fixes/actor_guards.h"

#include <cstdint>
#include <cstdlib>

#include "fixes/actor_guard_sites.h"
#include "patch/fault_guard.h"
#include "patch/hook_asm.h"
#include "patch/patch_writer.h"

using namespace host;

namespace {

constexpr size_t kSeenDataSize = 0x2C;

// Put back to zero on every use, in case anything wrote through the address
// handed out before.
volatile uint32_t g_zeroWord = 0;

// Reads through the one fault guard at an address given as a number, so that
// no pointer arithmetic is done on a pointer that may be null.
bool IsWordReadable(uintptr_t address) {
  uint32_t ignored;
  return GuardedReadWord(reinterpret_cast<const void*>(address), &ignored);
}

}  // namespace

// ---- detection data ------------------------------------------------------

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

// An actor without detection data is given the shared stand-in. ECX and EDX
// are overwritten by the virtual-slot load anyway, so the call may clobber
// them.
HOOK_BODY(NullSeenData_Body,
          "push eax\n"
          CALL_PLUGIN(SeenDataOrDummy)
          "add esp, 4\n"
          "mov edx, [eax]\n"
          "mov ecx, eax\n"
          "mov eax, [edx+4]\n"
          CONTINUE_AFTER(kNullSeenData),
          PLUGIN_FUNCTION(SeenDataOrDummy), RESUME_OF(kNullSeenData))

// ---- behaviour graph and movement -----------------------------------------

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

// Without a function table the host's comparison after the call must still
// come out "not equal, below", as for a call that answered 0.
HOOK_BODY(MoveControllerCast_Body,
          "test edx, edx\n"
          "jz 1f\n"
          "mov eax, [edx+4]\n"
          "call eax\n"
          "cmp eax, [esp+0x1C]\n"
          CONTINUE_AFTER(kMoveControllerCast)
          "1:\n"
          "xor eax, eax\n"
          "cmp eax, 1\n"
          CONTINUE_AFTER(kMoveControllerCast),
          RESUME_OF(kMoveControllerCast))

// ---- magic effects: five sites that read a null effect --------------------

// A null effect skips the read of its field at 0x80.
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

// ---- base forms, outfits and actor values ----------------------------------

// An actor without a base form (EAX null) skips the work on the form.
HOOK_BODY(NullActorBaseForm_Body,
          "test eax, eax\n"
          "jz 1f\n"
          "mov ecx, [eax+0x24]\n"
          "add eax, 0x20\n"
          CONTINUE_AFTER(kNullActorBaseForm)
          "1:\n"
          CONTINUE_AT(kNullActorBaseFormSkip),
          RESUME_OF(kNullActorBaseForm), HOST_ADDRESS(kNullActorBaseFormSkip))

// A reference without a base form moves on as form type 0x26.
HOOK_BODY(NullBaseFormMove_Body,
          "mov ecx, [esi+0x24]\n"
          "mov eax, 0x26\n"
          "test ecx, ecx\n"
          "jz 1f\n"
          "movzx eax, byte ptr [ecx+0x12]\n"
          "1:\n"
          CONTINUE_AFTER(kNullBaseFormMove),
          RESUME_OF(kNullBaseFormMove))

// A null outfit entry in ECX skips. The replaced push of ESI runs on both
// paths: the code at the skip address expects it on the stack.
HOOK_BODY(NullOutfitEntry_Body,
          "push esi\n"
          "test ecx, ecx\n"
          "jz 1f\n"
          "movzx esi, byte ptr [ecx+0x12]\n"
          CONTINUE_AFTER(kNullOutfitEntry)
          "1:\n"
          "xor al, al\n"
          CONTINUE_AT(kNullOutfitEntrySkip),
          RESUME_OF(kNullOutfitEntry), HOST_ADDRESS(kNullOutfitEntrySkip))

// An actor deleted without a base skips. The replaced push of EDI runs on
// both paths: the code at the skip address expects it on the stack.
HOOK_BODY(ActorDeleteNullBase_Body,
          "push edi\n"
          "test eax, eax\n"
          "jz 1f\n"
          "mov ecx, [eax+0x24]\n"
          "shr ecx, 5\n"
          CONTINUE_AFTER(kActorDeleteNullBase)
          "1:\n"
          CONTINUE_AT(kActorDeleteNullBaseSkip),
          RESUME_OF(kActorDeleteNullBase), HOST_ADDRESS(kActorDeleteNullBaseSkip))

extern "C" void* ReadableVectorOrNull(void* p) {
  const auto address = reinterpret_cast<uintptr_t>(p);
  for (uintptr_t offset = 0; offset < 12; offset += 4) {
    if (!IsWordReadable(address + offset)) return nullptr;
  }
  return p;
}

// The host forms the address of a three-float member of the object in ECX;
// a member that cannot be read reaches the host as null instead.
#define AV_SET_MEMBER_HOOK(name, memberOffset, hook)   \
  HOOK_BODY(name,                                      \
            "lea eax, [ecx+" #memberOffset "]\n"       \
            "push eax\n"                               \
            CALL_PLUGIN(ReadableVectorOrNull)          \
            "add esp, 4\n"                             \
            CONTINUE_AFTER(hook),                      \
            PLUGIN_FUNCTION(ReadableVectorOrNull), RESUME_OF(hook))

AV_SET_MEMBER_HOOK(AVSetCrash_Hook1, 0x150, kAVSetCrash1)
AV_SET_MEMBER_HOOK(AVSetCrash_Hook2, 0x15C, kAVSetCrash2)
AV_SET_MEMBER_HOOK(AVSetCrash_Hook3, 0x168, kAVSetCrash3)
AV_SET_MEMBER_HOOK(AVSetCrash_Hook4, 0x174, kAVSetCrash4)

// The routine's epilogue: the registers come back from the stack first, and
// the value it returns (ESI's before the pops) is checked on the way out.
HOOK_BODY(AVSetCrash_Hook5,
          "pop edi\n"
          "mov eax, esi\n"
          "pop esi\n"
          "pop ebx\n"
          "push eax\n"
          CALL_PLUGIN(ReadableVectorOrNull)
          "add esp, 4\n"
          CONTINUE_AFTER(kAVSetCrash5),
          PLUGIN_FUNCTION(ReadableVectorOrNull), RESUME_OF(kAVSetCrash5))

ApplyStatus ApplyNullSeenData() { return InstallPatches({{kNullSeenData, &NullSeenData_Body}}); }
ApplyStatus ApplyBhvGraphUpdateLoad() { return InstallPatches({{kBhvGraphUpdateLoad, &BhvGraphUpdateLoad_Body}}); }
ApplyStatus ApplyMovementPlannerAgentWarp() {
  return InstallPatches({{kMovementPlannerAgentWarp, &MovementPlannerAgentWarp_Body}});
}
ApplyStatus ApplyMoveControllerCast() { return InstallPatches({{kMoveControllerCast, &MoveControllerCast_Body}}); }
ApplyStatus ApplyGetMainMagicEffect() {
  return InstallPatches({{kMainMagicEffect1, &GetMainMagicEffect_Hook1},
                         {kMainMagicEffect2, &GetMainMagicEffect_Hook2},
                         {kMainMagicEffect3, &GetMainMagicEffect_Hook3},
                         {kMainMagicEffect4, &GetMainMagicEffect_Hook4},
                         {kMainMagicEffect5, &GetMainMagicEffect_Hook5}});
}
ApplyStatus ApplyNullActorBaseForm() { return InstallPatches({{kNullActorBaseForm, &NullActorBaseForm_Body}}); }
ApplyStatus ApplyNullBaseFormMove() { return InstallPatches({{kNullBaseFormMove, &NullBaseFormMove_Body}}); }
ApplyStatus ApplyNullOutfitEntry() { return InstallPatches({{kNullOutfitEntry, &NullOutfitEntry_Body}}); }
ApplyStatus ApplyActorDeleteNullBase() { return InstallPatches({{kActorDeleteNullBase, &ActorDeleteNullBase_Body}}); }
ApplyStatus ApplyAVSetCrash() {
  return InstallPatches({{kAVSetCrash1, &AVSetCrash_Hook1},
                         {kAVSetCrash2, &AVSetCrash_Hook2},
                         {kAVSetCrash3, &AVSetCrash_Hook3},
                         {kAVSetCrash4, &AVSetCrash_Hook4},
                         {kAVSetCrash5, &AVSetCrash_Hook5}});
}
