// Loads a library by its bare name, as a careless program would; run from a
// folder with planted libraries, it shows that the bait is taken.
#include <windows.h>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  return LoadLibraryA(argv[1]) != nullptr ? 0 : 1;
}
