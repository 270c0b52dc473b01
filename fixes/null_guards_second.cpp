// Guards for host code paths that use a pointer which can be null or point
// at freed memory: the path either skips the work, answers a neutral value,
// or (for the two handlers) treats unreadable memory as null.
#include "fixes/null_guards_second.h"

#include <cstdint>

#include "patch/fault_guard.h"
#include "patch/hook_asm.h"
#include "patch/patch_writer.h"
#include "plugin/apply.h"

namespace {
constexpr uint32_t kRenderSaveSite = 0xCB0516;
constexpr uint32_t kRenderSaveResume = 0xCB0520;
constexpr uint32_t kRenderSaveSkip = 0xCB055B;
constexpr uint32_t kMoveControllerCastSite = 0x76636B;
constexpr uint32_t kMoveControllerCastResume = 0x766374;
constexpr uint32_t kSaveRenderCrashSite = 0xCAF9F7;
constexpr uint32_t kSaveRenderCrashResume = 0xCAFA01;
constexpr uint32_t kNullLoadedNodeIgnoreSite = 0x4C119E;
constexpr uint32_t kNullLoadedNodeIgnoreResume = 0x4C11A5;
constexpr uint32_t kNullLoadedNodeIgnoreSkip = 0x4C11B5;
constexpr uint32_t kNullActorBaseFormSite = 0x690A69;
constexpr uint32_t kNullActorBaseFormResume = 0x690A6F;
constexpr uint32_t kNullActorBaseFormSkip = 0x690A80;
constexpr uint32_t kAVSetCrashSite1 = 0x6DE86A;
constexpr uint32_t kAVSetCrashResume1 = 0x6DE870;
constexpr uint32_t kAVSetCrashSite2 = 0x6DE873;
constexpr uint32_t kAVSetCrashResume2 = 0x6DE879;
constexpr uint32_t kAVSetCrashSite3 = 0x6DE87C;
constexpr uint32_t kAVSetCrashResume3 = 0x6DE882;
constexpr uint32_t kAVSetCrashSite4 = 0x6DE885;
constexpr uint32_t kAVSetCrashResume4 = 0x6DE88B;
constexpr uint32_t kAVSetCrashSite5 = 0x6F231E;
constexpr uint32_t kAVSetCrashResume5 = 0x6F2323;
constexpr uint32_t kNullPlayerNodeSite = 0x69B84B;
constexpr uint32_t kNullPlayerNodeResume = 0x69B856;
constexpr uint32_t kNullPlayerNodeSkip = 0x69B874;
constexpr uint32_t kNullBaseFormMoveSite = 0x4D9D06;
constexpr uint32_t kNullBaseFormMoveResume = 0x4D9D0D;
constexpr uint32_t kNullRefNodeSite = 0x46CA00;
constexpr uint32_t kNullRefNodeResume = 0x46CA06;
constexpr uint32_t kNullRefNodeSkip = 0x46CA53;
constexpr uint32_t kNullOutfitEntrySite = 0x561FF6;
constexpr uint32_t kNullOutfitEntryResume = 0x561FFB;
constexpr uint32_t kNullOutfitEntrySkip = 0x562067;
constexpr uint32_t kActorDeleteNullBaseSite = 0x6BAC9A;
constexpr uint32_t kActorDeleteNullBaseResume = 0x6BACA1;
constexpr uint32_t kActorDeleteNullBaseSkip = 0x6BACAF;
constexpr uint32_t kNullParentNodeSite = 0x5A8805;
constexpr uint32_t kNullParentNodeResume = 0x5A880A;
constexpr uint32_t kNullParentNodeSkip = 0x5A885E;
constexpr uint32_t kSarnothSpecificSite1 = 0xEBC0A6;
constexpr uint32_t kSarnothSpecificResume1 = 0xEBC0AC;
constexpr uint32_t kSarnothSpecificSite2 = 0xECD92E;
constexpr uint32_t kSarnothSpecificResume2 = 0xECD934;

// Reads through the one fault guard at an address given as a number, so that
// no pointer arithmetic is done on a pointer that may be null.
bool IsWordReadable(uintptr_t address) {
  uint32_t ignored;
  return GuardedReadWord(reinterpret_cast<const void*>(address), &ignored);
}

void Hook(uint32_t site, uint32_t resume, void (*body)()) {
  WriteJump(site, resume, reinterpret_cast<const void*>(body));
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
          CONTINUE_AT(kRenderSaveResume)
          "1:\n"
          CONTINUE_AT(kRenderSaveSkip),
          HOST_ADDRESS(kRenderSaveResume), HOST_ADDRESS(kRenderSaveSkip))

// Without a function table the host's comparison after the call must still
// come out "not equal, below", as for a call that answered 0.
HOOK_BODY(MoveControllerCast_Body,
          "test edx, edx\n"
          "jz 1f\n"
          "mov eax, [edx+4]\n"
          "call eax\n"
          "cmp eax, [esp+0x1C]\n"
          CONTINUE_AT(kMoveControllerCastResume)
          "1:\n"
          "xor eax, eax\n"
          "cmp eax, 1\n"
          CONTINUE_AT(kMoveControllerCastResume),
          HOST_ADDRESS(kMoveControllerCastResume))

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
          CONTINUE_AT(kSaveRenderCrashResume)
          "1:\n"
          "xor eax, eax\n"
          CONTINUE_AT(kSaveRenderCrashResume),
          PLUGIN_FUNCTION(ReadableObjectOrNull), HOST_ADDRESS(kSaveRenderCrashResume))

