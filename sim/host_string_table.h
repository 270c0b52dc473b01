// The host's string table and the stream objects it is written to and read
// from, as far as the string-count hooks use them.
#pragma once
#include <cstdint>
#include <vector>

#include "fixes/string_count_sites.h"

namespace sim {

// A host global the table reader hands on in EDX; the simulator points it at
// host data of its own choosing so that a test can recognise the value.
constexpr uint32_t kStringTableHeapObject = 0x1BF3000;

// A slot of the stream's table that no hook may call: a host trap.
constexpr uint32_t kUnusedStreamSlot = 0x401200;

// One call of a stream's slot function, as the stream saw it.
struct StreamCall {
  uint32_t stream;  // ECX at the call
  int slot;         // 4 read, 5 write
  uint32_t count;
  uint32_t buffer;
  bool operator==(const StreamCall&) const = default;
};

// A host stream object: its first word points at a table whose slot 4 reads
// from `input` and slot 5 appends to `written`. Both are member calls that
// remove their two arguments (byte count, buffer address). A read answers 0,
// or 1 when fewer than `count` bytes are left (and then takes none); a write
// answers the number of bytes it wrote, so that a test can tell which write
// came last.
struct HostStream {
  HostStream();
  ~HostStream();
  HostStream(const HostStream&) = delete;
  HostStream& operator=(const HostStream&) = delete;

  uint32_t Address() const;
  // What the next reads take, from the start.
  void Feed(std::vector<uint8_t> bytes);
  size_t Unread() const { return input.size() - readPosition; }

  const uint32_t* table;  // must stay the first member: the host's table pointer
  std::vector<uint8_t> input;
  size_t readPosition = 0;
  std::vector<uint8_t> written;
};

// Every slot call made since the last reset or clear, to any stream (a call
// with ECX not a live stream is recorded and answered with a failure).
const std::vector<StreamCall>& StreamCalls();
void ClearStreamCalls();

// The host's string table: entries at 0x08, count at 0x0C.
struct HostStringTable {
  uint32_t table = 0;
  uint32_t reserved = 0;
  uint32_t entries = 0;  // address of the 4-byte entries
  uint32_t count = 0;
};
static_assert(sizeof(HostStringTable) == 0x10);

// A string table with `count` entries of its own, entry i holding
// EntryValue(i), for as long as this object lives.
class StringTableWithEntries {
 public:
  explicit StringTableWithEntries(uint32_t count);
  HostStringTable& Table() { return table_; }
  uint32_t Address() const;
  static uint32_t EntryValue(uint32_t index) { return 0x50000000u + index; }

 private:
  std::vector<uint32_t> entries_;
  HostStringTable table_;
};

}  // namespace sim
