// Windows Installer bound by name: the real msi.dll of the system folder,
// and the errors a user reads when the library or a function is missing.

#include "platform/msi_library.h"

#include <gtest/gtest.h>

#include <msiquery.h>

#include <functional>
#include <string>

#include "platform/system_library.h"
#include "tests/support/temp_folder.h"

namespace qm::platform {
namespace {

std::string error_text_of(const std::function<void()>& call) {
  try {
    call();
  } catch (const ScriptError& error) {
    return error.what();
  }
  return "(no error)";
}

TEST(MsiLibraryTest, BindsTheSystemFoldersLibraryByName) {
  MsiLibrary library;
  auto* const query = library.function<INSTALLSTATE WINAPI(LPCSTR)>("MsiQueryProductStateA");
  // Whatever else is loaded, the function is the system folder's msi.dll's.
  const HMODULE system_msi = GetModuleHandleA((system_folder() + "msi.dll").c_str());
  ASSERT_NE(system_msi, nullptr) << "loaded by full path from the system folder";
  EXPECT_EQ(reinterpret_cast<void*>(query), reinterpret_cast<void*>(GetProcAddress(system_msi, "MsiQueryProductStateA")));
  EXPECT_EQ(library.function<INSTALLSTATE WINAPI(LPCSTR)>("MsiQueryProductStateA"), query) << "found once, kept";
}

TEST(MsiLibraryTest, ProductStates) {
  MsiLibrary library;
  const struct {
    const char* code;
    INSTALLSTATE state;
  } cases[] = {
      {"{6B1E2B5D-9C0A-4F53-8E36-52A0C1D7E9F4}", INSTALLSTATE_UNKNOWN},  // well formed, not installed
      {"{6b1e2b5d-9c0a-4f53-8e36-52a0c1d7e9f4}", INSTALLSTATE_UNKNOWN},
      {"6B1E2B5D-9C0A-4F53-8E36-52A0C1D7E9F4", INSTALLSTATE_INVALIDARG},  // no braces
      {"{6B1E2B5D-9C0A-4F53-8E36-52A0C1D7E9F}", INSTALLSTATE_INVALIDARG},
      {"not a product code", INSTALLSTATE_INVALIDARG},
      {"", INSTALLSTATE_INVALIDARG},
  };
  for (const auto& c : cases) EXPECT_EQ(library.query_product_state(c.code), c.state) << c.code;
}

TEST(MsiLibraryTest, MissingLibraryAndFunctionAreNamed) {
  MsiLibrary absent("qm_no_such_library.dll");
  EXPECT_EQ(error_text_of([&] { absent.query_product_state("{6B1E2B5D-9C0A-4F53-8E36-52A0C1D7E9F4}"); }),
            "Library not found: qm_no_such_library.dll");
  EXPECT_EQ(error_text_of([&] { absent.function<UINT WINAPI(MSIHANDLE)>("MsiCloseHandle"); }),
            "Library not found: qm_no_such_library.dll")
      << "asked again, still missing";

  MsiLibrary library;
  EXPECT_EQ(error_text_of([&] { library.function<UINT WINAPI()>("MsiNoSuchFunction"); }),
            "Function not found: msi.dll.MsiNoSuchFunction");
  EXPECT_EQ(error_text_of([&] { library.function<UINT WINAPI(MSIHANDLE)>("MsiCloseHandle"); }), "(no error)")
      << "a missing function spoils none of the others";
}

TEST(MsiLibraryTest, HandlesAreClosedByTheirOwner) {
  test::TempFolder folder;
  MsiLibrary library;
  const auto open_database = library.function<UINT WINAPI(LPCSTR, LPCSTR, MSIHANDLE*)>("MsiOpenDatabaseA");
  const auto close_handle = library.function<UINT WINAPI(MSIHANDLE)>("MsiCloseHandle");
  MSIHANDLE raw = 0;
  ASSERT_EQ(open_database(folder.file("probe.msi").c_str(), reinterpret_cast<LPCSTR>(3) /* create */, &raw), ERROR_SUCCESS);
  {
    const UniqueMsiHandle database(raw);
    EXPECT_TRUE(database.valid());
  }
  EXPECT_EQ(close_handle(raw), static_cast<UINT>(ERROR_INVALID_HANDLE)) << "already closed";
}

}  // namespace
}  // namespace qm::platform
