#pragma once
// Taking a product that a test installed off the machine again: Windows
// Installer removes it, and what the engine registered beside it (its
// uninstall entries, its identity cache key) goes too.

#include <string>

namespace qm::test {

// Removes the product through Windows Installer, silently, when it is
// installed.
void uninstall_product(const char* product_code);

// uninstall_product, then the engine's own keys for the product: the
// uninstall entries under its code and its title, and its identity cache key.
void remove_installed_product(const char* product_code, const std::string& title);

}  // namespace qm::test
