// Hostile archives: names that climb out or that Windows cannot hold, names
// too long or too deep, conflicting and duplicate names, a huge dictionary
// or size, many files, damaged, cut or encrypted archives. Each case is
// extracted in a process of its own (qvx_child.exe), as the engine does it
// (listed, then extracted), and the same things are checked every time: the
// error code, nothing written outside the destination, no file cut short or
// temporary file left, and the process's memory and time within a safety
// bound.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "qvx/qvx_archive.h"
#include "tests/qvx/archive_patch.h"
#include "tests/qvx/qvx_test_support.h"
#include "tests/support/temp_folder.h"

namespace {

using qm::test::read_file;
using qm::test::TempFolder;
using qm::test::write_file;

using namespace qvx_test;

// Safety bounds, far above what a case needs: they catch a blow-up or a
// hang, they do not time anything.
constexpr std::uint64_t kMemoryBound = std::uint64_t{200} << 20;

const std::string kGood = "good\r\n";
const std::string kEvil = "evil\r\n";

// What a case may leave in the destination.
enum class Leaves {
  kNothing,     // nothing at all, not even the destination folder
  kWholeFiles,  // only files of `files` (or of the stage), each whole
  kExactly,     // exactly `files` (and the folders holding them)
  kCount,       // `count` files (too many to list), among them `files`
};

using Files = std::vector<std::pair<std::string, std::string>>;  // path, content (kFolder for a folder)

struct HostileCase {
  const char* label;
  std::string archive;  // a fixture, or "+recipe": made by make_archive()
  int32_t listing;      // OpenListArchive's code
  std::string listed;   // a name the listing shows as stored ("-": none checked)
  int32_t error;        // ExtractArchive's code
  Leaves leaves;
  Files files{};
  const char* stage = nullptr;     // kWholeFiles: the files of this staged folder
  const char* password = nullptr;
  std::string safe_alone{};        // an entry that can still be extracted alone
  int cuts_from = -1;              // cut the archive at places from here on (each cut a case)
  std::size_t count = 0;           // kCount
  DWORD timeout_ms = 30000;
};

void PrintTo(const HostileCase& c, std::ostream* out) { *out << c.label; }

std::string repeated(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

// ---- Archives made by the test -------------------------------------------

std::string one_txt() { return read_file(staged("one") + "one.txt"); }

// The LZMA coder (id 03 01 01) with its five property bytes: 5D and the
// dictionary size, as 7zz wrote it for the 1,000-byte file (4 KiB).
const std::string kLzmaCoder = std::string("\x03\x01\x01\x05\x5D\x00\x10\x00\x00", 9);
const std::string kLzma1536m = std::string("\x03\x01\x01\x05\x5D\x00\x00\x00\x60", 9);
// The block's unpacked size: 1,000 bytes.
const std::string kSize1000 = std::string("\x0C\x83\xE8", 3);
const std::string kSize2p40 = "\x0C" + sevenzip_number(std::uint64_t{1} << 40);

std::string make_archive(const std::string& recipe, const std::string& folder) {
  std::string bytes;
  if (recipe == "empty_name") {
    // The names block of unsafe_plain.7z: evil.txt, good.txt.
    const std::string names = utf16z("evil.txt") + utf16z("good.txt");
    const std::string renamed = utf16z("") + utf16z("good.txt");
    bytes = patch_header(read_file(fixture("unsafe_plain.7z")),
                         "\x11" + sevenzip_number(1 + names.size()) + std::string(1, '\0') + names,
                         "\x11" + sevenzip_number(1 + renamed.size()) + std::string(1, '\0') + renamed);
  } else if (recipe == "dictionary") {
    bytes = patch_header(read_file(fixture("lzma_one.7z")), kLzmaCoder, kLzma1536m);
  } else if (recipe == "dictionary_and_size") {
    bytes = patch_header(patch_header(read_file(fixture("lzma_one.7z")), kLzmaCoder, kLzma1536m), kSize1000,
                         kSize2p40);
  } else if (recipe == "size_stored") {
    bytes = patch_header(read_file(fixture("copy_one.7z")), kSize1000, kSize2p40);
  } else if (recipe == "size_lzma") {
    bytes = patch_header(read_file(fixture("lzma_one.7z")), kSize1000, kSize2p40);
  } else if (recipe == "crc") {
    // Stored data starts right after the start header; only the CRC tells.
    bytes = read_file(fixture("copy_one.7z"));
    bytes[32 + 500] = static_cast<char>(bytes[32 + 500] ^ 0x20);
  } else {
    ADD_FAILURE() << "no recipe " << recipe;
  }
  const std::string path = folder + recipe + ".7z";
  write_file(path, bytes);
  return path;
}

// ---- What a case left -----------------------------------------------------

bool is_inside(const std::string& path, const std::string& folder) {
  return path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '\\';
}

// `files` with the folders that hold them.
std::map<std::string, std::string> with_folders(const Files& files) {
  std::map<std::string, std::string> result;
  for (const auto& [path, content] : files) {
    result[path] = content;
    for (std::size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1)) {
      result[path.substr(0, at)] = kFolder;
    }
  }
  return result;
}

// `written`: what `destination` (with a trailing backslash) holds.
void check_leftovers(const HostileCase& c, const std::string& destination,
                     const std::map<std::string, std::string>& written, const std::string& label) {
  for (const auto& [path, content] : written) {
    EXPECT_FALSE(is_temporary_file(path)) << label << ": left its temporary file " << path;
  }
  switch (c.leaves) {
    case Leaves::kNothing:
      break;  // the caller saw that nothing at all is there
    case Leaves::kExactly:
      EXPECT_TRUE(written == with_folders(c.files)) << label << ": not exactly the expected files";
      break;
    case Leaves::kCount: {
      const auto files = std::count_if(written.begin(), written.end(),
                                       [](const auto& item) { return item.second != kFolder; });
      EXPECT_EQ(static_cast<std::size_t>(files), c.count) << label;
      for (const auto& [path, content] : c.files) {
        EXPECT_TRUE(written.count(path) != 0 && read_file(destination + path) == content) << label << ": " << path;
      }
      break;
    }
    case Leaves::kWholeFiles: {
      Files allowed = c.files;
      if (c.stage != nullptr) {
        for (const auto& item : snapshot(staged(c.stage))) allowed.push_back(item);
      }
      const std::set<std::pair<std::string, std::string>> whole(allowed.begin(), allowed.end());
      for (const auto& [path, content] : written) {
        const bool holds_allowed = content == kFolder && std::any_of(allowed.begin(), allowed.end(), [&](const auto& a) {
                                     return is_inside(a.first, path);
                                   });
        EXPECT_TRUE(whole.count({path, content}) != 0 || holds_allowed)
            << label << ": " << path << " is not a whole file of the archive (" << content.size() << " bytes)";
      }
      break;
    }
  }
}

// Nothing lands beside or above the destination, nor at the absolute places
// the hostile names point to.
void check_nothing_outside(const TempFolder& folder, bool contents, const std::string& label) {
  for (const auto& [path, content] : snapshot(folder.path(), contents)) {
    const bool allowed = path == "deep" || path == "deep\\inside" || path == "deep\\inside\\out" ||
                         is_inside(path, "deep\\inside\\out");
    EXPECT_TRUE(allowed) << label << ": written outside the destination: " << path;
  }
  for (const std::string& outside :
       {std::string("C:\\qvx-drive-evil.txt"), std::string("C:\\qvx-absolute-evil.txt"),
        std::string("C:\\qvx-long-evil.txt"), std::string("\\qvx-absolute-evil.txt"), std::string("C:\\evil.txt")}) {
    EXPECT_EQ(attributes_of(outside), INVALID_FILE_ATTRIBUTES) << label << ": " << outside;
  }
}

void check_extraction(const HostileCase& c, const std::string& archive, const std::string& label) {
  TempFolder folder;
  const std::string destination = folder.file("deep\\inside\\out");
  ChildOptions options;
  options.password = c.password;
  options.timeout_ms = c.timeout_ms;
  const ChildRun run = run_child(archive, destination, options);
  ASSERT_TRUE(run.finished) << label << ": did not end within " << c.timeout_ms << " ms";
  ::testing::Test::RecordProperty("milliseconds", std::to_string(run.milliseconds));
  ::testing::Test::RecordProperty("peak_working_set", std::to_string(run.peak_memory));
  EXPECT_EQ(run.listing, c.listing) << label;
  EXPECT_EQ(run.error, c.listing == QVX_OK ? c.error : -1) << label;
  EXPECT_LT(run.peak_memory, kMemoryBound) << label << ": peak working set";

  if (c.leaves == Leaves::kNothing) {
    EXPECT_TRUE(snapshot(folder.path()).empty()) << label << ": wrote something";
  }
  // Too many files to read them all: their names tell enough.
  const bool contents = c.leaves != Leaves::kCount;
  check_nothing_outside(folder, contents, label);
  check_leftovers(c, destination + "\\", snapshot(destination + "\\", contents), label);
  if (c.listing != QVX_OK) {
    // The engine stops at a failed listing; the extraction alone fails alike.
    Extraction direct{archive, destination, c.password};
    EXPECT_EQ(direct.run().error, c.error) << label << ": extracted without a listing";
    EXPECT_TRUE(snapshot(folder.path()).empty()) << label << ": wrote something";
  }
  remove_tree(folder.path());
}

class QvxHostileTest : public QvxTest, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(QvxHostileTest, FailsWithItsCodeAndWritesNothingUnsafe) {
  const HostileCase& c = GetParam();
  TempFolder work;
  const std::string archive = c.archive.starts_with("+") ? make_archive(c.archive.substr(1), work.path())
                                                         : fixture(c.archive);
  if (c.cuts_from >= 0) {
    // Every place of a spread over the archive, each a case of its own.
    const std::string bytes = read_file(archive);
    const std::size_t end = std::min<std::size_t>(bytes.size(), c.cuts_from == 0 ? 32 : bytes.size());
    const std::size_t step = std::max<std::size_t>(1, (end - c.cuts_from) / 12);
    for (std::size_t cut = static_cast<std::size_t>(c.cuts_from); cut < end; cut += step) {
      const std::string path = work.file("cut.7z");
      write_file(path, bytes.substr(0, cut));
      check_extraction(c, path, std::string(c.label) + " cut at " + std::to_string(cut));
    }
    return;
  }

