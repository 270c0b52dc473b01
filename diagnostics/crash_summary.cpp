#include "diagnostics/crash_summary.h"

#include "core/system_modules.h"
#include "diagnostics/call_stack.h"
#include "diagnostics/guarded_memory.h"
#include "diagnostics/module_version.h"
#include "core/text_builder.h"
#include "patch/fault_guard.h"
#include "patch/frame_sites.h"

namespace {

constexpr DWORD kMsvcCppException = 0xE06D7363;
constexpr ULONG_PTR kMsvcThrowMagic = 0x19930520;
constexpr DWORD kThrowInfoParameter = 2;

char g_summary[kCrashSummarySize];

const LoadedModule* GameModule() { return ModuleContaining(host::kImageBegin); }

bool IsGameOrSystem(const LoadedModule* module) {
  return module == nullptr || module == GameModule() || IsSystemModule(module->name);
}

const LoadedModule* ThrowingModule(const EXCEPTION_RECORD* record) {
  if (record == nullptr || record->ExceptionCode != kMsvcCppException || record->NumberParameters <= kThrowInfoParameter ||
      record->ExceptionInformation[0] != kMsvcThrowMagic) {
    return nullptr;
  }
  return ModuleContaining(static_cast<uint32_t>(record->ExceptionInformation[kThrowInfoParameter]));
}

struct Summary {
  const CONTEXT* context;
  const EXCEPTION_RECORD* record;
  TextBuilder* out;
};

uint32_t AppendCulprit(void* argument) {
  const Summary& s = *static_cast<Summary*>(argument);
  TextBuilder& out = *s.out;
  CulpritReason reason = CulpritReason::kNone;
  const LoadedModule* culprit = ProbableCulprit(*s.context, s.record, &reason);
  out.Append("Probable culprit: ");
  if (culprit == nullptr) {
    out.Append("none found: every frame belongs to the game or the system. Run orrisbane-doctor --crash on this "
               "report: it tells whether an Orrisbane option guards this site.\n");
    out.Append("What to do: post this whole report, not only its first lines, when you ask for help.\n");
    return 0;
  }
  out.Append(culprit->name);
  AppendModuleVersion(culprit->base, out);
  const bool froze = s.record == nullptr;
  if (reason == CulpritReason::kFaultedInIt) {
    out.Append(froze ? " (the main thread is stuck in it)" : " (the crash happened in it)");
  } else if (reason == CulpritReason::kThrewIt) {
    out.Append(" (it threw the C++ exception that nothing caught)");
  } else {
    const LoadedModule* faulting = ModuleContaining(s.context->Eip);
    out.Append(froze ? " (first mod module in the call stack; the main thread is stuck in "
                     : " (first mod module in the call stack; the crash happened in ")
        .Append(faulting != nullptr ? faulting->name : "no module").Append(")");
  }
  out.Append("\nWhat to do: update or remove the mod that installed ").Append(culprit->name);
  out.Append(", and post this whole report, not only its first lines, when you ask for help.\n");
  return 0;
}

}  // namespace

const LoadedModule* ProbableCulprit(const CONTEXT& context, const EXCEPTION_RECORD* record, CulpritReason* reason) {
  SnapshotModules();
  const LoadedModule* faulting = ModuleContaining(context.Eip);
  *reason = CulpritReason::kFaultedInIt;
  if (!IsGameOrSystem(faulting)) return faulting;
  *reason = CulpritReason::kThrewIt;
  const LoadedModule* thrower = ThrowingModule(record);
  if (!IsGameOrSystem(thrower)) return thrower;
  *reason = CulpritReason::kFirstInCallStack;
  int count = 0;
  const CallFrame* frames = CollectCallStack(context, &count);
  for (int i = 0; i < count; ++i) {
    const LoadedModule* caller = ModuleContaining(frames[i].returnAddress);
    if (!IsGameOrSystem(caller)) return caller;
  }
  *reason = CulpritReason::kNone;
  return nullptr;
}

const char* ComposeCrashSummary(const CONTEXT& context, const EXCEPTION_RECORD* record, DWORD* length) {
  TextBuilder out(g_summary, TextBuilder::kCrLf);
  out.Append("\n\nSummary:\n");
  Summary summary{&context, record, &out};
  bool faulted = false;
  GuardedCall(AppendCulprit, &summary, &faulted);
  if (faulted) out.Append("\nProbable culprit: none found (the search ended at an unreadable address)\n");
  out.Append("The culprit named here is the most likely one, not a certain one.");
  if (length != nullptr) *length = static_cast<DWORD>(out.Length());
  return g_summary;
}
