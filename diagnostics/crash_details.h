// The details section of a crash report (RecordCrashInfo bit 0x20): the
// exception in words, the faulting module, its instructions, a probable
// call stack, the registers annotated, the game objects near, the system,
// the loaded modules and Orrisbane's own state. Everything but the
// exception also serves a thread that did not fault (a freeze).
// Composed in a static buffer; each item runs inside the fault guard, so
// that a bad pointer ends that item and the rest still follows.
#pragma once
#include <windows.h>

#include <span>

// The load sequence notes each option as it takes effect (a plain setting
// by being on); the details name them in that order. Keys must outlive the
// process's crashes (the option table's). False when the list is full.
bool NoteOptionInEffect(const char* key);
std::span<const char* const> OptionsInEffect();

// At install: what is costly to learn at crash
// time (the system's versions and limits) and the load time.
void PrepareThreadDetails();

// Composes the section with CR LF line ends; returns the text and sets its
// length. Without an exception record (a thread that did not fault) the
// section has no "Exception:" line and says "Main thread stuck at:" in
// place of "Faulting module:".
const char* ComposeThreadDetails(const CONTEXT& context, const EXCEPTION_RECORD* record, DWORD* length);
const char* ComposeCrashDetails(const EXCEPTION_POINTERS& exception, DWORD* length);
