#include "qvx/output_file.h"

#include <atomic>

#include "qvx/failure.h"

namespace qvx {

namespace {

constexpr std::wstring_view kPrefix = L"~qvx";
constexpr std::wstring_view kSuffix = L".tmp";

std::wstring hex(std::uint32_t value) {
  wchar_t text[9];
  for (int i = 7; i >= 0; --i) {
    text[i] = L"0123456789ABCDEF"[value & 15];
    value >>= 4;
  }
  text[8] = L'\0';
  return text;
}

bool is_hex(std::wstring_view text) {
  for (wchar_t c : text) {
    if (!((c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F'))) return false;
  }
  return true;
}

std::uint32_t hex_value(std::wstring_view text) {
  std::uint32_t value = 0;
  for (wchar_t c : text) value = (value << 4) | static_cast<std::uint32_t>(c <= L'9' ? c - L'0' : c - L'A' + 10);
  return value;
}

std::wstring folder_of(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

bool process_runs(DWORD id) {
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;  // there, but not ours to see
  DWORD code = 0;
  const bool runs = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  CloseHandle(process);
  return runs;
}

void remove_file(const std::wstring& path) {
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(path.c_str());
}

}  // namespace

OutputFile::OutputFile(std::wstring target, DWORD attributes) : target_(std::move(target)) {
  static std::atomic<std::uint32_t> counter{0};
  const std::wstring folder = folder_of(target_);
  // Share nothing, not even deletion: a file being written is safe from the
  // clean-up of a concurrent extraction. The attributes come now (a handle
  // open for writing writes a read-only file too), not as one more call on
  // the final file.
  const DWORD flags = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
  for (int attempt = 0; attempt < 64; ++attempt) {
    std::wstring path = folder + L"\\" + std::wstring(kPrefix) + hex(GetCurrentProcessId()) + L"-" + hex(counter++) +
                        std::wstring(kSuffix);
    handle_ = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, flags, nullptr);
    if (handle_ != INVALID_HANDLE_VALUE) {
      temporary_ = std::move(path);
      return;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  fail(QVX_ERROR_WRITE, "an output file cannot be created");
}

OutputFile::~OutputFile() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  if (!placed_) remove_file(temporary_);
}

void OutputFile::write(const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const DWORD chunk = size > (DWORD{1} << 30) ? (DWORD{1} << 30) : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(handle_, data, chunk, &written, nullptr) || written != chunk) {
      fail(QVX_ERROR_WRITE, "an output file cannot be written");
    }
    data += chunk;
    size -= chunk;
  }
}

void OutputFile::close(const std::optional<FILETIME>& created, const std::optional<FILETIME>& written) {
  if ((created || written) &&
      !SetFileTime(handle_, created ? &*created : nullptr, nullptr, written ? &*written : nullptr)) {
    fail(QVX_ERROR_WRITE, "the time of an output file cannot be set");
  }
  const BOOL closed = CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  if (!closed) fail(QVX_ERROR_WRITE, "an output file cannot be completed");
}

bool OutputFile::place() {
  // Never over anything: whatever is there is the caller's to decide about.
  if (MoveFileExW(temporary_.c_str(), target_.c_str(), 0)) {
    placed_ = true;
    return true;
  }
  const DWORD error = GetLastError();
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return false;
  if (error == ERROR_ACCESS_DENIED && GetFileAttributesW(target_.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  fail(QVX_ERROR_WRITE, "an output file cannot be put in place");
}

void OutputFile::replace() {
  // A read-only file cannot be replaced: its attribute comes back if the
  // replacement fails.
  const DWORD existing = GetFileAttributesW(target_.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0) {
    SetFileAttributesW(target_.c_str(), existing & ~DWORD{FILE_ATTRIBUTE_READONLY});
  }
  if (!MoveFileExW(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    if (existing != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(target_.c_str(), existing);
    fail(QVX_ERROR_WRITE, "an output file cannot be put in place");
  }
  placed_ = true;
}

bool is_temporary_name(std::wstring_view name) {
  if (name.size() != kTemporaryNameLength || !name.starts_with(kPrefix) || !name.ends_with(kSuffix)) return false;
  const std::wstring_view middle = name.substr(kPrefix.size(), 17);  // process "-" number
  return middle[8] == L'-' && is_hex(middle.substr(0, 8)) && is_hex(middle.substr(9, 8));
}

void remove_stale_temporaries(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  const std::wstring pattern = folder + L"\\" + std::wstring(kPrefix) + L"*" + std::wstring(kSuffix);
  const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  const DWORD self = GetCurrentProcessId();
  do {
    const std::wstring_view name = found.cFileName;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !is_temporary_name(name)) continue;
    const DWORD owner = hex_value(name.substr(kPrefix.size(), 8));
    // A live owner may be between closing its file and renaming it.
    if (owner == self || process_runs(owner)) continue;
    remove_file(folder + L"\\" + std::wstring(name));
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

}  // namespace qvx
