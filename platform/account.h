#pragma once

namespace qm::platform {

// Whether the process token holds the built-in Administrators group.
bool is_administrator();

}  // namespace qm::platform
