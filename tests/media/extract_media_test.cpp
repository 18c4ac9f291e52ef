// TExtractMedia on real archives made by 7zz: where the media file list sends
// the files (twice, and by names the code page lacks), what becomes of the
// archive, a wrong password and a cancelled extraction.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "engine/engine.h"
#include "media/archive_extraction.h"
#include "media/exact_names.h"
#include "media/extract_media.h"
#include "platform/file_system.h"
#include "platform/wide_text.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

const std::wstring kCyrillicName = L"\u041f\u0440\u0438\u0432\u0435\u0442.txt";

std::string fixture(const std::string& name) { return test::program_folder() + name; }

struct ExtractionBench {
  test::TempFolder temp;
  Engine engine;
  ExtractMediaInputs inputs;

  // Block1.7zip copied into the temporary folder (a downloaded archive is
  // deleted once extracted), into the web data folder "web\".
  ExtractionBench() {
    engine.startup.temp_folder = temp.path();
    engine.set_silent(true);
    inputs.archive_path = temp.file("Block1.7zip");
    test::copy_file(fixture("media_fixtures\\Block1.7zip"), inputs.archive_path);
    inputs.password = "Secret7";
    inputs.destination = temp.file("web\\");
    inputs.block_name = "Block1\\";
  }

  void list_media_files(std::vector<std::string> triples) {
    engine.package.media_files = IndexedList(std::move(triples));
  }

  bool exists(const std::wstring& relative) const {
    return media_files::file_exists(media_files::wide(temp.path()) + relative);
  }
};

TEST(ExtractMediaTest, FilesGoWhereTheMediaFileListSays) {
  ExtractionBench bench;
  // The Cyrillic name, as the archive library lists it in this code page.
  const std::string listed_cyrillic = "0000000B\\" + media_files::listed_form(kCyrillicName);
  bench.list_media_files({"Block1", "0000000A\\readme.txt", "Docs\\",       //
                          "BLOCK1", "0000000A\\shared.dll", "Bin\\",        //
                          "Block1", "0000000A\\SHARED.DLL", "Bin\\Sub\\",   // the same file again, elsewhere
                          "Block1", "0000000A\\shared.dll", "Bin\\",        // and again where it is already
                          "Block1", listed_cyrillic, "Intl\\",              //
                          "Other", "0000000A\\readme.txt", "Elsewhere\\"}); // another block's file
  const MediaOutcome outcome = extract_media(bench.engine, bench.inputs);
  ASSERT_TRUE(outcome.success) << outcome.error_text;
  for (const wchar_t* placed : {L"web\\Docs\\readme.txt", L"web\\Bin\\shared.dll", L"web\\Bin\\Sub\\shared.dll",
                                L"web\\Block1\\extra\\rest.txt"}) {
    EXPECT_TRUE(bench.exists(placed)) << platform::ansi_from_wide(placed);
  }
  EXPECT_TRUE(bench.exists(L"web\\Intl\\" + kCyrillicName));
  EXPECT_EQ(test::read_file(bench.temp.file("web\\Bin\\Sub\\shared.dll")), "shared\r\n");
  EXPECT_FALSE(bench.exists(L"web\\Block1\\0000000A\\readme.txt"));  // moved, not copied
  EXPECT_FALSE(platform::folder_exists(bench.temp.file("web\\Elsewhere")));
  EXPECT_FALSE(platform::file_exists(bench.inputs.archive_path));
  // The extraction's own folder is gone.
  EXPECT_FALSE(platform::folder_exists(bench.temp.file("qvxmedia1")));
  EXPECT_EQ(bench.engine.progress.stored().text.rfind("Extracting Web Media: Block1\r", 0), 0u);
}

TEST(ExtractMediaTest, WhatBecomesOfTheArchive) {
  const struct Case {
    bool local;
    bool copy_block;
    bool archive_kept;
  } cases[] = {{false, false, false}, {false, true, false}, {true, false, true}, {true, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.local) + " " + std::to_string(c.copy_block));
    ExtractionBench bench;
    bench.inputs.local_archive = c.local;
    if (c.copy_block) bench.engine.variables.define("COPYWEBLOCK", bench.temp.file("Kept"), "Test");
    const MediaOutcome outcome = extract_media(bench.engine, bench.inputs);
    EXPECT_TRUE(outcome.success) << outcome.error_text;
    EXPECT_EQ(platform::file_exists(bench.inputs.archive_path), c.archive_kept);
    EXPECT_EQ(platform::file_exists(bench.temp.file("Kept\\Block1.7zip")), c.copy_block);
    EXPECT_TRUE(bench.exists(L"web\\Block1\\0000000A\\readme.txt"));
  }
}

TEST(ExtractMediaTest, AWrongPasswordMeansTheArchiveCannotBeOpened) {
  ExtractionBench bench;
  bench.inputs.password = "Wrong";
  const MediaOutcome outcome = extract_media(bench.engine, bench.inputs);
  EXPECT_FALSE(outcome.success);
  EXPECT_TRUE(outcome.cannot_open);
  EXPECT_EQ(outcome.error_text, kCannotOpenArchiveText);
  EXPECT_TRUE(platform::file_exists(bench.inputs.archive_path));  // kept for another try
  EXPECT_FALSE(platform::folder_exists(bench.temp.file("web\\Block1")));
}

// The user's cancel stops the extraction (here confirmed before it could
// begin, so that the stop cannot come after an extraction quicker than the
// user): the job fails, says it was asked to stop, and keeps the archive.
TEST(ExtractMediaTest, ACancelStopsTheExtraction) {
  ExtractionBench bench;
  bench.inputs.archive_path = bench.temp.file("large.7z");
  test::copy_file(fixture("qvx_fixtures\\large.7z"), bench.inputs.archive_path);
  bench.inputs.password.clear();
  bench.engine.cancel_requested = true;
  const MediaOutcome outcome = extract_media(bench.engine, bench.inputs, 10000);
  EXPECT_FALSE(outcome.success);
  EXPECT_TRUE(outcome.terminate_requested);
  EXPECT_FALSE(outcome.killed);
  EXPECT_FALSE(outcome.cannot_open);
  EXPECT_TRUE(platform::file_exists(bench.inputs.archive_path));
}

}  // namespace
}  // namespace qm
