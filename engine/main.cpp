// The engine's process entry.

#include <windows.h>

#include "engine/bootstrap.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return qm::run_setup(); }
