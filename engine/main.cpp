// The engine's process entry: finds the setup package appended to this
// executable and reads it. A copy of the engine without a package is not a
// setup and says so.

#include <windows.h>

#include <cstdlib>
#include <exception>
#include <string>

#include "engine/ansi_text.h"
#include "engine/package_reader.h"
#include "platform/module_image.h"

namespace {

constexpr int kExitNoPackage = 13;
constexpr int kExitStartupFailure = 11;
constexpr const char* kCaption = "Quillmore Wizard";

bool is_switch(const char* parameter, std::string_view name) {
  if (parameter[0] != '/' && parameter[0] != '-') return false;
  return qm::ascii_equal_ignore_case(parameter + 1, name);
}

bool silent_switch_given() {
  for (int i = 1; i < __argc; ++i)
    if (is_switch(__argv[i], "s") || is_switch(__argv[i], "qn")) return true;
  return false;
}

void show_error(bool silent, const std::string& text) {
  if (!silent) MessageBoxA(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONERROR);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const bool silent = silent_switch_given();
  try {
    const auto appended = qm::platform::find_appended_data(GetModuleHandleA(nullptr));
    if (appended.size == 0) {
      show_error(silent, "For internal use only");
      return kExitNoPackage;
    }
    const std::string text = qm::platform::read_file_range(appended.file_path, appended.offset, appended.size);
    const qm::SetupPackage package = qm::parse_package(text);
    (void)package;  // the script interpreter takes it from here
    return EXIT_SUCCESS;
  } catch (const std::exception& error) {
    show_error(silent, std::string("Runtime error in install: ") + error.what());
    return kExitStartupFailure;
  }
}
