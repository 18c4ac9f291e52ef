#pragma once
// What the engine asks of the parts of the program above it. The engine owns
// one object of each kind; the program entry puts the subsystems' own in
// place, tests put recorders there. Until a subsystem is wired, the default
// below serves (and says what it does).

#include <cstddef>
#include <memory>
#include <string>

namespace qm {

struct Engine;

struct ProgressState;

enum class RestartKind { kRestart, kRestartAndResume };

// What a wizard page gave back: 6 next, 7 back, 2 cancel, 8 a custom button
// (its name in `custom`), 0 shown without waiting (its window in `window`).
struct DialogOutcome {
  int result = 6;
  std::string custom;
  void* window = nullptr;
};

// The windows the user sees: the wizard's pages and its progress display.
class UserInterface {
 public:
  virtual ~UserInterface() = default;
  // Shows the page of the "Display Dialog" line `line`; `modal`: waits until
  // the user leaves it. A silent run shows nothing and goes on (next).
  virtual DialogOutcome show_dialog(Engine& engine, std::size_t line, bool modal) = 0;
  // Takes the page shown without waiting off the screen.
  virtual void hide_dialog(Engine& engine) = 0;
  // Handles the window messages waiting for the interface thread.
  virtual void process_messages() = 0;
  // Shows progress on the current dialog, if there is one (the caller holds
  // the progress lock: engine/progress.h).
  virtual void show_progress(Engine& engine, const ProgressState& progress) = 0;
  // Loads the wizard page of a "Display Dialog" line before the script runs,
  // so that showing it later is immediate.
  virtual void preload_dialog(Engine& engine, std::size_t line) = 0;
};

// Restarting Windows at the script's request.
class SystemRestart {
 public:
  virtual ~SystemRestart() = default;
  virtual void request(RestartKind kind) = 0;
};

// Web media: makes sure a block of a web-media build is present before a
// line uses its files (downloaded, copied from an offline medium or taken
// from an archive beside the setup, then extracted). Throws a script error
// with the user's message when the block cannot be had.
class MediaDelivery {
 public:
  virtual ~MediaDelivery() = default;
  virtual void fetch_block(Engine& engine, const std::string& block) = 0;
};

// The defaults: window messages are handled, but there are no wizard pages
// to load and no progress display to show; restart requests go to Windows.
std::unique_ptr<UserInterface> make_windowless_interface();
std::unique_ptr<SystemRestart> make_windows_restart();
// Without the media subsystem no block is fetched: the lines find their
// files where a previous run or the build put them, or not at all.
std::unique_ptr<MediaDelivery> make_no_media_delivery();

}  // namespace qm
