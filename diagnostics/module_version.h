// A loaded module's file version, read from the version resource in its
// mapped image with guarded reads, so that no file is opened and no heap
// is used at crash time.
#pragma once
#include <cstdint>

#include "core/text_builder.h"

// Appends " a.b.c.d" when the image at base has a version resource.
void AppendModuleVersion(uint32_t base, TextBuilder& out);
