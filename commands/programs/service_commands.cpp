// Handler of the catalogue's row that asks the service control manager
// about a service: "Check Service". Installing and controlling services are
// deferred lines that Windows Installer carries out.

#include <windows.h>

#include <string>

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "platform/unique_resource.h"

namespace qm {

namespace {

const char* state_name(DWORD state) {
  switch (state) {
    case SERVICE_STOPPED: return "STOPPED";
    case SERVICE_START_PENDING: return "STARTING";
    case SERVICE_STOP_PENDING: return "STOPPING";
    case SERVICE_RUNNING: return "RUNNING";
    case SERVICE_CONTINUE_PENDING: return "CONTINUE_PENDING";
    case SERVICE_PAUSE_PENDING: return "PAUSE_PENDING";
    case SERVICE_PAUSED: return "PAUSED";
    default: return "NOTINSTALLED";
  }
}

// The state of a service on a computer (empty: this one); "NOTINSTALLED"
// when the service or its computer cannot be asked.
std::string service_state(const std::string& service, const std::string& computer) {
  const platform::UniqueServiceHandle manager(
      OpenSCManagerA(computer.empty() ? nullptr : computer.c_str(), nullptr, SC_MANAGER_CONNECT));
  if (!manager) return "NOTINSTALLED";
  const platform::UniqueServiceHandle handle(OpenServiceA(manager.get(), service.c_str(), SERVICE_QUERY_STATUS));
  if (!handle) return "NOTINSTALLED";
  SERVICE_STATUS status{};
  if (!QueryServiceStatus(handle.get(), &status)) return "NOTINSTALLED";
  return state_name(status.dwCurrentState);
}

}  // namespace

// "Check Service" — field 1 (substituted): the service's name; field 2
// (substituted): the computer, empty for this one; field 3: the result
// variable, given the state: "STOPPED", "STARTING", "STOPPING", "RUNNING",
// "CONTINUE_PENDING", "PAUSE_PENDING", "PAUSED" or "NOTINSTALLED".
void check_service_command(Engine& engine, const ScriptLine& line) {
  const std::string state = service_state(expanded_field(engine, line, 1), expanded_field(engine, line, 2));
  set_or_define_result(engine, line, bare_variable_field(engine, line, 3), state);
}

}  // namespace qm
