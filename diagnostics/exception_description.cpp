#include "diagnostics/exception_description.h"

#include "diagnostics/guarded_memory.h"
#include "diagnostics/rtti_name.h"

namespace {

constexpr DWORD kMsvcCppException = 0xE06D7363;
constexpr ULONG_PTR kMsvcThrowMagic = 0x19930520;
constexpr uint32_t kThrowInfoCatchableTypes = 12;
constexpr uint32_t kCatchableTypeDescriptor = 4;

struct ExceptionName {
  DWORD code;
  const char* name;
};

constexpr ExceptionName kNames[] = {
    {EXCEPTION_ACCESS_VIOLATION, "access violation"},
    {EXCEPTION_STACK_OVERFLOW, "stack overflow"},
    {EXCEPTION_ILLEGAL_INSTRUCTION, "illegal instruction"},
    {EXCEPTION_PRIV_INSTRUCTION, "privileged instruction"},
    {EXCEPTION_INT_DIVIDE_BY_ZERO, "integer divide by zero"},
    {EXCEPTION_INT_OVERFLOW, "integer overflow"},
    {EXCEPTION_IN_PAGE_ERROR, "in-page error"},
    {EXCEPTION_ARRAY_BOUNDS_EXCEEDED, "array bounds exceeded"},
    {EXCEPTION_DATATYPE_MISALIGNMENT, "data misalignment"},
    {EXCEPTION_BREAKPOINT, "breakpoint"},
    {EXCEPTION_SINGLE_STEP, "single step"},
    {EXCEPTION_FLT_DIVIDE_BY_ZERO, "floating-point divide by zero"},
    {EXCEPTION_FLT_INVALID_OPERATION, "floating-point invalid operation"},
    {EXCEPTION_FLT_OVERFLOW, "floating-point overflow"},
    {EXCEPTION_FLT_UNDERFLOW, "floating-point underflow"},
    {EXCEPTION_FLT_INEXACT_RESULT, "floating-point inexact result"},
    {EXCEPTION_FLT_DENORMAL_OPERAND, "floating-point denormal operand"},
    {EXCEPTION_FLT_STACK_CHECK, "floating-point stack check"},
    {EXCEPTION_NONCONTINUABLE_EXCEPTION, "noncontinuable exception"},
    {EXCEPTION_INVALID_DISPOSITION, "invalid disposition"},
    {EXCEPTION_GUARD_PAGE, "guard page"},
    {EXCEPTION_INVALID_HANDLE, "invalid handle"},
    {0xC0000409, "stack buffer overrun"},
    {kMsvcCppException, "C++ exception"},
};

void AppendAccess(const EXCEPTION_RECORD& record, TextBuilder& out) {
  if (record.NumberParameters < 2) return;
  const ULONG_PTR kind = record.ExceptionInformation[0];
  out.Append(kind == 1 ? ", writing" : kind == 8 ? ", executing" : ", reading");
  out.Append(" address 0x").AppendHex(static_cast<uint32_t>(record.ExceptionInformation[1]));
}

// The first catchable type of the throw information is the thrown type.
void AppendThrownType(const EXCEPTION_RECORD& record, TextBuilder& out) {
  if (record.NumberParameters < 3 || record.ExceptionInformation[0] != kMsvcThrowMagic) return;
  const auto throwInfo = static_cast<uint32_t>(record.ExceptionInformation[2]);
  uint32_t catchableTypes = 0, firstType = 0, descriptor = 0;
  if (!ReadGuardedWord(throwInfo + kThrowInfoCatchableTypes, &catchableTypes)) return;
  if (!ReadGuardedWord(catchableTypes + 4, &firstType)) return;
  if (!ReadGuardedWord(firstType + kCatchableTypeDescriptor, &descriptor)) return;
  out.Append(", thrown type ");
  if (!AppendTypeDescriptorName(descriptor, out)) out.Append("unreadable");
}

}  // namespace

void AppendExceptionDescription(const EXCEPTION_RECORD& record, TextBuilder& out) {
  out.Append("0x").AppendHex(record.ExceptionCode);
  const char* name = "unknown exception";
  for (const ExceptionName& known : kNames) {
    if (known.code == record.ExceptionCode) name = known.name;
  }
  out.Append(" ").Append(name);
  if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION || record.ExceptionCode == EXCEPTION_IN_PAGE_ERROR) {
    AppendAccess(record, out);
  }
  if (record.ExceptionCode == kMsvcCppException) AppendThrownType(record, out);
}
