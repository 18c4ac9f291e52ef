#include "installer/database_edits.h"

#include <objbase.h>

#include "installer/installer_database.h"
#include "script/ansi_text.h"

namespace qm {

namespace {

constexpr UINT kTemplateProperty = 7;
constexpr UINT kRevisionProperty = 9;  // the package code
constexpr UINT kWordCountProperty = 15;
constexpr int k64BitComponent = 256;

std::string new_guid_text() {
  GUID guid{};
  CoCreateGuid(&guid);
  wchar_t wide[40] = {};
  StringFromGUID2(guid, wide, 40);
  std::string text;
  for (const wchar_t* c = wide; *c != L'\0'; ++c) text += static_cast<char>(*c);
  return text;
}

// The value as the product's database expects it: real line breaks, and
// "$QUOTE$" for every quote, which the product's own action turns back.
std::string stored_value(const std::string& recorded) {
  std::string value;
  for (std::size_t at = 0; at < recorded.size();) {
    if (recorded.size() - at >= 9 && ascii_equal_ignore_case(std::string_view(recorded).substr(at, 9), "$NEWLINE$")) {
      value += "\r\n";
      at += 9;
    } else if (recorded[at] == '\'') {
      value += "$QUOTE$";
      ++at;
    } else {
      value += recorded[at++];
    }
  }
  return value;
}

void renew_component_identifiers(platform::MsiLibrary& msi, const std::string& package) {
  std::optional<InstallerDatabase> database = InstallerDatabase::open(msi, package, InstallerDatabase::Mode::kTransact);
  if (!database) return;
  database->update_each("SELECT `ComponentId` FROM `Component`",
                        [&](MSIHANDLE record) { database->set_record_text(record, 1, new_guid_text()); });
  database->commit();
}

const char* platform_name(TargetPlatform target) {
  switch (target) {
    case TargetPlatform::kIa64: return "Intel64";
    case TargetPlatform::kX64: return "x64";
    case TargetPlatform::kWin32: break;
  }
  return "Intel";
}

}  // namespace

void write_installer_properties(platform::MsiLibrary& msi, const std::string& package,
                                const std::vector<InstallerProperty>& properties, NewInstanceIdentity& instance) {
  if (instance.requested && !instance.components_renewed) {
    instance.components_renewed = true;
    renew_component_identifiers(msi, package);
  }
  if (properties.empty()) return;
  std::optional<InstallerDatabase> database = InstallerDatabase::open(msi, package, InstallerDatabase::Mode::kTransact);
  if (!database) return;
  for (std::size_t i = 0; i < properties.size(); ++i) {
    if (i + 1 == properties.size() && instance.requested) {
      database->set_summary_text(kRevisionProperty, instance.cache_key);
      database->execute("UPDATE `Property` SET `Value`=? WHERE `Property`='ProductCode'", {instance.product_code});
    }
    const std::string value = stored_value(properties[i].value);
    // The insert adds a property the table lacks; the update overwrites one
    // it has (the insert then fails and changes nothing).
    database->execute("INSERT INTO `Property` (`Property`, `Value`) VALUES (?, ?)", {properties[i].name, value});
    database->execute("UPDATE `Property` SET `Value`=? WHERE `Property`=?", {value, properties[i].name});
  }
  database->commit();
}

void set_target_platform(platform::MsiLibrary& msi, const std::string& package, TargetPlatform target) {
  const std::string wanted = platform_name(target);
  std::string current;
  {
    std::optional<InstallerDatabase> database =
        InstallerDatabase::open(msi, package, InstallerDatabase::Mode::kTransact);
    if (!database) return;
    const std::string template_text = database->summary_text(kTemplateProperty);
    const std::size_t separator = template_text.find(';');
    current = template_text.substr(0, separator);
    const std::string languages = separator == std::string::npos ? "" : template_text.substr(separator + 1);
    database->set_summary_text(kTemplateProperty, wanted + ";" + languages);
    database->commit();
  }
  if (current == wanted) return;
  std::optional<InstallerDatabase> database = InstallerDatabase::open(msi, package, InstallerDatabase::Mode::kTransact);
  if (!database) return;
  database->update_each("SELECT `Attributes` FROM `Component`", [&](MSIHANDLE record) {
    const int attributes = database->record_integer(record, 1);
    database->set_record_integer(record, 1, target == TargetPlatform::kWin32 ? attributes & ~k64BitComponent
                                                                             : attributes | k64BitComponent);
  });
  database->commit();
}

void set_word_count(platform::MsiLibrary& msi, const std::string& package) {
  std::optional<InstallerDatabase> database = InstallerDatabase::open(msi, package, InstallerDatabase::Mode::kTransact);
  if (!database) return;
  database->set_summary_integer(kWordCountProperty, 8);
  database->commit();
}

void translate_shortcuts(platform::MsiLibrary& msi, const std::string& package,
                         const std::vector<std::string>& triples) {
  std::optional<InstallerDatabase> database = InstallerDatabase::open(msi, package, InstallerDatabase::Mode::kTransact);
  if (!database) return;
  for (std::size_t i = 0; i + 2 < triples.size(); i += 3) {
    database->execute("UPDATE `Shortcut` SET `Name`=? WHERE `Directory_`=?", {triples[i + 1], triples[i]});
    database->execute("UPDATE `Shortcut` SET `Description`=? WHERE `Directory_`=?", {triples[i + 2], triples[i]});
  }
  database->commit();
}

void translate_progids(platform::MsiLibrary& msi, const std::string& package, const std::vector<std::string>& triples) {
  std::optional<InstallerDatabase> database = InstallerDatabase::open(msi, package, InstallerDatabase::Mode::kTransact);
  if (!database) return;
  for (std::size_t i = 0; i + 2 < triples.size(); i += 3) {
    const std::string& written = triples[i];
    const std::string& translated = triples[i + 1];
    database->execute("UPDATE `ProgId` SET `Description`=? WHERE `ProgId`=?", {triples[i + 2], written});
    if (translated == written) continue;
    // A statement cannot change a primary key (Windows Installer refuses
    // "UPDATE ... SET `ProgId`"): the record moves to its new key, and the
    // rows that name the ProgId follow it.
    if (!database->move_record("ProgId", "ProgId", written, translated)) continue;
    database->execute("UPDATE `ProgId` SET `ProgId_Parent`=? WHERE `ProgId_Parent`=?", {translated, written});
    database->execute("UPDATE `Extension` SET `ProgId_`=? WHERE `ProgId_`=?", {translated, written});
    database->execute("UPDATE `Class` SET `ProgId_Default`=? WHERE `ProgId_Default`=?", {translated, written});
  }
  database->commit();
}

bool package_code_matches(platform::MsiLibrary& msi, const std::string& product_code, const std::string& package_code) {
  const auto product_info = msi.function<UINT WINAPI(LPCSTR, LPCSTR, LPSTR, DWORD*)>("MsiGetProductInfoA");
  char installed[260] = {};
  DWORD size = sizeof installed;
  if (product_info(product_code.c_str(), "PackageCode", installed, &size) != ERROR_SUCCESS) return false;
  return ascii_equal_ignore_case(installed, package_code);
}

std::vector<std::string> package_assemblies(platform::MsiLibrary& msi, const std::string& package) {
  std::optional<InstallerDatabase> database = InstallerDatabase::open(msi, package, InstallerDatabase::Mode::kReadOnly);
  if (!database) return {};
  const std::optional<std::vector<std::string>> components = database->texts("SELECT * FROM `MsiAssembly`");
  if (!components) return {};
  std::vector<std::string> names;
  std::vector<std::string> versions;
  for (const std::string& component : *components) {
    const auto named = database->texts(
        "SELECT `Value` FROM `MsiAssemblyName` WHERE `Component_`=? AND `Name`='Name'", {component});
    const auto versioned = database->texts(
        "SELECT `Value` FROM `MsiAssemblyName` WHERE `Component_`=? AND `Name`='Version'", {component});
    if (!named || !versioned) return {};
    names.insert(names.end(), named->begin(), named->end());
    versions.insert(versions.end(), versioned->begin(), versioned->end());
  }
  if (names.empty() || names.size() != versions.size()) return {};
  std::vector<std::string> assemblies;
  for (std::size_t i = 0; i < names.size(); ++i) assemblies.push_back(names[i] + ",Version=" + versions[i]);
  return assemblies;
}

void remove_assemblies(platform::MsiLibrary& msi, const std::string& package, const std::string& tool,
                       const ToolRun& run) {
  for (const std::string& assembly : package_assemblies(msi, package)) run(tool, "/u " + assembly);
}

}  // namespace qm
