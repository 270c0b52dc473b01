// Guards for host code paths that use a pointer which can be null or point
// at freed memory: the path either skips the work, answers a neutral value,
// or (for the two handlers) treats unreadable memory as null.
#include "fixes/null_guards_second.h"

#include <cstdint>

#include "fixes/null_guards_second_sites.h"
#include "patch/fault_guard.h"
#include "patch/hook_asm.h"
#include "patch/patch_writer.h"
#include "plugin/apply.h"

using namespace host;

namespace {

// Reads through the one fault guard at an address given as a number, so that
// no pointer arithmetic is done on a pointer that may be null.
bool IsWordReadable(uintptr_t address) {
  uint32_t ignored;
  return GuardedReadWord(reinterpret_cast<const void*>(address), &ignored);
}
}  // namespace

extern "C" void* ReadableObjectOrNull(void* p) {
  return p != nullptr && IsWordReadable(reinterpret_cast<uintptr_t>(p)) ? p : nullptr;
}

extern "C" void* ReadableVectorOrNull(void* p) {
  const auto address = reinterpret_cast<uintptr_t>(p);
  for (uintptr_t offset = 0; offset < 12; offset += 4) {
    if (!IsWordReadable(address + offset)) return nullptr;
  }
  return p;
}

// The float the host was about to load is pushed here, since the load was
// among the replaced bytes; a null object skips the load and its users.
HOOK_BODY(RenderSave_Body,
          "test eax, eax\n"
          "jz 1f\n"
          "mov ecx, [esp+0x34]\n"
          "fld dword ptr [eax+0x8C]\n"
          CONTINUE_AFTER(kRenderSave)
          "1:\n"
          CONTINUE_AT(kRenderSaveSkip),
          RESUME_OF(kRenderSave), HOST_ADDRESS(kRenderSaveSkip))

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

// The object may be freed memory rather than null, so it is probed before
// its virtual slot 19 is called; the registers around the probe stay the
// host's.
HOOK_BODY(SaveRenderCrash_Body,
          SAVE_ALL
          "push esi\n"
          CALL_PLUGIN(ReadableObjectOrNull)
          "add esp, 4\n"
          "mov [esp+" SAVED_ESI "], eax\n"
          RESTORE_ALL
          "test esi, esi\n"
          "jz 1f\n"
          "mov edx, [esi]\n"
          "mov eax, [edx+0x4C]\n"
          "push edi\n"
          "mov ecx, esi\n"
          "call eax\n"
          CONTINUE_AFTER(kSaveRenderCrash)
          "1:\n"
          "xor eax, eax\n"
          CONTINUE_AFTER(kSaveRenderCrash),
          PLUGIN_FUNCTION(ReadableObjectOrNull), RESUME_OF(kSaveRenderCrash))

// EAX leaves holding the node's virtual slot 5, which the host calls next.
HOOK_BODY(NullLoadedNodeIgnore_Body,
          "test eax, eax\n"
          "jz 1f\n"
          "mov edx, [eax]\n"
          "mov ecx, eax\n"
          "mov eax, [edx+0x14]\n"
          CONTINUE_AFTER(kNullLoadedNodeIgnore)
          "1:\n"
          CONTINUE_AT(kNullLoadedNodeIgnoreSkip),
          RESUME_OF(kNullLoadedNodeIgnore), HOST_ADDRESS(kNullLoadedNodeIgnoreSkip))

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

// The replaced store of CL into the local runs on both paths; only the
// node's use is skipped.
HOOK_BODY(NullPlayerNode_Body,
          "mov [esp+0x20], cl\n"
          "test eax, eax\n"
          "jz 1f\n"
          "test byte ptr [eax+0x98], 1\n"
          CONTINUE_AFTER(kNullPlayerNode)
          "1:\n"
          CONTINUE_AT(kNullPlayerNodeSkip),
          RESUME_OF(kNullPlayerNode), HOST_ADDRESS(kNullPlayerNodeSkip))

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

