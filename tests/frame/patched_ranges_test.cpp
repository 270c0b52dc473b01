// Which host bytes each option changes, loaded through a fresh copy of the
// built DLL and compared byte for byte with the untouched host image.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "plugin/option_table.h"
#include "sim/host_memory.h"
#include "sim/loader.h"
#include "tests/frame/frame_fixture.h"

namespace {

struct Range {
  uint32_t begin, end;
  bool operator==(const Range&) const = default;
};
using Ranges = std::vector<Range>;

// Changed bytes closer than a word apart are one range: a written value may
// match a few bytes already there (a zero byte in a pointer, say).
Ranges PatchedRanges(const uint8_t* before) {
  Ranges out;
  const auto* now = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(sim::kHostBegin));
  for (uint32_t i = 0; i < sim::kHostEnd - sim::kHostBegin; ++i) {
    if (now[i] == before[i]) continue;
    const uint32_t at = sim::kHostBegin + i;
    if (!out.empty() && at - out.back().end < 4) {
      out.back().end = at + 1;
    } else {
      out.push_back({at, at + 1});
    }
  }
  return out;
}

Ranges RangesAfterLoading(const std::string& ini) {
  sim::ResetHostImage();
  const uint32_t size = sim::kHostEnd - sim::kHostBegin;
  auto before = std::make_unique<uint8_t[]>(size);
  std::memcpy(before.get(), reinterpret_cast<const void*>(static_cast<uintptr_t>(sim::kHostBegin)), size);
  const std::string folder = sim::TempFolder("ranges");
  sim::PrepareGameFolder(folder, ini);
  auto outcome = sim::LoadPluginAsQorv({frame_test::FreshDllCopy(folder), false});
  EXPECT_TRUE(outcome.loadResult) << outcome.error;
  return PatchedRanges(before.get());
}

std::string Describe(const Ranges& ranges) {
  std::string text;
  char item[40];
  for (const Range& r : ranges) {
    std::snprintf(item, sizeof item, "{0x%X, 0x%X}, ", r.begin, r.end);
    text += item;
  }
  return text;
}

