#pragma once
// What the benchmarks that extract archives share: the output tree compared
// with the data it was made from, a file's size, and the report of a time
// against 7zz's times on the same archive.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "tests/support/temp_folder.h"

namespace qm::bench {

// Compares two trees file by file; answers the number of bytes compared.
// Throws at the first file that is missing or differs.
inline std::uint64_t compare_trees(const std::string& expected, const std::string& actual) {
  std::uint64_t bytes = 0;
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((expected + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot read " + expected);
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      bytes += compare_trees(expected + "\\" + name, actual + "\\" + name);
    } else {
      const std::string want = test::read_file(expected + "\\" + name);
      if (want != test::read_file(actual + "\\" + name)) throw std::runtime_error(actual + "\\" + name + " differs");
      bytes += want.size();
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return bytes;
}

inline std::uint64_t file_size(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Prints `ours_ms` against 7zz's times with all threads and with one, as
// times, speeds (over `bytes` of output) and speed ratios (7zz ms / our ms).
inline void print_against_7zz(const char* ours, const char* sevenzip, double ours_ms, double sevenzip_ms,
                              double sevenzip_single_ms, std::uint64_t bytes) {
  const double megabytes = static_cast<double>(bytes) / 1e6;
  const auto line = [megabytes](const std::string& label, double ms) {
    std::printf("%-44s %8.0f ms   %6.1f MB/s\n", label.c_str(), ms, megabytes * 1000.0 / ms);
  };
  line(std::string(ours) + " (one thread)", ours_ms);
  line(std::string(sevenzip) + " (all threads)", sevenzip_ms);
  line(std::string(sevenzip) + " (-mmt1, one thread)", sevenzip_single_ms);
  std::printf("\nSpeed ratio %s / 7zz (all threads):  %.2f   (7zz ms / %s ms; target 0.90 or more)\n", ours,
              sevenzip_ms / ours_ms, ours);
  std::printf("Speed ratio %s / 7zz (one thread):   %.2f\n", ours, sevenzip_single_ms / ours_ms);
}

}  // namespace qm::bench
