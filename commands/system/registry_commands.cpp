// Handlers of the registry commands that act at once: "Read Registry",
// "Check Registry" and "Delete Registry". ("Write Registry" is a deferred
// change line: commands/system/deferred_lines.cpp.)

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "platform/registry.h"
#include "script/integer_text.h"

namespace qm {

namespace {

using platform::RegistryKey;
using platform::RegistryValue;

// What "Check Registry" reports instead of a value; "Read Registry" gives the
// empty text for each of them.
constexpr std::string_view kNoKey = "NO$KEY";
constexpr std::string_view kNoValue = "NO$VALUE";
constexpr std::string_view kBinaryValue = "BINARY$VALUE";
constexpr std::string_view kUnknownType = "UNKNOWN$TYPE";
constexpr std::string_view kReadError = "READ$ERROR";

bool is_report_text(std::string_view result) {
  for (std::string_view text : {kNoKey, kNoValue, kBinaryValue, kUnknownType, kReadError})
    if (result == text) return true;
  return false;
}

// Scripts number the root keys 0 to 4; HKEY_PERFORMANCE_DATA has no number.
std::optional<HKEY> root_key(std::int32_t number) {
  switch (number) {
    case 0: return HKEY_CLASSES_ROOT;
    case 1: return HKEY_CURRENT_USER;
    case 2: return HKEY_LOCAL_MACHINE;
    case 3: return HKEY_USERS;
    case 4: return HKEY_CURRENT_CONFIG;
    default: return std::nullopt;
  }
}

// Scripts may write a key path with a leading "\", as seen from the root;
// RegOpenKeyExA takes it relative to the root only.
std::string key_path_field(const Engine& engine, const ScriptLine& line, std::size_t n) {
  const std::string path = normalized_field(engine, line, n);
  const std::size_t start = path.find_first_not_of('\\');
  return start == std::string::npos ? std::string() : path.substr(start);
}

std::string value_text(const RegistryValue& value) {
  switch (value.type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
      return value.data.substr(0, value.data.find('\0'));
    case REG_DWORD: {
      if (value.data.size() != sizeof(std::int32_t)) return std::string(kReadError);
      std::int32_t number = 0;
      std::memcpy(&number, value.data.data(), sizeof number);
      return std::to_string(number);
    }
    case REG_BINARY:
      return std::string(kBinaryValue);
    default:
      return std::string(kUnknownType);
  }
}

// The value the line names, or the text that says why there is none. A root
// outside 0-4 names no key anyone could mean: it is a read error.
std::string read_value_text(const Engine& engine, const ScriptLine& line) {
  const std::optional<HKEY> root = root_key(integer_text(engine.field(line, 2)));
  if (!root) return std::string(kReadError);
  const RegistryKey key = RegistryKey::open(*root, key_path_field(engine, line, 3), KEY_READ, engine.registry_view);
  if (!key.valid()) return std::string(kNoKey);
  const std::optional<RegistryValue> value = key.read_value(normalized_field(engine, line, 4));
  return value ? value_text(*value) : std::string(kNoValue);
}

enum class Report { kValueOnly, kWhyNoValue };

void read_registry(Engine& engine, const ScriptLine& line, Report report) {
  const std::string variable = bare_variable_field(engine, line, 1);
  std::string result;
  {
    const RegistryViewGuard view(engine);
    try {
      if (!engine.variables.exists(variable)) set_or_define_result(engine, line, variable, "");
      result = read_value_text(engine, line);
    } catch (const std::exception&) {
      result = kReadError;
    }
  }
  if (report == Report::kValueOnly && is_report_text(result)) result.clear();
  set_result(engine, line, variable, result);
}

// Under WOW64 for a 64-bit target only a key without subkeys is deleted, and
// never one directly under the root. The parent is opened in the 64-bit view
// as well: opened in the 32-bit one, the parent of a key under
// HKEY_LOCAL_MACHINE\Software would be the 32-bit registry's key, and the
// 32-bit leaf, or none, would go.
void delete_64_bit_leaf_key(const Engine& engine, HKEY root, const std::string& path) {
  const std::size_t last = path.rfind('\\');
  if (last == std::string::npos) return;
  const RegistryKey parent = RegistryKey::open(root, path.substr(0, last), KEY_WRITE, engine.registry_view);
  if (parent.valid()) platform::delete_registry_key(parent.get(), path.substr(last + 1), engine.registry_view);
}

void delete_registry_entry(const Engine& engine, const ScriptLine& line) {
  const HKEY root = root_key(integer_text(engine.field(line, 1))).value_or(HKEY_CURRENT_USER);
  const std::string path = key_path_field(engine, line, 2);
  if (!truth_field(engine, line, 4)) {
    const RegistryKey key = RegistryKey::open(root, path, KEY_READ | KEY_WRITE, engine.registry_view);
    key.delete_value(normalized_field(engine, line, 3));
    return;
  }
  std::string key_path = path;
  while (!key_path.empty() && key_path.back() == '\\') key_path.pop_back();
  if (targets_64_bit_windows(engine))
    delete_64_bit_leaf_key(engine, root, key_path);
  else if (!key_path.empty())  // an empty path names the root itself, never to be emptied
    platform::delete_registry_tree(root, key_path, engine.registry_view);
}

}  // namespace

// "Read Registry" — field 1: bare variable (defined empty when missing);
// field 2: root key number 0-4; field 3: key path; field 4: value name (empty:
// the key's default value). Sets variable 1 to the value as text (REG_SZ and
// REG_EXPAND_SZ unexpanded, REG_DWORD as a signed decimal), or to the empty
// text when there is no readable text value. Reads in the registry view of
// the target platform.
void read_registry_command(Engine& engine, const ScriptLine& line) { read_registry(engine, line, Report::kValueOnly); }

// "Check Registry" — as "Read Registry", but instead of the empty text it
// says why there is no value: NO$KEY, NO$VALUE, BINARY$VALUE, UNKNOWN$TYPE or
// READ$ERROR (a root text that is no number 0-4, or a value that cannot be read).
void check_registry_command(Engine& engine, const ScriptLine& line) {
  read_registry(engine, line, Report::kWhyNoValue);
}

// "Delete Registry" — field 1: root key number (HKEY_CURRENT_USER for a
// number outside 0-4); field 2: key path; field 3: value name; field 4, truth:
// delete the key rather than the value. A key goes with all its subkeys;
// under WOW64 for a 64-bit target only a key without subkeys in the 64-bit
// registry. Reports nothing: what cannot be deleted stays.
void delete_registry_command(Engine& engine, const ScriptLine& line) {
  const RegistryViewGuard view(engine);
  try {
    delete_registry_entry(engine, line);
  } catch (const std::exception&) {
  }
}

}  // namespace qm
