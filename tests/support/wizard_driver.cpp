#include "tests/support/wizard_driver.h"

#include <chrono>
#include <thread>

#include "tests/support/window_finder.h"

namespace qm::test {

namespace {

constexpr const char* kPageClass = "QuillmoreWizardPage";
constexpr const char* kNameProperty = "QuillmoreControlName";

std::string window_text(HWND window) {
  char text[4096] = {};
  // GetWindowText does not ask another program's controls for their text.
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

struct NameSearch {
  std::string name;
  HWND found = nullptr;
};

BOOL CALLBACK match_name(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<NameSearch*>(context);
  if (control_name(window) != search->name) return TRUE;
  search->found = window;
  return FALSE;
}

bool is_class(HWND window, const char* name) {
  char buffer[64] = {};
  GetClassNameA(window, buffer, sizeof buffer);
  return lstrcmpiA(buffer, name) == 0;
}

}  // namespace

std::string control_name(HWND window) {
  const auto atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(GetPropA(window, kNameProperty)));
  if (atom == 0) return "";
  char name[256] = {};
  return GlobalGetAtomNameA(atom, name, sizeof name) > 0 ? name : "";
}

void press_keys(std::initializer_list<WORD> keys) {
  for (const WORD key : keys) {
    INPUT press[2] = {};
    press[0].type = press[1].type = INPUT_KEYBOARD;
    press[0].ki.wVk = press[1].ki.wVk = key;
    press[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, press, sizeof(INPUT));
    Sleep(150);
  }
}

WizardDriver::WizardDriver(std::string program_path) : program_path_(std::move(program_path)) {}

bool WizardDriver::wait_for_page(const std::string& control_name_wanted) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (std::chrono::steady_clock::now() < deadline) {
    HWND page = wait_for_program_window(program_path_, kPageClass, nullptr);
    if (page != nullptr) {
      // Only the program's topmost visible page counts: while the wizard
      // changes pages the page it leaves may still be visible beneath the
      // new one for a moment, and must not be taken for the page wanted.
      for (HWND candidate = GetTopWindow(nullptr); candidate != nullptr;
           candidate = GetNextWindow(candidate, GW_HWNDNEXT)) {
        if (!IsWindowVisible(candidate) || !is_class(candidate, kPageClass)) continue;
        DWORD process = 0, own = 0;
        GetWindowThreadProcessId(candidate, &process);
        GetWindowThreadProcessId(page, &own);
        if (process != own) continue;
        NameSearch search{control_name_wanted};
        EnumChildWindows(candidate, match_name, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
          page_ = candidate;
          return true;
        }
        break;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  page_ = nullptr;
  return false;
}

std::string WizardDriver::caption() const { return page_ == nullptr ? "" : window_text(page_); }

HWND WizardDriver::control(const std::string& name) const {
  if (page_ == nullptr) return nullptr;
  NameSearch search{name};
  EnumChildWindows(page_, match_name, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string WizardDriver::text(const std::string& name) const {
  HWND window = control(name);
  return window == nullptr ? "" : window_text(window);
}

bool WizardDriver::enabled(const std::string& name) const {
  HWND window = control(name);
  return window != nullptr && IsWindowEnabled(window);
}

bool WizardDriver::checked(const std::string& name) const {
  return SendMessageA(control(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::vector<std::string> WizardDriver::items(const std::string& name) const {
  HWND window = control(name);
  const bool combo = is_class(window, "ComboBox");
  const LRESULT count = SendMessageA(window, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
  std::vector<std::string> result;
  for (LRESULT i = 0; i < count; ++i) {
    char item[1024] = {};
    SendMessageA(window, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
    result.emplace_back(item);
  }
  return result;
}

void WizardDriver::type(const std::string& name, const std::string& text) const {
  SendMessageA(control(name), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void WizardDriver::tick(const std::string& name, bool ticked) const {
  HWND window = control(name);
  for (int attempt = 0; attempt < 3 && checked(name) != ticked; ++attempt) SendMessageA(window, BM_CLICK, 0, 0);
}

void WizardDriver::select(const std::string& name, const std::string& item) const {
  HWND window = control(name);
  const bool combo = is_class(window, "ComboBox");
  const LRESULT index = SendMessageA(window, combo ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(item.c_str()));
  if (index < 0) return;
  SendMessageA(window, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  // A program's selection is not reported; a user's is.
  const WORD code = combo ? CBN_SELCHANGE : LBN_SELCHANGE;
  SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), code), reinterpret_cast<LPARAM>(window));
}

void WizardDriver::click(const std::string& name) const { PostMessageA(control(name), BM_CLICK, 0, 0); }

}  // namespace qm::test
