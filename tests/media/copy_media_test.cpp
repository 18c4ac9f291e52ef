// TCopyMedia on real folders: the offline medium's layout in the web data
// folder, files already there, a target that cannot be made.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "engine/engine.h"
#include "media/copy_media.h"
#include "platform/file_system.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

// A medium: Medium\offline\a.txt, Medium\offline\sub\b.txt,
// Medium\mergemod\m.msm, Medium\mergemod\x\n.msm, and Medium\Disk1\.
std::string make_medium(const test::TempFolder& temp) {
  const std::string root = temp.file("Medium\\");
  for (const char* folder : {"", "offline", "offline\\sub", "mergemod", "mergemod\\x", "Disk1"}) {
    CreateDirectoryA((root + folder).c_str(), nullptr);
  }
  for (const char* file : {"offline\\a.txt", "offline\\sub\\b.txt", "mergemod\\m.msm", "mergemod\\x\\n.msm"}) {
    test::write_file(root + file, file);
  }
  return root;
}

MediaOutcome copy(Engine& engine, const std::string& source, const std::string& destination) {
  engine.set_silent(true);
  return copy_media(engine, CopyMediaInputs{source, destination, nullptr});
}

TEST(CopyMediaTest, OfflineAndMergeModuleFilesGoToTheirPlaces) {
  // The medium's own folder, or a folder below it (the setup's folder on it).
  for (const char* below : {"", "Disk1\\"}) {
    SCOPED_TRACE(below);
    const test::TempFolder temp;
    const std::string medium = make_medium(temp);
    test::write_file(temp.file("setup.exe"), "self-extracting setup");
    Engine engine;
    engine.variables.define("COPYWEBLOCK", temp.file("Kept\\"), "Test");
    engine.variables.define("SFXPATH", temp.path(), "Test");
    engine.variables.define("SFXFILE", "setup.exe", "Test");
    const MediaOutcome outcome = copy(engine, medium + below, temp.file("Web\\"));
    EXPECT_TRUE(outcome.success);
    EXPECT_EQ(test::read_file(temp.file("Web\\offline\\a.txt")), "offline\\a.txt");
    EXPECT_EQ(test::read_file(temp.file("Web\\offline\\sub\\b.txt")), "offline\\sub\\b.txt");
    EXPECT_EQ(test::read_file(temp.file("Web\\m.msm")), "mergemod\\m.msm");
    EXPECT_EQ(test::read_file(temp.file("Web\\x\\n.msm")), "mergemod\\x\\n.msm");
    EXPECT_EQ(test::read_file(temp.file("Kept\\setup.exe")), "self-extracting setup");
    EXPECT_EQ(engine.progress.stored().text, "n.msm, 76% complete");
  }
}

TEST(CopyMediaTest, FilesAlreadyThereAreKept) {
  const test::TempFolder temp;
  const std::string medium = make_medium(temp);
  platform::create_folder_with_parents(temp.file("Web\\offline\\"));
  test::write_file(temp.file("Web\\offline\\a.txt"), "mine");
  Engine engine;
  EXPECT_TRUE(copy(engine, medium, temp.file("Web\\")).success);
  EXPECT_EQ(test::read_file(temp.file("Web\\offline\\a.txt")), "mine");
  EXPECT_TRUE(platform::file_exists(temp.file("Web\\offline\\sub\\b.txt")));
}

TEST(CopyMediaTest, ATargetThatCannotBeMadeFails) {
  const test::TempFolder temp;
  const std::string medium = make_medium(temp);
  CreateDirectoryA(temp.file("Web").c_str(), nullptr);
  test::write_file(temp.file("Web\\offline"), "a file where the folder goes");
  Engine engine;
  EXPECT_FALSE(copy(engine, medium, temp.file("Web\\")).success);
}

}  // namespace
}  // namespace qm
