// Handlers of "Create Share" and "Delete Share": a folder or a printer
// published as a network share, or a share withdrawn, on this computer or
// another. The network functions are bound at run time from the system
// folder's netapi32, the printer functions from its winspool.drv. Neither
// command reports anything: a share that cannot be made or removed leaves
// the machine as it was.

#include <windows.h>
#include <lm.h>
#include <winspool.h>

#include <optional>
#include <string>
#include <vector>

#include "commands/security/share_target.h"
#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "platform/security_descriptor.h"
#include "platform/wide_text.h"
#include "script/path_text.h"

namespace qm {

namespace {

using platform::system_function;

// What the network functions need: the computer as a wide text, null for
// this computer.
class ServerName {
 public:
  explicit ServerName(const std::string& computer) : wide_(platform::wide_from_ansi(computer)) {}
  LPWSTR get() { return wide_.empty() ? nullptr : wide_.data(); }

 private:
  std::wstring wide_;
};

// A printer opened for changing its settings; closed on every way out.
class Printer {
 public:
  explicit Printer(const std::string& name) {
    using OpenPrinterFunction = BOOL WINAPI(LPSTR, LPHANDLE, LPPRINTER_DEFAULTSA);
    open_ = system_function<OpenPrinterFunction>("winspool.drv", "OpenPrinterA");
    close_ = system_function<BOOL WINAPI(HANDLE)>("winspool.drv", "ClosePrinter");
    get_ = system_function<GetPrinterFunction>("winspool.drv", "GetPrinterA");
    set_ = system_function<SetPrinterFunction>("winspool.drv", "SetPrinterA");
    if (open_ == nullptr || close_ == nullptr || get_ == nullptr || set_ == nullptr) return;
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    std::string writable = name;
    if (!open_(writable.data(), &handle_, &defaults)) handle_ = nullptr;
  }
  ~Printer() {
    if (handle_ != nullptr) close_(handle_);
  }
  Printer(const Printer&) = delete;
  Printer& operator=(const Printer&) = delete;

  // Shares the printer under `share_name`, or withdraws its share for an
  // empty name. False when the printer could not be read or written.
  bool set_share(const std::string& share_name) {
    if (handle_ == nullptr) return false;
    DWORD needed = 0;
    get_(handle_, 2, nullptr, 0, &needed);
    if (needed < sizeof(PRINTER_INFO_2A)) return false;
    std::vector<BYTE> buffer(needed);
    if (!get_(handle_, 2, buffer.data(), needed, &needed)) return false;
    auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
    std::string name = share_name;
    info->pShareName = name.data();
    if (share_name.empty())
      info->Attributes &= ~DWORD{PRINTER_ATTRIBUTE_SHARED};
    else
      info->Attributes |= PRINTER_ATTRIBUTE_SHARED;
    // The security descriptor is left as it is: null keeps the printer's.
    info->pSecurityDescriptor = nullptr;
    return set_(handle_, 2, buffer.data(), 0) != FALSE;
  }

