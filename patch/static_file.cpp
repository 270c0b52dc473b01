#include "patch/static_file.h"

#include <winternl.h>

#include <atomic>

// Declared by the driver kit's headers, not the system's.
extern "C" NTSYSAPI NTSTATUS NTAPI NtWriteFile(HANDLE file, HANDLE event, PIO_APC_ROUTINE apcRoutine, PVOID apcContext,
                                               PIO_STATUS_BLOCK io, PVOID buffer, ULONG length,
                                               PLARGE_INTEGER byteOffset, PULONG key);

namespace {

// As a write's offset: at the end of the file as it is when the write
// lands, whoever else is appending.
constexpr ULONG kWriteToEndOfFile = 0xFFFFFFFF;

// Far beyond the game's folder and our names below it; a longer path is
// refused rather than cut.
constexpr ULONG kPathChars = 1024;

// The folder relative paths are taken from, as the native calls name it:
// "\??\C:\Games\Vellmoor\". Empty until remembered.
wchar_t g_folder[kPathChars];
ULONG g_folderChars = 0;

// The names one write needs, static so that a thread that overflowed its
// stack can still write. A crash's writer and the freeze watchdog's may
// write at once, so there are two, claimed without waiting.
struct Scratch {
  std::atomic<bool> taken{false};
  wchar_t name[kPathChars];
  // FILE_RENAME_INFORMATION with the target's name after it.
  alignas(FILE_RENAME_INFORMATION) unsigned char rename[sizeof(FILE_RENAME_INFORMATION) + kPathChars * sizeof(wchar_t)];
};
Scratch g_scratch[2];

class ClaimedScratch {
 public:
  ClaimedScratch() {
    for (Scratch& scratch : g_scratch) {
      if (!scratch.taken.exchange(true, std::memory_order_acquire)) {
        claimed_ = &scratch;
        return;
      }
    }
  }
  ~ClaimedScratch() {
    if (claimed_ != nullptr) claimed_->taken.store(false, std::memory_order_release);
  }
  ClaimedScratch(const ClaimedScratch&) = delete;
  ClaimedScratch& operator=(const ClaimedScratch&) = delete;
  Scratch* operator->() const { return claimed_; }
  explicit operator bool() const { return claimed_ != nullptr; }

