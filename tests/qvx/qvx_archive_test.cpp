// The archive library qvx.lib, used the way the engine uses it: loaded by its
// full path from the program folder, its four exports looked up by their plain
// names. The archives come from Debian's 7zz, made at build time from the
// files in bin/qvx_fixtures/stage (see tests/CMakeLists.txt). Hostile
// archives: qvx_hostile_test.cpp; interrupted extractions:
// qvx_interrupted_test.cpp.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/module_image.h"
#include "qvx/qvx_archive.h"
#include "tests/qvx/qvx_test_support.h"
#include "tests/support/temp_folder.h"

namespace {

using qm::test::program_folder;
using qm::test::read_file;
using qm::test::TempFolder;
using qm::test::write_file;

using namespace qvx_test;

// ---- The library file -----------------------------------------------------

TEST_F(QvxTest, ExportsThePlainNamesOnly) {
  EXPECT_EQ(GetProcAddress(qvx().module, "OpenListArchive@36"), nullptr);
  EXPECT_EQ(GetProcAddress(qvx().module, "_ExtractArchive@40"), nullptr);
}

// The engine appends its message catalogue to the library: nothing may follow
// the last section, and a copy with data behind it still works.
TEST_F(QvxTest, EndsWithItsImageAndWorksWithDataAppended) {
  EXPECT_EQ(qm::platform::find_appended_data(qvx().module).size, 0u);

  TempFolder folder;
  const std::string copy = folder.file("qvx.lib");
  const std::string catalogue = "1=Setup resource not found\r\n2=Setup resource decompression failure\r\n";
  write_file(copy, read_file(program_folder() + "qvx.lib") + catalogue);
  const Library appended = Library::load(copy);
  ASSERT_TRUE(appended.complete());
  EXPECT_EQ(qm::platform::find_appended_data(appended.module).size, catalogue.size());
  const std::string destination = folder.file("out");
  EXPECT_NE(appended.extract(fixture("small.7z").c_str(), 1, destination.c_str(), nullptr, 0, nullptr, nullptr,
                             nullptr, nullptr, nullptr),
            0);
  EXPECT_EQ(snapshot(destination + "\\"), snapshot(staged("small")));
  FreeLibrary(appended.module);
}

// ---- Listing --------------------------------------------------------------

TEST_F(QvxTest, ListsEveryEntryWithItsSizeTimeAndAttributes) {
  const Listing listing = list(fixture("tree.7z"));
  ASSERT_TRUE(listing.ok) << listing.error;
  EXPECT_EQ(listing.error, QVX_OK);
  const std::map<std::string, std::string> source = snapshot(staged("tree"));
  const std::vector<std::string> names = listing.names();
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), keys_of(source));
  EXPECT_EQ(names.size(), source.size()) << "every entry once";

  for (const Entry& entry : listing.entries) {
    const std::string path = staged("tree") + entry.name;
    const bool folder = source.at(entry.name) == kFolder;
    EXPECT_EQ((entry.flags & QVX_ENTRY_DIRECTORY) != 0, folder) << entry.name;
    EXPECT_EQ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0, folder) << entry.name;
    EXPECT_EQ((entry.attributes & FILE_ATTRIBUTE_READONLY) != 0, entry.name == "readonly.txt") << entry.name;
    if (!folder) {
      EXPECT_EQ(entry.size, source.at(entry.name).size()) << entry.name;
    }
    ASSERT_NE(entry.flags & QVX_ENTRY_HAS_TIME, 0u) << entry.name;
    EXPECT_EQ(entry.time, file_time_of(path)) << entry.name;
    EXPECT_EQ((entry.flags & QVX_ENTRY_ENCRYPTED) != 0, false) << entry.name;
  }
  ASSERT_NE(listing.find("readme.txt"), nullptr);
  EXPECT_EQ(listing.find("readme.txt")->time, unix_time(1614834367));
  ASSERT_NE(listing.find("deep\\a\\b\\c\\leaf.txt"), nullptr) << "folders are separated by a backslash";
}