// EAX leaves holding the node's virtual slot 5, which the host calls next.
HOOK_BODY(NullLoadedNodeIgnore_Body,
          "test eax, eax\n"
          "jz 1f\n"
          "mov edx, [eax]\n"
          "mov ecx, eax\n"
          "mov eax, [edx+0x14]\n"
          CONTINUE_AT(kNullLoadedNodeIgnoreResume)
          "1:\n"
          CONTINUE_AT(kNullLoadedNodeIgnoreSkip),
          HOST_ADDRESS(kNullLoadedNodeIgnoreResume), HOST_ADDRESS(kNullLoadedNodeIgnoreSkip))

HOOK_BODY(NullActorBaseForm_Body,
          "test eax, eax\n"
          "jz 1f\n"
          "mov ecx, [eax+0x24]\n"
          "add eax, 0x20\n"
          CONTINUE_AT(kNullActorBaseFormResume)
          "1:\n"
          CONTINUE_AT(kNullActorBaseFormSkip),
          HOST_ADDRESS(kNullActorBaseFormResume), HOST_ADDRESS(kNullActorBaseFormSkip))

// The host forms the address of a three-float member of the object in ECX;
// a member that cannot be read reaches the host as null instead.
#define AV_SET_MEMBER_HOOK(name, memberOffset, resume) \
  HOOK_BODY(name,                                      \
            "lea eax, [ecx+" #memberOffset "]\n"       \
            "push eax\n"                               \
            CALL_PLUGIN(ReadableVectorOrNull)          \
            "add esp, 4\n"                             \
            CONTINUE_AT(resume),                       \
            PLUGIN_FUNCTION(ReadableVectorOrNull), HOST_ADDRESS(resume))

AV_SET_MEMBER_HOOK(AVSetCrash_Hook1, 0x150, kAVSetCrashResume1)
AV_SET_MEMBER_HOOK(AVSetCrash_Hook2, 0x15C, kAVSetCrashResume2)
AV_SET_MEMBER_HOOK(AVSetCrash_Hook3, 0x168, kAVSetCrashResume3)
AV_SET_MEMBER_HOOK(AVSetCrash_Hook4, 0x174, kAVSetCrashResume4)

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
          CONTINUE_AT(kAVSetCrashResume5),
          PLUGIN_FUNCTION(ReadableVectorOrNull), HOST_ADDRESS(kAVSetCrashResume5))

// The replaced store of CL into the local runs on both paths; only the
// node's use is skipped.
HOOK_BODY(NullPlayerNode_Body,
          "mov [esp+0x20], cl\n"
          "test eax, eax\n"
          "jz 1f\n"
          "test byte ptr [eax+0x98], 1\n"
          CONTINUE_AT(kNullPlayerNodeResume)
          "1:\n"
          CONTINUE_AT(kNullPlayerNodeSkip),
          HOST_ADDRESS(kNullPlayerNodeResume), HOST_ADDRESS(kNullPlayerNodeSkip))

// A reference without a base form moves on as form type 0x26.
HOOK_BODY(NullBaseFormMove_Body,
          "mov ecx, [esi+0x24]\n"
          "mov eax, 0x26\n"
          "test ecx, ecx\n"
          "jz 1f\n"
          "movzx eax, byte ptr [ecx+0x12]\n"
          "1:\n"
          CONTINUE_AT(kNullBaseFormMoveResume),
          HOST_ADDRESS(kNullBaseFormMoveResume))

