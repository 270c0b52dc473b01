// Another mod's library, for the crash recorder's tests: its functions
// fault inside it, in a frame of their own, when the host calls them.
#include <cstdint>

extern "C" {
__declspec(dllexport) void CrashModReadFault();
__declspec(dllexport) void CrashModWriteFault();
}

// The faulting instruction lies at the export's address + 3 (after the
// frame's push ebp; mov ebp, esp), which the tests expect as the offset.
asm(R"(
  .intel_syntax noprefix
  .text
  .globl _CrashModReadFault, _CrashModWriteFault
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
  .att_syntax prefix
)");
