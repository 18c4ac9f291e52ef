#pragma once
// What the script decided, written into the product's package before
// Windows Installer runs it: the recorded installer properties, a new
// instance's identity, the target platform, the word count, translated
// shortcut and ProgId texts; and the package read to find the .NET
// assemblies to remove. A package that cannot be opened gets no edits, and
// a statement that fails changes nothing while the next one runs: the
// installation itself reports what then goes wrong.

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "platform/msi_library.h"
#include "script/installer_properties.h"

namespace qm {

// A new instance of the product ("Transform Instance"): its product code and
// engine cache key, and whether its component identifiers were renewed.
struct NewInstanceIdentity {
  bool requested = false;
  bool components_renewed = false;
  std::string product_code;
  std::string cache_key;
};

// Writes the properties into the Property table in recording order (the
// last value recorded for a name wins). Values go in with their "$NEWLINE$"
// turned back into line breaks and every "'" written "$QUOTE$", which the
// product's own action turns back. For a new instance, first gives every
// component a new identifier (once per run), and with the last property
// sets the package code and the product code of the instance.
void write_installer_properties(platform::MsiLibrary& msi, const std::string& package,
                                const std::vector<InstallerProperty>& properties, NewInstanceIdentity& instance);

// The platform of the summary information's template ("Intel", "Intel64" or
// "x64" before the ";"); when it changes, every component's 64-bit bit
// follows it.
void set_target_platform(platform::MsiLibrary& msi, const std::string& package, TargetPlatform target);

// Word count 8: an uncompressed package with long file names that needs no
// elevated privileges.
void set_word_count(platform::MsiLibrary& msi, const std::string& package);

// Triples (directory key, name, description) for the Shortcut table, by the
// shortcut's directory key.
void translate_shortcuts(platform::MsiLibrary& msi, const std::string& package,
                         const std::vector<std::string>& triples);

// Triples (ProgId as written, translated ProgId, translated description) for
// the ProgId table: the description, then the ProgId itself.
void translate_progids(platform::MsiLibrary& msi, const std::string& package, const std::vector<std::string>& triples);

// Whether the installed product's package code is `package_code` (compared
// without regard to case).
bool package_code_matches(platform::MsiLibrary& msi, const std::string& product_code, const std::string& package_code);

// The package's .NET assemblies as "name,Version=version" texts, read from
// MsiAssembly and MsiAssemblyName; nothing when a query fails or names and
// versions do not pair up.
std::vector<std::string> package_assemblies(platform::MsiLibrary& msi, const std::string& package);

// Starts a program with its parameters and waits for it.
using ToolRun = std::function<void(const std::string& program, const std::string& parameters)>;

// Runs the .NET installer tool with "/u <assembly>" for each of the
// package's assemblies, one after the other.
void remove_assemblies(platform::MsiLibrary& msi, const std::string& package, const std::string& tool,
                       const ToolRun& run);

}  // namespace qm
