#include "commands/security/security_object_name.h"

#include "script/ansi_text.h"

namespace qm {

namespace {

struct RootName {
  std::string_view written;
  std::string_view security_name;
};

constexpr RootName kRootNames[] = {
    {"HKLM", "MACHINE"},          {"LOCAL_MACHINE", "MACHINE"},   {"MACHINE", "MACHINE"},
    {"HKU", "USERS"},             {"USERS", "USERS"},             {"HKCU", "CURRENT_USER"},
    {"USER", "CURRENT_USER"},     {"CURRENT_USER", "CURRENT_USER"}, {"HKCC", "CONFIG"},
    {"CURRENT_CONFIG", "CONFIG"}, {"CONFIG", "CONFIG"},           {"HKCR", "CLASSES_ROOT"},
    {"CLASSES", "CLASSES_ROOT"},  {"CLASSES_ROOT", "CLASSES_ROOT"},
};

bool starts_with_ignore_case(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && ascii_equal_ignore_case(text.substr(0, prefix.size()), prefix);
}

// A decimal number that fits `limit`; nothing for an empty text, another
// character or an overflow.
std::optional<std::uint64_t> decimal(std::string_view digits, std::uint64_t limit) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > limit) return std::nullopt;
  }
  return value;
}

constexpr std::size_t kMostSubAuthorities = 8;

}  // namespace

std::string registry_security_name(std::string_view key) {
  if (starts_with_ignore_case(key, "HKEY_")) key.remove_prefix(5);
  const std::size_t slash = key.find('\\');
  const std::string_view first = key.substr(0, slash);
  const std::string_view rest = slash == std::string_view::npos ? std::string_view() : key.substr(slash);
  for (const RootName& root : kRootNames)
    if (ascii_equal_ignore_case(first, root.written)) return std::string(root.security_name) + std::string(rest);
  return ansi_upper(first) + std::string(rest);
}

std::optional<SidText> parse_sid_text(std::string_view text) {
  if (!starts_with_ignore_case(text, "S-1-")) return std::nullopt;
  text.remove_prefix(4);
  std::vector<std::string_view> parts;
  for (;;) {
    const std::size_t dash = text.find('-');
    parts.push_back(text.substr(0, dash));
    if (dash == std::string_view::npos) break;
    text.remove_prefix(dash + 1);
  }
  if (parts.size() > kMostSubAuthorities + 1) return std::nullopt;
  const std::optional<std::uint64_t> authority = decimal(parts.front(), 255);
  if (!authority) return std::nullopt;
  SidText sid;
  sid.authority = static_cast<std::uint8_t>(*authority);
  for (std::size_t i = 1; i < parts.size(); ++i) {
    const std::optional<std::uint64_t> sub_authority = decimal(parts[i], 0xFFFFFFFFu);
    if (!sub_authority) return std::nullopt;
    sid.sub_authorities.push_back(static_cast<std::uint32_t>(*sub_authority));
  }
  return sid;
}

}  // namespace qm
