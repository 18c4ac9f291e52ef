// How fast a web media block is extracted (TExtractMedia: the archive library
// lists and extracts the password-protected archive, then the block's folder
// is moved into the web data folder), against 7zz extracting the same archive.
//
// bench/media_extract_bench.sh drives it (7zz runs on Linux, this program
// under Wine):
//   media_extract_bench <archive> <web data folder> <data folder> <password> <7zz ms> <7zz -mmt1 ms> [quick]
//       extracts the block's archive as a setup does (best of several runs),
//       checks the block's folder against the data it was made from, and
//       reports the times and the speed ratios against the 7zz times.
// It exits 0 whatever the times are; only wrong output makes it fail.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <limits>
#include <stdexcept>
#include <string>

#include "bench/extraction_bench.h"
#include "bench/stopwatch.h"
#include "engine/engine.h"
#include "media/extract_media.h"
#include "platform/file_system.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr int kRepetitions = 3;

// The block's name: the archive's file name without its extension, as the
// archive's top folder is named.
std::string block_of(const std::string& archive) {
  const std::string name = archive.substr(archive.find_last_of('\\') + 1);
  return name.substr(0, name.find_last_of('.'));
}

int run(const std::string& archive, const std::string& web_folder, const std::string& data,
        const std::string& password, double sevenzip_ms, double sevenzip_single_ms, int repetitions) {
  const qm::test::TempFolder temp;
  qm::Engine engine;
  engine.startup.temp_folder = temp.path();
  engine.set_silent(true);
  const std::string block = block_of(archive);
  qm::ExtractMediaInputs inputs;
  inputs.archive_path = archive;
  inputs.local_archive = true;  // kept for the next run
  inputs.password = password;
  inputs.destination = web_folder + "\\";
  inputs.block_name = block + "\\";

  double best = std::numeric_limits<double>::max();
  for (int i = 0; i < repetitions; ++i) {
    qm::platform::remove_folder_tree(web_folder);
    qm::bench::Stopwatch watch;
    const qm::MediaOutcome outcome = qm::extract_media(engine, inputs);
    best = std::min(best, watch.elapsed_ms());
    if (!outcome.success) throw std::runtime_error("extraction failed: " + outcome.error_text);
  }
  const std::uint64_t bytes = qm::bench::compare_trees(data, web_folder + "\\" + block);
  qm::platform::remove_folder_tree(web_folder);

  const double megabytes = static_cast<double>(bytes) / 1e6;
  std::printf("Block archive: %.1f MB packed, %.1f MB of files (7zz defaults, AES with encrypted headers)\n",
              static_cast<double>(qm::bench::file_size(archive)) / 1e6, megabytes);
  std::printf("Each figure is the best of %d run(s); the block was checked against its data.\n\n", repetitions);
  qm::bench::print_against_7zz("extraction", "7zz x -p", best, sevenzip_ms, sevenzip_single_ms, bytes);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const bool quick = argc > 1 && std::string(argv[argc - 1]) == "quick";
    if (argc == 7 + quick) {
      return run(argv[1], argv[2], argv[3], argv[4], std::stod(argv[5]), std::stod(argv[6]),
                 quick ? 1 : kRepetitions);
    }
    std::printf("usage: media_extract_bench <archive> <web data folder> <data folder> <password> <7zz ms> "
                "<7zz -mmt1 ms> [quick]\n");
    return 2;
  } catch (const std::exception& error) {
    std::printf("FAILED: %s\n", error.what());
    return 1;
  }
}
