#include "engine/subsystems.h"

#include "platform/messages.h"
#include "platform/system_restart.h"

namespace qm {

namespace {

class WindowlessInterface : public UserInterface {
 public:
  void process_messages() override { platform::process_pending_messages(); }
  void show_progress(Engine&, const ProgressState&) override {}
  void preload_dialog(Engine&, std::size_t) override {}
  DialogOutcome show_dialog(Engine&, std::size_t, bool) override { return {}; }
  void hide_dialog(Engine&) override {}
};

class WindowsRestart : public SystemRestart {
 public:
  void request(RestartKind) override { platform::restart_windows(); }
};

class NoMediaDelivery : public MediaDelivery {
 public:
  void fetch_block(Engine&, const std::string&) override {}
};

}  // namespace

std::unique_ptr<UserInterface> make_windowless_interface() { return std::make_unique<WindowlessInterface>(); }
std::unique_ptr<SystemRestart> make_windows_restart() { return std::make_unique<WindowsRestart>(); }
std::unique_ptr<MediaDelivery> make_no_media_delivery() { return std::make_unique<NoMediaDelivery>(); }

}  // namespace qm
