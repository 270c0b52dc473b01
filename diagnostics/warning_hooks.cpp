// Warnings at host sites known to fail on bad data: the user learns why the
// game is about to end, and the crash recorder stays silent for it.
#include <cstdint>

#include "core/known_crash.h"
#include "core/settings.h"
#include "diagnostics/form_layout.h"
#include "diagnostics/warning_sites.h"
#include "patch/fault_guard.h"
#include "patch/hook_asm.h"
#include "patch/messages.h"
#include "patch/patch_writer.h"

using namespace host;

namespace {

constexpr const char* kMissingNodeText =
    "Vellmoor has crashed due to a missing NiNode. This could indicate an incompatible skeleton, make sure "
    "you:\r\n1. Have KELDA skeleton installed.\r\n2. Don't have another skeleton overwrite KELDA in your mod "
    "manager.\r\n3. Have run Tarrow.\r\n If this happened while you removed a clothing item it's definitely "
    "incompatible skeleton.";
constexpr const char* kMountNodeText =
    "Vellmoor has crashed because a non-humanoid NPC or an NPC with invalid skeleton tried to mount a horse. "
    "This is not supported and you most\r\nlikely have a mod that caused this to happen. It is recommended "
    "that you track it down and disable or fix the mod.";
constexpr const char* kFootIKText =
    "Vellmoor has crashed while setting up FootIK. Some things you can try to fix this problem:\r\n1. Reduce "
    "the amount of installed animations.\r\n2. Try reload the save until it works.";

[[noreturn]] void EndGameWithWarning(int32_t reason, const char* text) {
  KnownCrashReason = reason;
  ShowText(text);
  EndProcessAfterKnownCrash(reason);
}

[[noreturn]] void __cdecl WarnMissingNode() { EndGameWithWarning(kCrashMissingNode, kMissingNodeText); }
[[noreturn]] void __cdecl WarnMountNode() { EndGameWithWarning(kCrashMountNode, kMountNodeText); }
[[noreturn]] void __cdecl WarnFootIK() { EndGameWithWarning(kCrashIKSetup, kFootIKText); }

// Host objects named in a message may be as bad as the value that failed:
// a field that cannot be read is reported as 0.
uint32_t FieldOrZero(uint32_t object, uint32_t offset) {
  uint32_t value = 0;
  if (object == 0 || !GuardedReadWord(reinterpret_cast<const void*>(static_cast<uintptr_t>(object + offset)), &value)) {
    return 0;
  }
  return value;
}

int32_t FormType(uint32_t form) {
  return static_cast<int8_t>(FieldOrZero(form, kFormTypeWordOffset) >> 16);
}

[[noreturn]] void __cdecl WarnNullLoadedNode(uint32_t reference) {
  const uint32_t base = FieldOrZero(reference, kBaseFormOffset);
  const int32_t type = base != 0 ? FormType(base) : FormType(reference);
  KnownCrashReason = kCrashNullLoadedNode;
  ShowMessage(
      "Vellmoor has crashed because an object reference with form ID: 0x%X, base form ID: 0x%X and type: 0x%X "
      "failed to produce loaded node most likely due to corrupted mesh or other reasons.",
      FieldOrZero(reference, kFormIdOffset), FieldOrZero(base, kFormIdOffset), static_cast<unsigned>(type));
  EndProcessAfterKnownCrash(kCrashNullLoadedNode);
}

void __cdecl WarnNullCombatStyle(uint32_t actor) {
  const uint32_t base = FieldOrZero(actor, kBaseFormOffset);
  KnownCrashReason = kCrashNullCombatStyle;
  ShowMessage("Game has crashed due to actor missing HRDCombatStyle form. The actor reference ID was 0x%X and base "
              "ID was 0x%X.",
              FieldOrZero(actor, kFormIdOffset), FieldOrZero(base, kFormIdOffset));
}

bool g_missingNodeWarns = false;

}  // namespace

