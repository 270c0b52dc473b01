#include "patch/static_file.h"

namespace {

// A write that returns success with fewer bytes than asked is a full disk
// as much as one that fails.
FileWrite WritePieces(HANDLE file, std::initializer_list<FilePiece> pieces) {
  for (const FilePiece& piece : pieces) {
    DWORD written = 0;
    const BOOL result = WriteFile(file, piece.text, piece.length, &written, nullptr);
    if (!result || written != piece.length) {
      return FileWrite{FileStep::kWrite, result ? ERROR_DISK_FULL : GetLastError()};
    }
  }
  return {};
}

}  // namespace

const char* DescribeFailedStep(FileStep step) {
  switch (step) {
    case FileStep::kNone: break;
    case FileStep::kOpen: return "the file could not be opened";
    case FileStep::kWrite: return "the disk took only part of it";
    case FileStep::kClose: return "the file could not be closed";
    case FileStep::kReplace: return "it could not replace the older file";
  }
  return "nothing failed";
}

FileWrite WriteWholeFile(const char* path, const char* partialPath, std::initializer_list<FilePiece> pieces) {
  HANDLE file = CreateFileA(partialPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FileWrite{FileStep::kOpen, GetLastError()};
  FileWrite result = WritePieces(file, pieces);
  if (!CloseHandle(file) && result) result = FileWrite{FileStep::kClose, GetLastError()};
  if (result && !MoveFileExA(partialPath, path, MOVEFILE_REPLACE_EXISTING)) {
    result = FileWrite{FileStep::kReplace, GetLastError()};
  }
  if (!result) DeleteFileA(partialPath);
  return result;
}

// Shared for writing as the runtime's streams share it, so that an append
// to the log while another thread has it open still goes in.
FileWrite AppendWithRollback(const char* path, std::initializer_list<FilePiece> pieces) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FileWrite{FileStep::kOpen, GetLastError()};
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  LARGE_INTEGER oldLength{};
  if (!GetFileSizeEx(file, &oldLength) || !SetFilePointerEx(file, oldLength, nullptr, FILE_BEGIN)) {
    const DWORD error = GetLastError();
    CloseHandle(file);
    return FileWrite{FileStep::kOpen, error};
  }
  FileWrite result = WritePieces(file, pieces);
  if (!result && existed) {
    SetFilePointerEx(file, oldLength, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
  }
  if (!CloseHandle(file) && result) result = FileWrite{FileStep::kClose, GetLastError()};
  if (!result && !existed) DeleteFileA(path);
  return result;
}
