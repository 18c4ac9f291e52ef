// "Create Share" and "Delete Share" against the network functions of the
// machine. Wine cannot make shares (NetShareAdd answers "not supported") and
// knows none (NetShareGetInfo answers "no such share"), so there the
// commands must leave no trace and let the script go on; where shares can
// be made, they are read back.

#include <gtest/gtest.h>

#include <windows.h>
#include <lm.h>

#include <optional>
#include <string>

#include "platform/security_descriptor.h"
#include "platform/wide_text.h"
#include "tests/support/engine_run.h"
#include "tests/support/script_text.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

struct ShareFacts {
  std::string path;
  std::string remark;
  DWORD type = 0;
  DWORD max_uses = 0;
};

std::optional<ShareFacts> find_share(const std::string& name) {
  using GetInfo = NET_API_STATUS WINAPI(LPWSTR, LPWSTR, DWORD, LPBYTE*);
  using FreeBuffer = NET_API_STATUS WINAPI(LPVOID);
  auto* get_info = platform::system_function<GetInfo>("netapi32.dll", "NetShareGetInfo");
  auto* free_buffer = platform::system_function<FreeBuffer>("netapi32.dll", "NetApiBufferFree");
  if (get_info == nullptr || free_buffer == nullptr) return std::nullopt;
  std::wstring wide = platform::wide_from_ansi(name);
  LPBYTE buffer = nullptr;
  if (get_info(nullptr, wide.data(), 2, &buffer) != NERR_Success) return std::nullopt;
  const auto* info = reinterpret_cast<const SHARE_INFO_2*>(buffer);
  ShareFacts facts{platform::ansi_from_wide(info->shi2_path ? info->shi2_path : L""),
                   platform::ansi_from_wide(info->shi2_remark ? info->shi2_remark : L""), info->shi2_type,
                   info->shi2_max_uses};
  free_buffer(buffer);
  return facts;
}

// Whether this system makes shares at all: asked with a share of the
// folder that is removed again at once.
bool system_makes_shares(const std::string& folder) {
  using Add = NET_API_STATUS WINAPI(LPWSTR, DWORD, LPBYTE, LPDWORD);
  using Delete = NET_API_STATUS WINAPI(LPWSTR, LPWSTR, DWORD);
  auto* add = platform::system_function<Add>("netapi32.dll", "NetShareAdd");
  auto* remove = platform::system_function<Delete>("netapi32.dll", "NetShareDel");
  if (add == nullptr || remove == nullptr) return false;
  std::wstring name = L"QMPROBE" + std::to_wstring(GetCurrentProcessId());
  std::wstring path = platform::wide_from_ansi(folder);
  std::wstring empty;
  SHARE_INFO_2 info{name.data(), STYPE_DISKTREE, empty.data(), 0xFF, static_cast<DWORD>(-1), 0, path.data(),
                    empty.data()};
  DWORD bad_field = 0;
  const NET_API_STATUS status = add(nullptr, 2, reinterpret_cast<LPBYTE>(&info), &bad_field);
  if (status == NERR_Success) remove(nullptr, name.data(), 0);
  return status == NERR_Success;
}

TEST(SharesTest, FoldersPrintersAndWithdrawal) {
  const test::TempFolder folder;
  const std::string data = folder.file("Shared Data");
  CreateDirectoryA(data.c_str(), nullptr);
  const std::string pid = std::to_string(GetCurrentProcessId());
  const std::string folder_share = "QMDATA" + pid;
  const std::string drive_share = "QMDRIVE" + pid;
  const std::string printer_share = "QMPRINT" + pid;

  test::PackageText package = test::script_package("Set Variable | DATA | " + data + "\\\\");
  package.add_line("Create Share", {"$DATA$|", folder_share, "Product data"});
  package.add_line("Create Share", {"C:|", drive_share, ""});
  package.add_line("Create Share", {"No Such Printer QM", printer_share, "A printer"});
  package.add_line("Create Share", {"$DATA$|NO-SUCH-HOST-QM", "QMREMOTE" + pid, ""});
  package.add_line("Set Variable", {"MADE", "yes"});
  const bool shares_made = system_makes_shares(data);
  std::optional<ShareFacts> made_folder, made_drive;
  {
    test::EngineRun run(package);
    ASSERT_TRUE(run.run());
    EXPECT_FALSE(run.outcome().failed) << run.outcome().error_report;
    EXPECT_EQ(run.get("MADE"), "yes") << "the script goes on";
    made_folder = find_share(folder_share);
    made_drive = find_share(drive_share);
    EXPECT_FALSE(find_share(printer_share).has_value()) << "there is no such printer";
  }
  if (shares_made) {
    ASSERT_TRUE(made_folder.has_value());
    EXPECT_EQ(made_folder->path, CharUpperA(std::string(data).data()));
    EXPECT_EQ(made_folder->remark, "Product data");
    EXPECT_EQ(made_folder->type, DWORD{STYPE_DISKTREE});
    EXPECT_EQ(made_folder->max_uses, static_cast<DWORD>(-1));
    ASSERT_TRUE(made_drive.has_value());
    EXPECT_EQ(made_drive->path, "C:\\");
  } else {
    EXPECT_FALSE(made_folder.has_value()) << "this system makes no shares, and none was claimed";
    EXPECT_FALSE(made_drive.has_value());
  }

  test::PackageText removal = test::script_package("Set Variable | SHARE | " + folder_share);
  removal.add_line("Delete Share", {"$SHARE$"});
  removal.add_line("Delete Share", {drive_share + "|"});
  removal.add_line("Delete Share", {"QMNEVER" + pid});  // never made
  removal.add_line("Delete Share", {"QMNEVER" + pid + "|NO-SUCH-HOST-QM"});
  removal.add_line("Delete Share", {""});
  removal.add_line("Set Variable", {"REMOVED", "yes"});
  test::EngineRun run(removal);
  ASSERT_TRUE(run.run());
  EXPECT_FALSE(run.outcome().failed) << run.outcome().error_report;
  EXPECT_EQ(run.get("REMOVED"), "yes");
  EXPECT_FALSE(find_share(folder_share).has_value());
  EXPECT_FALSE(find_share(drive_share).has_value());
  EXPECT_NE(GetFileAttributesA(data.c_str()), INVALID_FILE_ATTRIBUTES) << "withdrawing a share keeps the folder";
}

}  // namespace
}  // namespace qm