HOOK_BODY(NullRefNode_Body,
          "mov ebx, eax\n"
          "xor ecx, ecx\n"
          "xor ebp, ebp\n"
          "test eax, eax\n"
          "jz 1f\n"
          CONTINUE_AT(kNullRefNodeResume)
          "1:\n"
          CONTINUE_AT(kNullRefNodeSkip),
          HOST_ADDRESS(kNullRefNodeResume), HOST_ADDRESS(kNullRefNodeSkip))

// The replaced push of ESI runs on both paths: the code at the skip address
// expects it on the stack.
HOOK_BODY(NullOutfitEntry_Body,
          "push esi\n"
          "test ecx, ecx\n"
          "jz 1f\n"
          "movzx esi, byte ptr [ecx+0x12]\n"
          CONTINUE_AT(kNullOutfitEntryResume)
          "1:\n"
          "xor al, al\n"
          CONTINUE_AT(kNullOutfitEntrySkip),
          HOST_ADDRESS(kNullOutfitEntryResume), HOST_ADDRESS(kNullOutfitEntrySkip))

// The replaced push of EDI runs on both paths: the code at the skip address
// expects it on the stack.
HOOK_BODY(ActorDeleteNullBase_Body,
          "push edi\n"
          "test eax, eax\n"
          "jz 1f\n"
          "mov ecx, [eax+0x24]\n"
          "shr ecx, 5\n"
          CONTINUE_AT(kActorDeleteNullBaseResume)
          "1:\n"
          CONTINUE_AT(kActorDeleteNullBaseSkip),
          HOST_ADDRESS(kActorDeleteNullBaseResume), HOST_ADDRESS(kActorDeleteNullBaseSkip))

HOOK_BODY(NullParentNode_Body,
          "mov ecx, [esi+0x18]\n"
          "test ecx, ecx\n"
          "jz 1f\n"
          "mov edx, [ecx]\n"
          CONTINUE_AT(kNullParentNodeResume)
          "1:\n"
          CONTINUE_AT(kNullParentNodeSkip),
          HOST_ADDRESS(kNullParentNodeResume), HOST_ADDRESS(kNullParentNodeSkip))

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

void ApplyRenderSave() { Hook(kRenderSaveSite, kRenderSaveResume, RenderSave_Body); }

void ApplyMoveControllerCast() {
  Hook(kMoveControllerCastSite, kMoveControllerCastResume, MoveControllerCast_Body);
}

void ApplySaveRenderCrash() { Hook(kSaveRenderCrashSite, kSaveRenderCrashResume, SaveRenderCrash_Body); }

void ApplyNullLoadedNodeIgnore() {
  Hook(kNullLoadedNodeIgnoreSite, kNullLoadedNodeIgnoreResume, NullLoadedNodeIgnore_Body);
}

void ApplyNullActorBaseForm() { Hook(kNullActorBaseFormSite, kNullActorBaseFormResume, NullActorBaseForm_Body); }

void ApplyAVSetCrash() {
  Hook(kAVSetCrashSite1, kAVSetCrashResume1, AVSetCrash_Hook1);
  Hook(kAVSetCrashSite2, kAVSetCrashResume2, AVSetCrash_Hook2);
  Hook(kAVSetCrashSite3, kAVSetCrashResume3, AVSetCrash_Hook3);
  Hook(kAVSetCrashSite4, kAVSetCrashResume4, AVSetCrash_Hook4);
  Hook(kAVSetCrashSite5, kAVSetCrashResume5, AVSetCrash_Hook5);
}

void ApplyNullPlayerNode() { Hook(kNullPlayerNodeSite, kNullPlayerNodeResume, NullPlayerNode_Body); }

void ApplyNullBaseFormMove() { Hook(kNullBaseFormMoveSite, kNullBaseFormMoveResume, NullBaseFormMove_Body); }

void ApplyNullRefNode() { Hook(kNullRefNodeSite, kNullRefNodeResume, NullRefNode_Body); }

void ApplyNullOutfitEntry() { Hook(kNullOutfitEntrySite, kNullOutfitEntryResume, NullOutfitEntry_Body); }

void ApplyActorDeleteNullBase() {
  Hook(kActorDeleteNullBaseSite, kActorDeleteNullBaseResume, ActorDeleteNullBase_Body);
}

void ApplyNullParentNode() { Hook(kNullParentNodeSite, kNullParentNodeResume, NullParentNode_Body); }

void ApplySarnothSpecific() {
  Hook(kSarnothSpecificSite1, kSarnothSpecificResume1, SarnothSpecific_Body);
  Hook(kSarnothSpecificSite2, kSarnothSpecificResume2, SarnothSpecific_Body);
}
