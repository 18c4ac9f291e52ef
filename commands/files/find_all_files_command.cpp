// Handler of "Find All Files": a wildcard search through a folder, and
// optionally its subfolders, on a worker thread, while the wizard stays
// responsive and shows what the search is looking at.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "platform/file_search.h"
#include "platform/worker_wait.h"
#include "script/comma_text.h"

namespace qm {

namespace {

// The search's options: progress into the engine's record, and an end as
// soon as the user asks to cancel or the wait for it has to end.
platform::FileSearchOptions search_options(Engine& engine, bool subfolders, bool list_folders,
                                           const std::atomic<bool>& stopping) {
  platform::FileSearchOptions options{.subfolders = subfolders, .list_folders = list_folders};
  // The bar moves on with every folder and starts again once full: how far
  // a search has to go is not known beforehand.
  auto position = std::make_shared<std::int64_t>(0);
  options.on_folder = [&engine, position] {
    *position = (*position + 1) % 101;
    engine.progress.store(kKeepProgressText, 0, 100, *position);
  };
  options.on_file = [&engine](const std::string& path) { engine.progress.store(path, 0, 100, kNumbersUnchanged); };
  options.stop_requested = [&engine, &stopping] { return engine.cancel_requested.load() || stopping.load(); };
  return options;
}

}  // namespace

// "Find All Files" — field 1: a folder and a file mask, for example
// C:\Data\*.txt; field 2, truth: search the subfolders too; field 3, truth:
// list the folders as well; field 4: $NAME$ or NAME of the result variable.
// Writes the paths found joined by "|" (a path with a blank, a double quote
// or "|" in double quotes): each folder's entries before the folder itself,
// the files of a folder after all of its subfolders. A cancel request ends
// the search with what it found so far.
void find_all_files_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard guard(engine);
  const std::string pattern = normalized_field(engine, line, 1);
  std::atomic<bool> stopping{false};
  const platform::FileSearchOptions options =
      search_options(engine, truth_field(engine, line, 2), truth_field(engine, line, 3), stopping);
  std::vector<std::string> found;
  {
    const BusyScope busy(engine.busy);
    platform::WorkerWait wait;
    wait.silent = engine.silent();
    wait.stop = [&stopping] { stopping = true; };
    // File-system redirection is a setting of each thread: the search's
    // thread takes the engine's.
    const bool without_redirection = targets_64_bit_windows(engine);
    platform::run_on_worker(
        [&] {
          const platform::FileSystemRedirectionGuard thread_guard(without_redirection);
          found = platform::search_files(pattern, options);
        },
        wait);
  }
  set_or_define_result(engine, line, variable_reference_field(engine, line, 4), to_delimited_text(found, '|'));
}

}  // namespace qm
