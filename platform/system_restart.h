#pragma once

namespace qm::platform {

// Asks Windows to restart, first enabling the shutdown privilege the call
// needs. Returns whether Windows accepted the request.
bool restart_windows();

}  // namespace qm::platform
