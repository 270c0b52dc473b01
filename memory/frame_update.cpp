#include "patch/main_loop.h"

// The per-frame work (pool usage sampling, the benchmark countdown) is added
// by the options that need it.
void OnFrameUpdate() {}
