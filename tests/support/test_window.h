#pragma once
// A message-only window of the test thread and events between threads, for
// tests of code that waits for a worker while handling window messages.

#include <windows.h>

#include <atomic>
#include <functional>

#include "platform/unique_resource.h"

namespace qm::test {

inline constexpr UINT kPoke = WM_APP + 1;

// A message-only window of the test thread; counts the kPoke messages it
// handles and runs `on_poke` for each.
class TestWindow {
 public:
  TestWindow() {
    static const ATOM registered = [] {
      WNDCLASSA window_class{};
      window_class.lpfnWndProc = procedure;
      window_class.hInstance = GetModuleHandleA(nullptr);
      window_class.lpszClassName = "QuillmorePluginTestWindow";
      return RegisterClassA(&window_class);
    }();
    (void)registered;
    handle_ = CreateWindowExA(0, "QuillmorePluginTestWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleA(nullptr), this);
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  ~TestWindow() { DestroyWindow(handle_); }

  HWND handle() const { return handle_; }
  void post() const { PostMessageA(handle_, kPoke, 0, 0); }

  std::function<void()> on_poke;
  std::atomic<int> pokes{0};

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == kPoke && self != nullptr) {
      ++self->pokes;
      if (self->on_poke) self->on_poke();
      return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
  }

  HWND handle_ = nullptr;
};

inline platform::UniqueHandle make_event() { return platform::UniqueHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr)); }

// Waits for an event set by the other thread; a minute is the bound after
// which the test reports a failure instead of hanging.
inline bool signalled(const platform::UniqueHandle& event) { return WaitForSingleObject(event.get(), 60000) == WAIT_OBJECT_0; }

}  // namespace qm::test
