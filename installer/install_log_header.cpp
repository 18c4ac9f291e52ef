#include "installer/install_log_header.h"

namespace qm {

std::vector<std::string> install_log_header(const InstallLogFacts& facts) {
  std::vector<std::string> lines = {"=== " + facts.caption + ": Applying Changes @" + facts.date_time + " ===", ""};
  const auto section = [&lines](const char* title, const std::string& content) {
    lines.insert(lines.end(), {title, content, ""});
  };
  section("*** Variables ***", facts.variables);
  section("*** Properties ***", facts.pass_through);
  section("*** MSI Database ***", facts.package);
  section("*** GUID ***", facts.product_code);
  section("*** Data Directory ***", facts.source_folder);
  section("*** Media Directory ***", facts.media_path);
  section("*** MSI Directory ***", facts.package_folder);
  lines.emplace_back();
  return lines;
}

}  // namespace qm
