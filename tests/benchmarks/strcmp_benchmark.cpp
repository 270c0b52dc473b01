// Measures the comparison hook as the game calls it (the host routine's
// address, operands in ECX and EDX) against a plain byte loop and the C
// runtime's strcmp, side by side in one process. The strings are path-like
// names of 1 to 64 bytes that share a prefix of 0 to 60 bytes, each operand
// at every alignment, and game paths compared as a sorted lookup does.
// Prints whether the processor runs the code itself, nanoseconds per call
// and the ratios for short (1-7 bytes) and longer (8-64 bytes) strings, what
// one more byte walked costs each, and a line for each target missed.
#include <cpuid.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "fixes/string_sites.h"
#include "plugin/apply.h"
#include "sim/host_memory.h"

namespace {

// Under a user-mode emulator CPUID describes the emulated processor, not the
// machine's, which the kernel lists in /proc/cpuinfo (Z: is the root under
// Wine). Empty when it does not; otherwise the two names.
std::string EmulatedProcessor() {
  unsigned words[12] = {};
  for (unsigned leaf = 0; leaf < 3; ++leaf) {
    __get_cpuid(0x80000002 + leaf, &words[4 * leaf], &words[4 * leaf + 1], &words[4 * leaf + 2], &words[4 * leaf + 3]);
  }
  auto trimmed = [](std::string text) {
    text.erase(0, text.find_first_not_of(" \t"));
    text.erase(text.find_last_not_of(" \t\r\n") + 1);
    return text;
  };
  const char* const brand = reinterpret_cast<const char*>(words);
  const std::string emulated = trimmed(std::string(brand, strnlen(brand, sizeof words)));
  std::string machine = "(unknown: Z:\\proc\\cpuinfo unreadable)";
  if (FILE* cpuinfo = std::fopen("Z:\\proc\\cpuinfo", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, cpuinfo)) {
      if (std::strncmp(line, "model name", 10) == 0 && std::strchr(line, ':')) {
        machine = trimmed(std::strchr(line, ':') + 1);
        break;
      }
    }
    std::fclose(cpuinfo);
  }
  return emulated == machine ? std::string() : "\"" + emulated + "\" on \"" + machine + "\"";
}

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

// Every candidate is called through a pointer, as a compiler calls the C
// runtime's strcmp; the hook through the host routine's own convention:
// ECX, EDX, nothing on the stack.
using Comparison = int32_t (*)(const char*, const char*);
using HostComparison = int32_t(__attribute__((fastcall)) *)(const char*, const char*);
Comparison volatile g_plainCompare = &PlainCompare;
Comparison volatile g_crtCompare = &std::strcmp;
HostComparison volatile g_hookCompare = reinterpret_cast<HostComparison>(host::kStrCmp.site);

int32_t ByteLoop(const char* a, const char* b) { return g_plainCompare(a, b); }
int32_t CrtCompare(const char* a, const char* b) { return g_crtCompare(a, b); }
int32_t HookCompare(const char* a, const char* b) { return g_hookCompare(a, b); }

struct Pair {
  const char* a;
  const char* b;
};

// Each string in its own 16-byte-aligned slot at an offset of 0 to 15, the
// two operands' offsets cycling independently.
std::vector<Pair> Placed(const std::vector<std::pair<std::string, std::string>>& texts, std::vector<char>& arena) {
  constexpr size_t kSlot = 96;
  arena.assign(texts.size() * 2 * kSlot + 16, 0);
  char* base = arena.data() + (16 - reinterpret_cast<uintptr_t>(arena.data()) % 16) % 16;
  std::vector<Pair> pairs;
  for (size_t i = 0; i < texts.size(); ++i) {
    char* a = base + 2 * i * kSlot + i % 16;
    char* b = base + (2 * i + 1) * kSlot + (i * 7 + 3) % 16;
    std::memcpy(a, texts[i].first.c_str(), texts[i].first.size() + 1);
    std::memcpy(b, texts[i].second.c_str(), texts[i].second.size() + 1);
    pairs.push_back({a, b});
  }
  return pairs;
}

// A shape is a length and the shared prefix; the strings are equal when the
// prefix is the whole length.
std::vector<Pair> PairsOfShapes(const std::vector<std::pair<int, int>>& shapes, std::vector<char>& arena) {
  const std::string stem = "meshes\\actors\\character\\behaviors\\0_master_WeaponIronSword.hkx";
  std::vector<std::pair<std::string, std::string>> texts;
  for (const auto& [length, prefix] : shapes) {
    std::string a = stem.substr(0, length), b = a;
    if (prefix < length) b[prefix] = static_cast<char>(b[prefix] + 1);
    texts.push_back({a, b});
  }
  return Placed(texts, arena);
}

std::vector<Pair> PairsOfLength(int minLength, int maxLength, std::vector<char>& arena) {
  std::vector<std::pair<int, int>> shapes;
  for (int length = minLength; length <= maxLength; ++length) {
    for (int prefix = 0; prefix <= std::min(length, 60); prefix += length < 8 ? 1 : 4) shapes.push_back({length, prefix});
  }
  return PairsOfShapes(shapes, arena);
}

// Equal strings of one length at 64 pairs of alignments: every byte is walked.
std::vector<Pair> EqualPairs(int length, std::vector<char>& arena) {
  return PairsOfShapes(std::vector<std::pair<int, int>>(64, {length, length}), arena);
}

