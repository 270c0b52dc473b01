// Handlers the scene-node guards call from their hook bodies; cdecl, one
// stack argument that the caller removes.
#pragma once
#include <cstdint>

// p when p is not null and its first word can be read, else null: a node
// may be freed memory rather than null.
extern "C" void* ReadableObjectOrNull(void* p);

// Member call of virtual slot 7 of object (ECX = object) inside a fault
// guard. The call's result in the low half (EAX), the fault flag in the high
// half (EDX): each caller gets its own flag, so threads cannot mix them up.
extern "C" uint64_t GuardedSlot7Call(void* object);
constexpr uint64_t kSlot7Faulted = uint64_t{1} << 32;
