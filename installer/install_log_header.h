#pragma once
// The block the engine writes into the log file named on the command line
// before Windows Installer appends its own log: what was handed over.

#include <string>
#include <vector>

namespace qm {

struct InstallLogFacts {
  std::string caption;
  std::string date_time;
  std::string variables;
  std::string pass_through;
  std::string package;
  std::string product_code;
  std::string source_folder;
  std::string media_path;
  std::string package_folder;
};

std::vector<std::string> install_log_header(const InstallLogFacts& facts);

}  // namespace qm
