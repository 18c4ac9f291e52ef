#pragma once
// Access lists read back in tests, independently of the engine's own
// security code: each entry as "SID kind mask flags", or "none" for a null
// list.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace qm::test {

using AccessEntries = std::vector<std::string>;

// "S-1-1-0 allow 1200A9 3": the entry's SID, kind (allow, deny or the type
// number), access mask and inheritance flags in hexadecimal.
std::string describe_entry(const ACE_HEADER* entry);
// The entries of a list; {"none"} for a null list.
AccessEntries describe_list(const ACL* list, bool present);

// The list of a registry key in `view` (KEY_WOW64_32KEY or KEY_WOW64_64KEY);
// nothing when the key cannot be read.
std::optional<AccessEntries> key_access(HKEY root, REGSAM view, const std::string& path);
// Gives the key a list (null: no list); false when that fails.
bool set_key_access(HKEY root, REGSAM view, const std::string& path, const ACL* list);

// The list of a file or folder as Windows (or Wine) reports it.
std::optional<AccessEntries> file_access(const std::string& path);

// Builds a list of allowed ("+") and denied ("-") entries, such as
// {"+S-1-5-32-544 F003F 0", "-S-1-1-0 2 0"}.
std::vector<BYTE> make_list(const std::vector<std::string>& entries);

// The SID of the process's user as text.
std::string process_user_sid_text();

}  // namespace qm::test
