// A web-media setup end to end: setup.exe of a kind-2 build downloads its
// block from the loopback server, extracts it into the web data folder and
// installs the product through Windows Installer.

#include <windows.h>
#include <msi.h>
#include <shlobj.h>

#include <string>

#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/registry_view.h"
#include "platform/shell_folders.h"
#include "tests/media/download/web_bench.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

constexpr const char* kProductCode = "{2D7A9C41-5E3B-4F86-9A02-C4E6B8D0F1A3}";
constexpr const char* kRevision = "{8E4B1D73-0C9F-4A25-B6D8-E1F3A5C7092B}";

std::string setup_folder() { return test::program_folder() + "..\\setups\\web\\"; }
std::string web_data_folder() { return platform::shell_folder(CSIDL_COMMON_APPDATA) + kRevision + "\\"; }
std::string report_file() { return test::system_temp_folder() + "Web Product setup.txt"; }

void remove_product() {
  if (MsiQueryProductStateA(kProductCode) != INSTALLSTATE_UNKNOWN) {
    MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    MsiConfigureProductA(kProductCode, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT);
  }
  const std::string uninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  for (const std::string& key : {uninstall + "Web Product", uninstall + kProductCode,
                                 std::string("SOFTWARE\\Brennivax\\Quillmore\\Ident.Cache\\") + kProductCode})
    platform::delete_registry_tree(HKEY_LOCAL_MACHINE, key, platform::RegistryView::kDefault);
  platform::remove_folder_tree(web_data_folder(), 3);
  DeleteFileA(report_file().c_str());
}

class WebSetupTest : public test::WebBenchTest {
 protected:
  void SetUp() override {
    test::WebBenchTest::SetUp();
    remove_product();
  }
  void TearDown() override { remove_product(); }

  // Runs setup.exe silently with its two download locations.
  std::uint32_t run_setup(const std::string& first, const std::string& second) const {
    return test::run_and_wait("\"" + setup_folder() + "setup.exe\" /s \"LOCATION1=" + first + "\" \"LOCATION2=" +
                              second + "\"");
  }
};

TEST_F(WebSetupTest, TheBlockIsDownloadedExtractedAndInstalled) {
  const std::string name = test::unique_name("web-setup") + ".7zip";
  serve(name, test::read_file(setup_folder() + "web\\MAIN.7zip"));
  EXPECT_EQ(run_setup(bench_.url + "/files/" + name, ""), 0u);
  EXPECT_EQ(test::read_file(report_file()).substr(0, 9), "COMPLETE ") << test::read_file(report_file());
  EXPECT_EQ(MsiQueryProductStateA(kProductCode), INSTALLSTATE_DEFAULT);
  // The files of the media file list went to their folders, the block's own
  // files to its folder, with the marker that says the block is complete.
  EXPECT_EQ(test::read_file(web_data_folder() + "extras\\notes.txt"), "Notes that travel in the web media block.\r\n");
  EXPECT_EQ(test::read_file(web_data_folder() + "MAIN\\tool.txt"), "A file of the block itself.\r\n");
  EXPECT_TRUE(platform::file_exists(web_data_folder() + "MAIN\\" + kRevision));
  EXPECT_FALSE(platform::file_exists(web_data_folder() + "MAIN.7zip")) << "the downloaded archive is gone";
  EXPECT_EQ(log_entries("/files/" + name).size(), 1u);
}

// An offline medium: the archive lies beside the setup, nothing is downloaded.
TEST_F(WebSetupTest, AnArchiveBesideTheSetupIsUsedWithoutDownload) {
  const std::string medium = setup_folder() + "medium\\";
  const std::string unused = bench_.url + "/files/" + test::unique_name("never-asked") + ".7zip";
  EXPECT_EQ(test::run_and_wait("\"" + medium + "setup.exe\" /s \"LOCATION1=" + unused + "\" \"LOCATION2=\""), 0u);
  EXPECT_EQ(test::read_file(report_file()).substr(0, 9), "COMPLETE ") << test::read_file(report_file());
  EXPECT_EQ(MsiQueryProductStateA(kProductCode), INSTALLSTATE_DEFAULT);
  EXPECT_TRUE(platform::file_exists(web_data_folder() + "extras\\notes.txt"));
  EXPECT_TRUE(platform::file_exists(medium + "MAIN.7zip")) << "an archive of the medium is kept";
}

}  // namespace
}  // namespace qm
