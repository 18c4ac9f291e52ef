#pragma once
// What the tests of the archive library qvx.lib share: the library used the
// way the engine uses it (loaded by its full path from the program folder,
// its four exports looked up by their plain names), the test archives, the
// callbacks and what they saw, a look at folders, and qvx_child.exe, which
// runs one extraction in a process of its own.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "qvx/qvx_archive.h"
#include "tests/support/temp_folder.h"

namespace qvx_test {

constexpr const char* kPassword = "Secret7";

struct Library {
  HMODULE module = nullptr;
  decltype(&OpenListArchive) open = nullptr;
  decltype(&CloseListArchive) close = nullptr;
  decltype(&ExtractArchive) extract = nullptr;
  decltype(&GetLastArchiveError) last_error = nullptr;

  static Library load(const std::string& path);
  bool complete() const { return open && close && extract && last_error; }
};

// qvx.lib from the program folder, loaded once.
const Library& qvx();

// The archives made at build time by Debian's 7zz (tests/CMakeLists.txt),
// and the staged folders they were made from.
std::string fixture(const std::string& name);
std::string staged(const std::string& folder);

// ---- Callbacks: what they answer and what they saw ------------------------

struct Calls {
  std::vector<std::string> passwords;  // answered in turn, then 0
  int password_asks = 0;
  int query_answer = QVX_QUERY_YES;
  std::vector<std::string> queried;
  int stop_file_at = -1;  // the file callback answers 0 at this call
  std::vector<std::string> files;
  std::vector<std::string> targets;
  int stop_progress_at = -1;
  std::vector<std::tuple<std::string, std::uint64_t, std::uint64_t>> progress;
};
extern Calls g_calls;
void reset_calls();

int32_t QVX_CALL on_password(char* buffer, int32_t size);
int32_t QVX_CALL on_file(const char* name, const char* target);
int32_t QVX_CALL on_progress(const char* name, std::uint64_t done, std::uint64_t total);
int32_t QVX_CALL on_query(const char* name, const char* existing);

// ---- Calling the library -------------------------------------------------

struct Entry {
  std::string name;
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  std::uint64_t time = 0;
  std::uint32_t flags = 0;
};

// OpenListArchive + CloseListArchive; the records are read at 48-byte steps,
// as the engine reads them.
struct Listing {
  bool ok = false;
  int32_t error = 0;
  std::vector<Entry> entries;

  std::vector<std::string> names() const;
  const Entry* find(const std::string& name) const;
};

Listing list(const std::string& archive, const char* password = nullptr, bool with_callback = true);

struct Outcome {
  bool ok = false;
  int32_t error = 0;
};

struct Extraction {
  Extraction(std::string archive_path, std::string destination_folder, const char* password_text = nullptr)
      : archive(std::move(archive_path)), destination(std::move(destination_folder)), password(password_text) {}

  std::string archive;
  std::string destination;
  const char* password = nullptr;
  std::optional<std::vector<std::string>> names;  // none: the whole archive
  int32_t mode = QVX_MODE_FULL_PATHS;
  int32_t overwrite = QVX_OVERWRITE_ASK;
  bool query = true;

  Outcome run() const;
};

// Lists the archive, then extracts everything listed: the bootstrap's way.
Outcome list_and_extract(const std::string& archive, const std::string& destination, const char* password);

// ---- Looking at folders ---------------------------------------------------

constexpr const char* kFolder = "<folder>";

// Every file (by content) and folder below `folder` (with a trailing
// backslash), by relative path; paths of any length. Without contents, every
// file maps to "".
std::map<std::string, std::string> snapshot(const std::string& folder, bool contents = true);

std::set<std::string> keys_of(const std::map<std::string, std::string>& files);

// Nothing but what the archive holds, byte for byte: files a failed call
// left must be complete, and no temporary file may remain.
void expect_only_whole_files(const std::map<std::string, std::string>& written,
                             const std::map<std::string, std::string>& source, const std::string& label);

// Whether a relative path names one of the library's temporary files.
bool is_temporary_file(const std::string& path);

// Removes `folder` (with a trailing backslash) and everything in it, paths
// of any length included.
void remove_tree(const std::string& folder);

std::uint64_t file_time_of(const std::string& path);
DWORD attributes_of(const std::string& path);
std::uint64_t unix_time(std::uint64_t seconds);

// ---- An extraction in a process of its own (qvx_child.exe) ----------------

struct ChildOptions {
  const char* password = nullptr;
  bool list_first = true;  // list, then extract what is listed, as the engine does
  bool keep = false;       // QVX_OVERWRITE_KEEP
  std::uint64_t hold_at = 0;  // with an event: wait there once the progress reaches it
  std::string event;
  DWORD timeout_ms = 30000;  // a safety bound: the process is killed after it
};

struct ChildRun {
  bool finished = false;  // ended by itself within the time bound
  long listing = -1;      // OpenListArchive's code (-1: not listed)
  long entries = -1;
  long error = -1;        // ExtractArchive's code
  std::uint64_t peak_memory = 0;  // peak working set, bytes
  unsigned long milliseconds = 0;
};

ChildRun run_child(const std::string& archive, const std::string& destination, const ChildOptions& options);

// A running qvx_child.exe that the test kills.
class Child {
 public:
  Child(const std::string& archive, const std::string& destination, const ChildOptions& options);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // Waits for the process to end, at most `timeout_ms`.
  bool wait(DWORD timeout_ms);
  void kill();
  HANDLE process() const { return process_; }
  DWORD id() const { return id_; }
  // The result once it ended by itself.
  ChildRun result() const;

 private:
  qm::test::TempFolder work_;  // the result file
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

class QvxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(qvx().complete()) << "qvx.lib did not load from the program folder or lacks an export";
    reset_calls();
  }
};

}  // namespace qvx_test
