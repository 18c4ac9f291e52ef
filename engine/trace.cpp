#include "engine/trace.h"

#include <windows.h>

#include <utility>

#include "platform/file_system.h"
#include "platform/unique_resource.h"
#include "platform/wide_text.h"

namespace qm {

namespace {

// The line in UTF-16LE, CR LF included, as the bytes that go into the file.
std::wstring to_utf16_line(std::string_view line) { return platform::wide_from_ansi(line) + L"\r\n"; }

// Others may read, write and even delete or rename the file while we have it
// open: a log viewer, a second setup writing the same trace, the installer's
// own log.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

platform::UniqueHandle open_fresh(const std::string& file) {
  // OPEN_ALWAYS and then cutting the file keeps the attributes and security of
  // an existing file; CREATE_ALWAYS would refuse a hidden one.
  platform::UniqueHandle handle(
      CreateFileA(file.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) return handle;
  LARGE_INTEGER start{};
  if (!SetFilePointerEx(handle.get(), start, nullptr, FILE_BEGIN) || !SetEndOfFile(handle.get())) handle.reset();
  return handle;
}

platform::UniqueHandle open_for_append(const std::string& file) {
  // Append access alone makes every write land at the current end of the
  // file, even when another process appended since we opened it; seeking to
  // the end first would let two writers overwrite each other's lines.
  return platform::UniqueHandle(CreateFileA(file.c_str(), FILE_APPEND_DATA | SYNCHRONIZE, kShareAll, nullptr,
                                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

void Trace::set_path(std::string path) {
  std::lock_guard lock(mutex_);
  path_ = std::move(path);
}

std::string Trace::path() const {
  std::lock_guard lock(mutex_);
  return path_;
}

void Trace::write(std::string_view line) {
  std::string file = path();
  write_to(file, line);
}

void Trace::write_to(std::string_view file, std::string_view line) {
  if (file.empty()) return;
  const std::wstring text = to_utf16_line(line);
  const std::string name(file);

  std::lock_guard lock(mutex_);
  platform::UniqueHandle handle = fresh_ ? open_fresh(name) : open_for_append(name);
  // A file that cannot be opened (missing folder, no rights, a folder of that
  // name) loses the line. The flag stays set then: nothing of this run is in
  // any file yet, so the first line that does arrive still starts afresh.
  if (!handle) return;
  fresh_ = false;
  platform::write_completely(handle.get(), text.data(), text.size() * sizeof(wchar_t));
}

bool Trace::fresh() const {
  std::lock_guard lock(mutex_);
  return fresh_;
}

void Trace::clear_fresh() {
  std::lock_guard lock(mutex_);
  fresh_ = false;
}

}  // namespace qm
