#pragma once
// A setup folder as a product's build makes it: <name>.exe (the engine with
// the package appended), qvx.lib, <name>.res, <name>.msi, in a private
// temporary folder. The tests' plug-in lies in its data folder, so that a
// script's "dump" lines (tests/support/script_text.h) can show what the run's
// variables were.

#include <cstdint>
#include <map>
#include <string>

#include "tests/support/package_text.h"
#include "tests/support/started_program.h"
#include "tests/support/temp_folder.h"

namespace qm::test {

class SetupFolder {
 public:
  // `appended`: what follows the engine in setup.exe (normally a package's
  // text). `resource_archive`: a file of bin\qvx_fixtures to use as
  // setup.res, or empty for none.
  explicit SetupFolder(const std::string& appended, const std::string& resource_archive = "small.7z");

  const std::string& setup() const { return setup_; }
  std::string file(const std::string& name) const { return folder_.file(name); }
  const std::string& path() const { return folder_.path(); }

  // Runs setup.exe with these arguments; the full exit code.
  std::uint32_t run(const std::string& arguments) const;
  // Starts setup.exe with these arguments without waiting (a test then acts
  // as its user).
  StartedProgram start(const std::string& arguments) const;

  // The variables as the last "dump" line (or "dump <dump>") of the last run
  // found them, by name; empty when no such line ran.
  std::map<std::string, std::string> variables(const std::string& dump = "variables") const;

 private:
  TempFolder folder_;
  std::string setup_;
};

// The support folders ("qvx<n>") in the temporary folder right now.
std::size_t support_folders_in_temp();

}  // namespace qm::test
