// A library with nothing in it but its version resource (version_probe_*.rc):
// "Get File Version" and "Check File Version" read real resources from it.

extern "C" __declspec(dllexport) int version_probe() { return 1; }
