#include "tests/support/installed_product.h"

#include <windows.h>
#include <msi.h>

#include "platform/registry.h"
#include "platform/registry_view.h"

namespace qm::test {

void uninstall_product(const char* product_code) {
  if (MsiQueryProductStateA(product_code) == INSTALLSTATE_UNKNOWN) return;
  MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
  MsiConfigureProductA(product_code, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT);
}

void remove_installed_product(const char* product_code, const std::string& title) {
  uninstall_product(product_code);
  const std::string uninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  for (const std::string& key : {uninstall + title, uninstall + product_code,
                                 std::string("SOFTWARE\\Brennivax\\Quillmore\\Ident.Cache\\") + product_code})
    platform::delete_registry_tree(HKEY_LOCAL_MACHINE, key, platform::RegistryView::kDefault);
}

}  // namespace qm::test
