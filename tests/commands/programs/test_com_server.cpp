// A library that registers itself as a COM server the way real ones do,
// through its DllRegisterServer and DllUnregisterServer exports; what it
// writes is only a key the tests look for:
// HKCU\Software\QuillmoreTest\LibraryServer.

#include <windows.h>

extern "C" __declspec(dllexport) HRESULT __stdcall DllRegisterServer() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\QuillmoreTest\\LibraryServer", 0, nullptr, 0, KEY_WRITE, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return E_FAIL;
  RegCloseKey(key);
  return S_OK;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllUnregisterServer() {
  // A server that was never registered has nothing to remove: that fails.
  return RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuillmoreTest\\LibraryServer") == ERROR_SUCCESS ? S_OK
                                                                                                       : E_FAIL;
}