// A null node (ESI) skips the host's work on it, after a warning when MissingNode is 1.
HOOK_BODY(MissingNode_Body,
          "test esi, esi\n"
          "jz 1f\n"
          "mov ebp, [esi+0xB4]\n"
          CONTINUE_AFTER(kMissingNode)
          "1:\n"
          "cmp byte ptr [%c[g_missingNodeWarns]], 0\n"
          "jz 2f\n"
          CALL_PLUGIN(WarnMissingNode)
          "2:\n"
          "add esp, 8\n"
          CONTINUE_AT(kMissingNodeSkip),
          RESUME_OF(kMissingNode), HOST_ADDRESS(kMissingNodeSkip), PLUGIN_FUNCTION(WarnMissingNode),
          [g_missingNodeWarns] "i"(&g_missingNodeWarns))

// A null mount object (EAX) is not read: the user is warned instead.
HOOK_BODY(MountNodeWarn_Body,
          "test eax, eax\n"
          "jz 1f\n"
          "mov ecx, [eax+0x78]\n"
          "mov edx, [esi+0x3C]\n"
          "add eax, 0x78\n"
          "mov eax, [eax+4]\n"
          CONTINUE_AFTER(kMountNode)
          "1:\n"
          CALL_PLUGIN(WarnMountNode),
          RESUME_OF(kMountNode), PLUGIN_FUNCTION(WarnMountNode))

// Addresses below 0x10000 are never mapped: the host's index ran off its
// table.
HOOK_BODY(IKCrashWarn_Body,
          "cwde\n"
          "push ecx\n"
          "lea ecx, [edx+eax*2]\n"
          "cmp ecx, 0x10000\n"
          "pop ecx\n"
          "jb 1f\n"
          "movzx eax, word ptr [edx+eax*2]\n"
          CONTINUE_AFTER(kFootIK)
          "1:\n"
          CALL_PLUGIN(WarnFootIK),
          RESUME_OF(kFootIK), PLUGIN_FUNCTION(WarnFootIK))

// The reference is the host's argument at [ESP+4].
HOOK_BODY(NullLoadedNodeNotify_Body,
          "test eax, eax\n"
          "jz 1f\n"
          "mov edx, [eax]\n"
          "mov ecx, eax\n"
          "mov eax, [edx+0x14]\n"
          CONTINUE_AFTER(kLoadedNode)
          "1:\n"
          "push dword ptr [esp+4]\n"
          CALL_PLUGIN(WarnNullLoadedNode),
          RESUME_OF(kLoadedNode), PLUGIN_FUNCTION(WarnNullLoadedNode))

// The host goes on with the null style; the message only explains what
// comes next.
HOOK_BODY(WarnNullCombatStyle_Body,
          CALL_HOST(kGetCombatStyle)
          "test eax, eax\n"
          "jz 1f\n"
          CONTINUE_AFTER(kCombatStyle)
          "1:\n"
          SAVE_ALL
          "push esi\n"
          CALL_PLUGIN(WarnNullCombatStyle)
          "add esp, 4\n"
          RESTORE_ALL
          CONTINUE_AFTER(kCombatStyle),
          HOST_ADDRESS(kGetCombatStyle), RESUME_OF(kCombatStyle), PLUGIN_FUNCTION(WarnNullCombatStyle))

ApplyStatus ApplyMissingNode() {
  g_missingNodeWarns = GetSetting("MissingNode", -1) == 1;
  return InstallPatches({{kMissingNode, &MissingNode_Body}});
}

ApplyStatus ApplyMountNodeWarn() { return InstallPatches({{kMountNode, &MountNodeWarn_Body}}); }

ApplyStatus ApplyIKCrashWarn() { return InstallPatches({{kFootIK, &IKCrashWarn_Body}}); }

ApplyStatus ApplyNullLoadedNodeNotify() { return InstallPatches({{kLoadedNode, &NullLoadedNodeNotify_Body}}); }

ApplyStatus ApplyWarnNullCombatStyle() { return InstallPatches({{kCombatStyle, &WarnNullCombatStyle_Body}}); }
