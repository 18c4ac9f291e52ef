#pragma once
// What one run of Windows Installer is told (fixed before the installer
// worker starts and read by it without a lock) and what it reports back
// (written by the worker, read once it has ended).

#include <windows.h>

#include <string>

namespace qm {

struct ApplySettings {
  bool patch = false;
  // Install or reinstall; clear: remove (or, with `advertise`, advertise).
  bool install = false;
  bool advertise = false;
  std::string package;  // the .msi, or the .msp of a patch
  std::string target_folder;
  std::string product_code;
  bool all_users = false;
  // Comma texts: every variable (upper-case name, value), and the
  // pass-through properties (name, value).
  std::string variables;
  std::string pass_through;
  std::string source_folder;
  std::string data_folder;
  // The folder whose presence says the product is only advertised.
  std::string advertise_marker;
  // The log file named on the command line, or empty.
  std::string log_file;
  std::string caption;
  // The current wizard page: message boxes belong to it.
  HWND owner = nullptr;
};

struct ApplyOutcome {
  // Windows Installer was called (a cancel before that leaves it uncalled).
  bool installer_ran = false;
  bool cancelled = false;
  bool failed = false;
  bool reboot = false;
  std::string error_text;
};

// The result of a run, as "Apply Changes" reports it.
enum class ApplyResult { kFailed = -1, kCancelled = 0, kComplete = 1, kCompleteWithReboot = 2 };

}  // namespace qm
