// A program for the program commands' tests, doing what its first argument
// says:
//   window TITLE      a window of class QuillmoreTestWindow that closes when asked
//   stubborn TITLE    the same window, but it refuses to close (ends after a minute)
//   exit CODE         ends at once with that exit code
//   sleep MS          ends with exit code 3 after that many milliseconds
//   record FILE ...   writes its command line, current folder and the variable
//                     QM_TEST_VALUE to FILE (one per line), ends with code 7
//   /regserver, /unregserver   registers itself as a (pretend) COM server:
//                     writes or removes HKCU\Software\QuillmoreTest\ExeServer
//   anything else     appends its command line to the file QM_RECORD_FILE
//                     names (a stand-in for tools), ends with code 0

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool stubborn = false;

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CLOSE && stubborn) return 0;
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

int show_window(const std::string& title) {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = "QuillmoreTestWindow";
  RegisterClassA(&window_class);
  HWND window = CreateWindowExA(0, "QuillmoreTestWindow", title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50,
                                300, 120, nullptr, nullptr, window_class.hInstance, nullptr);
  SetTimer(window, 1, 60000, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER) DestroyWindow(window);
    DispatchMessageA(&message);
  }
  return 0;
}

int record(const std::string& file) {
  char folder[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, folder);
  char value[256] = {};
  GetEnvironmentVariableA("QM_TEST_VALUE", value, sizeof value);
  const std::string text = std::string(GetCommandLineA()) + "\r\n" + folder + "\r\n" + value + "\r\n";
  HANDLE out = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(out);
  return 7;
}

// Any other call (a tool's "/u ..."): its command line appended to the file
// QM_RECORD_FILE names, when it names one.
int record_call() {
  char file[MAX_PATH] = {};
  if (GetEnvironmentVariableA("QM_RECORD_FILE", file, sizeof file) == 0) return 99;
  HANDLE out = CreateFileA(file, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  const std::string line = std::string(GetCommandLineA()) + "\r\n";
  DWORD written = 0;
  WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(out);
  return 0;
}

int register_server(bool register_it) {
  if (!register_it) return RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuillmoreTest\\ExeServer") == ERROR_SUCCESS ? 0 : 1;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\QuillmoreTest\\ExeServer", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return 1;
  RegCloseKey(key);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::vector<std::string> arguments;
  for (int i = 1; i < __argc; ++i) arguments.emplace_back(__argv[i]);
  const std::string mode = arguments.empty() ? "" : arguments[0];
  // The rest of the command line, as one text: a title may have blanks.
  std::string value;
  for (std::size_t i = 1; i < arguments.size(); ++i) value += (i > 1 ? " " : "") + arguments[i];
  if (mode == "window") return show_window(value);
  if (mode == "stubborn") {
    stubborn = true;
    return show_window(value);
  }
  if (mode == "exit") return std::atoi(value.c_str());
  if (mode == "sleep") {
    Sleep(static_cast<DWORD>(std::atoi(value.c_str())));
    return 3;
  }
  if (mode == "record") return record(arguments.size() > 1 ? arguments[1] : "");
  if (mode == "/regserver") return register_server(true);
  if (mode == "/unregserver") return register_server(false);
  return record_call();
}
