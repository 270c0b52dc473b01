#include "core/thread_exit.h"

#include "core/registry.h"

namespace {
// Registration is rare and may race with exiting threads, which the
// registry allows.
constinit Registry<void (*)(), 4> g_threadExitCallbacks;
}  // namespace

bool AddThreadExitCallback(void (*callback)()) { return g_threadExitCallbacks.Add(callback); }

void RunThreadExitCallbacks() {
  for (void (*callback)() : g_threadExitCallbacks.Entries()) callback();
}
