// The real engine under Wine, started from a setup folder as a user or a
// deployment tool starts it: the exit codes of start-up, and the private
// support folder gone afterwards whatever happened.

#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

#include "script/pe_image.h"
#include "script/secret_text.h"
#include "tests/support/message_box.h"
#include "tests/support/setup_folder.h"

namespace qm {
namespace {

constexpr std::uint32_t kExitStartupFailure = 11;
constexpr std::uint32_t kExitNoPackage = 13;
constexpr std::uint32_t kExitNoResourceArchive = 14;
constexpr std::uint32_t kExitResourceArchiveDamaged = 15;
constexpr std::uint32_t kExitNoInstallerDatabase = 16;

test::PackageText package() {
  test::PackageText text;
  text.add_line("Set Variable", {"$GREETING$", "Hello"});
  text.add_line("Comment", {"done"});
  text.command_headers = {"1A2B", "0"};
  return text;
}

TEST(EngineStartupTest, TheReleaseEngineEndsWithItsLastSection) {
  // A symbol table or any other bytes after the image would be taken for a package.
  for (const char* program : {"quillmore.exe", "qvx.lib"}) {
    const std::string bytes = test::read_file(test::program_folder() + program);
    const auto end = pe_image_end(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    ASSERT_TRUE(end.has_value()) << program;
    EXPECT_EQ(*end, bytes.size()) << program;
  }
}

// What Windows reads from the program before running it: the manifest (visual
// styles, DPI awareness, the execution level that keeps installer detection
// away), the icon Explorer shows, and the version.
TEST(EngineStartupTest, TheEngineCarriesItsManifestIconAndVersion) {
  const std::string engine = test::program_folder() + "quillmore.exe";
  HMODULE image = LoadLibraryExA(engine.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(image, nullptr);
  HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(found, nullptr) << "no manifest";
  const std::string manifest(static_cast<const char*>(LockResource(LoadResource(image, found))),
                             SizeofResource(image, found));
  for (const char* part : {"Microsoft.Windows.Common-Controls", "PerMonitorV2", "highestAvailable",
                           "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
  EXPECT_NE(FindResourceA(image, MAKEINTRESOURCEA(1), RT_GROUP_ICON), nullptr) << "no icon";
  FreeLibrary(image);

  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(engine.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::string info(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(engine.c_str(), 0, size, info.data()));
  char* product = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\040904B0\\ProductName", reinterpret_cast<void**>(&product),
                             &length));
  EXPECT_STREQ(product, "Quillmore");
  VS_FIXEDFILEINFO* fixed = nullptr;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), 1);
}

TEST(EngineStartupTest, ExitCodes) {
  test::PackageText bad_kind = package();
  bad_kind.build_kind = "web";
  test::PackageText with_password = package();
  with_password.web_media_secrets = {"SETUP.RES", scramble_secret("Secret7")};
  test::PackageText wrong_password = package();
  wrong_password.web_media_secrets = {"setup.res", scramble_secret("Secret8")};
  test::PackageText refused = package();
  refused.add_line("End");
  const std::string good = package().text();
  const struct {
    const char* what;
    std::string appended;
    const char* resources;
    bool database;
    std::uint32_t exit_code;
  } cases[] = {
      {"no package", "", "small.7z", true, kExitNoPackage},
      {"a package", good, "small.7z", true, 0},
      {"a signed package", good + std::string("\x30\x82\x01\x0A\0\0 certificate", 18), "small.7z", true, 0},
      {"a truncated package", good.substr(0, good.size() / 2), "small.7z", true, kExitStartupFailure},
      {"a package with a bad build kind", bad_kind.text(), "small.7z", true, kExitStartupFailure},
      {"no resource archive", good, "", true, kExitNoResourceArchive},
      {"a resource archive that climbs out of its folder", good, "climb.7z", true, kExitResourceArchiveDamaged},
      {"a resource archive that is no archive", good, "stage\\small\\one.txt", true, kExitResourceArchiveDamaged},
      {"an encrypted resource archive without its password", good, "small_password.7z", true,
       kExitResourceArchiveDamaged},
      {"an encrypted resource archive with the wrong password", wrong_password.text(), "small_password.7z", true,
       kExitResourceArchiveDamaged},
      {"an encrypted resource archive with its password", with_password.text(), "small_password.7z", true, 0},
      {"no installer database", good, "small.7z", false, kExitNoInstallerDatabase},
      {"a script the validator refuses", refused.text(), "small.7z", true, 314},
  };
  const std::size_t support_folders_before = test::support_folders_in_temp();
  for (const auto& c : cases) {
    test::SetupFolder folder(c.appended, c.resources);
    if (!c.database) DeleteFileA(folder.file("setup.msi").c_str());
    for (const char* silent : {"/s", "-QN"}) EXPECT_EQ(folder.run(silent), c.exit_code) << c.what << " " << silent;
    EXPECT_EQ(test::support_folders_in_temp(), support_folders_before) << c.what << ": the support folder stayed";
  }
}


// A resource archive that would write outside the support folder, or names
// that Windows cannot hold safely, is refused as a whole: exit code 15 and
// nothing written anywhere.
TEST(EngineStartupTest, HostileResourceArchivesAreRefused) {
  const char* const archives[] = {
      "climb.7z",       "climb_deep.7z", "climb_backslash.7z", "climb_mixed.7z",     "absolute.7z",
      "absolute_backslash.7z", "drive.7z", "drive_relative.7z", "unc.7z",            "long_prefix.7z",
      "device.7z",      "device_extension.7z", "stream.7z",     "trailing_dot.7z",    "dots.7z",
  };
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::size_t support_folders_before = test::support_folders_in_temp();
  for (const char* archive : archives) {
    test::SetupFolder folder(package().text(), archive);
    EXPECT_EQ(folder.run("/s"), kExitResourceArchiveDamaged) << archive;
    for (const std::string& written :
         {std::string(temp) + "evil.txt", folder.file("evil.txt"), std::string("C:\\qvx-absolute-evil.txt"),
          std::string("C:\\qvx-drive-evil.txt"), std::string("C:\\qvx-long-evil.txt")})
      EXPECT_EQ(GetFileAttributesA(written.c_str()), INVALID_FILE_ATTRIBUTES) << archive << " wrote " << written;
    EXPECT_EQ(test::support_folders_in_temp(), support_folders_before) << archive;
  }
}

TEST(EngineStartupTest, StartUpFailuresAreShownUnlessSilent) {
  const struct {
    std::string appended;
    const char* resources;
    const char* text;
    std::uint32_t exit_code;
  } cases[] = {
      {"", "small.7z", "For internal use only", kExitNoPackage},
      {package().text(), "", "Setup resource not found", kExitNoResourceArchive},
      {package().text(), "climb.7z", "Setup resource decompression failure", kExitResourceArchiveDamaged},
      {package().text().substr(0, 40), "small.7z",
       "Runtime error in install: The setup package is incomplete: it ends before the end of the line identifier list.",
       kExitStartupFailure},
  };
  for (const auto& c : cases) {
    test::SetupFolder folder(c.appended, c.resources);
    std::uint32_t exit_code = 0;
    std::thread run([&] { exit_code = folder.run(""); });
    const std::string text = test::answer_message_box("Quillmore Wizard");
    run.join();
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(exit_code, c.exit_code) << c.text;
  }
}

// The engine's texts travel appended to qvx.lib; they replace the built-in ones.
TEST(EngineStartupTest, TheMessageCatalogueComesFromTheArchiveLibrary) {
  test::SetupFolder folder(package().text(), "");
  std::string catalogue;
  for (int slot = 1; slot <= 115; ++slot)
    catalogue += (slot == 2 ? std::string("Die Setup-Ressource fehlt") : "slot " + std::to_string(slot)) + "\r\n";
  test::write_file(folder.file("qvx.lib"), test::read_file(folder.file("qvx.lib")) + catalogue);

  std::uint32_t exit_code = 0;
  std::thread run([&] { exit_code = folder.run(""); });
  const std::string text = test::answer_message_box("Quillmore Wizard");
  run.join();
  EXPECT_EQ(text, "Die Setup-Ressource fehlt");
  EXPECT_EQ(exit_code, kExitNoResourceArchive);
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  EXPECT_EQ(GetFileAttributesA((std::string(temp) + "lang.loc").c_str()), INVALID_FILE_ATTRIBUTES)
      << "the catalogue's temporary file is deleted";
}

// NAME=VALUE pairs reach the script; the script's exit code reaches the caller.
TEST(EngineStartupTest, CommandLineValuesReachTheScript) {
  test::PackageText text;
  text.add_line("Set Variable", {"$CODE$", "1"});
  text.add_line("If", {"SILENT", "0", "TRUE", "FALSE"});
  text.add_line("Set Variable", {"$CODE$", "$CODE$0"});
  text.add_line("End", {});
  text.add_line("Terminate with Exit Code", {"$CODE$"});
  const struct {
    const char* arguments;
    std::uint32_t exit_code;
  } cases[] = {
      {"/s code=42", 42},    // silent: the script cannot change a value given on the command line
      {"/s", 10},            // the script's own value, made silent
      {"CODE=7 /update", 1}, // not silent: the script may change it
  };
  for (const auto& c : cases) {
    test::SetupFolder folder(text.text());
    EXPECT_EQ(folder.run(c.arguments), c.exit_code) << c.arguments;
  }
}

}  // namespace
}  // namespace qm
