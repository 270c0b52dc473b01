// The details section of a crash report (RecordCrashInfo bit 0x20): the
// exception in words, the faulting module, a probable call stack, the
// registers annotated, the loaded modules and Orrisbane's own state.
// Composed in a static buffer; each item runs inside the fault guard, so
// that a bad pointer ends that item and the rest still follows.
#pragma once
#include <windows.h>

// At install: notes the options that are on, while reading the settings
// file is still safe.
void PrepareCrashDetails();

// Composes the section with CR LF line ends; returns the text and sets its
// length.
const char* ComposeCrashDetails(const EXCEPTION_POINTERS& exception, DWORD* length);
