// An empty library: tests append bytes to copies of it and look for them.
#include <windows.h>

extern "C" __declspec(dllexport) int appended_data_probe() { return 42; }
