// Another mod's library, for the crash recorder's tests: its functions
// fault inside it, in a frame of their own, when the host calls them, or
// make the C runtime fault on a pointer they pass; and it holds room for
// vtables that the tests fill, so that hand-built objects have their
// vtables inside this module.
#include <cstdint>

extern "C" {
__declspec(dllexport) void CrashModReadFault();
__declspec(dllexport) void CrashModWriteFault();
__declspec(dllexport) void CrashModCopyFault();
// Exported as all of the library's globals are, with no export named.
uint32_t CrashModVtables[16] = {};
}

// The faulting instruction lies at the export's address + 3 (after the
// frame's push ebp; mov ebp, esp), which the tests expect as the offset.
// The copy hands memcpy a source at 0x10, so that the fault lies in the C
// runtime's library with this one as its caller.
asm(R"(
  .intel_syntax noprefix
  .text
  .globl _CrashModReadFault, _CrashModWriteFault, _CrashModCopyFault
_CrashModReadFault:
  push ebp
  mov ebp, esp
  mov eax, dword ptr ds:[0x10]
  pop ebp
  ret
_CrashModWriteFault:
  push ebp
  mov ebp, esp
  mov dword ptr ds:[0x20], eax
  pop ebp
  ret
_CrashModCopyFault:
  push ebp
  mov ebp, esp
  sub esp, 16
  push 16
  push 0x10
  lea eax, [ebp-16]
  push eax
  call dword ptr [__imp__memcpy]
  add esp, 12
  leave
  ret
  .att_syntax prefix
)");