// Every option on but the benchmark, which rules out the allocators. The
// host's own bytes at each range are what the game ships, so a range that
// moves or grows here is a patch that now writes somewhere else.
const Ranges kEveryOptionOn = {
    {0x437604, 0x43760B}, {0x46CA00, 0x46CA06}, {0x46ECF5, 0x46ECFB}, {0x46EDF0, 0x46EE08}, {0x46EE1D, 0x46EE23},
    {0x4C119E, 0x4C11A5}, {0x4C6031, 0x4C6038}, {0x4D4EB9, 0x4D4EBE}, {0x4D9D06, 0x4D9D0D}, {0x561FF6, 0x561FFB},
    {0x5A8805, 0x5A880A}, {0x657673, 0x65767C}, {0x6577D0, 0x6577D8}, {0x65FEEC, 0x65FEF1}, {0x662E80, 0x662E85},
    {0x662E95, 0x662E96}, {0x662EBE, 0x662EC5}, {0x663260, 0x663265}, {0x663272, 0x663273}, {0x66329D, 0x6632A2},
    {0x663410, 0x663415}, {0x663434, 0x663435}, {0x66344E, 0x663453}, {0x663953, 0x663958}, {0x663A19, 0x663A1E},
    {0x663FE0, 0x663FE5}, {0x663FF2, 0x663FF3}, {0x664030, 0x664031}, {0x664056, 0x66405B}, {0x66435B, 0x664361},
    {0x664442, 0x664447}, {0x664458, 0x66445D}, {0x664476, 0x66447C}, {0x664620, 0x664625}, {0x667381, 0x667386},
    {0x6673D0, 0x6673D5}, {0x6673FA, 0x6673FF}, {0x667564, 0x66756A}, {0x667590, 0x667596}, {0x687B01, 0x687B05},
    {0x687E21, 0x687E29}, {0x690A69, 0x690A6F}, {0x691621, 0x691626}, {0x69470D, 0x694712}, {0x69B84B, 0x69B856},
    {0x6BAC9A, 0x6BACA1}, {0x6DE86A, 0x6DE88B}, {0x6E7F85, 0x6E7F91}, {0x6F231E, 0x6F2323}, {0x6F3A11, 0x6F3A17},
    {0x76636B, 0x766374}, {0x76E358, 0x76E365}, {0x7E39EC, 0x7E39F2}, {0x8127CF, 0x8127D5}, {0x8368AA, 0x8368AF},
    {0x847241, 0x847246}, {0x876BF0, 0x876BF7}, {0x87707B, 0x877081}, {0x8773FB, 0x877400}, {0x8B4371, 0x8B437C},
    {0xA487B4, 0xA487B9}, {0xA48890, 0xA48896}, {0xA4893C, 0xA48942}, {0xA48AC0, 0xA48AC5}, {0xA48D60, 0xA48D68},
    {0xA48F62, 0xA48F66}, {0xA49150, 0xA49153}, {0xA49450, 0xA49455}, {0xA49510, 0xA49523}, {0xA49531, 0xA49535},
    {0xA495F1, 0xA495F6}, {0xA49673, 0xA49679}, {0xA49770, 0xA49776}, {0xA49800, 0xA49807}, {0xA50A3D, 0xA50A43},
    {0xA51284, 0xA5128A}, {0xA58898, 0xA5889D}, {0xAF52B1, 0xAF52B6}, {0xBFECC0, 0xBFECC5}, {0xC27A8B, 0xC27A92},
    {0xC3FC10, 0xC3FC16}, {0xC3FC20, 0xC3FC26}, {0xC3FC2E, 0xC3FC33}, {0xC3FC5E, 0xC3FC63}, {0xC3FF10, 0xC3FF16},
    {0xC3FF28, 0xC3FF31}, {0xC3FF48, 0xC3FF69}, {0xC3FF7A, 0xC3FF81}, {0xC3FF86, 0xC3FF8C}, {0xC3FFC8, 0xC3FFCD},
    {0xC40004, 0xC4000A}, {0xC400D8, 0xC400DD}, {0xC400F6, 0xC400FB}, {0xC4010E, 0xC40116}, {0xC4012A, 0xC4012F},
    {0xC40168, 0xC40177}, {0xC40192, 0xC401A0}, {0xC402A4, 0xC402AA}, {0xC403B9, 0xC403BE}, {0xC403E3, 0xC403F3},
    {0xC40758, 0xC4075D}, {0xC4077E, 0xC4078C}, {0xC40983, 0xC40988}, {0xC40ED5, 0xC40EDC}, {0xC41A56, 0xC41A61},
    {0xC41AD9, 0xC41AE4}, {0xC41B8B, 0xC41B92}, {0xC41C0C, 0xC41C15}, {0xC7A3CD, 0xC7A3D6}, {0xC9170E, 0xC91714},
    {0xC91724, 0xC9172A}, {0xCAF9F7, 0xCAFA01}, {0xCB0516, 0xCB0520}, {0xCEC5EC, 0xCEC5F2}, {0xD573A8, 0xD573AE},
    {0xD822D5, 0xD822DC}, {0xDDB0B3, 0xDDB0B4}, {0xDDB0BA, 0xDDB0BE}, {0xDDB0C4, 0xDDB0C5}, {0xDDB0CF, 0xDDB0D0},
    {0xDDB0D7, 0xDDB0D8}, {0xDDB0F8, 0xDDB0F9}, {0xDDB0FF, 0xDDB100}, {0xDDB108, 0xDDB109}, {0xDDB111, 0xDDB116},
    {0xDDB11C, 0xDDB11D}, {0xEBC0A6, 0xEBC0AC}, {0xECD92E, 0xECD934}, {0x106B0A4, 0x106B0A8}, {0x106B144, 0x106B148},
    {0x112C46E, 0x112C46F}, {0x1240DDC, 0x1240DDD}, {0x12772AC, 0x12772AD}, {0x12CA46C, 0x12CA46D},
};

TEST(PatchedRanges, EveryOptionOnPatchesTheKeptRanges) {
  std::string ini = "[Patch]\n";
  for (int i = 0; const OptionEntry* row = FindOption(i); ++i) {
    if (std::string(row->key) != "RunAllocatorBenchmark") ini += std::string(row->key) + "=1\n";
  }
  const Ranges patched = RangesAfterLoading(ini);
  EXPECT_EQ(patched, kEveryOptionOn) << Describe(patched);
}

}  // namespace
