#include "tests/support/window_finder.h"

#include <functional>

#include "script/ansi_text.h"

namespace qm::test {

namespace {

struct Search {
  std::function<bool(HWND)> wanted;
  HWND found = nullptr;
};

BOOL CALLBACK visit(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  if (!search->wanted(window)) return TRUE;
  search->found = window;
  return FALSE;
}

bool has_class_and_caption(HWND window, const char* window_class, const char* caption) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  if (!equal_ignore_case(name, window_class) || !IsWindowVisible(window)) return false;
  if (caption == nullptr) return true;
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return std::string(text) == caption;
}

std::string program_of(HWND window) {
  DWORD process_id = 0;
  GetWindowThreadProcessId(window, &process_id);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id);
  if (process == nullptr) return {};
  char path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  const BOOL named = QueryFullProcessImageNameA(process, 0, path, &size);
  CloseHandle(process);
  return named ? path : "";
}

HWND wait_for(const std::function<bool(HWND)>& wanted) {
  for (int tries = 0; tries < 6000; ++tries) {
    Search search{wanted};
    EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    Sleep(10);
  }
  return nullptr;
}

}  // namespace

HWND find_process_window(DWORD process_id, const char* window_class, const char* caption) {
  Search search{[&](HWND window) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner == process_id && has_class_and_caption(window, window_class, caption);
  }};
  EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND wait_for_own_window(const char* window_class, const char* caption) {
  const DWORD self = GetCurrentProcessId();
  return wait_for([&](HWND window) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner == self && has_class_and_caption(window, window_class, caption);
  });
}

HWND wait_for_program_window(const std::string& program_path, const char* window_class, const char* caption) {
  return wait_for([&](HWND window) {
    return has_class_and_caption(window, window_class, caption) &&
           equal_ignore_case(program_of(window), program_path);
  });
}

}  // namespace qm::test
