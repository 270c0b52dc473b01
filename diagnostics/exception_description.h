// The exception of a crash in plain words: its code and name, what an
// access violation tried at which address, and the type an MSVC C++ throw
// carried, where its throw information is readable.
#pragma once
#include <windows.h>

#include "core/text_builder.h"

void AppendExceptionDescription(const EXCEPTION_RECORD& record, TextBuilder& out);