TEST_F(QvxTest, ListsEncryptedArchives) {
  struct Case {
    const char* archive;
    const char* password;
    std::vector<std::string> answers;
    bool ok;
  } cases[] = {
      {"tree_password.7z", nullptr, {}, true},  // the names are readable without a password
      {"tree_headers.7z", kPassword, {}, true},
      {"tree_headers.7z", nullptr, {kPassword}, true},
      {"tree_headers.7z", "wrong", {kPassword}, true},
      {"tree_headers.7z", nullptr, {}, false},
      {"tree_headers.7z", "wrong", {"also wrong"}, false},
  };
  for (const Case& c : cases) {
    reset_calls();
    g_calls.passwords = c.answers;
    const Listing listing = list(fixture(c.archive), c.password);
    const std::string label = std::string(c.archive) + " / " + (c.password ? c.password : "no text");
    ASSERT_EQ(listing.ok, c.ok) << label;
    if (!c.ok) {
      EXPECT_EQ(listing.error, QVX_ERROR_CANNOT_OPEN) << label;
      continue;
    }
    EXPECT_EQ(listing.entries.size(), snapshot(staged("tree")).size()) << label;
    const Entry* readme = listing.find("readme.txt");
    ASSERT_NE(readme, nullptr) << label;
    EXPECT_NE(readme->flags & QVX_ENTRY_ENCRYPTED, 0u) << label;
  }
}

TEST_F(QvxTest, MissingOrForeignArchivesAreReported) {
  TempFolder folder;
  write_file(folder.file("notes.txt"), "This is not an archive.\r\n");
  write_file(folder.file("empty.7z"), "");
  const struct Case {
    std::string path;
    int32_t error;
  } cases[] = {
      {folder.file("missing.7z"), QVX_ERROR_NOT_FOUND},
      {folder.file("no such folder\\missing.7z"), QVX_ERROR_NOT_FOUND},
      {folder.path(), QVX_ERROR_NOT_FOUND},
      {"", QVX_ERROR_NOT_FOUND},
      {folder.file("notes.txt"), QVX_ERROR_CANNOT_OPEN},
      {folder.file("empty.7z"), QVX_ERROR_CANNOT_OPEN},
  };
  for (const Case& c : cases) {
    const Listing listing = list(c.path);
    EXPECT_FALSE(listing.ok) << c.path;
    EXPECT_EQ(listing.error, c.error) << c.path;
    const Outcome outcome = Extraction{c.path, folder.file("out")}.run();
    EXPECT_FALSE(outcome.ok) << c.path;
    EXPECT_EQ(outcome.error, c.error) << c.path;
  }
  EXPECT_EQ(snapshot(folder.file("out\\")).size(), 0u);
}

TEST_F(QvxTest, HandlesAreCheckedAndTheErrorFollowsTheLatestCall) {
  EXPECT_FALSE(list(fixture("missing.7z")).ok);
  EXPECT_EQ(qvx().last_error(0), QVX_ERROR_NOT_FOUND);
  QvxEntry* records = nullptr;
  int32_t count = 0;
  QvxListHandle handle =
      qvx().open(fixture("small.7z").c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, &records, &count);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(qvx().last_error(0), QVX_OK);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(qvx().close(handle), 1);
  EXPECT_EQ(qvx().close(handle), 0) << "a second close";
  EXPECT_EQ(qvx().close(reinterpret_cast<QvxListHandle>(&count)), 0) << "never a handle";
  EXPECT_EQ(qvx().last_error(0), QVX_ERROR_ARGUMENT);
  EXPECT_EQ(qvx().open(fixture("small.7z").c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count),
            nullptr);
  EXPECT_EQ(qvx().last_error(0), QVX_ERROR_ARGUMENT);
}

// ---- Extraction of whole archives ----------------------------------------

struct ArchiveCase {
  const char* archive;
  const char* folder;  // the staged folder it was made from
  const char* password;
};

void PrintTo(const ArchiveCase& c, std::ostream* out) { *out << c.archive; }

class QvxWholeArchiveTest : public QvxTest, public ::testing::WithParamInterface<ArchiveCase> {};

TEST_P(QvxWholeArchiveTest, ExtractsEveryFileAndFolderByteForByte) {
  const ArchiveCase& c = GetParam();
  TempFolder folder;
  const std::string destination = folder.file("support");
  const Outcome outcome = list_and_extract(fixture(c.archive), destination, c.password);
  ASSERT_TRUE(outcome.ok) << "error " << outcome.error;
  EXPECT_EQ(outcome.error, QVX_OK);
  const std::map<std::string, std::string> written = snapshot(destination + "\\");
  const std::map<std::string, std::string> source = snapshot(staged(c.folder));
  EXPECT_EQ(keys_of(written), keys_of(source));
  for (const auto& [path, content] : source) {
    const auto found = written.find(path);
    if (found != written.end()) {
      EXPECT_TRUE(found->second == content) << path << " differs";
    }
  }
  // Without a target list the result is the same.
  const std::string again = folder.file("again");
  EXPECT_TRUE((Extraction{fixture(c.archive), again, c.password}.run().ok));
  EXPECT_TRUE(snapshot(again + "\\") == written);
}

