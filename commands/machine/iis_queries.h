#pragma once
// What the machine queries ask of the IIS web server: its version, from the
// registry, and the anonymous user account it gives a new site, from its
// administration objects.

#include <cstdint>
#include <string>

namespace qm {

// Whether IIS is installed in at least version major.minor
// (HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\INetStp, MajorVersion x 10 +
// MinorVersion); false when it is not installed or the version cannot be read.
bool iis_version_reaches(std::uint32_t major, std::uint32_t minor);

// The anonymous user account IIS gives a new site: a site is created under
// the next free number, asked and deleted again. Empty when IIS (or its
// administration objects) cannot answer.
std::string iis_anonymous_user();

}  // namespace qm
