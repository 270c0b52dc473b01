// The details section of a crash report (RecordCrashInfo bit 0x20): the
// exception in words, the faulting module, its instructions, a probable
// call stack, the registers annotated, the game objects near, the system,
// the loaded modules and Orrisbane's own state. Everything but the
// exception also serves a thread that did not fault (a freeze).
// Composed in a static buffer; each item runs inside the fault guard, so
// that a bad pointer ends that item and the rest still follows.
#pragma once
#include <windows.h>

// At install: notes the options that are on, while reading the settings
// file is still safe.
void PrepareCrashDetails();

// At install, beside PrepareCrashDetails: what is costly to learn at crash
// time (the system's versions and limits) and the load time.
void PrepareThreadDetails();

// Composes the section with CR LF line ends; returns the text and sets its
// length. Without an exception record (a thread that did not fault) the
// section has no "Exception:" line and says "Main thread stuck at:" in
// place of "Faulting module:".
const char* ComposeThreadDetails(const CONTEXT& context, const EXCEPTION_RECORD* record, DWORD* length);
const char* ComposeCrashDetails(const EXCEPTION_POINTERS& exception, DWORD* length);
