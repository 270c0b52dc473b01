// Enters host code with chosen registers, flags and stack, and reports where
// execution lands: the first trap reached (every host address that holds no
// stub is a trap) or the first exception nothing else handled.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>

namespace sim {

struct Registers {
  uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0, esi = 0, edi = 0, ebp = 0;
  uint32_t esp = 0;      // output only: the runner picks the entry ESP
  uint32_t eflags = 0x202;
};

constexpr uint32_t kCarryFlag = 0x001;
constexpr uint32_t kZeroFlag = 0x040;
constexpr uint32_t kSignFlag = 0x080;
constexpr uint32_t kOverflowFlag = 0x800;
constexpr uint32_t kArithmeticFlags = 0x8D5;  // CF PF AF ZF SF OF
constexpr uint32_t kBreakpoint = 0x80000003;

struct Landing {
  uint32_t address = 0;        // where execution stopped
  uint32_t exception = 0;      // kBreakpoint for a trap, else the exception code
  uint32_t entryEsp = 0;       // ESP at the entry address
  Registers regs;              // every register and the flags at the landing
  uint32_t Stack(int index) const;  // the word at landing ESP + 4*index
  std::string Describe() const;
  uint32_t stackCopy[16] = {};
};

// The fault codes a read of unreadable memory raises: an access violation,
// or, under QEMU's user-mode emulation, an illegal instruction.
inline bool IsReadFault(uint32_t code) { return code == 0xC0000005u || code == 0xC000001Du; }

// Runs on the calling thread's own stack, so structured exception frames of
// the code under test unwind as they would in the game.
Landing RunHost(uint32_t entry, const Registers& in, std::initializer_list<uint32_t> stack = {});

}  // namespace sim
