#include "tests/qvx/qvx_test_support.h"

#include <cstdio>
#include <stdexcept>
#include <utility>

namespace qvx_test {

using qm::test::program_folder;
using qm::test::read_file;

namespace {

template <typename Function>
Function export_of(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

std::wstring wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }
std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// A folder (with a trailing backslash) as a \\?\ path, which has no length limit.
std::wstring long_form(const std::string& folder) {
  wchar_t full[MAX_PATH * 4];
  const DWORD length = GetFullPathNameW(wide(folder).c_str(), MAX_PATH * 4, full, nullptr);
  return L"\\\\?\\" + std::wstring(full, length);
}

std::string read_long(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot read " + narrow(path));
  std::string content;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) content.append(buffer, got);
  CloseHandle(file);
  return content;
}

// Calls `visit(path, relative name, is folder)` for everything below
// `folder` (a long form with a trailing backslash), folders before their
// content. A loop, not a recursion: trees a thousand folders deep are tested.
template <typename Visit>
void walk(const std::wstring& folder, Visit visit) {
  std::vector<std::pair<std::wstring, std::string>> pending{{folder, ""}};
  while (!pending.empty()) {
    const auto [current, prefix] = pending.back();
    pending.pop_back();
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((current + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) continue;
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::string relative = prefix + narrow(name);
      const bool is_folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      visit(current + name, relative, is_folder);
      if (is_folder) pending.emplace_back(current + name + L"\\", relative + "\\");
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

Library Library::load(const std::string& path) {
  Library library;
  library.module = LoadLibraryA(path.c_str());
  if (library.module != nullptr) {
    library.open = export_of<decltype(&OpenListArchive)>(library.module, "OpenListArchive");
    library.close = export_of<decltype(&CloseListArchive)>(library.module, "CloseListArchive");
    library.extract = export_of<decltype(&ExtractArchive)>(library.module, "ExtractArchive");
    library.last_error = export_of<decltype(&GetLastArchiveError)>(library.module, "GetLastArchiveError");
  }
  return library;
}

const Library& qvx() {
  static const Library library = Library::load(program_folder() + "qvx.lib");
  return library;
}

std::string fixture(const std::string& name) { return program_folder() + "qvx_fixtures\\" + name; }
std::string staged(const std::string& folder) { return program_folder() + "qvx_fixtures\\stage\\" + folder + "\\"; }

// ---- Callbacks ----------------------------------------------------------------

Calls g_calls;

void reset_calls() { g_calls = Calls{}; }

int32_t QVX_CALL on_password(char* buffer, int32_t size) {
  const int ask = g_calls.password_asks++;
  if (ask >= static_cast<int>(g_calls.passwords.size())) return 0;
  const std::string& password = g_calls.passwords[static_cast<std::size_t>(ask)];
  if (static_cast<int32_t>(password.size()) >= size) return 0;
  lstrcpynA(buffer, password.c_str(), size);
  return 1;
}

int32_t QVX_CALL on_file(const char* name, const char* target) {
  const int call = static_cast<int>(g_calls.files.size());
  g_calls.files.push_back(name);
  g_calls.targets.push_back(target);
  return call == g_calls.stop_file_at ? 0 : 1;
}

int32_t QVX_CALL on_progress(const char* name, std::uint64_t done, std::uint64_t total) {
  const int call = static_cast<int>(g_calls.progress.size());
  g_calls.progress.emplace_back(name, done, total);
  return call == g_calls.stop_progress_at ? 0 : 1;
}

int32_t QVX_CALL on_query(const char* name, const char*) {
  g_calls.queried.push_back(name);
  return g_calls.query_answer;
}

// ---- Calling the library -------------------------------------------------

std::vector<std::string> Listing::names() const {
  std::vector<std::string> result;
  for (const Entry& entry : entries) result.push_back(entry.name);
  return result;
}

const Entry* Listing::find(const std::string& name) const {
  for (const Entry& entry : entries) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

Listing list(const std::string& archive, const char* password, bool with_callback) {
  Listing listing;
  QvxEntry* records = nullptr;
  int32_t count = -1;
  QvxListHandle handle = qvx().open(archive.c_str(), 0, with_callback ? &on_password : nullptr, nullptr, nullptr,
                                    nullptr, password, &records, &count);
  listing.error = qvx().last_error(0);
  if (handle == nullptr) return listing;
  listing.ok = true;
  const auto* bytes = reinterpret_cast<const unsigned char*>(records);
  for (int32_t i = 0; i < count; ++i) {
    const unsigned char* record = bytes + 48 * i;
    Entry entry;
    entry.name = *reinterpret_cast<const char* const*>(record);
    entry.attributes = reinterpret_cast<const QvxEntry*>(record)->attributes;
    entry.size = reinterpret_cast<const QvxEntry*>(record)->size;
    entry.time = reinterpret_cast<const QvxEntry*>(record)->last_write_time;
    entry.flags = reinterpret_cast<const QvxEntry*>(record)->flags;
    listing.entries.push_back(entry);
  }
  EXPECT_EQ(qvx().close(handle), 1);
  return listing;
}

Outcome Extraction::run() const {
  std::vector<const char*> pointers;
  if (names) {
    for (const std::string& name : *names) pointers.push_back(name.c_str());
  }
  const QvxTargetFiles targets{pointers.data(), static_cast<int32_t>(pointers.size())};
  Outcome outcome;
  outcome.ok = qvx().extract(archive.c_str(), mode, destination.c_str(), names ? &targets : nullptr, overwrite,
                             password, &on_password, &on_file, &on_progress, query ? &on_query : nullptr) != 0;
  outcome.error = qvx().last_error(0);
  return outcome;
}

Outcome list_and_extract(const std::string& archive, const std::string& destination, const char* password) {
  const Listing listing = list(archive, password);
  if (!listing.ok) return {false, listing.error};
  Extraction extraction{archive, destination, password};
  extraction.names = listing.names();
  return extraction.run();
}

// ---- Looking at folders ---------------------------------------------------

std::map<std::string, std::string> snapshot(const std::string& folder, bool contents) {
  std::map<std::string, std::string> result;
  walk(long_form(folder), [&](const std::wstring& path, const std::string& relative, bool is_folder) {
    if (relative == ".staged") return;
    result[relative] = is_folder ? std::string(kFolder) : contents ? read_long(path) : std::string();
  });
  return result;
}

std::set<std::string> keys_of(const std::map<std::string, std::string>& files) {
  std::set<std::string> keys;
  for (const auto& [path, content] : files) keys.insert(path);
  return keys;
}

void expect_only_whole_files(const std::map<std::string, std::string>& written,
                             const std::map<std::string, std::string>& source, const std::string& label) {
  for (const auto& [path, content] : written) {
    const auto original = source.find(path);
    ASSERT_NE(original, source.end()) << label << ": unexpected " << path;
    EXPECT_EQ(content, original->second) << label << ": " << path << " differs";
  }
}

bool is_temporary_file(const std::string& path) {
  const std::string name = path.substr(path.find_last_of('\\') + 1);
  return name.starts_with("~qvx") && name.ends_with(".tmp");
}

void remove_tree(const std::string& folder) {
  const std::wstring root = long_form(folder);
  std::vector<std::wstring> folders;
  walk(root, [&](const std::wstring& path, const std::string&, bool is_folder) {
    if (is_folder) {
      folders.push_back(path);
    } else if (!DeleteFileW(path.c_str())) {
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // read-only
      DeleteFileW(path.c_str());
    }
  });
  // Deepest first: each folder comes after the one holding it.
  for (auto at = folders.rbegin(); at != folders.rend(); ++at) RemoveDirectoryW(at->c_str());
  RemoveDirectoryW(root.c_str());
}

std::uint64_t file_time_of(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

DWORD attributes_of(const std::string& path) { return GetFileAttributesA(path.c_str()); }

std::uint64_t unix_time(std::uint64_t seconds) { return (seconds + 11644473600ull) * 10000000ull; }

// ---- An extraction in a process of its own ---------------------------------

Child::Child(const std::string& archive, const std::string& destination, const ChildOptions& options) {
  std::string line = quoted(program_folder() + "qvx_child.exe") + " " + quoted(work_.file("result.txt")) + " " +
                     quoted(archive) + " " + quoted(destination);
  if (options.password != nullptr) line += " " + quoted(std::string("--password=") + options.password);
  if (options.list_first) line += " --list";
  if (options.keep) line += " --keep";
  if (!options.event.empty()) {
    line += " --hold-at=" + std::to_string(options.hold_at) + " " + quoted("--event=" + options.event);
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    throw std::runtime_error("cannot start qvx_child.exe (error " + std::to_string(GetLastError()) + ")");
  }
  CloseHandle(process.hThread);
  process_ = process.hProcess;
  id_ = process.dwProcessId;
}

Child::~Child() {
  kill();
  CloseHandle(process_);
}

bool Child::wait(DWORD timeout_ms) { return WaitForSingleObject(process_, timeout_ms) == WAIT_OBJECT_0; }

void Child::kill() {
  if (!wait(0)) {
    TerminateProcess(process_, 9);
    wait(INFINITE);
  }
}

ChildRun Child::result() const {
  ChildRun run;
  DWORD code = 1;
  if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0 || !GetExitCodeProcess(process_, &code) || code != 0) {
    return run;
  }
  FILE* file = std::fopen(work_.file("result.txt").c_str(), "r");
  if (file == nullptr) return run;
  unsigned long private_bytes = 0;  // the peak working set is the measure
  unsigned long memory = 0;
  run.finished = std::fscanf(file, "%ld %ld %ld %lu %lu %lu", &run.listing, &run.entries, &run.error, &private_bytes,
                             &memory, &run.milliseconds) == 6;
  run.peak_memory = memory;
  std::fclose(file);
  return run;
}

ChildRun run_child(const std::string& archive, const std::string& destination, const ChildOptions& options) {
  Child child(archive, destination, options);
  if (!child.wait(options.timeout_ms)) {
    child.kill();
    return ChildRun{};
  }
  return child.result();
}

}  // namespace qvx_test