// 42 game paths, each against the 10 that follow it in sorted order, as a
// lookup in a sorted table of paths compares them: 420 pairs that mostly
// share a folder and differ in the name.
std::vector<Pair> PathPairs(std::vector<char>& arena) {
  const char* const folders[] = {"meshes\\actors\\character\\", "meshes\\weapons\\iron\\", "meshes\\armor\\steel\\",
                                 "textures\\armor\\steel\\", "textures\\actors\\character\\", "sound\\fx\\npc\\"};
  const char* const names[] = {"sword01.nif", "sword02.nif", "shield.nif", "cuirass_m_1.dds",
                               "cuirass_m_0.dds", "greaves_f.dds", "idle.hkx"};
  std::vector<std::string> paths;
  for (const char* folder : folders) {
    for (const char* name : names) paths.push_back(std::string(folder) + name);
  }
  std::sort(paths.begin(), paths.end());
  std::vector<std::pair<std::string, std::string>> texts;
  for (size_t i = 0; i < paths.size(); ++i) {
    for (size_t step = 1; step <= 10; ++step) texts.push_back({paths[i], paths[(i + step) % paths.size()]});
  }
  return Placed(texts, arena);
}

template <int32_t (*compare)(const char*, const char*)>
double NanosecondsPerCall(const std::vector<Pair>& pairs, int32_t& checksum) {
  const int rounds = std::max<int>(1, 20000 / pairs.size());  // a slice of about a millisecond
  LARGE_INTEGER frequency, start, stop;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  int32_t sum = 0;
  for (int round = 0; round < rounds; ++round) {
    for (const Pair& pair : pairs) sum += compare(pair.a, pair.b);
  }
  QueryPerformanceCounter(&stop);
  checksum += sum;
  const double calls = static_cast<double>(rounds) * static_cast<double>(pairs.size());
  return 1e9 * static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart) / calls;
}

// The candidates take turns in short slices, and each keeps its best, so
// that a busy machine taking the processor away lands on none of them.
struct Bests {
  double byteLoop = 1e300, crt = 1e300, hook = 1e300;
};

Bests Measure(const char* title, const std::vector<Pair>& pairs, int slices) {
  Bests best;
  int32_t checksum = 0;
  for (int slice = 0; slice < slices; ++slice) {
    best.byteLoop = std::min(best.byteLoop, NanosecondsPerCall<ByteLoop>(pairs, checksum));
    best.crt = std::min(best.crt, NanosecondsPerCall<CrtCompare>(pairs, checksum));
    best.hook = std::min(best.hook, NanosecondsPerCall<HookCompare>(pairs, checksum));
  }
  std::printf("%s: %zu pairs, best of %d slices (checksum %d)\n", title, pairs.size(), slices, checksum);
  std::printf("  %-17s %7.2f ns/call  the hook %.3fx it\n", "byte loop", best.byteLoop, best.hook / best.byteLoop);
  std::printf("  %-17s %7.2f ns/call  the hook %.3fx it\n", "C runtime strcmp", best.crt, best.hook / best.crt);
  std::printf("  %-17s %7.2f ns/call\n", "the hook", best.hook);
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const int slices = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
  const std::string emulated = EmulatedProcessor();
  if (emulated.empty()) {
    std::printf("The processor runs this 32-bit code itself: the per-call figures count.\n");
  } else {
    std::printf("Emulated (%s): the per-call figures need a native run; the per-byte one is distorted least.\n",
                emulated.c_str());
  }
  sim::ResetHostImage();
  if (!ApplyStrCmp().Applied()) {
    std::printf("the comparison hook could not be placed\n");
    return 1;
  }
  std::vector<char> shortArena, longArena, arena8, arena64, pathArena;
  const Bests shorter = Measure("1-7 bytes", PairsOfLength(1, 7, shortArena), slices);
  const Bests longer = Measure("8-64 bytes", PairsOfLength(8, 64, longArena), slices);
  const Bests paths = Measure("game paths", PathPairs(pathArena), slices);
  // What one more byte costs, the call around the walk taken out: the
  // difference between equal strings of 64 and of 8 bytes, per byte.
  const Bests equal8 = Measure("equal, 8 bytes", EqualPairs(8, arena8), slices);
  const Bests equal64 = Measure("equal, 64 bytes", EqualPairs(64, arena64), slices);
  const double hookPerByte = (equal64.hook - equal8.hook) / 56;
  const double loopPerByte = (equal64.byteLoop - equal8.byteLoop) / 56;
  std::printf("per byte walked: the hook %.3f ns, the byte loop %.3f ns, the hook %.3fx it\n", hookPerByte,
              loopPerByte, hookPerByte / loopPerByte);
  const double shortRatio = shorter.hook / shorter.byteLoop;
  const double longRatio = longer.hook / longer.byteLoop;
  const double pathRatio = paths.hook / paths.byteLoop;
  if (shortRatio > 1.0) std::printf("target missed: %.3fx the byte loop on 1-7 bytes, at most 1x\n", shortRatio);
  if (longRatio > 0.5) std::printf("target missed: %.3fx the byte loop on 8-64 bytes, at most 0.5x\n", longRatio);
  if (pathRatio > 0.5) std::printf("target missed: %.3fx the byte loop on game paths, at most 0.5x\n", pathRatio);
  if (hookPerByte > 0.3 * loopPerByte) {
    std::printf("target missed: %.3fx the byte loop per byte walked, at most 0.3x\n", hookPerByte / loopPerByte);
  }
  return 0;
}
