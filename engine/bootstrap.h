#pragma once
// The engine's process entry: from the command line and the package appended
// to the engine's own file to the exit code.

#include <memory>

namespace qm {

struct Engine;

inline constexpr int kExitStartupFailure = 11;
inline constexpr int kExitNoPackage = 13;
inline constexpr int kExitNoResourceArchive = 14;
inline constexpr int kExitResourceArchiveDamaged = 15;
inline constexpr int kExitNoInstallerDatabase = 16;

// Runs the whole setup with an engine whose commands and subsystems are wired
// (program/engine_wiring.h); gives the process exit code. The library search
// must be restricted before (platform/system_library.h).
int run_setup(std::unique_ptr<Engine> engine);

}  // namespace qm
