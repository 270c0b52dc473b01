#include <algorithm>
#include <utility>

#include "fixes/string_count_sites.h"
#include "patch/hook_asm.h"
#include "plugin/apply.h"
#include "sim/host_memory.h"
#include "tests/hook_check.h"
#include "tests/string_count/string_count_fixture.h"

namespace {
constexpr uint32_t kIndexReadSite = host::kStringCount18.site;        // hook 18
constexpr uint32_t kSecondIndexReadSite = host::kStringCount21.site;  // hook 21
constexpr uint32_t kCountReadSite = host::kStringCount2.site;        // hook 2
constexpr uint32_t kCountWriteSite = host::kStringCount13.site;       // hook 13
constexpr uint32_t kIndexWriteSite = host::kStringCount23.site;       // hook 23
}  // namespace

// What the host does right before hooks 18 and 21: push the two-byte read's
// arguments (count 2, the slot's address) with the read function in EDX.
// Entered with the slot at [ESP+0x0C] (hook 18) or [ESP+4] (hook 21), which
// is where the hook finds it once the read has removed its arguments.
HOOK_BODY(HostPushesIndexRead_Hook18,
          "lea ecx, [esp+0x0C]\n"
          "push ecx\n"
          "push 2\n"
          "mov edx, [esi]\n"
          "mov edx, [edx+0x10]\n"
          CONTINUE_AT(kIndexReadSite),
          HOST_ADDRESS(kIndexReadSite))

HOOK_BODY(HostPushesIndexRead_Hook21,
          "lea ecx, [esp+4]\n"
          "push ecx\n"
          "push 2\n"
          "mov edx, [esi]\n"
          "mov edx, [edx+0x10]\n"
          CONTINUE_AT(kSecondIndexReadSite),
          HOST_ADDRESS(kSecondIndexReadSite))

namespace string_count_test {

sim::Registers Seeded() {
  return {.eax = 0x1A1A1A1A, .ebx = 0x2B2B2B2B, .ecx = 0x3C3C3C3C, .edx = 0x4D4D4D4D,
          .esi = 0x5E5E5E5E, .edi = 0x6F6F6F6F, .ebp = 0x70707070};
}

void ExpectUnchangedBut(const sim::Landing& landing, const sim::Registers& in, std::initializer_list<Field> named) {
  struct Named {
    Field field;
    const char* name;
  };
  const Named all[] = {{&sim::Registers::eax, "EAX"}, {&sim::Registers::ebx, "EBX"}, {&sim::Registers::ecx, "ECX"},
                       {&sim::Registers::edx, "EDX"}, {&sim::Registers::esi, "ESI"}, {&sim::Registers::edi, "EDI"},
                       {&sim::Registers::ebp, "EBP"}};
  for (const Named& reg : all) {
    bool isNamed = false;
    for (Field f : named) isNamed = isNamed || f == reg.field;
    if (!isNamed) {
      EXPECT_EQ(landing.regs.*reg.field, in.*reg.field) << reg.name << " changed; " << landing.Describe();
    }
  }
}

sim::Landing ExpectHook(uint32_t site, uint32_t resume, const sim::Registers& in,
                        std::initializer_list<uint32_t> stack, std::initializer_list<Named> named,
                        int32_t espDelta) {
  sim::Registers expected = in;
  for (const Named& n : named) expected.*n.reg = n.value;
  return hook_check::ExpectHook(site, in, stack, {resume, expected, espDelta});
}

void StringCountTest::SetUp() {
  sim::ResetHostImage();
  ApplyStringCount32();
}

namespace {

Written WriteThrough(uint32_t site, Field streamRegister, std::initializer_list<uint32_t> stack) {
  sim::HostStream stream;
  sim::Registers in = Seeded();
  in.*streamRegister = stream.Address();
  Written out{sim::RunHost(site, in, stack), {}};
  out.bytes = stream.written;
  return out;
}

// Runs a reading hook with a stream holding `bytes` in streamRegister; the
// value read is the stack word slotWord where the hook lands.
Read ReadThrough(uint32_t entry, Field streamRegister, std::vector<uint8_t> bytes, sim::Registers in,
                 std::initializer_list<uint32_t> stack, int slotWord) {
  sim::HostStream stream;
  stream.Feed(std::move(bytes));
  in.*streamRegister = stream.Address();
  Read out{sim::RunHost(entry, in, stack), 0, 0};
  out.value = out.landing.Stack(slotWord);
  out.unread = stream.Unread();
  return out;
}

uint32_t LowWord(const std::vector<uint8_t>& bytes) {
  return bytes.size() < 2 ? 0 : bytes[0] | bytes[1] << 8;
}

}  // namespace

Written WriteThroughHook13(uint32_t value) {
  return WriteThrough(kCountWriteSite, &sim::Registers::edi, {0x10, 0x11, 0x12, 0x13, value, 0x15});
}

Written WriteThroughHook23(uint32_t value) {
  return WriteThrough(kIndexWriteSite, &sim::Registers::ecx, {sim::kReturnProbe, value, 0x22});
}

Read ReadThroughHook2(const std::vector<uint8_t>& bytes, uint32_t staleCount) {
  sim::HostStringTable table;
  table.count = staleCount;
  sim::Registers in = Seeded();
  in.esi = AddressOf(&table);
  const auto rest = bytes.begin() + std::min<size_t>(bytes.size(), 2);
  Read out = ReadThrough(kCountReadSite, &sim::Registers::ebx, {rest, bytes.end()}, in,
                         {0x30, 0x31, 0x32323232, 0xABCD0000 | LowWord(bytes), 0x34}, 3);
  out.value = table.count;
  return out;
}

Read ReadThroughHook18(const std::vector<uint8_t>& bytes, uint32_t stale) {
  return ReadThrough(AddressOf(reinterpret_cast<const void*>(&HostPushesIndexRead_Hook18)), &sim::Registers::esi,
                     bytes, Seeded(), {0x40, 0x41, 0x42, stale, 0x44}, 3);
}

Read ReadThroughHook21(const std::vector<uint8_t>& bytes, uint32_t stale) {
  return ReadThrough(AddressOf(reinterpret_cast<const void*>(&HostPushesIndexRead_Hook21)), &sim::Registers::esi,
                     bytes, Seeded(), {0x50, stale, 0x52}, 1);
}

}  // namespace string_count_test