 private:
  Scratch* claimed_ = nullptr;
};

bool Append(wchar_t* out, ULONG& chars, const wchar_t* text) {
  for (; *text != L'\0'; ++text) {
    if (chars == kPathChars) return false;
    out[chars++] = *text;
  }
  return true;
}

bool StartsWithDrive(const char* path) {
  const char letter = static_cast<char>(path[0] | 0x20);
  return letter >= 'a' && letter <= 'z' && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

// The native name of path into out, its length in bytes into bytes, or
// the system's error for why there is none. What the system's own
// conversion does, less its heap and its lock: "./" dropped, '/' as '\',
// relative to the remembered folder. Our paths are plain ASCII.
DWORD BuildNtPath(const char* path, wchar_t* out, ULONG& bytes) {
  ULONG chars = 0;
  if (StartsWithDrive(path)) {
    Append(out, chars, L"\\??\\");
  } else {
    if (g_folderChars == 0) return ERROR_PATH_NOT_FOUND;
    while (path[0] == '.' && (path[1] == '/' || path[1] == '\\')) path += 2;
    for (ULONG i = 0; i < g_folderChars; ++i) out[chars++] = g_folder[i];
  }
  for (; *path != '\0'; ++path) {
    const unsigned char byte = static_cast<unsigned char>(*path);
    if (byte >= 0x80) return ERROR_INVALID_NAME;
    if (chars == kPathChars) return ERROR_FILENAME_EXCED_RANGE;
    out[chars++] = byte == '/' ? L'\\' : static_cast<wchar_t>(byte);
  }
  bytes = chars * sizeof(wchar_t);
  return ERROR_SUCCESS;
}

// Synchronous, a file and never a folder, as CreateFileA opens it.
NTSTATUS OpenNtFile(wchar_t* name, ULONG nameBytes, ACCESS_MASK access, ULONG share, ULONG disposition,
                    HANDLE& file, ULONG_PTR* outcome = nullptr) {
  UNICODE_STRING text{static_cast<USHORT>(nameBytes), static_cast<USHORT>(nameBytes), name};
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, nullptr, nullptr);
  IO_STATUS_BLOCK io{};
  const NTSTATUS status =
      NtCreateFile(&file, access | SYNCHRONIZE | FILE_READ_ATTRIBUTES, &attributes, &io, nullptr,
                   FILE_ATTRIBUTE_NORMAL, share, disposition,
                   FILE_SYNCHRONOUS_IO_NONALERT | FILE_NON_DIRECTORY_FILE, nullptr, 0);
  if (outcome != nullptr) *outcome = io.Information;
  return status;
}

template <typename Information>
NTSTATUS SetInformation(HANDLE file, Information information, FILE_INFORMATION_CLASS kind) {
  IO_STATUS_BLOCK io{};
  return NtSetInformationFile(file, &io, &information, sizeof information, kind);
}

NTSTATUS MarkForDeletion(HANDLE file) {
  return SetInformation(file, FILE_DISPOSITION_INFORMATION{TRUE}, FileDispositionInformation);
}

NTSTATUS QueryLength(HANDLE file, LARGE_INTEGER& length) {
  FILE_STANDARD_INFORMATION standard{};
  IO_STATUS_BLOCK io{};
  const NTSTATUS status = NtQueryInformationFile(file, &io, &standard, sizeof standard, FileStandardInformation);
  length = standard.EndOfFile;
  return status;
}

bool DeleteNtFile(wchar_t* name, ULONG nameBytes) {
  HANDLE file = nullptr;
  if (!NT_SUCCESS(OpenNtFile(name, nameBytes, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             FILE_OPEN, file))) {
    return false;
  }
  const bool deleted = NT_SUCCESS(MarkForDeletion(file));
  NtClose(file);
  return deleted;
}

FileWrite Failed(FileStep step, NTSTATUS status) { return FileWrite{step, RtlNtStatusToDosError(status)}; }

// A write that returns success with fewer bytes than asked is a full disk
// as much as one that fails. offset is where each piece goes (nullptr: on
// from the last); written counts the bytes the file took.
FileWrite WritePieces(HANDLE file, std::initializer_list<FilePiece> pieces, LARGE_INTEGER* offset,
                      ULONGLONG& written) {
  for (const FilePiece& piece : pieces) {
    IO_STATUS_BLOCK io{};
    const NTSTATUS status = NtWriteFile(file, nullptr, nullptr, nullptr, &io, const_cast<char*>(piece.text),
                                        piece.length, offset, nullptr);
    written += io.Information;
    if (!NT_SUCCESS(status)) return Failed(FileStep::kWrite, status);
    if (io.Information != piece.length) return FileWrite{FileStep::kWrite, ERROR_DISK_FULL};
  }
  return {};
}

}  // namespace

void RememberGameFolderForStaticFiles() {
  wchar_t current[kPathChars];
  const DWORD length = GetCurrentDirectoryW(kPathChars, current);
  if (length == 0 || length >= kPathChars) return;
  ULONG chars = 0;
  const bool unc = current[0] == L'\\' && current[1] == L'\\';
  bool fits = Append(g_folder, chars, unc ? L"\\??\\UNC\\" : L"\\??\\") && Append(g_folder, chars, current + (unc ? 2 : 0));
  if (fits && g_folder[chars - 1] != L'\\') fits = Append(g_folder, chars, L"\\");
  g_folderChars = fits ? chars : 0;
}

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

