// Many host threads at the guarded sites at once: each must get its own
// answer, faults on one thread must not leak into another's result, and the
// shared dummy object must only ever be seen fully constructed.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "fixes/actor_guard_sites.h"
#include "fixes/actor_guards.h"
#include "fixes/scene_node_guard_sites.h"
#include "fixes/scene_node_guards.h"
#include "fixes/string_sites.h"
#include "sim/child.h"
#include "sim/host_actor_guards.h"
#include "sim/host_scene_node_guards.h"
#include "sim/host_memory.h"
#include "sim/runner.h"

namespace {

using sim::AddressOf;

// Starts every worker at once, so their first runs overlap.
void RunTogether(int workers, const std::function<void(int)>& work) {
  std::atomic<int> waiting{workers};
  std::vector<std::thread> threads;
  for (int t = 0; t < workers; ++t) {
    threads.emplace_back([&, t] {
      waiting.fetch_sub(1);
      while (waiting.load() > 0) std::this_thread::yield();
      work(t);
    });
  }
  for (auto& thread : threads) thread.join();
}

// One thread's mixed work; returns how many answers were wrong and the
// first of them.
std::string CompareAndCallShadowNodes(int thread, int rounds) {
  int wrongCount = 0;
  std::string wrong;
  auto note = [&](const std::string& what) {
    if (wrongCount++ == 0) wrong = what;
  };
  const std::string mine = "thread-" + std::to_string(thread) + "-name";
  const std::string greater = "thread-" + std::to_string(thread) + "-nbme";
  uint8_t shadow[0x110] = {};
  auto node = sim::MakeAnsweringSlot7Node(0);
  auto faulting = sim::MakeFaultingSlot7Node();
  for (int round = 0; round < rounds; ++round) {
    const bool fault = (round + thread) % 3 == 0;
    const uint32_t right = fault ? sim::UnreadablePage() : AddressOf(greater.c_str());
    auto compared = sim::RunHost(host::kStrCmp.site, {.ecx = AddressOf(mine.c_str()), .edx = right}, {sim::kReturnProbe});
    if (compared.address != sim::kReturnProbe || compared.regs.eax != (fault ? 1u : 0xFFFFFFFFu)) {
      note("compare (fault " + std::to_string(fault) + ") " + compared.Describe());
    }

    node.value = static_cast<uint32_t>(thread * 100000 + round);
    shadow[0x108] = shadow[0x10C] = 1;
    const uint32_t edi = AddressOf(fault ? &faulting : &node);
    auto shadowed = sim::RunHost(host::kShadowNode.site, {.eax = 0xA0A0, .esi = AddressOf(shadow), .edi = edi});
    const bool landedRight = fault ? shadowed.address == host::kShadowNodeSkip && shadowed.regs.eax == 0xA0A0 &&
                                         shadow[0x108] == 0 && shadow[0x10C] == 0
                                   : shadowed.address == host::kShadowNode.resume && shadowed.regs.eax == node.value &&
                                         shadow[0x108] == 1 && shadow[0x10C] == 1;
    if (!landedRight) note("shadow node (fault " + std::to_string(fault) + ") " + shadowed.Describe());
  }
  return wrongCount == 0 ? "" : std::to_string(wrongCount) + " wrong, first: " + wrong;
}

TEST(Concurrency, ThreadsAtTheComparisonAndShadowNodeSitesEachGetTheirOwnAnswer) {
  sim::ResetHostImage();
  EXPECT_TRUE(ApplyStrCmp().Applied());
  EXPECT_TRUE(ApplyShadowNode().Applied());
  constexpr int kThreads = 6;
  std::vector<std::string> wrong(kThreads);
  RunTogether(kThreads, [&](int t) { wrong[t] = CompareAndCallShadowNodes(t, 60); });
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(wrong[t], "") << "thread " << t;
}

// The probes keep no state: threads probing live and freed memory at once
// each get their own answer.
TEST(Concurrency, ThreadsProbingLiveAndFreedMemoryTogetherEachGetTheirOwnAnswer) {
  alignas(16) uint8_t live[0x40] = {};
  std::vector<int> wrong(8, 0);
  RunTogether(8, [&](int t) {
    const bool alive = t % 2 == 1;
    void* vector = alive ? live : reinterpret_cast<void*>(sim::UnreadablePage() - 4 * (t % 3));
    void* object = alive ? live + 4 * t : reinterpret_cast<void*>(sim::UnreadablePage() + 4 * t);
    for (int i = 0; i < 2000; ++i) {
      if (ReadableVectorOrNull(vector) != (alive ? vector : nullptr)) ++wrong[t];
      if (ReadableObjectOrNull(object) != (alive ? object : nullptr)) ++wrong[t];
    }
  });
  EXPECT_EQ(wrong, std::vector<int>(8, 0));
}

// A fresh process, so the dummy does not exist yet; a slow host constructor
// keeps the first thread inside it while the others meet their null.
SIM_SCENARIO(NullSeenDataRace) {
  sim::SetSeenDataConstructionDelay(300);
  EXPECT_TRUE(ApplyNullSeenData().Applied());
  constexpr int kThreads = 6;
  std::vector<sim::Landing> landings(kThreads);
  RunTogether(kThreads, [&](int t) { landings[t] = sim::RunHost(host::kNullSeenData.site, {.eax = 0}); });
  int failures = 0;
  for (const auto& landing : landings) {
    const bool whole = landing.address == host::kNullSeenData.resume && landing.regs.edx == sim::SeenDataTable() &&
                       landing.regs.eax == sim::kSeenDataSlot1 && landing.regs.ecx == landings[0].regs.ecx;
    if (!whole) std::printf("saw a dummy not yet constructed: %s\n", landing.Describe().c_str());
    failures += whole ? 0 : 1;
  }
  std::printf("constructions %u\n", sim::SeenDataConstructions());
  return sim::SeenDataConstructions() == 1 ? failures : 100 + failures;
}

TEST(Concurrency, ThreadsMeetingANullSeenDataTogetherAllSeeOneConstructedDummy) {
  auto child = sim::RunScenarioInChild("NullSeenDataRace");
  EXPECT_EQ(child.exitCode, 0u) << child.output;
}

}  // namespace