INSTANTIATE_TEST_SUITE_P(
    Methods, QvxWholeArchiveTest,
    ::testing::Values(ArchiveCase{"tree.7z", "tree", nullptr},          // LZMA2, solid
                      ArchiveCase{"tree_lzma.7z", "tree", nullptr},     // LZMA, solid
                      ArchiveCase{"tree_nonsolid.7z", "tree", nullptr}, // one block per file
                      ArchiveCase{"tree_copy.7z", "tree", nullptr},     // stored
                      ArchiveCase{"tree_ppmd.7z", "tree", nullptr},
                      ArchiveCase{"tree_delta.7z", "tree", nullptr},
                      ArchiveCase{"tree_password.7z", "tree", kPassword},
                      ArchiveCase{"tree_password_nonsolid.7z", "tree", kPassword},
                      ArchiveCase{"tree_headers.7z", "tree", kPassword},
                      ArchiveCase{"code_bcj.7z", "code", nullptr},      // x86 code, BCJ + LZMA2
                      ArchiveCase{"code_bcj_lzma.7z", "code", nullptr},
                      ArchiveCase{"code_bcj2.7z", "code", nullptr},     // BCJ2: four packed streams
                      ArchiveCase{"code_bcj2_lzma.7z", "code", nullptr},
                      ArchiveCase{"code_bcj2_password.7z", "code", kPassword},  // BCJ2 + four AES coders
                      // The other branch converters, run over the same code.
                      ArchiveCase{"code_arm.7z", "code", nullptr}, ArchiveCase{"code_armt.7z", "code", nullptr},
                      ArchiveCase{"code_arm64.7z", "code", nullptr}, ArchiveCase{"code_ppc.7z", "code", nullptr},
                      ArchiveCase{"code_sparc.7z", "code", nullptr}, ArchiveCase{"code_ia64.7z", "code", nullptr},
                      ArchiveCase{"code_riscv.7z", "code", nullptr},
                      ArchiveCase{"big_lzma.7z", "big", nullptr},       // 64 KiB dictionary, 3 MB of data
                      ArchiveCase{"big_lzma2.7z", "big", nullptr},
                      ArchiveCase{"big_lzma2_blocks.7z", "big", nullptr}),  // several LZMA2 blocks
    [](const ::testing::TestParamInfo<ArchiveCase>& info) {
      std::string name = info.param.archive;
      name.resize(name.size() - 3);
      return name;
    });

TEST_F(QvxTest, RestoresTimesAndAttributes) {
  TempFolder folder;
  const std::string destination = folder.file("out") + "\\";
  ASSERT_TRUE((Extraction{fixture("tree.7z"), destination}.run().ok));
  EXPECT_EQ(file_time_of(destination + "readme.txt"), unix_time(1614834367));
  EXPECT_EQ(file_time_of(destination + "docs"), unix_time(1262304000)) << "folder time, set after its files";
  for (const auto& [path, content] : snapshot(staged("tree"))) {
    EXPECT_EQ(file_time_of(destination + path), file_time_of(staged("tree") + path)) << path;
  }
  EXPECT_NE(attributes_of(destination + "readonly.txt") & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(attributes_of(destination + "readme.txt") & FILE_ATTRIBUTE_READONLY, 0u);
}

// ---- Choosing entries ----------------------------------------------------

TEST_F(QvxTest, ExtractsOnlyTheTargetFiles) {
  TempFolder folder;
  const std::string destination = folder.file("out");
  Extraction extraction{fixture("tree.7z"), destination};
  extraction.names = std::vector<std::string>{"docs\\guide.txt", "deep/a/b/c/leaf.txt", "emptydir"};
  ASSERT_TRUE(extraction.run().ok);
  const std::map<std::string, std::string> source = snapshot(staged("tree"));
  const std::map<std::string, std::string> expected = {
      {"deep", kFolder},       {"deep\\a", kFolder}, {"deep\\a\\b", kFolder},
      {"deep\\a\\b\\c", kFolder}, {"deep\\a\\b\\c\\leaf.txt", source.at("deep\\a\\b\\c\\leaf.txt")},
      {"docs", kFolder},       {"docs\\guide.txt", source.at("docs\\guide.txt")},
      {"emptydir", kFolder}};
  EXPECT_EQ(snapshot(destination + "\\"), expected);
}

TEST_F(QvxTest, AnUnknownTargetNameFailsBeforeAnythingIsWritten) {
  TempFolder folder;
  Extraction extraction{fixture("tree.7z"), folder.file("out")};
  extraction.names = std::vector<std::string>{"readme.txt", "not in the archive.txt"};
  const Outcome outcome = extraction.run();
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.error, QVX_ERROR_NO_SUCH_ENTRY);
  EXPECT_TRUE(snapshot(folder.file("out\\")).empty());
}

