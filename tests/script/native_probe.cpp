// Built with the build machine's own compiler from the script core alone: the
// core needs nothing of Windows. Reads a small package and validates it.

#include <cstdio>

#include "script/package_reader.h"
#include "script/script_validator.h"
#include "script/variable_store.h"

int main() {
  const char* package =
      "{6F1C2A0B-3D4E-4F50-8A61-72B3C4D5E6F7}\r\n";  // cut short on purpose: the reader must say so
  try {
    qm::parse_package(package);
    std::puts("a package cut short was read");
    return 1;
  } catch (const qm::PackageError& error) {
    std::printf("refused as expected: %s\n", error.what());
  }
  qm::VariableStore variables;
  variables.define("NAME", "value", "Test");
  std::printf("expanded: %s\n", variables.expand("[$NAME$]").c_str());
  return variables.expand("[$NAME$]") == "[value]" ? 0 : 1;
}
