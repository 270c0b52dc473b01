// The lookup guards, each entered at its site on both sides of its test.
#include "fixes/lookup_guard_sites.h"
#include "sim/host_lookup_guards.h"
#include "sim/host_memory.h"
#include "tests/hook_check.h"

namespace {

using namespace hook_check;
using sim::AddressOf;
using LookupGuard = HookTest;

TEST_F(LookupGuard, UnkUniqueIdSkipsOnANullFrameOrANullFirstWord) {
  EXPECT_TRUE(ApplyUnkUniqueId().Applied());
  uint32_t empty = 0, filled = 0x1D;
  const R noFrame = With(kDistinct, {{&R::ebp, 0}});
  ExpectHook(host::kUnkUniqueId.site, noFrame, {}, {host::kUnkUniqueIdSkip, noFrame});
  R in = With(kDistinct, {{&R::ebp, AddressOf(&empty)}});
  ExpectHook(host::kUnkUniqueId.site, in, {}, {host::kUnkUniqueIdSkip, With(in, {{&R::eax, 0}})});
  in.ebp = AddressOf(&filled);
  ExpectHook(host::kUnkUniqueId.site, in, {}, {host::kUnkUniqueId.resume, With(in, {{&R::eax, 0x1D}})});
}

TEST_F(LookupGuard, UnkObjRef4D4EB0JumpsThroughTheObjectOrResumes) {
  EXPECT_TRUE(ApplyUnkObjRef4D4EB0().Applied());
  const R null = With(kDistinct, {{&R::eax, 0}});
  ExpectHook(host::kUnkObjRef4D4EB0.site, null, {}, {host::kUnkObjRef4D4EB0.resume, null});
  constexpr uint32_t kTarget = 0x4D5123;  // any host address: the trap there shows the jump
  uint32_t object[0x20] = {};
  object[0x74 / 4] = kTarget;
  const R in = With(kDistinct, {{&R::eax, AddressOf(object)}});
  auto out = ExpectHook(host::kUnkObjRef4D4EB0.site, in, {0x11, 0x22}, {kTarget, With(in, {{&R::edx, kTarget}})});
  EXPECT_EQ(out.Stack(0), 0x11u) << "a tail jump, not a call";
}

TEST_F(LookupGuard, Unk11ReadsTheWordOrSkipsWithEsiZero) {
  EXPECT_TRUE(ApplyUnk11().Applied());
  uint32_t holder[4] = {};
  R in = With(kDistinct, {{&R::esi, AddressOf(holder)}});
  ExpectHook(host::kUnk11.site, in, {}, {host::kUnk11Skip, With(in, {{&R::esi, 0}})});
  const uint16_t words[4] = {0x1111, 0x2222, 0x3333, 0xFFFE};
  holder[3] = AddressOf(words);
  in.edx = 3;
  ExpectHook(host::kUnk11.site, in, {}, {host::kUnk11.resume, With(in, {{&R::esi, 0xFFFE}})});  // zero-extended
}

TEST_F(LookupGuard, CellNullCrashEndsTheSearchOnANullEntry) {
  EXPECT_TRUE(ApplyCellNullCrash().Applied());
  const R null = With(kDistinct, {{&R::eax, 0}});
  ExpectHook(host::kCellNullCrash.site, null, {}, {host::kCellNullCrashNotFound, null});
  uint32_t entry[3] = {kDistinct.edi, 0, 0xE0E0};  // the key searched for is in EDI
  const R in = With(kDistinct, {{&R::eax, AddressOf(entry)}});
  ExpectHook(host::kCellNullCrash.site, in, {}, {host::kCellNullCrashFound, in});
  entry[0] = 0x4E4E;
  ExpectHook(host::kCellNullCrash.site, in, {}, {host::kCellNullCrash.resume, With(in, {{&R::eax, 0xE0E0}})});
}

TEST_F(LookupGuard, IndexError1ReturnsEarlyFrom0x55) {
  EXPECT_TRUE(ApplyIndexError1().Applied());
  sim::HostAt<uint32_t>(host::kIndexError1Data) = 0xDA7A;
  sim::HostAt<uint32_t>(host::kIndexError1Index) = 0x54;
  ExpectHook(host::kIndexError1.site, kDistinct, {},
             {host::kIndexError1.resume, With(kDistinct, {{&R::eax, 0x54}, {&R::esi, 0xDA7A}})});
  // The routine had pushed ESI: it is popped and the routine returns. Large
  // values return too: the comparison is unsigned.
  for (uint32_t index : {0x55u, 0x80000000u}) {
    sim::HostAt<uint32_t>(host::kIndexError1Index) = index;
    ExpectHook(host::kIndexError1.site, kDistinct, {0x5A5E, sim::kReturnProbe, 0xA1},
               {sim::kReturnProbe, With(kDistinct, {{&R::eax, index}, {&R::esi, 0x5A5E}}), 8});
  }
}

TEST_F(LookupGuard, SarnothSpecificReturnsFromBothRoutinesRemovingSixteenBytes) {
  EXPECT_TRUE(ApplySarnothSpecific().Applied());
  for (uint32_t site : {host::kSarnothSpecific1.site, host::kSarnothSpecific2.site}) {
    SCOPED_TRACE(site);
    auto out = ExpectHook(sim::EarlyReturnRoutineEntry(site), kDistinct, {sim::kReturnProbe, 1, 2, 3, 4, 0xCA11E4},
                          {sim::kReturnProbe, kDistinct, 20});
    EXPECT_EQ(out.Stack(0), 0xCA11E4u);
  }
}

}  // namespace
