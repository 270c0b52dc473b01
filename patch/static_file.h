// Files written through the system's native file calls from the caller's
// buffers and static names: no heap, no C runtime stream and no lock that
// another thread of a broken process may hold. (CreateFileA and its kin
// take the process heap, and the process's lock for a relative path, to
// turn a name into the native one.) For the crash path, and for anything
// else that writes while the process may be in a bad state.
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

// Takes the current folder, once at install, as the one relative paths
// below are in: reading it later would take the process's lock. Until it
// is taken, only paths from a drive letter can be written.
void RememberGameFolderForStaticFiles();

// The failed step in a few words ("the file could not be opened").
const char* DescribeFailedStep(FileStep step);

// Writes the pieces as the whole new content of path. They go to
// partialPath first, which replaces path only once every byte is written,
// so a failure at any step leaves an older file at path as it was; the
// partial file is deleted.
FileWrite WriteWholeFile(const char* path, const char* partialPath, std::initializer_list<FilePiece> pieces);

// Appends the pieces at the end of path, creating it. A failed append
// leaves the file as it was: cut back to its old length, or removed when
// the append created it (unless another writer has appended since).
FileWrite AppendWithRollback(const char* path, std::initializer_list<FilePiece> pieces);

// Deletes the file at path, as DeleteFileA does; false when it could not.
bool DeleteStaticFile(const char* path);