 private:
  using GetPrinterFunction = BOOL WINAPI(HANDLE, DWORD, LPBYTE, DWORD, LPDWORD);
  using SetPrinterFunction = BOOL WINAPI(HANDLE, DWORD, LPBYTE, DWORD);
  BOOL(WINAPI* open_)(LPSTR, LPHANDLE, LPPRINTER_DEFAULTSA) = nullptr;
  BOOL(WINAPI* close_)(HANDLE) = nullptr;
  GetPrinterFunction* get_ = nullptr;
  SetPrinterFunction* set_ = nullptr;
  HANDLE handle_ = nullptr;
};

using NetShareAddFunction = NET_API_STATUS WINAPI(LPWSTR, DWORD, LPBYTE, LPDWORD);
using NetShareGetInfoFunction = NET_API_STATUS WINAPI(LPWSTR, LPWSTR, DWORD, LPBYTE*);
using NetShareSetInfoFunction = NET_API_STATUS WINAPI(LPWSTR, LPWSTR, DWORD, LPBYTE, LPDWORD);
using NetShareDelFunction = NET_API_STATUS WINAPI(LPWSTR, LPWSTR, DWORD);
using NetApiBufferFreeFunction = NET_API_STATUS WINAPI(LPVOID);

constexpr const char* kNetworkLibrary = "netapi32.dll";
constexpr DWORD kAllPermissions = 0xFF;
constexpr DWORD kUnlimitedUses = static_cast<DWORD>(-1);
// The share's kind, in the type's low byte (the flags above it are extras).
constexpr DWORD kShareKindMask = 0xFF;

bool share_folder(const std::string& folder, const std::string& computer, const std::string& share_name,
                  const std::string& remark) {
  auto* add = system_function<NetShareAddFunction>(kNetworkLibrary, "NetShareAdd");
  if (add == nullptr) return false;
  std::wstring name = platform::wide_from_ansi(share_name);
  std::wstring comment = platform::wide_from_ansi(remark);
  std::wstring path = platform::wide_from_ansi(folder);
  std::wstring password;
  SHARE_INFO_2 info{};
  info.shi2_netname = name.data();
  info.shi2_type = STYPE_DISKTREE;
  info.shi2_remark = comment.data();
  info.shi2_permissions = kAllPermissions;
  info.shi2_max_uses = kUnlimitedUses;
  info.shi2_path = path.data();
  info.shi2_passwd = password.data();
  ServerName server(computer);
  DWORD bad_field = 0;
  return add(server.get(), 2, reinterpret_cast<LPBYTE>(&info), &bad_field) == NERR_Success;
}

// A printer's share gets its name through the printer; its remark and its
// unlimited uses through the network functions, once it exists.
bool share_printer(const std::string& target, const std::string& computer, const std::string& share_name,
                   const std::string& remark) {
  Printer printer(printer_name(target));
  if (!printer.set_share(share_name)) return false;
  if (auto* set_info = system_function<NetShareSetInfoFunction>(kNetworkLibrary, "NetShareSetInfo")) {
    ServerName server(computer);
    std::wstring name = platform::wide_from_ansi(share_name);
    std::wstring comment = platform::wide_from_ansi(remark);
    SHARE_INFO_1004 remark_info{comment.data()};
    SHARE_INFO_1006 uses_info{kUnlimitedUses};
    DWORD bad_field = 0;
    set_info(server.get(), name.data(), 1004, reinterpret_cast<LPBYTE>(&remark_info), &bad_field);
    set_info(server.get(), name.data(), 1006, reinterpret_cast<LPBYTE>(&uses_info), &bad_field);
  }
  return true;
}

// Reaching a new share once makes Explorer and the network redirector see it
// at once, rather than at their next refresh.
void touch_share(const std::string& computer, const std::string& share_name) {
  std::string host = computer;
  if (host.find_first_not_of('\\') == std::string::npos) {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = sizeof name;
    if (!GetComputerNameA(name, &length)) return;
    host.assign(name, length);
  }
  GetFileAttributesA(share_unc_path(host, share_name).c_str());
}

struct ExistingShare {
  DWORD type = 0;
  std::string path;
};

// The share as the computer knows it; nothing when it does not exist (or
// cannot be asked about).
std::optional<ExistingShare> find_share(const std::string& computer, const std::string& share_name) {
  auto* get_info = system_function<NetShareGetInfoFunction>(kNetworkLibrary, "NetShareGetInfo");
  auto* free_buffer = system_function<NetApiBufferFreeFunction>(kNetworkLibrary, "NetApiBufferFree");
  if (get_info == nullptr || free_buffer == nullptr) return std::nullopt;
  ServerName server(computer);
  std::wstring name = platform::wide_from_ansi(share_name);
  LPBYTE buffer = nullptr;
  if (get_info(server.get(), name.data(), 2, &buffer) != NERR_Success || buffer == nullptr) {
    if (buffer != nullptr) free_buffer(buffer);
    return std::nullopt;
  }
  const auto* info = reinterpret_cast<const SHARE_INFO_2*>(buffer);
  ExistingShare share{info->shi2_type, info->shi2_path ? platform::ansi_from_wide(info->shi2_path) : std::string()};
  free_buffer(buffer);
  return share;
}

void withdraw_share(const std::string& computer, const std::string& share_name) {
  const std::optional<ExistingShare> share = find_share(computer, share_name);
  if (!share) return;
  if ((share->type & kShareKindMask) == STYPE_PRINTQ) {
    Printer printer(printer_name(share->path));
    printer.set_share("");
    return;
  }
  if (auto* remove = system_function<NetShareDelFunction>(kNetworkLibrary, "NetShareDel")) {
    ServerName server(computer);
    std::wstring name = platform::wide_from_ansi(share_name);
    remove(server.get(), name.data(), 0);
  }
}

}  // namespace

// "Create Share" — field 1, raw: what to share "|" the computer (empty: this
// one), each part substituted and normalized after the split; field 2: the
// share name; field 3: its remark (both translated). A text with "\" or ":"
// is a folder, shared upper-cased with full permissions and unlimited uses;
// any other text names a printer (the part before the first ","), shared
// through its settings. Reports nothing.
void create_share_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard redirection(engine);
  const ShareTarget target = split_share_target(engine.field(line, 1));
  const std::string subject = normalize_path_text(engine.variables.expand(target.subject));
  const std::string computer = normalize_path_text(engine.variables.expand(target.computer));
  const std::string share_name = translated_field(engine, line, 2, 1);
  const std::string remark = translated_field(engine, line, 3, 2);
  const bool made = names_folder(subject) ? share_folder(shared_folder_path(subject), computer, share_name, remark)
                                          : share_printer(subject, computer, share_name, remark);
  if (made) touch_share(computer, share_name);
}

// "Delete Share" — field 1 (translated): the share name "|" the computer
// (empty: this one), each part normalized. A print share is withdrawn
// through its printer's settings, any other share removed. A share that does
// not exist changes nothing; nothing is reported.
void delete_share_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard redirection(engine);
  const ShareTarget target = split_share_target(translated_field(engine, line, 1, 1));
  withdraw_share(normalize_path_text(target.computer), normalize_path_text(target.subject));
}

}  // namespace qm
