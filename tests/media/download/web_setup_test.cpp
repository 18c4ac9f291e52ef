// A web-media setup end to end: setup.exe of a kind-2 build downloads its
// block from the loopback servers, extracts it into the web data folder and
// installs the product through Windows Installer; and what its user meets
// when that goes wrong: a missing location, a cut connection, a location
// served only through a proxy, a damaged archive, a wrong password, a
// cancel half-way.

#include <windows.h>
#include <commctrl.h>
#include <msi.h>
#include <shlobj.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "media/retry_dialogs.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/registry_view.h"
#include "platform/shell_folders.h"
#include "tests/media/download/web_bench.h"
#include "tests/support/installed_product.h"
#include "tests/support/message_box.h"
#include "tests/support/screen_capture.h"
#include "tests/support/started_program.h"
#include "tests/support/temp_folder.h"
#include "tests/support/window_finder.h"
#include "tests/support/wizard_driver.h"

namespace qm {
namespace {

constexpr const char* kProductCode = "{2D7A9C41-5E3B-4F86-9A02-C4E6B8D0F1A3}";
constexpr const char* kRevision = "{8E4B1D73-0C9F-4A25-B6D8-E1F3A5C7092B}";
constexpr const char* kCaption = "Web Product - Quillmore Wizard";
// The agent of the engine's own HTTP client; the URL moniker names Windows'.
constexpr const char* kHttpClientAgent = "Mozilla/3.0 (compatible)";

std::string full_path(const std::string& path) {
  char full[MAX_PATH] = {};
  GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return full;
}

std::string setup_folder() { return full_path(test::program_folder() + "..\\setups\\web\\"); }
std::string setup_program() { return setup_folder() + "setup.exe"; }
// The block's archive with a megabyte of filler, and one under another password.
std::string large_archive() { return test::program_folder() + "..\\setups\\web-variants\\large\\MAIN.7zip"; }
std::string wrong_password_archive() {
  return test::program_folder() + "..\\setups\\web-variants\\wrong_password\\MAIN.7zip";
}
std::string filler() { return test::program_folder() + "..\\tests\\web_filler\\MAIN\\filler.bin"; }
std::string web_data_folder() { return platform::shell_folder(CSIDL_COMMON_APPDATA) + kRevision + "\\"; }
std::string downloaded_archive() { return web_data_folder() + "MAIN.7zip"; }
std::string report_file() { return test::system_temp_folder() + "Web Product setup.txt"; }
std::string report() { return platform::file_exists(report_file()) ? test::read_file(report_file()) : "(no report)"; }

void remove_product() {
  test::remove_installed_product(kProductCode, "Web Product");
  platform::remove_folder_tree(web_data_folder(), 3);
  DeleteFileA(report_file().c_str());
}

// How the setup downloads: through the system's URL moniker (what it does
// on this machine), or through the engine's own HTTP client, which takes
// over on a machine without urlmon.dll. For the latter, Wine's loader is
// told to leave urlmon.dll out of programs named setup.exe (its per-program
// settings in the registry, read when a program loads a library) for as
// long as the settings stand. Windows Installer (msi.dll imports urlmon.dll)
// is then unusable in the setup, so such a run ends once the block is
// fetched (the word "fetch-only" on its command line, see the fixture's
// script).
enum class Route { kUrlMoniker, kHttpClient };

class LoaderSettings {
 public:
  explicit LoaderSettings(Route route) : route_(route) {
    if (route_ == Route::kHttpClient)
      platform::RegistryKey::create(HKEY_CURRENT_USER, kOverrides, KEY_SET_VALUE).write_string("urlmon", "");
  }
  ~LoaderSettings() {
    if (route_ == Route::kHttpClient)
      platform::delete_registry_tree(HKEY_CURRENT_USER, kProgramSettings, platform::RegistryView::kDefault);
  }
  LoaderSettings(const LoaderSettings&) = delete;
  LoaderSettings& operator=(const LoaderSettings&) = delete;