// The partial file is renamed into place through its own handle, and
// deleted through it when anything failed.
FileWrite WriteWholeFile(const char* path, const char* partialPath, std::initializer_list<FilePiece> pieces) {
  ClaimedScratch scratch;
  if (!scratch) return FileWrite{FileStep::kOpen, ERROR_BUSY};
  auto& rename = *reinterpret_cast<FILE_RENAME_INFORMATION*>(scratch->rename);
  ULONG partialBytes = 0;
  DWORD error = BuildNtPath(partialPath, scratch->name, partialBytes);
  if (error == ERROR_SUCCESS) error = BuildNtPath(path, rename.FileName, rename.FileNameLength);
  if (error != ERROR_SUCCESS) return FileWrite{FileStep::kOpen, error};
  HANDLE file = nullptr;
  const NTSTATUS opened =
      OpenNtFile(scratch->name, partialBytes, FILE_GENERIC_WRITE | DELETE, FILE_SHARE_READ, FILE_OVERWRITE_IF, file);
  if (!NT_SUCCESS(opened)) return Failed(FileStep::kOpen, opened);
  ULONGLONG written = 0;
  FileWrite result = WritePieces(file, pieces, nullptr, written);
  if (result) {
    rename.ReplaceIfExists = TRUE;
    rename.RootDirectory = nullptr;
    IO_STATUS_BLOCK io{};
    const NTSTATUS renamed = NtSetInformationFile(file, &io, &rename, sizeof rename + rename.FileNameLength,
                                                  FileRenameInformation);
    if (!NT_SUCCESS(renamed)) result = Failed(FileStep::kReplace, renamed);
  }
  if (!result) MarkForDeletion(file);
  const NTSTATUS closed = NtClose(file);
  if (!NT_SUCCESS(closed) && result) result = Failed(FileStep::kClose, closed);
  return result;
}

// Shared for writing as the runtime's streams share it, so that an append
// to the log while another thread has it open still goes in; each piece
// goes to the end as it is then, as theirs do. The file is cut back only
// while it holds nothing after this call's bytes.
FileWrite AppendWithRollback(const char* path, std::initializer_list<FilePiece> pieces) {
  ClaimedScratch scratch;
  if (!scratch) return FileWrite{FileStep::kOpen, ERROR_BUSY};
  ULONG nameBytes = 0;
  if (const DWORD error = BuildNtPath(path, scratch->name, nameBytes)) return FileWrite{FileStep::kOpen, error};
  HANDLE file = nullptr;
  ULONG_PTR outcome = 0;
  NTSTATUS status = OpenNtFile(scratch->name, nameBytes, FILE_GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               FILE_OPEN_IF, file, &outcome);
  if (!NT_SUCCESS(status)) return Failed(FileStep::kOpen, status);
  LARGE_INTEGER oldLength{};
  status = QueryLength(file, oldLength);
  if (!NT_SUCCESS(status)) {
    NtClose(file);
    return Failed(FileStep::kOpen, status);
  }
  LARGE_INTEGER toTheEnd;
  toTheEnd.HighPart = -1;
  toTheEnd.LowPart = kWriteToEndOfFile;
  ULONGLONG written = 0;
  FileWrite result = WritePieces(file, pieces, &toTheEnd, written);
  bool cutBack = false;
  LARGE_INTEGER length{};
  if (!result && NT_SUCCESS(QueryLength(file, length)) &&
      static_cast<ULONGLONG>(length.QuadPart) == static_cast<ULONGLONG>(oldLength.QuadPart) + written) {
    cutBack = NT_SUCCESS(SetInformation(file, FILE_END_OF_FILE_INFORMATION{oldLength}, FileEndOfFileInformation));
  }
  status = NtClose(file);
  if (!NT_SUCCESS(status) && result) result = Failed(FileStep::kClose, status);
  if (cutBack && outcome == FILE_CREATED) DeleteNtFile(scratch->name, nameBytes);
  return result;
}

bool DeleteStaticFile(const char* path) {
  ClaimedScratch scratch;
  ULONG nameBytes = 0;
  return scratch && BuildNtPath(path, scratch->name, nameBytes) == ERROR_SUCCESS &&
         DeleteNtFile(scratch->name, nameBytes);
}
