#include "diagnostics/disassembly.h"

#include <Zydis/Decoder.h>
#include <Zydis/Formatter.h>

#include "diagnostics/guarded_memory.h"

namespace {

constexpr int kLongestInstruction = ZYDIS_MAX_INSTRUCTION_LENGTH;
constexpr int kMostInstructions = 8;
constexpr int kBytesColumn = 22;  // seven bytes, then the text

uint8_t g_code[kMostInstructions * kLongestInstruction];
ZydisDecodedInstruction g_instruction;
ZydisDecodedOperand g_operands[ZYDIS_MAX_OPERAND_COUNT];
char g_text[256];

// As many bytes as are readable from the address, up to the buffer's end.
int CopyCode(uint32_t address, int wanted) {
  int copied = 0;
  while (copied < wanted && ReadGuardedByte(address + copied, &g_code[copied])) ++copied;
  return copied;
}

void AppendBytes(const uint8_t* bytes, int count, TextBuilder& out) {
  int written = 0;
  for (int i = 0; i < count; ++i) {
    if (i != 0) out.AppendChar(' '), ++written;
    out.AppendChar("0123456789ABCDEF"[bytes[i] >> 4]).AppendChar("0123456789ABCDEF"[bytes[i] & 0xF]);
    written += 2;
  }
  for (; written < kBytesColumn; ++written) out.AppendChar(' ');
}

}  // namespace

void AppendInstructions(uint32_t address, int count, TextBuilder& out) {
  out.Append("Instructions:\n");
  if (count > kMostInstructions) count = kMostInstructions;
  const int available = CopyCode(address, count * kLongestInstruction);
  ZydisDecoder decoder;
  ZydisFormatter formatter;
  if (!ZYAN_SUCCESS(ZydisDecoderInit(&decoder, ZYDIS_MACHINE_MODE_LEGACY_32, ZYDIS_STACK_WIDTH_32)) ||
      !ZYAN_SUCCESS(ZydisFormatterInit(&formatter, ZYDIS_FORMATTER_STYLE_INTEL))) {
    return;
  }
  int offset = 0;
  for (int i = 0; i < count; ++i) {
    const uint32_t at = address + offset;
    if (!ZYAN_SUCCESS(ZydisDecoderDecodeFull(&decoder, g_code + offset, static_cast<ZyanUSize>(available - offset),
                                             &g_instruction, g_operands))) {
      if (i == 0) out.Append("  (no instruction decodes at 0x").AppendHex(at).Append(": the code is unreadable or invalid)\n");
      return;
    }
    if (!ZYAN_SUCCESS(ZydisFormatterFormatInstruction(&formatter, &g_instruction, g_operands,
                                                      g_instruction.operand_count_visible, g_text, sizeof g_text, at,
                                                      nullptr))) {
      return;
    }
    out.Append(i == 0 ? "  > " : "    ").AppendHex(at).Append(" ");
    AppendBytes(g_code + offset, g_instruction.length, out);
    out.Append(g_text).Append("\n");
    offset += g_instruction.length;
  }
}
