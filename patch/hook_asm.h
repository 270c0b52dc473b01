// Building blocks for hook bodies. A body is a naked function in Intel
// syntax, entered from host code with the host's registers, flags and stack,
// and it leaves through host addresses named in its area's sites header:
//
//   HOOK_BODY(StrLen_Body,
//             "mov edi, [esp+0x48]\n"
//             CONTINUE_AFTER(kStrLen),
//             RESUME_OF(kStrLen))
//
// CONTINUE_AT and CALL_HOST go through the constant's memory, so they change
// no register or flag, and keep working when the library is relocated.
#pragma once
#include <cstdint>

#define HOOK_BODY(name, code, ...)                                   \
  extern "C" __attribute__((naked, used)) void name() {              \
    asm volatile(".intel_syntax noprefix\n" code ".att_syntax prefix\n" \
                 : : __VA_ARGS__);                                   \
  }

// Operand for a host-address constant or a plugin function used in a body.
#define HOST_ADDRESS(constant) [constant] "i"(&constant)
#define PLUGIN_FUNCTION(function) [function] "i"(&function)

#define CONTINUE_AT(constant) "jmp dword ptr [%c[" #constant "]]\n"
// The resume address of a HookSite: where its replaced instructions end.
#define RESUME_OF(hook) [hook##_resume] "i"(&hook.resume)
#define CONTINUE_AFTER(hook) "jmp dword ptr [%c[" #hook "_resume]]\n"
#define CALL_HOST(constant) "call dword ptr [%c[" #constant "]]\n"
#define CALL_PLUGIN(function) "call %c[" #function "]\n"

// Save every general register, then the flags; restore in reverse.
#define SAVE_ALL "pushad\n pushfd\n"
#define RESTORE_ALL "popfd\n popad\n"
// Where each register sits from ESP right after SAVE_ALL, so a body can hand
// a result through RESTORE_ALL: "mov [esp+" SAVED_EAX "], eax\n".
#define SAVED_EDI "0x04"
#define SAVED_ESI "0x08"
#define SAVED_EBP "0x0C"
#define SAVED_EBX "0x14"
#define SAVED_EDX "0x18"
#define SAVED_ECX "0x1C"
#define SAVED_EAX "0x20"