// The replaced instructions set EBX to the node and clear ECX and EBP, which the
// skip path also expects; a null node then skips the routine's work on it.
HOOK_BODY(NullRefNode_Body,
          "mov ebx, eax\n"
          "xor ecx, ecx\n"
          "xor ebp, ebp\n"
          "test eax, eax\n"
          "jz 1f\n"
          CONTINUE_AFTER(kNullRefNode)
          "1:\n"
          CONTINUE_AT(kNullRefNodeSkip),
          RESUME_OF(kNullRefNode), HOST_ADDRESS(kNullRefNodeSkip))

// The replaced push of ESI runs on both paths: the code at the skip address
// expects it on the stack.
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

// The replaced push of EDI runs on both paths: the code at the skip address
// expects it on the stack.
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

// A node without a parent (at ESI+0x18) skips instead of reading its table.
HOOK_BODY(NullParentNode_Body,
          "mov ecx, [esi+0x18]\n"
          "test ecx, ecx\n"
          "jz 1f\n"
          "mov edx, [ecx]\n"
          CONTINUE_AFTER(kNullParentNode)
          "1:\n"
          CONTINUE_AT(kNullParentNodeSkip),
          RESUME_OF(kNullParentNode), HOST_ADDRESS(kNullParentNodeSkip))

// Both sites sit in routines with a frame pointer and EBX, ESI, EDI saved.
// The rest of either routine fails on the Sarnoth content pack's data, so
// they return at once, removing their 16 bytes of arguments, EAX as it is.
HOOK_BODY(SarnothSpecific_Body,
          "pop edi\n"
          "pop esi\n"
          "pop ebx\n"
          "mov esp, ebp\n"
          "pop ebp\n"
          "ret 0x10\n")

bool ApplyRenderSave() { return InstallPatches({{kRenderSave, &RenderSave_Body}}); }

bool ApplyMoveControllerCast() { return InstallPatches({{kMoveControllerCast, &MoveControllerCast_Body}}); }

bool ApplySaveRenderCrash() { return InstallPatches({{kSaveRenderCrash, &SaveRenderCrash_Body}}); }

bool ApplyNullLoadedNodeIgnore() { return InstallPatches({{kNullLoadedNodeIgnore, &NullLoadedNodeIgnore_Body}}); }

bool ApplyNullActorBaseForm() { return InstallPatches({{kNullActorBaseForm, &NullActorBaseForm_Body}}); }

bool ApplyAVSetCrash() {
  return InstallPatches({{kAVSetCrash1, &AVSetCrash_Hook1},
                         {kAVSetCrash2, &AVSetCrash_Hook2},
                         {kAVSetCrash3, &AVSetCrash_Hook3},
                         {kAVSetCrash4, &AVSetCrash_Hook4},
                         {kAVSetCrash5, &AVSetCrash_Hook5}});
}

bool ApplyNullPlayerNode() { return InstallPatches({{kNullPlayerNode, &NullPlayerNode_Body}}); }

bool ApplyNullBaseFormMove() { return InstallPatches({{kNullBaseFormMove, &NullBaseFormMove_Body}}); }

bool ApplyNullRefNode() { return InstallPatches({{kNullRefNode, &NullRefNode_Body}}); }

bool ApplyNullOutfitEntry() { return InstallPatches({{kNullOutfitEntry, &NullOutfitEntry_Body}}); }

bool ApplyActorDeleteNullBase() { return InstallPatches({{kActorDeleteNullBase, &ActorDeleteNullBase_Body}}); }

bool ApplyNullParentNode() { return InstallPatches({{kNullParentNode, &NullParentNode_Body}}); }

bool ApplySarnothSpecific() {
  return InstallPatches({{kSarnothSpecific1, &SarnothSpecific_Body}, {kSarnothSpecific2, &SarnothSpecific_Body}});
}
