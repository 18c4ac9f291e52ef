#pragma once
// The property string handed to Windows Installer with the package: which
// operation runs (first install, reinstall, advertise, removal, patch), for
// whom, and where the product's sources lie.

#include <string>

namespace qm {

enum class InstallerOperation { kInstall, kRemove, kPatch };

struct PropertyStringInputs {
  InstallerOperation operation = InstallerOperation::kInstall;
  bool all_users = false;
  // The product is installed already (a reinstall or an advertised product).
  bool installed = false;
  // Installed only as an advertisement, and this run does not advertise.
  bool advertised_only = false;
  // A first install that only advertises the product.
  bool advertise = false;
  // A path could not be shortened or still holds a blank: paths go in quotes.
  bool quote_paths = false;
  std::string target_folder;
  std::string source_folder;
  std::string data_folder;
  std::string media_path;
  std::string source_list;
};

std::string installer_property_string(const PropertyStringInputs& inputs);

}  // namespace qm
