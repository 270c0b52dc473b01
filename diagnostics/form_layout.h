// The fields of the host's form objects that the warnings and the crash
// details read, and the form types of object references.
#pragma once
#include <cstdint>

namespace host {

constexpr uint32_t kFormIdOffset = 0x0C;
constexpr uint32_t kFormTypeWordOffset = 0x10;  // the type is byte 2 of this word
constexpr uint32_t kFormTypeOffset = 0x12;
constexpr uint32_t kBaseFormOffset = 0x24;      // in an object reference

// The references placed in the world: objects and actors.
constexpr uint8_t kFormTypeReference = 0x3D;
constexpr uint8_t kFormTypeActorReference = 0x3E;

}  // namespace host
