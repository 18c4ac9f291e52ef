// "Is MSI Setup Installed" asking the real Windows Installer of the test
// prefix.

#include <gtest/gtest.h>

#include <windows.h>
#include <msi.h>

#include <string>

#include "platform/msi_library.h"
#include "tests/commands/query/query_run.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

TEST(IsMsiSetupInstalledTest, ProductsThatAreNotInstalled) {
  const auto run = test::run_query_script(
      "Set Variable | CODE | {6B1E2B5D-9C0A-4F53-8E36-52A0C1D7E9F4}\n"
      "Set Variable | OLD | TRUE\n"
      "Is MSI Setup Installed | $CODE$ | OLD\n"
      "Is MSI Setup Installed | {6b1e2b5d-9c0a-4f53-8e36-52a0c1d7e9f4} | lower\n"
      "Is MSI Setup Installed | 6B1E2B5D-9C0A-4F53-8E36-52A0C1D7E9F4 | NO_BRACES\n"
      "Is MSI Setup Installed | {not a product code} | MALFORMED\n"
      "Is MSI Setup Installed | $CODE$$CODE$ | TWICE\n"
      "Is MSI Setup Installed | | EMPTY\n");
  ASSERT_FALSE(run->outcome().failed) << run->outcome().error_report;
  for (const char* variable : {"OLD", "LOWER", "NO_BRACES", "MALFORMED", "TWICE", "EMPTY"})
    EXPECT_EQ(run->get(variable), "FALSE") << variable;
}

TEST(IsMsiSetupInstalledTest, AVeryLongCodeIsNoProduct) {
  const auto run = test::run_query_script("Is MSI Setup Installed | {" + std::string(100000, '7') + "} | LONG\n");
  EXPECT_EQ(run->get("LONG"), "FALSE");
}

// The probe product the build makes (tests/commands/machine/fixtures),
// installed for this user while the test runs, and removed on every way out.
class InstalledProbeProduct {
 public:
  static constexpr const char* kCode = "{4F0C2B7E-91D3-4A6B-8E25-6C1A9D3F7B04}";

  InstalledProbeProduct() {
    library_.function<INSTALLUILEVEL WINAPI(INSTALLUILEVEL, HWND*)>("MsiSetInternalUI")(INSTALLUILEVEL_NONE, nullptr);
    const std::string package = test::program_folder() + "probe_product.msi";
    result_ = library_.function<UINT WINAPI(LPCSTR, LPCSTR)>("MsiInstallProductA")(package.c_str(), "");
  }
  ~InstalledProbeProduct() { remove(); }
  InstalledProbeProduct(const InstalledProbeProduct&) = delete;
  InstalledProbeProduct& operator=(const InstalledProbeProduct&) = delete;

  UINT result() const { return result_; }
  UINT remove() {
    return library_.function<UINT WINAPI(LPCSTR, int, INSTALLSTATE)>("MsiConfigureProductA")(
        kCode, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT);
  }

 private:
  platform::MsiLibrary library_;
  UINT result_ = 0;
};

TEST(IsMsiSetupInstalledTest, AProductInstalledAndRemovedAgain) {
  const std::string script = std::string("Is MSI Setup Installed | ") + InstalledProbeProduct::kCode + " | INSTALLED\n";
  {
    InstalledProbeProduct product;
    ASSERT_EQ(product.result(), static_cast<UINT>(ERROR_SUCCESS));
    EXPECT_EQ(test::run_query_script(script)->get("INSTALLED"), "TRUE");
    ASSERT_EQ(product.remove(), static_cast<UINT>(ERROR_SUCCESS));
  }
  EXPECT_EQ(test::run_query_script(script)->get("INSTALLED"), "FALSE");
}

}  // namespace
}  // namespace qm