TEST_F(QvxTest, WithoutPathsEveryFileLandsInTheDestination) {
  TempFolder folder;
  const std::string destination = folder.file("flat");
  Extraction extraction{fixture("tree_nonsolid.7z"), destination};
  extraction.mode = QVX_MODE_NO_PATHS;
  ASSERT_TRUE(extraction.run().ok);
  std::map<std::string, std::string> expected;
  for (const auto& [path, content] : snapshot(staged("tree"))) {
    if (content != kFolder) expected[path.substr(path.find_last_of('\\') + 1)] = content;
  }
  EXPECT_EQ(snapshot(destination + "\\"), expected);
}

// ---- Existing files ------------------------------------------------------

TEST_F(QvxTest, ExistingFilesFollowTheOverwriteFlagAndTheQueryAnswers) {
  const struct Case {
    const char* label;
    int32_t overwrite;
    bool query;
    int answer;
    bool ok;
    bool replaced;
    std::size_t questions;
  } cases[] = {
      {"keep flag", QVX_OVERWRITE_KEEP, true, QVX_QUERY_YES, true, false, 0},
      {"no query callback", QVX_OVERWRITE_ASK, false, 0, true, true, 0},
      {"yes", QVX_OVERWRITE_ASK, true, QVX_QUERY_YES, true, true, 2},
      {"no", QVX_OVERWRITE_ASK, true, QVX_QUERY_NO, true, false, 2},
      {"yes to all", QVX_OVERWRITE_ASK, true, QVX_QUERY_YES_TO_ALL, true, true, 1},
      {"no to all", QVX_OVERWRITE_ASK, true, QVX_QUERY_NO_TO_ALL, true, false, 1},
      {"cancel", QVX_OVERWRITE_ASK, true, QVX_QUERY_CANCEL, false, false, 1},
      {"unknown answer", QVX_OVERWRITE_ASK, true, 9, false, false, 1},
  };
  const std::map<std::string, std::string> source = snapshot(staged("tree"));
  for (const Case& c : cases) {
    reset_calls();
    g_calls.query_answer = c.answer;
    TempFolder folder;
    const std::string destination = folder.file("");
    CreateDirectoryA((destination + "docs").c_str(), nullptr);
    write_file(destination + "readme.txt", "old readme");
    write_file(destination + "docs\\guide.txt", "old guide");
    Extraction extraction{fixture("tree.7z"), destination};
    extraction.overwrite = c.overwrite;
    extraction.query = c.query;
    const Outcome outcome = extraction.run();
    EXPECT_EQ(outcome.ok, c.ok) << c.label;
    EXPECT_EQ(outcome.error, c.ok ? QVX_OK : QVX_ERROR_STOPPED) << c.label;
    EXPECT_EQ(g_calls.queried.size(), c.questions) << c.label;
    EXPECT_EQ(read_file(destination + "readme.txt"), c.replaced ? source.at("readme.txt") : "old readme") << c.label;
    EXPECT_EQ(read_file(destination + "docs\\guide.txt"), c.replaced ? source.at("docs\\guide.txt") : "old guide")
        << c.label;
    if (c.ok) {
      EXPECT_EQ(read_file(destination + "data\\random.txt"), source.at("data\\random.txt")) << c.label;
    }
  }
}

