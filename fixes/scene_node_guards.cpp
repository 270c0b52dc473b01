// Guards in the renderer and the scene graph: a node that is missing, not
// loaded, or already freed skips the host's work on it, or is replaced by the
// neutral value the host's own code would have met.
#include "fixes/scene_node_guards.h"

#include "fixes/scene_node_guard_sites.h"
#include "patch/fault_guard.h"
#include "patch/hook_asm.h"
#include "patch/patch_writer.h"

using namespace host;

extern "C" void* ReadableObjectOrNull(void* p) {
  uint32_t ignored;
  return p != nullptr && GuardedReadWord(p, &ignored) ? p : nullptr;
}

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

// The shadow node in EDI may be freed: its slot 7 is called under a guard.
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

// A mount without its node (EAX null) falls back to the object in EDI.
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

// An object whose 3D is not loaded (EAX null) skips; otherwise EAX leaves
// holding the node's virtual slot 5, which the host calls next.
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

// The player's node may not exist yet. The replaced store of CL into the
// local runs on both paths; only the node's use is skipped.
HOOK_BODY(NullPlayerNode_Body,
          "mov [esp+0x20], cl\n"
          "test eax, eax\n"
          "jz 1f\n"
          "test byte ptr [eax+0x98], 1\n"
          CONTINUE_AFTER(kNullPlayerNode)
          "1:\n"
          CONTINUE_AT(kNullPlayerNodeSkip),
          RESUME_OF(kNullPlayerNode), HOST_ADDRESS(kNullPlayerNodeSkip))

// A reference without a node. The replaced instructions set EBX to the node
// and clear ECX and EBP, which the skip path also expects; a null node then
// skips the routine's work on it.
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

ApplyStatus ApplyRender650() { return InstallPatches({{kRender650, &Render650_Body}}); }
ApplyStatus ApplyShadowNode() { return InstallPatches({{kShadowNode, &ShadowNode_Body}}); }
ApplyStatus ApplyMountNodeCrash() { return InstallPatches({{kMountNodeCrash, &MountNodeCrash_Body}}); }
ApplyStatus ApplyRenderSave() { return InstallPatches({{kRenderSave, &RenderSave_Body}}); }
ApplyStatus ApplySaveRenderCrash() { return InstallPatches({{kSaveRenderCrash, &SaveRenderCrash_Body}}); }
ApplyStatus ApplyNullLoadedNodeIgnore() { return InstallPatches({{kNullLoadedNodeIgnore, &NullLoadedNodeIgnore_Body}}); }
ApplyStatus ApplyNullPlayerNode() { return InstallPatches({{kNullPlayerNode, &NullPlayerNode_Body}}); }
ApplyStatus ApplyNullRefNode() { return InstallPatches({{kNullRefNode, &NullRefNode_Body}}); }
ApplyStatus ApplyNullParentNode() { return InstallPatches({{kNullParentNode, &NullParentNode_Body}}); }
