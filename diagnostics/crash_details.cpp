#include "diagnostics/crash_details.h"

#include "core/known_crash.h"
#include "core/registry.h"
#include "diagnostics/exception_description.h"
#include "diagnostics/guarded_memory.h"
#include "diagnostics/module_list.h"
#include "diagnostics/module_version.h"
#include "diagnostics/rtti_name.h"
#include "patch/fault_guard.h"

namespace {

constexpr int kCallStackEntries = 64;
constexpr int kStackWordsSearched = 4096;
constexpr int kFramesFollowed = 64;
constexpr uint32_t kLargestFrame = 1024 * 1024;
constexpr int kStringShown = 60;
constexpr int kShortestString = 4;

char g_details[48 * 1024];
constinit Registry<const char*, 64> g_optionsInEffect;
uint32_t g_frameReturnSlots[kFramesFollowed];
int g_frameCount = 0;

struct Composition {
  const EXCEPTION_POINTERS* exception;
  TextBuilder* out;
};

void AppendModuleOffset(const LoadedModule& module, uint32_t address, TextBuilder& out) {
  out.Append(module.name).Append("+0x").AppendHex(address - module.base);
}

// Code is what a call can return to: committed executable memory of a
// module. The section table is not asked, because a module may make code
// executable at run time (as the host's unpacked image does).
bool IsModuleCode(uint32_t address) {
  if (ModuleContaining(address) == nullptr) return false;
  MEMORY_BASIC_INFORMATION region;
  if (VirtualQuery(reinterpret_cast<const void*>(static_cast<uintptr_t>(address)), &region, sizeof region) == 0) {
    return false;
  }
  constexpr DWORD kExecutable = PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  return region.State == MEM_COMMIT && (region.Protect & kExecutable) != 0;
}

// The return-address slots of the EBP frame chain, each frame above the last.
void FollowFrameChain(uint32_t ebp) {
  g_frameCount = 0;
  while (g_frameCount < kFramesFollowed) {
    uint32_t callerEbp = 0;
    if (!ReadGuardedWord(ebp, &callerEbp)) return;
    g_frameReturnSlots[g_frameCount++] = ebp + 4;
    if (callerEbp <= ebp || callerEbp - ebp > kLargestFrame) return;
    ebp = callerEbp;
  }
}

bool ConfirmedByFrameChain(uint32_t slot) {
  for (int i = 0; i < g_frameCount; ++i) {
    if (g_frameReturnSlots[i] == slot) return true;
  }
  return false;
}

uint32_t AppendException(void* argument) {
  const Composition& c = *static_cast<Composition*>(argument);
  c.out->Append("Exception: ");
  AppendExceptionDescription(*c.exception->ExceptionRecord, *c.out);
  c.out->Append("\n");
  return 0;
}

uint32_t AppendFaultingModule(void* argument) {
  const Composition& c = *static_cast<Composition*>(argument);
  const uint32_t eip = c.exception->ContextRecord->Eip;
  c.out->Append("Faulting module: ");
  if (const LoadedModule* module = ModuleContaining(eip)) {
    AppendModuleOffset(*module, eip, *c.out);
    AppendModuleVersion(module->base, *c.out);
  } else {
    c.out->Append("none at 0x").AppendHex(eip);
  }
  c.out->Append("\n");
  return 0;
}

uint32_t AppendCallStack(void* argument) {
  const Composition& c = *static_cast<Composition*>(argument);
  const CONTEXT& context = *c.exception->ContextRecord;
  FollowFrameChain(context.Ebp);
  c.out->Append("Probable call stack (* confirmed by the EBP frame chain):\n");
  int listed = 0;
  for (int i = 0; i < kStackWordsSearched && listed < kCallStackEntries; ++i) {
    const uint32_t slot = context.Esp + 4u * i;
    uint32_t word = 0;
    if (!ReadGuardedWord(slot, &word)) break;
    if (!IsModuleCode(word)) continue;
    c.out->Append("  ESP+0x").AppendHex(4u * i).Append(": ");
    AppendModuleOffset(*ModuleContaining(word), word, *c.out);
    if (ConfirmedByFrameChain(slot)) c.out->Append(" *");
    c.out->Append("\n");
    ++listed;
  }
  return 0;
}

// A printable, terminated run of at least a few characters, escaped.
bool AppendString(uint32_t address, TextBuilder& out) {
  char text[kStringShown + 1];
  int length = 0;
  for (; length < kStringShown; ++length) {
    uint8_t c = 0;
    if (!ReadGuardedByte(address + length, &c)) return false;
    if (c == 0) break;
    if ((c < 0x20 || c >= 0x7F) && c != '\t' && c != '\n' && c != '\r') return false;
    text[length] = static_cast<char>(c);
  }
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
    AppendModuleOffset(*module, value, out);
  }
  char className[256];
  TextBuilder classNameText(className);
  if (AppendObjectClassName(value, classNameText)) {
    out.Append(" object of class ").Append(className);
  } else {
    AppendString(value, out);
  }
  out.Append("\n");
}

uint32_t AppendRegisters(void* argument) {
  const Composition& c = *static_cast<Composition*>(argument);
  const CONTEXT& context = *c.exception->ContextRecord;
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

constexpr GuardedFunction kItems[] = {AppendException, AppendFaultingModule, AppendCallStack,
                                      AppendRegisters, AppendModules,        AppendOrrisbaneState};

}  // namespace

bool NoteOptionInEffect(const char* key) { return g_optionsInEffect.Add(key); }

std::span<const char* const> OptionsInEffect() { return g_optionsInEffect.Entries(); }

const char* ComposeCrashDetails(const EXCEPTION_POINTERS& exception, DWORD* length) {
  TextBuilder out(g_details, TextBuilder::kCrLf);
  Composition composition{&exception, &out};
  out.Append("\nDetails:\n");
  bool faulted = false;
  GuardedCall(TakeModuleSnapshot, nullptr, &faulted);
  for (GuardedFunction item : kItems) {
    GuardedCall(item, &composition, &faulted);
    if (faulted) out.Append("\n(this item ended at an unreadable address)\n");
  }
  *length = static_cast<DWORD>(out.Length());
  return g_details;
}
