// How fast qvx.lib extracts a 7z archive, against 7zz on the same archive.
//
// bench/qvx_bench.sh drives it (7zz runs on Linux, this program under Wine):
//   qvx_bench generate <folder>
//       writes the data set: about 100 MB in some 300 files of mixed kinds
//       (text, structured records, x86 code, sparse and random data)
//   qvx_bench extract <archive> <output folder> <data folder> <7zz ms> <7zz -mmt1 ms>
//       lists and extracts the archive with qvx.lib as the engine does (best
//       of several runs), checks the output against the data set, and
//       reports the times and the speed ratios against the 7zz times.
// It exits 0 whatever the times are; only wrong output makes it fail.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/extraction_bench.h"
#include "bench/stopwatch.h"
#include "platform/file_system.h"
#include "qvx/qvx_archive.h"
#include "tests/support/temp_folder.h"

namespace {

// Best of this many runs; a quick run (QM_BENCH_QUICK=1, as the test command
// sets) times one run of a data set a fifth of the size.
constexpr int kRepetitions = 3;
constexpr int kQuickDivisor = 5;

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    state_ += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  std::uint32_t below(std::uint32_t limit) { return static_cast<std::uint32_t>(next() % limit); }

 private:
  std::uint64_t state_;
};

// Prose from a made-up vocabulary: words, sentences, lines.
std::string text(Random& random, const std::vector<std::string>& words, std::size_t size) {
  std::string out;
  out.reserve(size + 100);
  std::size_t line = 0;
  while (out.size() < size) {
    const std::uint32_t length = 5 + random.below(12);
    for (std::uint32_t w = 0; w < length; ++w) {
      // A few words make most of the text, as in any language.
      const auto vocabulary = static_cast<std::uint32_t>(words.size());
      std::string word = words[random.below(8) == 0 ? random.below(vocabulary) : random.below(200)];
      if (w == 0) word[0] = static_cast<char>(word[0] - 'a' + 'A');
      out += word;
      out += w + 1 == length ? ". " : " ";
      if (out.size() - line > 72) {
        out += "\r\n";
        line = out.size();
      }
    }
  }
  out.resize(size);
  return out;
}

// Table rows: ids, times and measurements of a log or a database dump.
std::string records(Random& random, std::size_t size) {
  std::string out(size, '\0');
  std::uint32_t id = random.below(1000);
  std::uint32_t time = 1600000000 + random.below(1000000);
  for (std::size_t at = 0; at + 32 <= size; at += 32) {
    id += 1;
    time += random.below(30);
    const std::uint32_t fields[8] = {id, time, random.below(16), random.below(1000), 100 + random.below(5),
                                     0, random.below(2) ? 0xFFFFFFFFu : 0u, id * 3};
    std::memcpy(&out[at], fields, sizeof fields);
  }
  return out;
}

std::string noise(Random& random, std::size_t size) {
  std::string out(size, '\0');
  for (std::size_t at = 0; at < size; ++at) out[at] = static_cast<char>(random.next() >> 56);
  return out;
}

// Mostly zeros with a few filled stretches, as in preallocated data files.
std::string sparse(Random& random, std::size_t size) {
  std::string out(size, '\0');
  for (std::size_t at = 0; at < size; at += 65536) {
    if (random.below(4) == 0) {
      const std::string filled = noise(random, 4096);
      std::memcpy(&out[at], filled.data(), std::min<std::size_t>(filled.size(), size - at));
    }
  }
  return out;
}

// x86 code: the library's own image, a little changed in each copy.
std::string code(Random& random, const std::string& image) {
  std::string out = image;
  for (std::size_t at = random.below(64); at < out.size(); at += 61 + random.below(64)) {
    out[at] = static_cast<char>(out[at] ^ static_cast<char>(random.below(256)));
  }
  return out;
}

void write_whole(const std::string& path, const std::string& bytes) { qm::test::write_file(path, bytes); }

void make_folder(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }

