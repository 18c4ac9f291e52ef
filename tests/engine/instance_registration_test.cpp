// The registration of an installed instance in the real registry of the test
// prefix: written for all users or for this user, removed from both. Each
// test uses a product code and title of its own and removes what it wrote.

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "engine/engine.h"
#include "engine/instance_bootstrap.h"
#include "engine/instance_registration.h"
#include "tests/support/registry_keys.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

const std::string kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string kIdentityCache = "SOFTWARE\\Brennivax\\Quillmore\\Ident.Cache\\";

// The engine writes without a view bit: as a 32-bit program it sees the
// 32-bit view of HKEY_LOCAL_MACHINE\Software.
constexpr REGSAM kView = KEY_WOW64_32KEY;

struct Registration {
  test::TempFolder folder;
  std::unique_ptr<Engine> engine = std::make_unique<Engine>();
  std::string title = "Quillmore Registration Test " + std::to_string(GetCurrentProcessId());

  Registration() {
    engine->instance = {new_guid_text(), new_guid_text(), "Package Title"};
    StartupValues& startup = engine->startup;
    startup.engine_path = folder.file("dist\\Setup.EXE");
    startup.engine_name = "Setup";
    startup.user_cache_root = folder.file("user\\");
    startup.common_cache_root = folder.file("common\\");
    for (const std::string& root : {startup.user_cache_root, startup.common_cache_root}) {
      CreateDirectoryA(root.c_str(), nullptr);
      CreateDirectoryA((root + engine->instance.revision_code).c_str(), nullptr);
    }
    engine->package.publisher = {"Brennivax", "support@example.com", "https://example.com/help",
                                 "https://example.com/update", "A comment", "1.2.3"};
    engine->variables.define("TITLE", title, category::kInitialization);
    engine->variables.define("INSTALLROOT", "C:\\\\Apps", category::kInitialization);
    engine->variables.define("TARGETDIR", "$INSTALLROOT$\\\\Sample\\", category::kInitialization);
  }
  ~Registration() { remove_keys(); }

  void remove_keys() const {
    for (const HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
      test::delete_key_tree(root, kView, title_key());
      test::delete_key_tree(root, kView, product_key());
      test::delete_key_tree(root, kView, identity_key());
    }
  }

  std::string title_key() const { return kUninstall + title; }
  std::string product_key() const { return kUninstall + engine->instance.product_code; }
  std::string identity_key() const { return kIdentityCache + engine->instance.product_code; }
  std::string cache(bool all_users) const {
    return folder.file(std::string(all_users ? "common\\" : "user\\") + engine->instance.revision_code + "\\");
  }
};

TEST(InstanceRegistrationTest, RegisteringForAllUsersOrForThisUser) {
  for (const bool all_users : {true, false}) {
    SCOPED_TRACE(all_users ? "all users" : "this user");
    Registration registration;
    Engine& engine = *registration.engine;
    engine.variables.define("ALLUSERS", all_users ? "TRUE" : "FALSE", category::kInitialization);
    register_instance(engine);

    const HKEY root = all_users ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const HKEY other = all_users ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    const std::string cache = registration.cache(all_users);
    const std::string copy = cache + "Setup.EXE";
    const struct {
      std::string key, name, value;
    } expected[] = {
        {registration.product_key(), "UninstallString", cache + "Setup.exe"},
        {registration.title_key(), "DisplayIcon", copy},
        {registration.title_key(), "DisplayName", registration.title},
        {registration.title_key(), "UninstallString", "\"" + copy + "\" REMOVE=TRUE MODIFY=FALSE"},
        {registration.title_key(), "ModifyPath", copy},
        {registration.title_key(), "Publisher", "Brennivax"},
        {registration.title_key(), "Contact", "support@example.com"},
        {registration.title_key(), "HelpLink", "https://example.com/help"},
        {registration.title_key(), "URLUpdateInfo", "https://example.com/update"},
        {registration.title_key(), "Comments", "A comment"},
        {registration.title_key(), "InstallLocation", "C:\\Apps\\Sample\\"},
        {registration.identity_key(), "", cache},
    };
    for (const auto& [key, name, value] : expected) {
      EXPECT_EQ(test::text_value(root, kView, key, name), value) << key << " " << name;
      EXPECT_FALSE(test::key_exists(other, kView, key)) << key;
    }
    EXPECT_EQ(test::read_file(cache + "instance.dat"), engine.instance.product_code + "\r\n" +
                                                           engine.instance.revision_code + "\r\n" + registration.title +
                                                           "\r\n");
  }
}

// A removal takes the entries away from both roots, whatever ALLUSERS says,
// with everything below them.
TEST(InstanceRegistrationTest, DeregisteringRemovesTheEntriesFromBothRoots) {
  Registration registration;
  Engine& engine = *registration.engine;
  engine.variables.define("ALLUSERS", "FALSE", category::kInitialization);
  for (const HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    for (const std::string& key : {registration.title_key(), registration.product_key(), registration.identity_key()}) {
      test::set_text(root, kView, key, "Marker", "x");
      test::set_text(root, kView, key + "\\Below", "Marker", "x");
    }
  }
  deregister_instance(engine);
  for (const HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
    for (const std::string& key : {registration.title_key(), registration.product_key(), registration.identity_key()})
      EXPECT_FALSE(test::key_exists(root, kView, key)) << key;
  // Nothing to remove a second time.
  deregister_instance(engine);
}

// An empty title or product code names no key of its own: nothing is
// written into the parent keys, and the parent keys with every other
// product's entries stay.
TEST(InstanceRegistrationTest, AnEmptyTitleOrProductCodeTouchesNoOtherEntry) {
  Registration registration;
  Engine& engine = *registration.engine;
  const std::string neighbour = "Quillmore Neighbour " + std::to_string(GetCurrentProcessId());
  for (const std::string& parent : {kUninstall, kIdentityCache})
    test::set_text(HKEY_CURRENT_USER, kView, parent + neighbour, "Marker", "x");
  engine.variables.define("ALLUSERS", "FALSE", category::kInitialization);
  engine.variables.set("TITLE", "", category::kInitialization);
  engine.instance.product_code = "\\";
  EXPECT_FALSE(names_a_subkey(""));
  EXPECT_FALSE(names_a_subkey("\\ \\"));
  EXPECT_TRUE(names_a_subkey("A"));

  register_instance(engine);
  const auto without_backslash = [](const std::string& key) { return key.substr(0, key.size() - 1); };
  EXPECT_FALSE(test::value_exists(HKEY_CURRENT_USER, kView, without_backslash(kUninstall), "DisplayName"));
  EXPECT_FALSE(test::value_exists(HKEY_CURRENT_USER, kView, without_backslash(kIdentityCache), ""));
  deregister_instance(engine);
  for (const std::string& parent : {kUninstall, kIdentityCache}) {
    EXPECT_TRUE(test::key_exists(HKEY_CURRENT_USER, kView, parent + neighbour)) << parent;
    test::delete_key_tree(HKEY_CURRENT_USER, kView, parent + neighbour);
  }
}

}  // namespace
}  // namespace qm