  if (c.listed != "-") {
    const Listing listing = list(archive, c.password, false);
    ASSERT_TRUE(listing.ok) << listing.error;
    EXPECT_NE(listing.find(c.listed), nullptr) << "listed as stored";
  }
  check_extraction(c, archive, c.label);

  if (!c.safe_alone.empty()) {
    TempFolder folder;
    Extraction safe{archive, folder.file("out"), c.password};
    safe.names = std::vector<std::string>{c.safe_alone};
    EXPECT_TRUE(safe.run().ok) << "the safe entry alone";
    EXPECT_EQ(read_file(folder.file("out\\" + c.safe_alone)), kGood);
  }
}

HostileCase refused_name(const char* label, const char* archive, std::string listed) {
  return HostileCase{label, archive, QVX_OK, std::move(listed), QVX_ERROR_ILLEGAL_PATH, Leaves::kNothing, {},
                     nullptr, nullptr, "good.txt"};
}

const std::string kDeep16000 = repeated("a\\", 16000) + "evil.txt";
const std::string kDeep = repeated("d\\", 99) + "evil.txt";
const std::string kLongPath = repeated(std::string(100, 'd') + "\\", 4) + "evil.txt";

std::vector<HostileCase> hostile_cases() {
  std::vector<HostileCase> cases = {
      // Names that climb out, or that Windows would take for something else.
      refused_name("climb", "climb.7z", "..\\evil.txt"),
      refused_name("climb_windows", "climb_windows.7z", "..\\evil.txt"),
      refused_name("climb_deep", "climb_deep.7z", "docs\\..\\..\\evil.txt"),
      refused_name("climb_backslash", "climb_backslash.7z", "docs\\..\\..\\evil.txt"),
      refused_name("climb_mixed", "climb_mixed.7z", "docs\\..\\..\\evil.txt"),
      refused_name("absolute", "absolute.7z", "\\qvx-absolute-evil.txt"),
      refused_name("absolute_backslash", "absolute_backslash.7z", "\\qvx-absolute-evil.txt"),
      refused_name("drive", "drive.7z", "C:\\qvx-drive-evil.txt"),
      refused_name("drive_relative", "drive_relative.7z", "C:qvx-drive-evil.txt"),
      refused_name("unc", "unc.7z", "\\\\server\\share\\evil.txt"),
      refused_name("long_prefix", "long_prefix.7z", "\\\\?\\C:\\qvx-long-evil.txt"),
      refused_name("stream", "stream.7z", "good.txt:hidden"),
      refused_name("device", "device.7z", "docs\\NUL"),
      refused_name("device_extension", "device_extension.7z", "com1.txt"),
      refused_name("device_con", "device_con.7z", "CON"),
      refused_name("device_aux", "device_aux.7z", "aux.txt"),
      refused_name("device_com1", "device_com1.7z", "COM1"),
      refused_name("trailing_dot", "trailing_dot.7z", "docs\\evil.txt."),
      refused_name("trailing_space", "trailing_space.7z", "docs\\evil.txt "),
      refused_name("dots", "dots.7z", "docs\\...\\evil.txt"),
      refused_name("empty_name", "+empty_name", ""),
      // Windows holds no file name over 255 units, no path over 32,767 with
      // the \\?\ prefix; the library takes no name over 1,024 levels deep.
      refused_name("long_part", "long_part.7z", std::string(300, 'x') + ".txt"),
      refused_name("too_long_path", "too_long_path.7z", repeated(std::string(249, 'x') + "\\", 140) + "evil.txt"),
      refused_name("too_deep", "too_deep.7z", repeated("d\\", 1024) + "evil.txt"),
      refused_name("deep16000", "deep16000.7z", kDeep16000),
      // Long, but Windows holds them: over 260 characters, 100 levels (1,024
      // levels pass too, as the native reader test shows: under Wine each
      // level of a deep path costs time).
      {"long_path", "long_path.7z", QVX_OK, kLongPath, QVX_OK, Leaves::kExactly,
       {{"good.txt", kGood}, {kLongPath, kEvil}}},
      {"deep", "deep.7z", QVX_OK, kDeep, QVX_OK, Leaves::kExactly, {{"good.txt", kGood}, {kDeep, kEvil}}},
      // Names that meet: a later entry replaces an earlier one of its name
      // (as an existing file); a file and a folder of one name fail.
      {"duplicate", "duplicate.7z", QVX_OK, "good.txt", QVX_OK, Leaves::kExactly, {{"good.txt", kGood}}},
      {"file_as_folder", "file_as_folder.7z", QVX_OK, "good.txt\\evil.txt", QVX_ERROR_WRITE, Leaves::kWholeFiles,
       {{"good.txt", kGood}, {"good.txt\\evil.txt", kEvil}}},
      {"folder_as_file", "conflict.7z", QVX_OK, "evil.txt", QVX_ERROR_WRITE, Leaves::kWholeFiles,
       {{"good.txt", kGood}, {"evil.txt", kEvil}, {"evil.txt", kFolder}}},
      // What the header declares: a dictionary of 1.5 GB is only as big as
      // the data needs; with 2^40 bytes of data it is refused before it is
      // allocated. Data shorter than declared is a data error.
      {"dictionary_1536m", "+dictionary", QVX_OK, "one.txt", QVX_OK, Leaves::kExactly, {{"one.txt", one_txt()}}},
      {"dictionary_1536m_size_2p40", "+dictionary_and_size", QVX_OK, "one.txt", QVX_ERROR_MEMORY, Leaves::kNothing},
      {"size_2p40_stored", "+size_stored", QVX_OK, "one.txt", QVX_ERROR_DATA, Leaves::kNothing},
      {"size_2p40_lzma", "+size_lzma", QVX_OK, "one.txt", QVX_ERROR_DATA, Leaves::kNothing},
      {"crc", "+crc", QVX_OK, "one.txt", QVX_ERROR_DATA, Leaves::kNothing},
      // Cut short anywhere: the header at the archive's end is gone.
      {"cut_start_header", "tree.7z", QVX_ERROR_CANNOT_OPEN, "-", QVX_ERROR_CANNOT_OPEN, Leaves::kNothing, {},
       nullptr, nullptr, "", 0},
      {"cut", "tree.7z", QVX_ERROR_DATA, "-", QVX_ERROR_DATA, Leaves::kNothing, {}, nullptr, nullptr, "", 32},
      // Passwords: data without one is not written; encrypted names are not
      // even listed.
      {"wrong_password", "tree_password.7z", QVX_OK, "readme.txt", QVX_ERROR_CANNOT_OPEN, Leaves::kWholeFiles, {},
       "tree", "wrong"},
      {"headers_without_password", "tree_headers.7z", QVX_ERROR_CANNOT_OPEN, "-", QVX_ERROR_CANNOT_OPEN,
       Leaves::kNothing},
      {"headers_wrong_password", "tree_headers.7z", QVX_ERROR_CANNOT_OPEN, "-", QVX_ERROR_CANNOT_OPEN,
       Leaves::kNothing, {}, nullptr, "wrong"},
      // 100,000 files of a few bytes (a test of its own in CTest: a minute
      // under Wine).
      {"many_files", "many_files.7z", QVX_OK, "d123\\f45.txt", QVX_OK, Leaves::kCount,
       {{"d000\\f00.txt", "00000"}, {"d123\\f45.txt", "12345"}, {"d999\\f99.txt", "99999"}}, nullptr, nullptr, "", -1,
       100000, 300000},
  };
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Archives, QvxHostileTest, ::testing::ValuesIn(hostile_cases()),
                         [](const ::testing::TestParamInfo<HostileCase>& info) { return info.param.label; });

// ---- Folders made for an entry that fails ----------------------------------

// The folders made for a failing entry go again; those that were there
// before stay, even when empty.
TEST_F(QvxTest, FoldersMadeForAFailedEntryAreRemoved) {
  TempFolder work;
  std::string bytes = read_file(fixture("deep_copy.7z"));
  bytes[32 + 500] = static_cast<char>(bytes[32 + 500] ^ 0x20);  // stored data: the CRC fails
  write_file(work.file("damaged.7z"), bytes);
  ASSERT_NE(list(work.file("damaged.7z")).find("a\\b\\c\\d\\e\\one.txt"), nullptr);

  TempFolder folder;
  CreateDirectoryA(folder.file("out").c_str(), nullptr);
  CreateDirectoryA(folder.file("out\\a").c_str(), nullptr);
  CreateDirectoryA(folder.file("out\\a\\b").c_str(), nullptr);
  const Outcome outcome = Extraction{work.file("damaged.7z"), folder.file("out")}.run();
  EXPECT_EQ(outcome.error, QVX_ERROR_DATA);
  const std::map<std::string, std::string> expected = {{"out", kFolder}, {"out\\a", kFolder}, {"out\\a\\b", kFolder}};
  EXPECT_EQ(snapshot(folder.path()), expected);

  // Into a destination that is not there: nothing stays, the destination
  // included.
  const Outcome fresh = Extraction{work.file("damaged.7z"), folder.file("new\\out")}.run();
  EXPECT_EQ(fresh.error, QVX_ERROR_DATA);
  EXPECT_EQ(snapshot(folder.path()), expected);
}

}  // namespace
