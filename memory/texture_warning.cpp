// A texture the host could not create means the game is about to fail for
// want of video memory; say so before it does.
#include <cstdint>

#include "patch/hook_asm.h"
#include "patch/messages.h"
#include "patch/patch_writer.h"
#include "plugin/apply.h"
#include "plugin/known_crash.h"

namespace {

// Both return sequences of the host's texture creation: release 0x18 bytes
// of locals, then RET 0x30.
constexpr uint32_t kTextureReturnSite = 0xC9170E;
constexpr uint32_t kTextureReturnResume = 0xC91714;
constexpr uint32_t kTextureOtherReturnSite = 0xC91724;
constexpr uint32_t kTextureOtherReturnResume = 0xC9172A;

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

void ApplyWarnTextureFailure() {
  WriteJump(kTextureReturnSite, kTextureReturnResume, reinterpret_cast<const void*>(&WarnTextureFailure_Body));
  WriteJump(kTextureOtherReturnSite, kTextureOtherReturnResume,
            reinterpret_cast<const void*>(&WarnTextureFailure_Body));
}
