// A texture the host could not create means the game is about to fail for
// want of video memory; say so before it does.
#include <cstdint>

#include "core/known_crash.h"
#include "diagnostics/texture_warning_sites.h"
#include "patch/hook_asm.h"
#include "patch/messages.h"
#include "patch/patch_writer.h"

using namespace host;

namespace {

// Both return sequences of the host's texture creation: release 0x18 bytes
// of locals, then RET 0x30.

}  // namespace

[[noreturn]] void TextureFailureWarning() {
  ShowText("Vellmoor has failed to allocate texture in memory! This could indicate running out of VRAM. Try using "
           "lower resolution textures.");
  EndProcessAfterKnownCrash(kCrashTextureAllocation);
}

// One body serves both sites: it ends with the host's own return sequence.
HOOK_BODY(WarnTextureFailure_Body,
          "test eax, eax\n"
          "jnz 1f\n"
          CALL_PLUGIN(TextureFailureWarning)
          "1:\n"
          "add esp, 0x18\n"
          "ret 0x30\n",
          PLUGIN_FUNCTION(TextureFailureWarning))

ApplyStatus ApplyWarnTextureFailure() {
  return InstallPatches({{kTextureReturn, &WarnTextureFailure_Body},
                         {kTextureOtherReturn, &WarnTextureFailure_Body}});
}
