// How fast the engine gets from its package file to the in-memory package.
//
// A product's script of 100,000 lines (a large one) must read well under a
// second. The program builds such a package, writes it to a temporary file and
// reports, each as the best of several repetitions:
//   1. reading the file's bytes into memory and nothing else (the floor);
//   2. read_package() of the same file, and parse_package() of the text
//      already in memory (the share that is parsing and indexing);
//   3. 100,000 field(id, 2) lookups on random lines, as handlers make them.
// It exits 0 whatever the times are; only a package that does not read back
// makes it fail.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "bench/stopwatch.h"
#include "platform/module_image.h"
#include "script/package_reader.h"
#include "script/setup_package.h"
#include "tests/support/package_text.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr std::size_t kScriptLines = 100'000;
constexpr std::size_t kLookups = 100'000;
constexpr int kRepetitions = 7;
constexpr std::size_t kBlockLines = 20;           // lines of one generated script block
constexpr std::size_t kRegistryLineEvery = 16;    // blocks: one "Write Registry" line in each 16th
constexpr std::size_t kBuildConstants = 200;

using qm::bench::Stopwatch;

// Runs `work` kRepetitions times (after one warm-up run) and gives the best time.
template <typename Work>
double best_ms(Work&& work) {
  work();
  double best = std::numeric_limits<double>::max();
  Stopwatch watch;
  for (int i = 0; i < kRepetitions; ++i) {
    watch.start();
    work();
    best = std::min(best, watch.elapsed_ms());
  }
  return best;
}

// A script as products have them, repeated in blocks of 20 lines: comments,
// many "Set Variable" lines, nested conditions with "Else" and "End", now and
// then a commented-out line and a "Write Registry" line with its command header.
qm::test::PackageText large_package() {
  qm::test::PackageText package;
  package.product_title = "Benchmark Product";
  std::size_t variable = 0;
  auto set_variable = [&](std::string state = {}) {
    const std::string n = std::to_string(variable++ % 5000);
    package.add_line("Set Variable", {"$SETTING" + n + "$", "$TARGETDIR$Data\\Part" + n + "\\settings.ini"},
                     std::move(state));
  };
  auto condition = [&](std::size_t block) {
    package.add_line("If", {"SETTING" + std::to_string(block % 5000), "0", "Value " + std::to_string(block), "FALSE"});
  };

  for (std::size_t block = 0; package.lines.size() < kScriptLines; ++block) {
    package.add_line("Comment", {"Block " + std::to_string(block) + ": settings of the next component"});
    for (int i = 0; i < 6; ++i) set_variable();
    condition(block);
    for (int i = 0; i < 3; ++i) set_variable();
    package.add_line("Else");
    for (int i = 0; i < 2; ++i) set_variable();
    package.add_line("End");
    package.add_line("Comment", {"Optional part"});
    condition(block + 1);
    set_variable(block % 10 == 0 ? "C" : "");
    package.add_line("End");
    if (block % kRegistryLineEvery == 0) {
      const std::size_t line = package.lines.size();
      package.add_line("Write Registry", {"HKEY_LOCAL_MACHINE", "REG_SZ", "SOFTWARE\\Brennivax\\Benchmark",
                                          "Part" + std::to_string(block), "$TARGETDIR$"});
      char header[16];
      std::snprintf(header, sizeof header, "%X", static_cast<unsigned>(0x1000 + block));
      package.command_headers.push_back(header);
      package.command_headers.push_back(std::to_string(line));
    } else {
      set_variable();
    }
  }
  for (std::size_t i = 0; i < kBuildConstants; ++i) {
    package.build_constants.push_back("CONSTANT" + std::to_string(i));
    package.build_constants.push_back("Value of constant " + std::to_string(i));
  }
  return package;
}

std::string format_count(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f", value);
  std::string digits = text;
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

int run() {
  static_assert(kScriptLines % kBlockLines == 0, "the script is made of whole blocks");
  const qm::test::PackageText generated = large_package();
  const std::string text = generated.text();
  qm::test::TempFolder folder;
  const std::string path = folder.file("package.txt");
  qm::test::write_file(path, text);

  const qm::SetupPackage package = qm::read_package(path);
  if (package.line_count() != generated.lines.size()) {
    std::printf("FAILED: the package read back with %zu script lines instead of %zu\n", package.line_count(),
                generated.lines.size());
    return 1;
  }
  const std::size_t lines = package.line_count();
  const std::size_t headers = package.command_headers.size() / 2;

  std::printf("Package: %s script lines, %s parameter entries, %zu command headers, %zu build constants\n",
              format_count(static_cast<double>(lines)).c_str(),
              format_count(static_cast<double>(package.parameter_lists.front().size())).c_str(), headers,
              package.build_constants.size() / 2);
  std::printf("File: %s bytes (%.1f MB)\n", format_count(static_cast<double>(text.size())).c_str(),
              static_cast<double>(text.size()) / (1024.0 * 1024.0));
  std::printf("Each figure is the best of %d repetitions.\n\n", kRepetitions);

  std::size_t sink = 0;  // keeps the optimiser from dropping the work

  const double plain_ms = best_ms([&] { sink += qm::platform::read_file_range(path, 0, text.size()).size(); });
  const double read_ms = best_ms([&] {
    const qm::SetupPackage read = qm::read_package(path);
    sink += read.line_count();
  });
  const double parse_ms = best_ms([&] {
    const qm::SetupPackage parsed = qm::parse_package(text);
    sink += parsed.line_count();
  });

  // The random lines are chosen before the clock runs.
  std::mt19937 random(20240501u);
  std::uniform_int_distribution<std::size_t> any_line(0, lines - 1);
  std::vector<std::string_view> ids;
  ids.reserve(kLookups);
  for (std::size_t i = 0; i < kLookups; ++i) ids.push_back(package.line_id(any_line(random)));
  const double lookup_ms = best_ms([&] {
    for (std::string_view id : ids) sink += package.field(id, 2).size();
  });

  const auto per_second = [](double count, double ms) { return format_count(count * 1000.0 / ms); };
  std::printf("1. plain read of the file          %9.3f ms\n", plain_ms);
  std::printf("2. read_package (file)             %9.3f ms   %s lines/s\n", read_ms,
              per_second(static_cast<double>(lines), read_ms).c_str());
  std::printf("   parse_package (text in memory)  %9.3f ms   %s lines/s\n", parse_ms,
              per_second(static_cast<double>(lines), parse_ms).c_str());
  std::printf("3. %s field(id, 2) lookups    %9.3f ms   %s lookups/s, %.0f ns each\n",
              format_count(static_cast<double>(kLookups)).c_str(), lookup_ms,
              per_second(static_cast<double>(kLookups), lookup_ms).c_str(),
              lookup_ms * 1e6 / static_cast<double>(kLookups));
  std::printf("\nRatio read_package / plain read:   %.1f\n", read_ms / plain_ms);
  std::printf("Ratio parse_package / plain read:  %.1f\n", parse_ms / plain_ms);
  std::printf("Target: %s lines well under 1000 ms; read_package took %.0f ms (%.0f%% of a second).\n",
              format_count(static_cast<double>(lines)).c_str(), read_ms, read_ms / 10.0);
  std::printf("(checksum %zu)\n", sink);
  return 0;
}

}  // namespace

int main() {
  try {
    return run();
  } catch (const qm::PackageError& error) {
    std::printf("FAILED: the package does not read: %s\n", error.what());
    return 1;
  } catch (const std::exception& error) {
    std::printf("FAILED: %s\n", error.what());
    return 1;
  }
}
