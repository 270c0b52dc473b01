// Measures the guarded comparison handler against the unguarded one and a
// plain byte-wise comparison, side by side in one process, on strings like
// the host's own names (8 to 64 bytes, equal, or unequal at the start, the
// middle or the end). Prints nanoseconds per call and the ratios.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fixes/string_fixes.h"

namespace {

using Comparison = int32_t (*)(const char*, const char*);

// The baseline: what the host's routine does, with no null test and no guard.
__attribute__((noinline)) int32_t PlainCompare(const char* a, const char* b) {
  auto* left = reinterpret_cast<const unsigned char*>(a);
  auto* right = reinterpret_cast<const unsigned char*>(b);
  while (*left == *right && *left != 0) {
    ++left;
    ++right;
  }
  return (*left > *right) - (*left < *right);
}

struct Pair {
  std::string a, b;
};

std::vector<Pair> TypicalPairs() {
  std::vector<Pair> pairs;
  const char* stems[] = {"WeaponIronSword", "ArmorSteelCuirass", "dlc01_Vampire_Lord_Skin", "MagicEffectFrost",
                         "meshes\\actors\\character\\behaviors\\0_master.hkx", "CellMarker", "Eq_RightHand"};
  for (int length = 8; length <= 64; length += 4) {
    for (const char* stem : stems) {
      std::string text;
      while (text.size() < static_cast<size_t>(length)) text += stem;
      text.resize(length);
      pairs.push_back({text, text});                       // equal: walks everything
      for (int at : {0, length / 2, length - 1}) {
        Pair differ{text, text};
        differ.b[at] = static_cast<char>(differ.b[at] + 1);
        pairs.push_back(differ);
      }
    }
  }
  return pairs;
}

double NanosecondsPerCall(Comparison compare, const std::vector<Pair>& pairs, int rounds, int32_t& checksum) {
  LARGE_INTEGER frequency, start, stop;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  int32_t sum = 0;
  for (int round = 0; round < rounds; ++round) {
    for (const Pair& pair : pairs) sum += compare(pair.a.c_str(), pair.b.c_str());
  }
  QueryPerformanceCounter(&stop);
  checksum += sum;
  const double calls = static_cast<double>(rounds) * static_cast<double>(pairs.size());
  return 1e9 * static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart) / calls;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  const std::vector<Pair> pairs = TypicalPairs();
  struct Candidate {
    const char* name;
    Comparison compare;
    double best;
  } candidates[] = {{"plain byte-wise", &PlainCompare, 1e300},
                    {"SafeStrCmpNoTry", &SafeStrCmpNoTry, 1e300},
                    {"SafeStrCmp", &SafeStrCmp, 1e300}};
  // The three take turns, and each keeps its best run, so that a slow
  // stretch of the machine does not land on one of them alone.
  int32_t checksum = 0;
  for (int repeat = 0; repeat < 7; ++repeat) {
    for (Candidate& c : candidates) c.best = std::min(c.best, NanosecondsPerCall(c.compare, pairs, rounds, checksum));
  }
  std::printf("%zu string pairs of 8 to 64 bytes, %d rounds, best of 7 (checksum %d)\n", pairs.size(), rounds,
              checksum);
  for (const Candidate& c : candidates) {
    std::printf("%-16s %8.2f ns/call  %.3fx plain\n", c.name, c.best, c.best / candidates[0].best);
  }
  return 0;
}
