#include "installer/installer_property_string.h"

namespace qm {

namespace {

std::string path_value(const PropertyStringInputs& inputs, const std::string& path) {
  return inputs.quote_paths ? "\"" + path + "\"" : path;
}

std::string all_users_part(const PropertyStringInputs& inputs) {
  return inputs.all_users ? "ALLUSERS=1 " : "ALLUSERS=\"\" ";
}

// The engine registers the product for removal and maintenance itself, so
// Windows Installer's own entry stays hidden and offers nothing.
std::string install_part(const PropertyStringInputs& inputs) {
  std::string prefix;
  if (inputs.installed)
    prefix = inputs.advertised_only ? "ADDLOCAL=ALL ADVERTISE=\"\" " : "REINSTALL=ALL REINSTALLMODE=vomus ";
  else
    prefix = inputs.advertise ? "ADVERTISE=ALL " : "ADDLOCAL=ALL ";
  return prefix + all_users_part(inputs) +
         "ARPSYSTEMCOMPONENT=1 ARPNOREMOVE=1 ARPNOMODIFY=1 ARPNOREPAIR=1 ARPINSTALLLOCATION=\"" +
         inputs.target_folder + "\" ";
}

std::string source_part(const PropertyStringInputs& inputs) {
  return "SRCDIR=" + path_value(inputs, inputs.source_folder) + " SOURCELIST=" +
         path_value(inputs, inputs.source_list) + " MEDIAPACKAGEPATH=" + path_value(inputs, inputs.media_path) +
         " REBOOT=R ";
}

}  // namespace

std::string installer_property_string(const PropertyStringInputs& inputs) {
  switch (inputs.operation) {
    case InstallerOperation::kPatch: {
      const std::string data = path_value(inputs, inputs.data_folder);
      return "ADDLOCAL=ALL " + all_users_part(inputs) + "SRCDIR=" + data + " SRCDIREX=" + data + " ";
    }
    case InstallerOperation::kInstall:
      return install_part(inputs) + source_part(inputs);
    case InstallerOperation::kRemove:
      return "REMOVE=ALL " + all_users_part(inputs) + source_part(inputs);
  }
  return {};
}

}  // namespace qm