TEST_F(QvxTest, AReadOnlyFileIsReplaced) {
  TempFolder folder;
  const std::string destination = folder.file("");
  write_file(destination + "readonly.txt", "old");
  SetFileAttributesA((destination + "readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  g_calls.query_answer = QVX_QUERY_YES_TO_ALL;
  ASSERT_TRUE((Extraction{fixture("tree.7z"), destination}.run().ok));
  EXPECT_EQ(read_file(destination + "readonly.txt"), read_file(staged("tree") + "readonly.txt"));
}

TEST_F(QvxTest, AFolderWhereAFileGoesFailsTheExtraction) {
  TempFolder folder;
  const std::string destination = folder.file("");
  CreateDirectoryA((destination + "readme.txt").c_str(), nullptr);
  const Outcome outcome = Extraction{fixture("small.7z"), destination}.run();
  EXPECT_TRUE(outcome.ok) << "small.7z has no readme.txt";
  const Outcome blocked = Extraction{fixture("tree.7z"), destination}.run();
  EXPECT_FALSE(blocked.ok);
  EXPECT_EQ(blocked.error, QVX_ERROR_WRITE);
}

// ---- Passwords -----------------------------------------------------------

TEST_F(QvxTest, PasswordsComeFromTheTextThenTheCallback) {
  const struct Case {
    const char* label;
    const char* password;
    std::vector<std::string> answers;
    bool ok;
  } cases[] = {
      {"text", kPassword, {}, true},
      {"callback", nullptr, {kPassword}, true},
      {"empty text, callback", "", {kPassword}, true},
      {"wrong text, then the callback", "wrong", {kPassword}, true},
      {"callback wrong, then right", nullptr, {"wrong", kPassword}, true},
      {"none", nullptr, {}, false},
      {"wrong text", "wrong", {}, false},
      {"callback always wrong", nullptr, std::vector<std::string>(20, "wrong"), false},
  };
  const char* archives[] = {"tree_password.7z", "tree_password_nonsolid.7z", "tree_headers.7z",
                            "code_bcj2_password.7z"};
  for (const char* archive : archives) {
    const std::string folder_name = std::string(archive).starts_with("code") ? "code" : "tree";
    const std::map<std::string, std::string> source = snapshot(staged(folder_name));
    for (const Case& c : cases) {
      reset_calls();
      g_calls.passwords = c.answers;
      TempFolder folder;
      const std::string destination = folder.file("out");
      const Outcome outcome = Extraction{fixture(archive), destination, c.password}.run();
      const std::string label = std::string(archive) + ": " + c.label;
      EXPECT_EQ(outcome.ok, c.ok) << label;
      const std::map<std::string, std::string> written = snapshot(destination + "\\");
      if (c.ok) {
        EXPECT_TRUE(written == source) << label;
        continue;
      }
      EXPECT_EQ(outcome.error, QVX_ERROR_CANNOT_OPEN) << label;
      EXPECT_LE(g_calls.password_asks, 8) << label << ": the callback is not asked without end";
      expect_only_whole_files(written, source, label);
      for (const auto& [path, content] : written) {
        EXPECT_TRUE(content.empty() || content == kFolder) << label << ": " << path << " written without the password";
      }
    }
  }
}

// ---- Damage --------------------------------------------------------------

// Every single flipped byte and every truncation of a small archive: the call
// fails with a code, or it succeeds with exactly the original files; never a
// crash, a wrong file or a leftover.
TEST_F(QvxTest, DamagedArchivesNeverYieldWrongFiles) {
  const std::map<std::string, std::string> source = snapshot(staged("small"));
  // Stored data has no decoder to trip over a flipped byte: only the CRC
  // tells.
  for (const char* name : {"small.7z", "small_copy.7z", "small_password.7z"}) {
    const std::string original = read_file(fixture(name));
    TempFolder folder;
    const std::string archive = folder.file("damaged.7z");
    auto check = [&](const std::string& bytes, const std::string& label) {
      write_file(archive, bytes);
      const std::string destination = folder.file("out");
      const Outcome outcome = Extraction{archive, destination, kPassword}.run();
      const std::map<std::string, std::string> written = snapshot(destination + "\\");
      if (outcome.ok) {
        EXPECT_TRUE(written == source) << label << ": reported success with different files";
      } else {
        EXPECT_TRUE(outcome.error == QVX_ERROR_DATA || outcome.error == QVX_ERROR_CANNOT_OPEN)
            << label << ": error " << outcome.error;
        expect_only_whole_files(written, source, label);
      }
      for (const auto& [path, content] : written) {
        if (content != kFolder) DeleteFileA((destination + "\\" + path).c_str());
      }
      RemoveDirectoryA(destination.c_str());
    };
    for (std::size_t at = 0; at < original.size(); ++at) {
      std::string bytes = original;
      bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
      check(bytes, std::string(name) + " flipped at " + std::to_string(at));
    }
    for (std::size_t length = 0; length < original.size(); ++length) {
      check(original.substr(0, length), std::string(name) + " cut to " + std::to_string(length));
    }
  }
}

TEST_F(QvxTest, DamagedDataIsADataErrorAndAReplacedFileSurvivesIt) {
  std::string bytes = read_file(fixture("tree_nonsolid.7z"));
  // The middle of the archive lies in the packed data of data\random.txt,
  // by far its biggest file.
  bytes[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 0x01);
  TempFolder folder;
  write_file(folder.file("damaged.7z"), bytes);
  const std::map<std::string, std::string> source = snapshot(staged("tree"));

  const Outcome outcome = Extraction{folder.file("damaged.7z"), folder.file("out")}.run();
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.error, QVX_ERROR_DATA);
  const std::map<std::string, std::string> written = snapshot(folder.file("out\\"));
  EXPECT_EQ(written.count("data\\random.txt"), 0u);
  expect_only_whole_files(written, source, "tree_nonsolid.7z");

  // Replacing an existing file: the old one stays when the new one fails.
  const std::string existing = folder.file("again\\data\\random.txt");
  CreateDirectoryA(folder.file("again").c_str(), nullptr);
  CreateDirectoryA(folder.file("again\\data").c_str(), nullptr);
  write_file(existing, "old content");
  g_calls.query_answer = QVX_QUERY_YES_TO_ALL;
  EXPECT_EQ(Extraction(folder.file("damaged.7z"), folder.file("again")).run().error, QVX_ERROR_DATA);
  EXPECT_EQ(read_file(existing), "old content");
  std::map<std::string, std::string> again = snapshot(folder.file("again\\"));
  again.erase("data\\random.txt");
  expect_only_whole_files(again, source, "tree_nonsolid.7z over existing files");
}

// ---- Callbacks -------------------------------------------------------------

TEST_F(QvxTest, CallbacksSeeEveryFileAndTheProgressToTheEnd) {
  TempFolder folder;
  const std::string destination = folder.file("out");
  ASSERT_TRUE((Extraction{fixture("tree.7z"), destination}.run().ok));
  const std::map<std::string, std::string> source = snapshot(staged("tree"));
  EXPECT_EQ(std::set<std::string>(g_calls.files.begin(), g_calls.files.end()), keys_of(source));
  EXPECT_EQ(g_calls.files.size(), source.size());
  for (std::size_t i = 0; i < g_calls.files.size(); ++i) {
    EXPECT_EQ(g_calls.targets[i], destination + "\\" + g_calls.files[i]);
  }
  std::uint64_t total = 0;
  for (const auto& [path, content] : source) {
    if (content != kFolder) total += content.size();
  }
  ASSERT_FALSE(g_calls.progress.empty());
  std::uint64_t last = 0;
  for (const auto& [name, done, reported_total] : g_calls.progress) {
    EXPECT_EQ(reported_total, total);
    EXPECT_GE(done, last) << name;
    last = done;
  }
  EXPECT_EQ(std::get<1>(g_calls.progress.back()), total);
}

TEST_F(QvxTest, ACallbackAnsweringZeroStopsTheExtraction) {
  const std::map<std::string, std::string> source = snapshot(staged("big"));
  const struct Case {
    const char* label;
    int stop_file_at;
    int stop_progress_at;
  } cases[] = {{"file callback", 0, -1}, {"progress callback at the start", -1, 0},
               {"progress callback in the middle", -1, 1}};
  for (const Case& c : cases) {
    reset_calls();
    g_calls.stop_file_at = c.stop_file_at;
    g_calls.stop_progress_at = c.stop_progress_at;
    TempFolder folder;
    const Outcome outcome = Extraction{fixture("big_lzma2.7z"), folder.file("out")}.run();
    EXPECT_FALSE(outcome.ok) << c.label;
    EXPECT_EQ(outcome.error, QVX_ERROR_STOPPED) << c.label;
    for (const auto& [path, content] : snapshot(folder.file("out\\"))) {
      ADD_FAILURE() << c.label << ": left " << path << " (" << content.size() << " bytes)";
    }
  }
  // Stopping at the second file keeps the first one whole.
  reset_calls();
  g_calls.stop_file_at = 1;
  TempFolder folder;
  const Outcome outcome = Extraction{fixture("small.7z"), folder.file("out")}.run();
  EXPECT_EQ(outcome.error, QVX_ERROR_STOPPED);
  const std::map<std::string, std::string> written = snapshot(folder.file("out\\"));
  EXPECT_EQ(written.size(), 1u);
  expect_only_whole_files(written, snapshot(staged("small")), "small.7z");
}

}  // namespace
