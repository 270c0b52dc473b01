// Files written with CreateFileA and WriteFile from the caller's buffers:
// no heap, no C runtime stream and no lock that another thread of a broken
// process may hold. For the crash path, and for anything else that writes
// while the process may be in a bad state.
#pragma once
#include <windows.h>

#include <initializer_list>

struct FilePiece {
  const char* text;
  DWORD length;
};

enum class FileStep { kNone, kOpen, kWrite, kClose, kReplace };

// Whether a write left the file whole, and if not, which step failed.
struct FileWrite {
  FileStep failed = FileStep::kNone;
  DWORD error = 0;  // the system's error code for it
  explicit operator bool() const { return failed == FileStep::kNone; }
};

// The failed step in a few words ("the file could not be opened").
const char* DescribeFailedStep(FileStep step);

// Writes the pieces as the whole new content of path. They go to
// partialPath first, which replaces path only once every byte is written,
// so a failure at any step leaves an older file at path as it was; the
// partial file is deleted.
FileWrite WriteWholeFile(const char* path, const char* partialPath, std::initializer_list<FilePiece> pieces);

// Appends the pieces at the end of path, creating it. A failed append
// leaves the file as it was: cut back to its old length, or removed when
// the append created it.
FileWrite AppendWithRollback(const char* path, std::initializer_list<FilePiece> pieces);
