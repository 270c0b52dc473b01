// Comparison handlers behind the host's string comparison routine, and the
// bodies that tests and the conflict rule look for at the shared site.
#pragma once
#include <cstdint>

// Both cdecl (a, b); -1, 0 or 1 exactly, bytes unsigned, a null operand 1.
// SafeStrCmp also answers 1 when either string cannot be read.
extern "C" int32_t SafeStrCmp(const char* a, const char* b);
extern "C" int32_t SafeStrCmpNoTry(const char* a, const char* b);

extern "C" void StrCmp_Body();
extern "C" void StrCmpNoTry_Body();
