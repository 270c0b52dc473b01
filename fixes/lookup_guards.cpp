// Guards on lookups in the game's own tables and lists: a null frame, entry
// or table ends the lookup the way "not found" would, and an index out of
// range ends the routine early.
#include "fixes/lookup_guard_sites.h"
#include "patch/hook_asm.h"
#include "patch/patch_writer.h"

using namespace host;

// A null frame (EBP), or a frame whose first word is null, skips the lookup.
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

// A value of 0x55 or more in the host global would index past its table: the
// routine ends early (it had pushed ESI) with that value in EAX.
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

ApplyStatus ApplyUnkUniqueId() { return InstallPatches({{kUnkUniqueId, &UnkUniqueId_Body}}); }
ApplyStatus ApplyUnkObjRef4D4EB0() { return InstallPatches({{kUnkObjRef4D4EB0, &UnkObjRef4D4EB0_Body}}); }
ApplyStatus ApplyUnk11() { return InstallPatches({{kUnk11, &Unk11_Body}}); }
ApplyStatus ApplyCellNullCrash() { return InstallPatches({{kCellNullCrash, &CellNullCrash_Body}}); }
ApplyStatus ApplyIndexError1() { return InstallPatches({{kIndexError1, &IndexError1_Body}}); }
ApplyStatus ApplySarnothSpecific() {
  return InstallPatches({{kSarnothSpecific1, &SarnothSpecific_Body}, {kSarnothSpecific2, &SarnothSpecific_Body}});
}
