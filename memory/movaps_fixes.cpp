// movaps faults on an operand that is not 16-byte aligned; where host code
// may meet such heap objects, its movaps become movups (same operands, no
// alignment requirement) by changing the second opcode byte.
#include <cstdint>

#include "memory/movaps_sites.h"
#include "patch/frame_sites.h"
#include "patch/patch_writer.h"

using namespace host;

namespace {

constexpr uint8_t kMovapsStore = 0x29;
constexpr uint8_t kMovupsStore = 0x11;
constexpr uint8_t kMovupsLoad = 0x10;

}  // namespace

// Only the instruction of this game build is changed: anything else found
// there (already movups, another build) is left alone.
ApplyStatus ApplyFixMovApsManuallyIfAlignedAllocateIsDisabled() {
  if (host::At<uint8_t>(kManualStoreOpcode.site) != kMovapsStore) return kInert;
  return InstallPatches({{kManualStoreOpcode, nullptr, &kMovupsStore}});
}

ApplyStatus ApplyUnallocatedMovaps() {
  return InstallPatches({{kStretchStore1, nullptr, &kMovupsStore}, {kStretchStore2, nullptr, &kMovupsStore},
                         {kStretchStore3, nullptr, &kMovupsStore}, {kStretchStore4, nullptr, &kMovupsStore},
                         {kStretchStore5, nullptr, &kMovupsStore}, {kStretchLoad1, nullptr, &kMovupsLoad},
                         {kStretchLoad2, nullptr, &kMovupsLoad},   {kStretchLoad3, nullptr, &kMovupsLoad},
                         {kStretchLoad4, nullptr, &kMovupsLoad},   {kStretchLoad5, nullptr, &kMovupsLoad},
                         {kStretchLoad6, nullptr, &kMovupsLoad},   {kStretchLoad7, nullptr, &kMovupsLoad}});
}
