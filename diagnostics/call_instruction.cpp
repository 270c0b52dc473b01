#include "diagnostics/call_instruction.h"

#include <Zydis/Decoder.h>

namespace {

constexpr int kDirectCallLength = 5;
constexpr uint8_t kDirectCallOpcode = 0xE8;
constexpr uint8_t kIndirectGroupOpcode = 0xFF;
constexpr uint8_t kIndirectNearCall = 2;  // the ModRM reg field of FF /2

bool IsCallOfLength(const ZydisDecoder& decoder, const uint8_t* start, int length) {
  ZydisDecoderContext context;
  ZydisDecodedInstruction instruction;
  if (!ZYAN_SUCCESS(ZydisDecoderDecodeInstruction(&decoder, &context, start, static_cast<ZyanUSize>(length),
                                                  &instruction))) {
    return false;
  }
  if (instruction.length != length || instruction.mnemonic != ZYDIS_MNEMONIC_CALL ||
      instruction.opcode_map != ZYDIS_OPCODE_MAP_DEFAULT) {
    return false;
  }
  if (instruction.opcode == kDirectCallOpcode) return length == kDirectCallLength;
  return instruction.opcode == kIndirectGroupOpcode && instruction.raw.modrm.reg == kIndirectNearCall;
}

}  // namespace

bool EndsWithCall(const uint8_t* before, int count) {
  // Set up on every call: it only fills in a few fields, and a lazily
  // initialised static would take a lock on the crash path.
  ZydisDecoder decoder;
  if (!ZYAN_SUCCESS(ZydisDecoderInit(&decoder, ZYDIS_MACHINE_MODE_LEGACY_32, ZYDIS_STACK_WIDTH_32))) return false;
  for (int length = 2; length <= kLongestCall && length <= count; ++length) {
    if (IsCallOfLength(decoder, before + count - length, length)) return true;
  }
  return false;
}
