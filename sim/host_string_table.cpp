#include "sim/host_string_table.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

#include "sim/host_memory.h"

namespace sim {
namespace {

constexpr uint32_t kReadFailed = 1;
constexpr uint32_t kStrayCall = 0xBAD0;

std::vector<StreamCall> g_calls;
std::vector<HostStream*> g_liveStreams;

HostStream* LiveStream(HostStream* candidate) {
  const bool live = std::find(g_liveStreams.begin(), g_liveStreams.end(), candidate) != g_liveStreams.end();
  return live ? candidate : nullptr;
}

void Record(HostStream* self, int slot, uint32_t count, void* buffer) {
  g_calls.push_back({AddressOf(self), slot, count, AddressOf(buffer)});
}

extern "C" __attribute__((thiscall)) uint32_t SimStreamRead(HostStream* self, uint32_t count, uint8_t* buffer) {
  Record(self, 4, count, buffer);
  HostStream* stream = LiveStream(self);
  if (stream == nullptr) return kStrayCall;
  if (stream->Unread() < count) return kReadFailed;
  std::memcpy(buffer, stream->input.data() + stream->readPosition, count);
  stream->readPosition += count;
  return 0;
}

extern "C" __attribute__((thiscall)) uint32_t SimStreamWrite(HostStream* self, uint32_t count,
                                                             const uint8_t* buffer) {
  Record(self, 5, count, const_cast<uint8_t*>(buffer));
  HostStream* stream = LiveStream(self);
  if (stream == nullptr) return kStrayCall;
  stream->written.insert(stream->written.end(), buffer, buffer + count);
  return count;
}

const uint32_t kStreamTable[6] = {
    kUnusedStreamSlot, kUnusedStreamSlot, kUnusedStreamSlot, kUnusedStreamSlot,
    AddressOf(reinterpret_cast<const void*>(&SimStreamRead)),
    AddressOf(reinterpret_cast<const void*>(&SimStreamWrite)),
};

void PlaceStringTableGlobals() {
  HostAt<uint32_t>(host::kStringTableHeap) = kStringTableHeapObject;
  g_calls.clear();
}

[[maybe_unused]] const bool g_registered = RegisterHostPlacer(PlaceStringTableGlobals);

}  // namespace

static_assert(offsetof(HostStream, table) == 0);

HostStream::HostStream() : table(kStreamTable) { g_liveStreams.push_back(this); }

HostStream::~HostStream() { g_liveStreams.erase(std::find(g_liveStreams.begin(), g_liveStreams.end(), this)); }

uint32_t HostStream::Address() const { return AddressOf(this); }

void HostStream::Feed(std::vector<uint8_t> bytes) {
  input = std::move(bytes);
  readPosition = 0;
}

const std::vector<StreamCall>& StreamCalls() { return g_calls; }
void ClearStreamCalls() { g_calls.clear(); }

StringTableWithEntries::StringTableWithEntries(uint32_t count) : entries_(count) {
  for (uint32_t i = 0; i < count; ++i) entries_[i] = EntryValue(i);
  table_.entries = AddressOf(entries_.data());
  table_.count = count;
}

uint32_t StringTableWithEntries::Address() const { return AddressOf(&table_); }

}  // namespace sim
