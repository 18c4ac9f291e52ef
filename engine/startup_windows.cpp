#include "engine/startup_windows.h"

#include <windows.h>
#include <commctrl.h>

#include "engine/window_placement.h"
#include "platform/dialog_form.h"
#include "platform/window_class.h"
#include "platform/unique_resource.h"

namespace qm {

namespace {

constexpr int kClientWidth = 369;
constexpr int kClientHeight = 89;
constexpr const char* kSplashClass = "QuillmoreSetupSplash";
constexpr const char* kPreparingClass = "QuillmoreSetupInit";

LRESULT CALLBACK splash_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (auto picture = reinterpret_cast<HBITMAP>(GetWindowLongPtrA(window, GWLP_USERDATA))) {
      HDC memory = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(memory, picture);
      BITMAP info{};
      GetObjectA(picture, sizeof info, &info);
      BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
      SelectObject(memory, old);
      DeleteDC(memory);
    }
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

void register_classes() {
  platform::register_window_class({kSplashClass, splash_procedure, IDC_APPSTARTING, false});
  platform::register_window_class({kPreparingClass, DefWindowProcA, IDC_APPSTARTING});
}

void paint_now(HWND window) {
  if (window != nullptr) {
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
  }
}

}  // namespace

// Members go in reverse order: the windows before the picture and font they use.
struct StartupWindows::Windows {
  platform::UniqueGdiObject picture;
  platform::UniqueGdiObject font;
  platform::UniqueWindow splash;
  platform::UniqueWindow preparing;
  HWND progress = nullptr;  // a child of the preparing window, which takes it along
  int position = 0;  // the bar's, which steps show only when they paint
  int maximum = 0;
  ULONGLONG last_step_painted = 0;  // GetTickCount64 when a step last painted the windows
};

StartupWindows::StartupWindows(const std::string& splash_picture, const std::string& caption,
                               const std::string& text)
    : windows_(std::make_unique<Windows>()) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  register_classes();
  platform::init_common_controls(ICC_PROGRESS_CLASS);
  const int screen_width = GetSystemMetrics(SM_CXSCREEN);
  const int screen_height = GetSystemMetrics(SM_CYSCREEN);
  const platform::DpiScale scale = platform::DpiScale::of_screen();

  // The preparing window: fixed size, single border, no caption buttons.
  const DWORD style = WS_POPUP | WS_CAPTION | WS_BORDER;
  RECT frame{0, 0, scale(kClientWidth), scale(kClientHeight)};
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  WindowRect placed = centred_on_screen(width, height, screen_width, screen_height);

  windows_->picture.reset(
      LoadImageA(nullptr, splash_picture.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  if (windows_->picture) {
    BITMAP info{};
    GetObjectA(windows_->picture.get(), sizeof info, &info);
    const WindowRect splash = centred_on_screen(info.bmWidth, info.bmHeight, screen_width, screen_height);
    windows_->splash.reset(CreateWindowExA(WS_EX_TOOLWINDOW, kSplashClass, "", WS_POPUP, splash.left, splash.top,
                                           splash.width, splash.height, nullptr, nullptr, instance, nullptr));
    SetWindowLongPtrA(windows_->splash.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(windows_->picture.get()));
    ShowWindow(windows_->splash.get(), SW_SHOWNOACTIVATE);
    paint_now(windows_->splash.get());
    placed = preparing_window_beside_splash(splash, width, height, screen_width, screen_height);
  }

  windows_->font = platform::create_point_font("Tahoma", 8);
  HWND window = CreateWindowExA(WS_EX_DLGMODALFRAME, kPreparingClass, caption.c_str(), style, placed.left,
                                placed.top, width, height, nullptr, nullptr, instance, nullptr);
  windows_->preparing.reset(window);
  HWND icon = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_ICON, scale(16), scale(16), scale(32),
                              scale(32), window, nullptr, instance, nullptr);
  SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(platform::engine_window_icon()), 0);
  HWND label = CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, scale(56), scale(16),
                               scale(297), scale(33), window, nullptr, instance, nullptr);
  SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(windows_->font.get()), TRUE);
  windows_->progress = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, scale(16), scale(56),
                                       scale(337), scale(17), window, nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOWNORMAL);
  paint_now(window);
}

StartupWindows::~StartupWindows() = default;

void StartupWindows::set_progress_range(int maximum) {
  windows_->maximum = maximum;
  SendMessageA(windows_->progress, PBM_SETRANGE32, 0, maximum);
  paint_now(windows_->preparing.get());
}

void StartupWindows::set_progress(int position) {
  windows_->position = position;
  SendMessageA(windows_->progress, PBM_SETPOS, position, 0);
  paint_now(windows_->preparing.get());
}

// The windows get no messages while the pages load, so the steps paint
// them; at most every 50 ms (and at the last step): moving the bar costs
// more than loading a page, and a product may have dozens.
void StartupWindows::step_progress() {
  ++windows_->position;
  const ULONGLONG now = GetTickCount64();
  if (windows_->position < windows_->maximum && now - windows_->last_step_painted < 50) return;
  windows_->last_step_painted = now;
  SendMessageA(windows_->progress, PBM_SETPOS, static_cast<WPARAM>(windows_->position), 0);
  for (HWND window : {windows_->preparing.get(), windows_->splash.get()})
    if (window != nullptr) RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void* StartupWindows::preparing_window() const { return windows_->preparing.get(); }

}  // namespace qm
