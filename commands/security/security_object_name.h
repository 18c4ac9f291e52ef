#pragma once
// The texts "Set Access Control" turns into what the security functions
// take: registry key names and accounts written as SIDs.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// A registry key as scripts write it, such as "HKLM\Software\Product" or
// "HKEY_LOCAL_MACHINE\Software\Product", in the form of the security
// functions: "MACHINE\Software\Product". The root's usual short and long
// names are mapped, ignoring case; another first part is upper-cased and
// kept.
std::string registry_security_name(std::string_view key);

// A SID written as text: "S-1-", the identifier authority (below 256), then
// up to eight sub-authorities, all decimal and separated by "-".
struct SidText {
  std::uint8_t authority = 0;
  std::vector<std::uint32_t> sub_authorities;
};

// The SID the text writes, or nothing when it is no SID text of that form
// (it is then an account name).
std::optional<SidText> parse_sid_text(std::string_view text);

}  // namespace qm
