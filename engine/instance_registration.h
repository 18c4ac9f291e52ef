#pragma once
// The registration of an installed instance: its entries in Windows' list of
// installed programs (which start the cached engine to remove or modify it),
// the identity cache entry that leads a newer build to the instance's engine
// cache folder, and the instance file there.

#include <string_view>

namespace qm {

struct Engine;

inline constexpr std::string_view kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
inline constexpr std::string_view kIdentityCacheKey = "SOFTWARE\\Brennivax\\Quillmore\\Ident.Cache\\";

// After an install or advertisement: the uninstall entries (one under the
// product code, one under TITLE), the identity cache entry, under
// HKEY_LOCAL_MACHINE when ALLUSERS is true and HKEY_CURRENT_USER otherwise,
// and "instance.dat" in the engine cache folder. Registry failures are
// ignored; throws platform::WindowsError when the instance file cannot be
// written.
void register_instance(Engine& engine);

// After a removal: the uninstall entries and the identity cache entry, with
// everything below them, from HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER
// whatever ALLUSERS is. Entries that are not there are skipped.
void deregister_instance(Engine& engine);

// Whether a text can name a key below one of the keys above: a key named by
// nothing (an empty TITLE, say) would be the parent key itself, with every
// other product's entry below it.
bool names_a_subkey(std::string_view name);

}  // namespace qm
