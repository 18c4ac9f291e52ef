#pragma once
// The installer worker: everything Windows Installer needs is prepared and
// handed to it on a thread of its own, while the interface thread keeps the
// wizard answering and shows the progress it stores.

#include "installer/apply_settings.h"

namespace qm {

struct Engine;

// The work of one apply: the property file written, the package prepared,
// Windows Installer run with the engine's message handler, the outcome
// filled in (all but `cancelled`, which the engine's apply-cancelled flag
// holds). Runs on the worker thread; the interface thread waits meanwhile.
void run_msi_worker(Engine& engine, const ApplySettings& settings, ApplyOutcome& outcome);

// The worker run on its thread, with the interface thread handling messages
// (and passing a confirmed cancel on) until it is done.
ApplyResult run_installer(Engine& engine, ApplySettings settings, ApplyOutcome& outcome);

}  // namespace qm
