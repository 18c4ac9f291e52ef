// A service for the service commands' tests: it reports itself running when
// the service control manager starts it and stops when told to.

#include <windows.h>

namespace {

SERVICE_STATUS_HANDLE status_handle = nullptr;
SERVICE_STATUS status{};
HANDLE stopped = nullptr;

void report(DWORD state) {
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  SetServiceStatus(status_handle, &status);
}

DWORD WINAPI control(DWORD code, DWORD, void*, void*) {
  if (code == SERVICE_CONTROL_STOP) {
    report(SERVICE_STOP_PENDING);
    SetEvent(stopped);
  }
  return NO_ERROR;
}

void WINAPI service_main(DWORD, LPSTR*) {
  status_handle = RegisterServiceCtrlHandlerExA("QuillmoreTestService", control, nullptr);
  if (status_handle == nullptr) return;
  stopped = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  report(SERVICE_RUNNING);
  WaitForSingleObject(stopped, INFINITE);
  report(SERVICE_STOPPED);
}

}  // namespace

int main() {
  char name[] = "QuillmoreTestService";
  SERVICE_TABLE_ENTRYA table[] = {{name, service_main}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
