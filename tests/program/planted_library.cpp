// A library that must never be loaded: tests put copies of it, named like
// Windows' own libraries, beside a setup. When loaded it leaves a marker file
// "<its file name>.loaded" in the temporary folder.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char self[MAX_PATH] = {};
  GetModuleFileNameA(instance, self, MAX_PATH);
  const char* name = self;
  for (const char* c = self; *c; ++c)
    if (*c == '\\' || *c == '/') name = c + 1;
  char marker[MAX_PATH * 2] = {};
  GetTempPathA(MAX_PATH, marker);
  lstrcatA(marker, name);
  lstrcatA(marker, ".loaded");
  HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return TRUE;
}
