#include "engine/tray.h"

#include <windows.h>

#include "engine/engine.h"
#include "platform/tray_icon.h"

namespace qm {

namespace {

platform::TrayIcon& tray_icon(Engine& engine) {
  if (!engine.tray_icon)
    engine.tray_icon = std::make_unique<platform::TrayIcon>([&engine] { tray_icon_clicked(engine); });
  return *engine.tray_icon;
}

HWND current_window(const Engine& engine) {
  return static_cast<HWND>(engine.dialog_window != nullptr ? engine.dialog_window : engine.current_window);
}

void bring_back(HWND window) {
  ShowWindow(window, SW_SHOW);
  BringWindowToTop(window);
  SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
}

platform::BalloonIcon balloon_icon(BalloonKind kind) {
  switch (kind) {
    case BalloonKind::kWarning: return platform::BalloonIcon::kWarning;
    case BalloonKind::kError: return platform::BalloonIcon::kError;
    case BalloonKind::kInformation: break;
  }
  return platform::BalloonIcon::kInformation;
}

}  // namespace

void show_tray_icon(Engine& engine) { tray_icon(engine).show(engine.variables.get("TITLE")); }

void remove_tray_icon(Engine& engine) {
  if (engine.tray_icon) engine.tray_icon->hide();
}

void show_tray_balloon(Engine& engine, const std::string& title, const std::string& text, BalloonKind kind,
                       unsigned timeout_seconds) {
  show_tray_icon(engine);
  tray_icon(engine).show_balloon(title, text, balloon_icon(kind), timeout_seconds * 1000);
}

void hide_to_tray(Engine& engine) {
  if (HWND window = current_window(engine)) ShowWindow(window, SW_HIDE);
  engine.in_tray = true;
}

void restore_from_tray(Engine& engine) {
  if (HWND window = current_window(engine)) {
    bring_back(window);
    SetForegroundWindow(window);
  }
  engine.in_tray = false;
}

void tray_icon_clicked(Engine& engine) {
  HWND window = current_window(engine);
  if (window == nullptr) return;
  if (engine.in_tray) {
    engine.in_tray = false;
    bring_back(window);
  } else {
    ShowWindow(window, SW_SHOW);
    BringWindowToTop(window);
  }
  SetForegroundWindow(window);
}

}  // namespace qm
