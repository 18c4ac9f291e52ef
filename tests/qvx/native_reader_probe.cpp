// Built with the build machine's own compilers from qvx.lib's portable core
// and the 7-Zip C files alone (qvx/sources.cmake): the core needs nothing of
// Windows, as the fuzz target needs it. Reads test archives in memory, as
// the fuzz target does, and checks what the reader answers.
//
//   native_reader_probe <qvx_fixtures folder>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "qvx/archive_reader.h"
#include "qvx/qvx_archive.h"

namespace {

std::vector<std::uint8_t> read_bytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct Case {
  const char* archive;
  const char* password;
  bool check_names;
  std::uint64_t memory;  // 0: the library's limit
  std::size_t cut;       // 0: whole
  int expected;
};

int failures = 0;

void expect(bool condition, const std::string& what) {
  if (condition) return;
  std::printf("FAILED: %s\n", what.c_str());
  ++failures;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string folder = std::string(argv[1]) + "/";
  const Case cases[] = {
      {"small.7z", nullptr, true, 0, 0, QVX_OK},
      {"tree.7z", nullptr, true, 0, 0, QVX_OK},
      {"tree_ppmd.7z", nullptr, true, 0, 0, QVX_OK},
      {"code_bcj2.7z", nullptr, true, 0, 0, QVX_OK},
      {"tree_headers.7z", "Secret7", true, 0, 0, QVX_OK},
      {"tree_headers.7z", nullptr, true, 0, 0, QVX_ERROR_CANNOT_OPEN},
      {"tree_headers.7z", "wrong", true, 0, 0, QVX_ERROR_CANNOT_OPEN},
      {"tree_password.7z", "wrong", true, 0, 0, QVX_ERROR_CANNOT_OPEN},
      {"code_bcj2_password.7z", "Secret7", true, 0, 0, QVX_OK},
      {"climb.7z", nullptr, true, 0, 0, QVX_ERROR_ILLEGAL_PATH},
      {"climb.7z", nullptr, false, 0, 0, QVX_OK},
      {"long_part.7z", nullptr, true, 0, 0, QVX_ERROR_ILLEGAL_PATH},
      // 1,024 levels are taken, 1,025 are not.
      {"deepest.7z", nullptr, true, 0, 0, QVX_OK},
      {"too_deep.7z", nullptr, true, 0, 0, QVX_ERROR_ILLEGAL_PATH},
      {"deep16000.7z", nullptr, true, 0, 0, QVX_ERROR_ILLEGAL_PATH},
      // A 64 KiB dictionary does not fit into 32 KiB.
      {"big_lzma2.7z", nullptr, true, 32 << 10, 0, QVX_ERROR_MEMORY},
      {"big_lzma2.7z", nullptr, true, 0, 0, QVX_OK},
      {"tree.7z", nullptr, true, 0, 20, QVX_ERROR_CANNOT_OPEN},
      {"tree.7z", nullptr, true, 0, 4000, QVX_ERROR_DATA},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> bytes = read_bytes(folder + c.archive);
    expect(!bytes.empty(), std::string("read ") + c.archive);
    if (c.cut != 0 && c.cut < bytes.size()) bytes.resize(c.cut);
    qvx::ReadOptions options;
    if (c.password != nullptr) options.password = std::u16string(c.password, c.password + std::strlen(c.password));
    options.check_names = c.check_names;
    options.keep_data = true;
    if (c.memory != 0) options.limits.memory = c.memory;
    qvx::ReadResult result;
    const int code = qvx::read_archive(bytes, options, &result);
    std::printf("%-24s %-8s cut %-5zu -> %d\n", c.archive, c.password ? c.password : "-", c.cut, code);
    expect(code == c.expected, std::string(c.archive) + ": expected " + std::to_string(c.expected));
    if (code == QVX_OK) expect(result.decoded_all, std::string(c.archive) + ": decoded whole");
  }

  // The data itself, against the files the archive was made from.
  const std::vector<std::uint8_t> archive = read_bytes(folder + "small.7z");
  qvx::ReadOptions options;
  options.keep_data = true;
  qvx::ReadResult result;
  expect(qvx::read_archive(archive, options, &result) == QVX_OK, "small.7z read");
  for (const qvx::ReadEntry& entry : result.entries) {
    const std::string name(entry.name.begin(), entry.name.end());
    expect(entry.complete && entry.data == read_bytes(folder + "stage/small/" + name), "small.7z: " + name);
  }
  std::printf("%d failed\n", failures);
  return failures == 0 ? 0 : 1;
}