int generate(const std::string& folder, bool quick) {
  const int divisor = quick ? kQuickDivisor : 1;
  Random random(20240611);
  std::vector<std::string> words;
  for (int i = 0; i < 3000; ++i) {
    std::string word;
    const std::uint32_t length = 2 + random.below(9);
    for (std::uint32_t c = 0; c < length; ++c) word += static_cast<char>('a' + random.below(26));
    words.push_back(word);
  }
  const std::string image = qm::test::read_file(qm::test::program_folder() + "qvx.lib");
  const std::string root = folder + "\\";
  make_folder(folder);
  for (const char* sub : {"docs", "docs\\manual", "data", "bin", "media", "empty"}) make_folder(root + sub);

  std::uint64_t total = 0;
  int files = 0;
  auto put = [&](const std::string& name, const std::string& bytes) {
    write_whole(root + name, bytes);
    total += bytes.size();
    ++files;
  };
  // One large file of interleaved kinds (a packed resource file).
  std::string mixed;
  while (mixed.size() < (24u << 20) / divisor) {
    mixed += text(random, words, 256 << 10);
    mixed += records(random, 128 << 10);
    mixed += code(random, image).substr(0, 64 << 10);
    if (random.below(3) == 0) mixed += noise(random, 32 << 10);
  }
  put("data\\resources.pak", mixed);
  for (int i = 0; i < 16 / divisor; ++i) put("docs\\manual\\chapter" + std::to_string(i) + ".txt", text(random, words, 1536 << 10));
  for (int i = 0; i < 180 / divisor; ++i) {
    put("docs\\note" + std::to_string(i) + ".txt", text(random, words, 1024 + random.below(60 << 10)));
  }
  for (int i = 0; i < 10 / divisor; ++i) put("data\\table" + std::to_string(i) + ".dat", records(random, 2 << 20));
  for (int i = 0; i < 16 / divisor; ++i) put("bin\\module" + std::to_string(i) + ".dll", code(random, image));
  for (int i = 0; i < 6 / divisor; ++i) put("media\\clip" + std::to_string(i) + ".bin", noise(random, 1536 << 10));
  for (int i = 0; i < 6 / divisor; ++i) put("data\\store" + std::to_string(i) + ".db", sparse(random, 3 << 20));
  for (int i = 0; i < 60 / divisor; ++i) put("docs\\small" + std::to_string(i) + ".ini", text(random, words, 200 + random.below(2000)));
  put("empty\\zero.txt", "");
  std::printf("Data set: %d files, %.1f MB\n", files, static_cast<double>(total) / 1e6);
  return 0;
}

// ---- Extraction ------------------------------------------------------------

using qm::bench::Stopwatch;

using qm::bench::compare_trees;
using qm::bench::file_size;

int extract(const std::string& archive, const std::string& output, const std::string& data, double sevenzip_ms,
            double sevenzip_single_ms, int repetitions) {
  const HMODULE library = LoadLibraryA((qm::test::program_folder() + "qvx.lib").c_str());
  if (library == nullptr) throw std::runtime_error("qvx.lib does not load");
  const auto open = reinterpret_cast<decltype(&OpenListArchive)>(
      reinterpret_cast<void*>(GetProcAddress(library, "OpenListArchive")));
  const auto close = reinterpret_cast<decltype(&CloseListArchive)>(
      reinterpret_cast<void*>(GetProcAddress(library, "CloseListArchive")));
  const auto extract_archive = reinterpret_cast<decltype(&ExtractArchive)>(
      reinterpret_cast<void*>(GetProcAddress(library, "ExtractArchive")));
  const auto last_error = reinterpret_cast<decltype(&GetLastArchiveError)>(
      reinterpret_cast<void*>(GetProcAddress(library, "GetLastArchiveError")));
  if (!open || !close || !extract_archive || !last_error) throw std::runtime_error("qvx.lib lacks an export");

  // As the bootstrap does it: list, then extract every listed name.
  auto run = [&] {
    qm::platform::remove_folder_tree(output);
    QvxEntry* entries = nullptr;
    int32_t count = 0;
    Stopwatch watch;
    watch.start();
    QvxListHandle handle = open(archive.c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, &entries, &count);
    if (handle == nullptr) throw std::runtime_error("listing failed: error " + std::to_string(last_error(0)));
    std::vector<const char*> names;
    for (int32_t i = 0; i < count; ++i) names.push_back(entries[i].name);
    const QvxTargetFiles targets{names.data(), count};
    const int32_t ok = extract_archive(archive.c_str(), 1, output.c_str(), &targets, 0, nullptr, nullptr, nullptr,
                                       nullptr, nullptr);
    close(handle);
    const double ms = watch.elapsed_ms();
    if (ok == 0) throw std::runtime_error("extraction failed: error " + std::to_string(last_error(0)));
    return ms;
  };
  double best = std::numeric_limits<double>::max();
  for (int i = 0; i < repetitions; ++i) best = std::min(best, run());
  const std::uint64_t bytes = compare_trees(data, output);
  qm::platform::remove_folder_tree(output);

  const double megabytes = static_cast<double>(bytes) / 1e6;
  std::printf("Archive: %.1f MB packed, %.1f MB of files (7zz defaults: LZMA2, solid)\n",
              static_cast<double>(file_size(archive)) / 1e6, megabytes);
  std::printf("Each figure is the best of %d run(s); the output was checked against the data set.\n\n", repetitions);
  qm::bench::print_against_7zz("qvx.lib", "7zz x", best, sevenzip_ms, sevenzip_single_ms, bytes);
  FreeLibrary(library);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::string command = argc > 1 ? argv[1] : "";
    const bool quick = argc > 2 && std::string(argv[argc - 1]) == "quick";
    if (command == "generate" && argc == 3 + quick) return generate(argv[2], quick);
    if (command == "extract" && argc == 7 + quick) {
      return extract(argv[2], argv[3], argv[4], std::stod(argv[5]), std::stod(argv[6]), quick ? 1 : kRepetitions);
    }
    std::printf("usage: qvx_bench generate <folder> [quick] | extract <archive> <output> <data> <7zz ms> "
                "<7zz -mmt1 ms> [quick]\n");
    return 2;
  } catch (const std::exception& error) {
    std::printf("FAILED: %s\n", error.what());
    return 1;
  }
}
