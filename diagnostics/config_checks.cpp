#include "diagnostics/config_checks.h"

#include <windows.h>

#include <string_view>

#include "core/option_rules.h"
#include "core/settings.h"
#include "diagnostics/config_check_sites.h"
#include "patch/frame_sites.h"
#include "patch/hook_asm.h"
#include "patch/messages.h"
#include "patch/patch_writer.h"

using namespace host;

namespace {
constexpr uint32_t kHeapSizeOffset = 0x20;
constexpr int32_t kEnlargedHeapBytes = 1 << 28;

constexpr const char* kExpandMemoryWarning =
    "WARNING: ExpandSystemMemoryX64 must be set false in enblocal.ini or you may experience additional crashes!";
constexpr const char* kReduceMemoryWarning =
    "WARNING: UseOSAllocators recommends to set ReduceSystemMemoryUsage=true in enblocal.ini. You can disable "
    "this warning by setting WarnBadENB to 0 in Orrisbane.ini";

// The host's message function takes the address of a pointer to its text.
const char* g_heapWarningText =
    "Warning: QORV memory fix is not active on your game! Make sure \"Data/QORV/QORV.ini\" has "
    "DefaultHeapInitialAllocMB=768 or higher under [Memory]. If using Mod Organizer try adding "
    "-forcesteamloader to QORV startup options. You can diable this warning from "
    "\"Data/QORV/Plugins/Orrisbane.ini\" by setting \"WarnQORVMemoryPatch\" to 0.";

char g_enbValue[option_rules::kEnbValueChars + 1];
// A plain byte: two threads checking at the same moment may both warn,
// which is harmless next to a lock on every call through these sites.
volatile uint8_t g_heapChecked = 0;

using HostMessageFn = void(__cdecl*)(uint32_t, uint32_t, uint32_t, const char* const*);

}  // namespace

int ReadEnbBool(const char* key, uint8_t* found) {
  const DWORD length =
      GetPrivateProfileStringA("MEMORY", key, "", g_enbValue, sizeof g_enbValue, kEnbSettingsFile);
  if (length == 0) return 0;
  *found = 1;
  return static_cast<int>(option_rules::ReadEnbBool(std::string_view(g_enbValue, length)));
}

extern "C" void HeapSizeCheck() {
  if (g_heapChecked) return;
  const uint32_t heap = host::At<uint32_t>(kHostHeapPointer);
  if (heap == 0) return;
  const auto wholeMegabytes = static_cast<int32_t>(host::At<uint32_t>(heap + kHeapSizeOffset) & 0xFFF00000u);
  g_heapChecked = 1;
  if (wholeMegabytes > kEnlargedHeapBytes) return;
  reinterpret_cast<HostMessageFn>(kHostMessage)(0, 0, 0, &g_heapWarningText);
}

// Each check runs with every register and flag saved, then does the host
// instructions its jump replaced.
HOOK_BODY(WarnQORVMemoryPatch_Hook1,
          SAVE_ALL
          CALL_PLUGIN(HeapSizeCheck)
          RESTORE_ALL
          "mov [esp+0x12], cx\n"
          CONTINUE_AFTER(kHeapCheck1),
          PLUGIN_FUNCTION(HeapSizeCheck), RESUME_OF(kHeapCheck1))

HOOK_BODY(WarnQORVMemoryPatch_Hook2,
          SAVE_ALL
          CALL_PLUGIN(HeapSizeCheck)
          RESTORE_ALL
          "mov eax, [%c[kHeapCheck2Global]]\n"
          "mov eax, [eax]\n"
          "cmp eax, 0\n"
          CONTINUE_AFTER(kHeapCheck2),
          PLUGIN_FUNCTION(HeapSizeCheck), HOST_ADDRESS(kHeapCheck2Global), RESUME_OF(kHeapCheck2))

HOOK_BODY(WarnQORVMemoryPatch_Hook3,
          SAVE_ALL
          CALL_PLUGIN(HeapSizeCheck)
          RESTORE_ALL
          "mov ecx, [eax+0x18]\n"
          "mov eax, [ecx+0x1C]\n"
          CONTINUE_AFTER(kHeapCheck3),
          PLUGIN_FUNCTION(HeapSizeCheck), RESUME_OF(kHeapCheck3))

ApplyStatus ApplyWarnBadENB() {
  const bool osAllocators = GetSetting("UseOSAllocators", 0) > 0;
  uint8_t found = 0;
  if (ReadEnbBool("ExpandSystemMemoryX64", &found) == 1) {
    ShowText(kExpandMemoryWarning);
    return kApplied;
  }
  if (!osAllocators) return kApplied;
  const int reduce = ReadEnbBool("ReduceSystemMemoryUsage", &found);
  if (found == 1 && reduce != 1) ShowText(kReduceMemoryWarning);
  return kApplied;
}

ApplyStatus ApplyWarnQORVMemoryPatch() {
  return InstallPatches({{kHeapCheck1, &WarnQORVMemoryPatch_Hook1},
                         {kHeapCheck2, &WarnQORVMemoryPatch_Hook2},
                         {kHeapCheck3, &WarnQORVMemoryPatch_Hook3}});
}

ApplyStatus ApplyAutoDisableMTIni() {
  constexpr uint32_t kOff = 0;
  return InstallPatches({{kMultithreadingSettings[0], nullptr, &kOff},
                         {kMultithreadingSettings[1], nullptr, &kOff},
                         {kMultithreadingSettings[2], nullptr, &kOff}});
}