 private:
  static constexpr const char* kProgramSettings = "Software\\Wine\\AppDefaults\\setup.exe";
  static constexpr const char* kOverrides = "Software\\Wine\\AppDefaults\\setup.exe\\DllOverrides";
  Route route_;
};

std::string command_line(Route route, bool silent, const std::string& first, const std::string& second) {
  return "\"" + setup_program() + "\"" + (silent ? " /s" : "") + " \"LOCATION1=" + first + "\" \"LOCATION2=" +
         second + "\"" + (route == Route::kHttpClient ? " fetch-only" : "");
}

std::uint64_t file_size(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// A retry dialog of the setup (null when none came within a minute).
HWND wait_for_retry_dialog(const char* caption) {
  return test::wait_for_program_window(setup_program(), kRetryDialogClass, caption);
}

void type(HWND dialog, int control, const std::string& text) {
  SendMessageA(GetDlgItem(dialog, control), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void click(HWND dialog, int control) { PostMessageA(GetDlgItem(dialog, control), BM_CLICK, 0, 0); }

// The block is in the web data folder, complete.
void expect_fetched() {
  EXPECT_EQ(test::read_file(web_data_folder() + "extras\\notes.txt"), "Notes that travel in the web media block.\r\n");
  EXPECT_EQ(test::read_file(web_data_folder() + "MAIN\\tool.txt"), "A file of the block itself.\r\n");
  EXPECT_TRUE(platform::file_exists(web_data_folder() + "MAIN\\" + kRevision)) << "the block's marker";
}

// The setup went through: the block fetched, and the product installed
// unless the setup could only fetch.
void expect_done(Route route) {
  expect_fetched();
  if (route == Route::kHttpClient) {
    EXPECT_EQ(report(), "FETCHED\r\n");
    return;
  }
  EXPECT_EQ(report().substr(0, 9), "COMPLETE ") << report();
  EXPECT_EQ(MsiQueryProductStateA(kProductCode), INSTALLSTATE_DEFAULT);
}

class WebSetupTest : public test::WebBenchTest {
 protected:
  void SetUp() override {
    test::WebBenchTest::SetUp();
    remove_product();
  }
  void TearDown() override { remove_product(); }

  // Serves `archive` under a name of its own; gives the name.
  std::string serve_archive(const std::string& archive, const std::string& stem) const {
    const std::string name = test::unique_name(stem) + ".7zip";
    serve(name, test::read_file(archive));
    return name;
  }

  // How the setups started from now on download.
  void use_route(Route route) {
    loader_.reset();
    loader_.emplace(route);
    route_ = route;
  }

  test::StartedProgram start_setup(bool silent, const std::string& first, const std::string& second = "") const {
    return test::StartedProgram(command_line(route_, silent, first, second));
  }
  std::uint32_t run_silently(const std::string& first, const std::string& second = "") const {
    return start_setup(true, first, second).wait();
  }

  Route route_ = Route::kUrlMoniker;
  std::optional<LoaderSettings> loader_;
};

TEST_F(WebSetupTest, TheBlockIsDownloadedExtractedAndInstalled) {
  const std::string name = serve_archive(setup_folder() + "web\\MAIN.7zip", "web-setup");
  EXPECT_EQ(run_silently(bench_.url + "/files/" + name), 0u);
  // The files of the media file list went to their folders, the block's own
  // files to its folder, with the marker that says the block is complete.
  expect_done(route_);
  EXPECT_FALSE(platform::file_exists(downloaded_archive())) << "the downloaded archive is gone";
  EXPECT_EQ(log_entries("/files/" + name).size(), 1u);
}

// An offline medium: the archive lies beside the setup, nothing is downloaded.
TEST_F(WebSetupTest, AnArchiveBesideTheSetupIsUsedWithoutDownload) {
  const std::string medium = setup_folder() + "medium\\";
  const std::string unused = bench_.url + "/files/" + test::unique_name("never-asked") + ".7zip";
  EXPECT_EQ(test::run_and_wait("\"" + medium + "setup.exe\" /s \"LOCATION1=" + unused +
                               "\" \"LOCATION2=\""),
            0u);
  expect_done(Route::kUrlMoniker);
  EXPECT_TRUE(platform::file_exists(medium + "MAIN.7zip")) << "an archive of the medium is kept";
}

// The first location answers 404; the second serves the block, by either
// way of downloading.
TEST_F(WebSetupTest, AfterAMissingLocationTheSecondServes) {
  for (const Route route : {Route::kUrlMoniker, Route::kHttpClient}) {
    SCOPED_TRACE(route == Route::kUrlMoniker ? "URL moniker" : "HTTP client");
    use_route(route);
    const std::string missing = "/files/" + test::unique_name("missing") + ".7zip";
    const std::string name = serve_archive(setup_folder() + "web\\MAIN.7zip", "second-location");
    EXPECT_EQ(run_silently(bench_.url + missing, bench_.url + "/files/" + name), 0u);
    expect_done(route_);
    EXPECT_EQ(log_entries(missing).front().status, 404u);
    // The HTTP client asks with HEAD first.
    const std::vector<test::AccessLogEntry> served = log_entries("/files/" + name, route == Route::kHttpClient ? 2 : 1);
    EXPECT_EQ(served.back().status, 200u);
    EXPECT_EQ(served.back().agent == kHttpClientAgent, route == Route::kHttpClient) << served.back().agent;
    remove_product();
  }
}

// The connection drops part-way; the next run continues the archive from
// 2048 bytes before where it stopped, and installs.
TEST_F(WebSetupTest, ACutDownloadResumesFromWhereItStopped) {
  use_route(Route::kHttpClient);
  const std::string name = serve_archive(large_archive(), "cut");
  const std::uint64_t full = file_size(large_archive());
  EXPECT_EQ(run_silently(bench_.relay_url + "/cut/400000/files/" + name), 0u);
  EXPECT_EQ(report(), "(no report)") << "the script ended at the failed download";
  const std::uint64_t kept = file_size(downloaded_archive());
  ASSERT_GT(kept, 300000u);
  ASSERT_LT(kept, full);

  EXPECT_EQ(run_silently(bench_.url + "/files/" + name), 0u);
  expect_done(route_);
  // HEAD and GET of each run (the relay passes the path on as it is).
  const test::AccessLogEntry resumed = log_entries("/files/" + name, 4).back();
  EXPECT_EQ(resumed.method, "GET");
  EXPECT_EQ(resumed.range, "bytes=" + std::to_string(kept - 2048) + "-");
  EXPECT_EQ(resumed.status, 206u);
  const std::uint64_t missing = full - kept;
  EXPECT_GE(resumed.body_bytes, missing);
  EXPECT_LE(resumed.body_bytes, missing + 2048) << "fetched again no more than the 2048 bytes before the cut";
  EXPECT_EQ(test::read_file(web_data_folder() + "MAIN\\filler.bin"), test::read_file(filler()));
}

// A location served only through a proxy: the download fails, the user
// names the proxy (with its user and password) in the retry dialog, and the
// next attempt goes through it.
TEST_F(WebSetupTest, TheUserNamesAProxyAndTheDownloadGoesThroughIt) {
  use_route(Route::kHttpClient);
  const std::string name = serve_archive(setup_folder() + "web\\MAIN.7zip", "proxied");
  test::StartedProgram setup = start_setup(false, bench_.url + "/proxied/" + name);
  const HWND dialog = wait_for_retry_dialog("Retry Download?");
  ASSERT_NE(dialog, nullptr);
  type(dialog, retry_control::kServer, bench_.proxy);
  type(dialog, retry_control::kPort, bench_.auth_proxy_port);
  type(dialog, retry_control::kUser, bench_.proxy_user);
  type(dialog, retry_control::kPassword, bench_.proxy_password);
  click(dialog, IDYES);
  EXPECT_EQ(setup.wait(), 0u);
  expect_done(route_);
  const std::vector<test::AccessLogEntry> entries = log_entries("/proxied/" + name, 3);
  EXPECT_EQ(entries.front().status, 403u) << "asked directly first";
  EXPECT_EQ(entries.back().status, 200u);
  EXPECT_NE(entries.back().via.find("tinyproxy"), std::string::npos) << entries.back().via;
}

// Through the URL moniker a failed download asks whether to resume or start
// afresh; the file appears on the server meanwhile and OK fetches it.
TEST_F(WebSetupTest, AfterAFailedMonikerDownloadTheUserRetries) {
  const std::string name = test::unique_name("later") + ".7zip";
  test::StartedProgram setup = start_setup(false, bench_.url + "/files/" + name);
  const HWND dialog = wait_for_retry_dialog("Retry Download?");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(SendMessageA(GetDlgItem(dialog, retry_control::kResume), BM_GETCHECK, 0, 0), BST_CHECKED);
  serve(name, test::read_file(setup_folder() + "web\\MAIN.7zip"));
  click(dialog, IDOK);
  EXPECT_EQ(setup.wait(), 0u);
  expect_done(route_);
  const std::vector<test::AccessLogEntry> entries = log_entries("/files/" + name, 2);
  EXPECT_EQ(entries.front().status, 404u);
  EXPECT_EQ(entries.back().status, 200u);
}

// One damaged byte: the extraction fails, the user asks for a fresh copy,
// and the server's good archive is downloaded anew and installed.
TEST_F(WebSetupTest, ADamagedArchiveIsReportedAndFetchedAfresh) {
  std::string damaged = test::read_file(large_archive());
  damaged[damaged.size() / 2] ^= 0x5A;
  const std::string name = test::unique_name("damaged") + ".7zip";
  serve(name, damaged);
  test::StartedProgram setup = start_setup(false, bench_.url + "/files/" + name);
  const HWND dialog = wait_for_retry_dialog("Retry Extraction?");
  ASSERT_NE(dialog, nullptr);
  serve(name, test::read_file(large_archive()));
  click(dialog, retry_control::kDownload);
  click(dialog, IDOK);
  EXPECT_EQ(setup.wait(), 0u);
  expect_done(route_);
  EXPECT_EQ(log_entries("/files/" + name, 2).size(), 2u) << "downloaded again";
  EXPECT_EQ(test::read_file(web_data_folder() + "MAIN\\filler.bin"), test::read_file(filler()));
}

// An archive under another password cannot be opened: after the silent
// retries the user is asked, cancels, and reads why the setup ends. The
// download is kept for a later run.
TEST_F(WebSetupTest, AWrongPasswordIsReported) {
  const std::string name = serve_archive(wrong_password_archive(), "wrong-password");
  test::StartedProgram setup = start_setup(false, bench_.url + "/files/" + name);
  const HWND dialog = wait_for_retry_dialog("Retry Extraction?");
  ASSERT_NE(dialog, nullptr);
  click(dialog, IDCANCEL);
  const test::SeenMessageBox error = test::answer_message_box(kCaption, IDOK, "web-media-extraction-failed");
  EXPECT_TRUE(error.text.starts_with("Runtime error in setup script:\r\rLine ")) << error.text;
  EXPECT_TRUE(error.text.ends_with(": Unable to extract installation data downloaded from the web")) << error.text;
  EXPECT_EQ(setup.wait(), 0u);
  EXPECT_EQ(report(), "(no report)");
  EXPECT_EQ(MsiQueryProductStateA(kProductCode), INSTALLSTATE_UNKNOWN);
  EXPECT_EQ(file_size(downloaded_archive()), file_size(wrong_password_archive())) << "the download is preserved";
}

// The progress page shows the download as it goes (a picture of it is
// saved); the user cancels half-way, the partial archive stays, and the next
// run continues it.
TEST_F(WebSetupTest, TheDownloadShowsOnTheProgressPageAndACancelKeepsWhatArrived) {
  use_route(Route::kHttpClient);
  const std::string name = serve_archive(large_archive(), "slow");
  test::StartedProgram setup = start_setup(false, bench_.url + "/slow/" + name);
  test::WizardDriver wizard(setup_program());
  ASSERT_TRUE(wizard.wait_for_page("Progress"));
  int position = 0;
  for (int wait = 0; wait < 300; ++wait) {
    position = static_cast<int>(SendMessageA(wizard.control("Progress"), PBM_GETPOS, 0, 0));
    if (position > 1 && wizard.text("Status").find("bytes received") != std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  const std::string status = wizard.text("Status");
  EXPECT_TRUE(status.starts_with("Downloading Web Media: MAIN\r")) << status;
  EXPECT_NE(status.find(" bytes received, "), std::string::npos) << status;
  EXPECT_NE(status.find("% complete"), std::string::npos) << status;
  EXPECT_GT(position, 1);
  test::save_window_picture(wizard.page(), "web-media-download-progress");

  PostMessageA(wizard.control("Cancel"), BM_CLICK, 0, 0);
  EXPECT_EQ(test::answer_message_box(kCaption, IDYES).text, "Are you sure you want to cancel?");
  const test::SeenMessageBox error = test::answer_message_box(kCaption, IDOK);
  EXPECT_TRUE(error.text.ends_with(": Unable to download installation data from the web")) << error.text;
  EXPECT_EQ(setup.wait(), 0u);
  const std::uint64_t kept = file_size(downloaded_archive());
  EXPECT_GT(kept, 2048u);
  EXPECT_LT(kept, file_size(large_archive()));

  EXPECT_EQ(run_silently(bench_.url + "/files/" + name), 0u);
  expect_done(route_);
  EXPECT_EQ(log_entries("/files/" + name, 2).back().range, "bytes=" + std::to_string(kept - 2048) + "-");
}

}  // namespace
}  // namespace qm
