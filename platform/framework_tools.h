#pragma once
// Where the .NET Framework keeps its command-line tools (ngen, installutil,
// regasm, aspnet_regiis): in the Windows folder, under
// "Microsoft.NET\Framework\<version folder>". The commands that use them
// try version 2.0 first, then 1.1; a tool that is not installed just fails
// to start.

#include <array>
#include <string>

namespace qm::platform {

enum class FrameworkVersion { k2_0, k1_1 };

// The order in which the tools of both versions are run.
inline constexpr std::array<FrameworkVersion, 2> kFrameworkVersions{FrameworkVersion::k2_0, FrameworkVersion::k1_1};

// "v2.0.50727" or "v1.1.4322".
std::string framework_folder_name(FrameworkVersion version);

// The Windows folder + "Microsoft.NET\Framework\" + `version_folder` + "\" +
// `tool` ("ngen.exe", ...).
std::string framework_tool_path(const std::string& version_folder, const std::string& tool);
std::string framework_tool_path(FrameworkVersion version, const std::string& tool);

}  // namespace qm::platform
