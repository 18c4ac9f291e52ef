// The engine's process entry.

#include <windows.h>

#include "engine/bootstrap.h"
#include "platform/system_library.h"
#include "program/engine_wiring.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // First thing: no library may be loaded from the setup's own folder.
  qm::platform::restrict_library_search();
  return qm::run_setup(qm::make_wired_engine());
}
