#pragma once
// Puts the subsystems together: an Engine whose catalogue holds every built
// command's handler and the plug-in command runner, and whose subsystem
// interfaces are the subsystems' own.

#include <memory>

#include "engine/engine.h"

namespace qm {

std::unique_ptr<Engine> make_wired_engine();

// The same wiring on an engine of the caller's (tests).
void wire_engine(Engine& engine);

}  // namespace qm
