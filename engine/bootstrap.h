#pragma once
// The engine's process entry: from the command line and the package appended
// to the engine's own file to the exit code.

namespace qm {

inline constexpr int kExitStartupFailure = 11;
inline constexpr int kExitNoPackage = 13;
inline constexpr int kExitNoResourceArchive = 14;
inline constexpr int kExitResourceArchiveDamaged = 15;
inline constexpr int kExitNoInstallerDatabase = 16;

// Runs the whole setup; gives the process exit code.
int run_setup();

}  // namespace qm
