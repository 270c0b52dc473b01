// The C++ name behind an MSVC type descriptor's decorated name: classes and
// structs (.?AV…@@, .?AU…@@) with their namespaces and enclosing classes,
// templates with their arguments (types, pointers, references, integers)
// and the back-references that stand for names met before. Portable and
// free of heap use, so that the crash path can run it and the native tests
// can check it.
#pragma once
#include <cstddef>

// Writes the undecorated name, terminated, into out and returns true when
// the whole decorated name decodes and the result fits; returns false
// otherwise (out then holds nothing useful), so that the caller can show
// the decorated name as it stands rather than a part of it.
bool DecodeTypeDescriptorName(const char* decorated, char* out, size_t capacity);
