#include "diagnostics/crash_details.h"

#include <cstring>

#include "core/known_crash.h"
#include "core/registry.h"
#include "diagnostics/address_names.h"
#include "diagnostics/call_stack.h"
#include "diagnostics/disassembly.h"
#include "diagnostics/exception_description.h"
#include "diagnostics/game_objects.h"
#include "diagnostics/guarded_memory.h"
#include "diagnostics/module_list.h"
#include "diagnostics/module_version.h"
#include "diagnostics/rtti_name.h"
#include "diagnostics/system_info.h"
#include "patch/fault_guard.h"

namespace {

constexpr int kInstructionsShown = 5;  // the faulting one and a few after it
constexpr int kStringShown = 60;
constexpr int kShortestString = 4;

char g_details[64 * 1024];
constexpr char kDetailsCut[] = "\r\n(details cut: the report's buffer is full)\r\n";
constinit Registry<const char*, 64> g_optionsInEffect;
char g_className[1100];

struct Composition {
  const CONTEXT* context;
  const EXCEPTION_RECORD* record;  // null for a thread that did not fault
  TextBuilder* out;
};

uint32_t AppendException(void* argument) {
  const Composition& c = *static_cast<Composition*>(argument);
  if (c.record == nullptr) return 0;
  c.out->Append("Exception: ");
  AppendExceptionDescription(*c.record, *c.out);
  c.out->Append("\n");
  return 0;
}

// Where the thread was: the faulting module of a crash, or where a thread
// that did not fault is stuck.
uint32_t AppendLocation(void* argument) {
  const Composition& c = *static_cast<Composition*>(argument);
  const uint32_t eip = c.context->Eip;
  c.out->Append(c.record != nullptr ? "Faulting module: " : "Main thread stuck at: ");
  if (const LoadedModule* module = ModuleContaining(eip)) {
    AppendCodeAddress(*module, eip, *c.out);
    if (c.record != nullptr) AppendModuleVersion(module->base, *c.out);
  } else {
    c.out->Append("none at 0x").AppendHex(eip);
  }
  c.out->Append("\n");
  return 0;
}

uint32_t AppendCode(void* argument) {
  const Composition& c = *static_cast<Composition*>(argument);
  AppendInstructions(c.context->Eip, kInstructionsShown, *c.out);
  return 0;
}

uint32_t AppendCallStack(void* argument) {
  const Composition& c = *static_cast<Composition*>(argument);
  int count = 0;
  const CallFrame* frames = CollectCallStack(*c.context, &count);
  c.out->Append("Probable call stack (* confirmed by the EBP frame chain):\n");
  for (int i = 0; i < count; ++i) {
    c.out->Append("  ESP+0x").AppendHex(frames[i].slotOffset).Append(": ");
    AppendCodeAddress(*ModuleContaining(frames[i].returnAddress), frames[i].returnAddress, *c.out);
    if (frames[i].confirmed) c.out->Append(" *");
    c.out->Append("\n");
  }
  return 0;
}

// A printable, terminated run of at least a few characters, escaped.
bool AppendString(uint32_t address, TextBuilder& out) {
  char text[kStringShown + 1];
  const int length = ReadGuardedText(address, text, [](uint8_t c) {
    return IsPrintable(c) || c == '\t' || c == '\n' || c == '\r';
  });
  if (length < kShortestString) return false;
  out.Append(" \"");
  for (int i = 0; i < length; ++i) {
    const char c = text[i];
    if (c == '\n') out.Append("\\n");
    else if (c == '\r') out.Append("\\r");
    else if (c == '\t') out.Append("\\t");
    else if (c == '"' || c == '\\') out.AppendChar('\\').AppendChar(c);
    else out.AppendChar(c);
  }
  out.Append(length == kStringShown ? "\"..." : "\"");
  return true;
}

void AppendRegister(const char* name, uint32_t value, TextBuilder& out) {
  out.Append("  ").Append(name).Append(" 0x").AppendHex(value);
  if (const LoadedModule* module = ModuleContaining(value)) {
    out.Append(" ");
    AppendCodeAddress(*module, value, out);
  }
  TextBuilder classNameText(g_className);
  uint32_t baseOffset = 0;
  if (AppendObjectClassName(value, classNameText, &baseOffset)) {
    out.Append(" object of class ").Append(g_className);
    if (baseOffset != 0) {
      out.Append(" (its base at +0x").AppendHex(baseOffset).Append("; the object starts at 0x")
          .AppendHex(value - baseOffset).Append(")");
    }
  } else {
    AppendString(value, out);
  }
  out.Append("\n");
}

uint32_t AppendRegisters(void* argument) {
  const Composition& c = *static_cast<Composition*>(argument);
  const CONTEXT& context = *c.context;
  c.out->Append("Registers:\n");
  AppendRegister("EAX", context.Eax, *c.out);
  AppendRegister("EBX", context.Ebx, *c.out);
  AppendRegister("ECX", context.Ecx, *c.out);
  AppendRegister("EDX", context.Edx, *c.out);
  AppendRegister("ESI", context.Esi, *c.out);
  AppendRegister("EDI", context.Edi, *c.out);
  AppendRegister("EBP", context.Ebp, *c.out);
  AppendRegister("ESP", context.Esp, *c.out);
  return 0;
}

uint32_t AppendObjects(void* argument) {
  const Composition& c = *static_cast<Composition*>(argument);
  AppendRelevantObjects(*c.context, *c.out);
  return 0;
}

uint32_t AppendSystem(void* argument) {
  AppendSystemInfo(*static_cast<Composition*>(argument)->out);
  return 0;
}

uint32_t AppendModules(void* argument) {
  const Composition& c = *static_cast<Composition*>(argument);
  c.out->Append("Modules:\n");
  for (int i = 0; i < ModuleCount(); ++i) {
    const LoadedModule& module = ModuleAt(i);
    c.out->Append("  ").AppendHex(module.base).Append("-").AppendHex(module.end).Append(" ").Append(module.name);
    AppendModuleVersion(module.base, *c.out);
    c.out->Append("\n");
  }
  return 0;
}

uint32_t AppendOrrisbaneState(void* argument) {
  const Composition& c = *static_cast<Composition*>(argument);
  c.out->Append("Orrisbane options on: ");
  const char* separator = "";
  for (const char* key : g_optionsInEffect.Entries()) {
    c.out->Append(separator).Append(key);
    separator = ", ";
  }
  c.out->Append("\n");
  if (KnownCrashReason != 0) c.out->Append("Known crash code: ").AppendDecimal(KnownCrashReason).Append("\n");
  return 0;
}

uint32_t TakeModuleSnapshot(void*) { return static_cast<uint32_t>(SnapshotModules()); }

constexpr GuardedFunction kItems[] = {AppendException, AppendLocation, AppendCode,   AppendCallStack,
                                      AppendRegisters, AppendObjects,  AppendSystem, AppendModules,
                                      AppendOrrisbaneState};

}  // namespace

