// A separate process that lists and extracts one archive with qvx.lib, so
// that the tests can watch what a call costs (its peak memory, its time) and
// can kill it part-way through, as a cancelled or crashed setup is.
//
//   qvx_child <result file> <archive> <destination> [switches]
//     --library=PATH     the qvx.lib to load (default: beside this program)
//     --password=TEXT    the password text
//     --keep             overwrite flag QVX_OVERWRITE_KEEP (default: ask, no query callback)
//     --list             list first and extract the names listed, as the engine does
//     --hold-at=BYTES    once the progress reaches BYTES, signal the event and
//     --event=NAME       wait there until the process is killed
//
// The result file gets one line: "<list error> <entries> <extract error>
// <peak private bytes> <peak working set> <milliseconds>"; the list fields are
// -1 without --list. The exit code is 0 when the line was written.

#include <windows.h>
#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "qvx/qvx_archive.h"

namespace {

std::uint64_t g_hold_at = 0;
HANDLE g_event = nullptr;

int32_t QVX_CALL on_progress(const char*, std::uint64_t done, std::uint64_t) {
  if (g_event != nullptr && done >= g_hold_at) {
    SetEvent(g_event);
    for (;;) Sleep(1000);  // the test kills the process here
  }
  return 1;
}

std::string program_folder() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

template <typename Function>
Function export_of(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

bool starts_with(const char* text, const char* prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  const char* result_path = argv[1];
  const char* archive = argv[2];
  const char* destination = argv[3];
  std::string library = program_folder() + "qvx.lib";
  std::string password;
  bool has_password = false;
  bool keep = false;
  bool list_first = false;
  for (int i = 4; i < argc; ++i) {
    const char* arg = argv[i];
    if (starts_with(arg, "--library=")) library = arg + 10;
    else if (starts_with(arg, "--password=")) password = arg + 11, has_password = true;
    else if (std::strcmp(arg, "--keep") == 0) keep = true;
    else if (std::strcmp(arg, "--list") == 0) list_first = true;
    else if (starts_with(arg, "--hold-at=")) g_hold_at = std::strtoull(arg + 10, nullptr, 10);
    else if (starts_with(arg, "--event=")) g_event = OpenEventA(EVENT_MODIFY_STATE, FALSE, arg + 8);
    else return 2;
  }

  const HMODULE module = LoadLibraryA(library.c_str());
  if (module == nullptr) return 3;
  const auto open = export_of<decltype(&OpenListArchive)>(module, "OpenListArchive");
  const auto close = export_of<decltype(&CloseListArchive)>(module, "CloseListArchive");
  const auto extract = export_of<decltype(&ExtractArchive)>(module, "ExtractArchive");
  const auto last_error = export_of<decltype(&GetLastArchiveError)>(module, "GetLastArchiveError");
  if (!open || !close || !extract || !last_error) return 3;

  const DWORD start = GetTickCount();
  const char* password_text = has_password ? password.c_str() : nullptr;
  long list_error = -1;
  long entries = -1;
  long extract_error = -1;
  std::vector<const char*> names;
  QvxListHandle listing = nullptr;
  if (list_first) {
    QvxEntry* records = nullptr;
    int32_t count = 0;
    listing = open(archive, 0, nullptr, nullptr, nullptr, nullptr, password_text, &records, &count);
    list_error = last_error(0);
    entries = listing != nullptr ? count : -1;
    for (int32_t i = 0; listing != nullptr && i < count; ++i) names.push_back(records[i].name);
  }
  if (!list_first || listing != nullptr) {
    const QvxTargetFiles targets{names.data(), static_cast<int32_t>(names.size())};
    extract(archive, QVX_MODE_FULL_PATHS, destination, list_first ? &targets : nullptr,
            keep ? QVX_OVERWRITE_KEEP : QVX_OVERWRITE_ASK, password_text, nullptr, nullptr, &on_progress, nullptr);
    extract_error = last_error(0);
  }
  if (listing != nullptr) close(listing);
  const DWORD elapsed = GetTickCount() - start;

  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  FILE* out = std::fopen(result_path, "w");
  if (out == nullptr) return 4;
  std::fprintf(out, "%ld %ld %ld %lu %lu %lu\n", list_error, entries, extract_error,
               static_cast<unsigned long>(memory.PeakPagefileUsage),
               static_cast<unsigned long>(memory.PeakWorkingSetSize), static_cast<unsigned long>(elapsed));
  return std::fclose(out) == 0 ? 0 : 4;
}
