// ReadInstallerProperties: the immediate custom action the build tool puts
// into every product database. Windows Installer loads this library into its
// own custom action process, so msi.dll is imported as usual.
//
// It gives the installation what the engine decided that the command line
// cannot carry: the values of the Property table with their single quotes
// (the engine stores "'" as "$QUOTE$" there, as its SQL texts cannot hold
// them), then every property of the installer property file. No exception
// leaves the entry; a failure is logged and fails the installation.

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "actions/installer_property_file.h"

namespace qm::actions {

namespace {

// A failure of our own, with the text the installer's log gets.
class ActionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class MsiHandle {
 public:
  MsiHandle() = default;
  explicit MsiHandle(MSIHANDLE handle) : handle_(handle) {}
  ~MsiHandle() {
    if (handle_ != 0) MsiCloseHandle(handle_);
  }
  MsiHandle(const MsiHandle&) = delete;
  MsiHandle& operator=(const MsiHandle&) = delete;

  MSIHANDLE get() const { return handle_; }
  MSIHANDLE* receive() { return &handle_; }

 private:
  MSIHANDLE handle_ = 0;
};

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

// Windows Installer's string getters take a size in characters without the
// terminator and report the size they need when it is too small.
template <typename Get>
std::string installer_text(Get&& get) {
  std::string text(64, '\0');
  for (;;) {
    DWORD size = static_cast<DWORD>(text.size());
    const UINT result = get(text.data(), &size);
    if (result == ERROR_MORE_DATA) {
      text.resize(static_cast<std::size_t>(size) + 1);
      continue;
    }
    if (result != ERROR_SUCCESS) return {};
    text.resize(size);
    return text;
  }
}

std::string property(MSIHANDLE install, const char* name) {
  return installer_text([&](char* buffer, DWORD* size) { return MsiGetPropertyA(install, name, buffer, size); });
}

std::string record_text(MSIHANDLE record, UINT field) {
  return installer_text([&](char* buffer, DWORD* size) { return MsiRecordGetStringA(record, field, buffer, size); });
}

// A line in the installer's log (verbose logging shows it).
void log(MSIHANDLE install, const std::string& text) {
  MsiHandle record(MsiCreateRecord(1));
  if (record.get() == 0) return;
  MsiRecordSetStringA(record.get(), 0, "ReadInstallerProperties: [1]");
  MsiRecordSetStringA(record.get(), 1, text.c_str());
  MsiProcessMessage(install, INSTALLMESSAGE_INFO, record.get());
}

void set_property(MSIHANDLE install, const std::string& name, const std::string& value) {
  const UINT result = MsiSetPropertyA(install, name.c_str(), value.c_str());
  if (result != ERROR_SUCCESS) log(install, "the property " + name + " cannot be set (" + std::to_string(result) + ")");
}

// A property whose Property table value holds "$QUOTE$" gets its quotes back,
// unless something else (the command line, an earlier action) has set it
// since: that value is the one meant.
void restore_table_quotes(MSIHANDLE install) {
  MsiHandle database(MsiGetActiveDatabase(install));
  if (database.get() == 0) throw ActionError("the installation has no database");
  MsiHandle view;
  if (MsiDatabaseOpenViewA(database.get(), "SELECT `Property`,`Value` FROM `Property`", view.receive()) !=
          ERROR_SUCCESS ||
      MsiViewExecute(view.get(), 0) != ERROR_SUCCESS)
    throw ActionError("the Property table cannot be read");
  for (;;) {
    MsiHandle record;
    const UINT fetched = MsiViewFetch(view.get(), record.receive());
    if (fetched == ERROR_NO_MORE_ITEMS) break;
    if (fetched != ERROR_SUCCESS) throw ActionError("the Property table cannot be read to its end");
    const std::string value = record_text(record.get(), 2);
    if (!holds_quote_marker(value)) continue;
    const std::string name = record_text(record.get(), 1);
    if (property(install, name.c_str()) == value) set_property(install, name, restore_quotes(value));
  }
  MsiViewClose(view.get());
}

std::string with_final_backslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder;
}

// The file's bytes, at most kMaxFileSize of them (cut after the last whole
// line); nothing when there is no file, which is how a run without the
// engine (msiexec alone) finds it.
std::optional<std::string> read_property_file(const std::string& path) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ||
        error == ERROR_BAD_PATHNAME)
      return std::nullopt;
    throw ActionError("the installer property file " + path + " cannot be opened (" + std::to_string(error) + ")");
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size))
    throw ActionError("the size of the installer property file " + path + " is unknown");
  const bool cut = static_cast<unsigned long long>(size.QuadPart) > kMaxFileSize;
  std::string bytes(cut ? kMaxFileSize : static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    DWORD read = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - filled, 1 << 20));
    if (!ReadFile(file.get(), bytes.data() + filled, wanted, &read, nullptr))
      throw ActionError("the installer property file " + path + " cannot be read (" + std::to_string(GetLastError()) +
                        ")");
    if (read == 0) break;  // shorter than it was a moment ago
    filled += read;
  }
  bytes.resize(filled);
  if (cut) bytes.resize(bytes.rfind('\n') == std::string::npos ? 0 : bytes.rfind('\n') + 1);
  return bytes;
}

// The file is [MSINTEMP][ProductCode]; MSINTEMP is the engine's temporary
// folder, recorded in the Property table. Without it, the installer's own.
void apply_property_file(MSIHANDLE install) {
  std::string folder = property(install, "MSINTEMP");
  if (folder.empty()) folder = property(install, "TempFolder");
  const std::string product_code = property(install, "ProductCode");
  if (folder.empty() || product_code.empty()) return;
  const std::string path = with_final_backslash(folder) + product_code;
  const std::optional<std::string> bytes = read_property_file(path);
  if (!bytes) {
    log(install, "no installer property file " + path);
    return;
  }
  const std::vector<InstallerProperty> properties = parse_installer_property_file(*bytes);
  for (const InstallerProperty& p : properties) set_property(install, p.name, p.value);
  // Tells the database's own conditions that an engine run chose the values.
  set_property(install, "QMPROPERTYFILE", path);
  log(install, std::to_string(properties.size()) + " properties from " + path);
}

}  // namespace

}  // namespace qm::actions

extern "C" UINT __stdcall ReadInstallerProperties(MSIHANDLE install) noexcept {
  try {
    qm::actions::restore_table_quotes(install);
    qm::actions::apply_property_file(install);
    return ERROR_SUCCESS;
  } catch (const std::exception& error) {
    // An engine run whose choices cannot be read must not install as if it
    // had made none.
    try {
      qm::actions::log(install, error.what());
    } catch (...) {
    }
    return ERROR_INSTALL_FAILURE;
  } catch (...) {
    return ERROR_INSTALL_FAILURE;
  }
}