bool NoteOptionInEffect(const char* key) { return g_optionsInEffect.Add(key); }

std::span<const char* const> OptionsInEffect() { return g_optionsInEffect.Entries(); }

void PrepareThreadDetails() { PrepareSystemInfo(); }

const char* ComposeThreadDetails(const CONTEXT& context, const EXCEPTION_RECORD* record, DWORD* length) {
  TextBuilder out(g_details, TextBuilder::kCrLf);
  Composition composition{&context, record, &out};
  out.Append("\nDetails:\n");
  bool faulted = false;
  GuardedCall(TakeModuleSnapshot, nullptr, &faulted);
  for (GuardedFunction item : kItems) {
    GuardedCall(item, &composition, &faulted);
    if (faulted) out.Append("\n(this item ended at an unreadable address)\n");
  }
  // Text past the buffer is dropped; the reader is told, not left guessing.
  if (out.Length() + 1 >= sizeof g_details) {
    std::memcpy(g_details + sizeof g_details - sizeof kDetailsCut, kDetailsCut, sizeof kDetailsCut);
  }
  *length = static_cast<DWORD>(out.Length());
  return g_details;
}

const char* ComposeCrashDetails(const EXCEPTION_POINTERS& exception, DWORD* length) {
  return ComposeThreadDetails(*exception.ContextRecord, exception.ExceptionRecord, length);
}
