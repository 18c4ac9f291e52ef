// Handler of the catalogue's row that registers COM libraries: "Register
// Library" (type libraries, servers in programs and in libraries).

#include <windows.h>

#include <ole2.h>
#include <oleauto.h>

#include <string>

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "platform/file_system.h"
#include "platform/system_library.h"
#include "platform/unique_resource.h"
#include "platform/wide_text.h"
#include "script/ansi_text.h"
#include "script/path_text.h"

namespace qm {

namespace {

// OLE for the time of one registration.
class OleScope {
 public:
  OleScope() : initialised_(SUCCEEDED(OleInitialize(nullptr))) {}
  ~OleScope() {
    if (initialised_) OleUninitialize();
  }
  OleScope(const OleScope&) = delete;
  OleScope& operator=(const OleScope&) = delete;

 private:
  bool initialised_;
};

// The folder of a type library's help file (empty when it names none).
std::wstring help_folder(ITypeLib* library) {
  BSTR help_file = nullptr;
  if (FAILED(library->GetDocumentation(-1, nullptr, nullptr, nullptr, &help_file)) || help_file == nullptr) return {};
  std::wstring folder(help_file, SysStringLen(help_file));
  SysFreeString(help_file);
  const std::size_t cut = folder.find_last_of(L"\\:");
  return cut == std::wstring::npos ? std::wstring() : folder.substr(0, cut + 1);
}

bool register_type_library(const std::string& file, bool register_it) {
  if (!platform::file_exists(file)) return false;
  std::wstring path = platform::wide_from_ansi(file);
  ITypeLib* library = nullptr;
  if (FAILED(LoadTypeLib(path.c_str(), &library)) || library == nullptr) return false;
  bool done = false;
  if (register_it) {
    std::wstring help = help_folder(library);
    done = SUCCEEDED(RegisterTypeLib(library, path.data(), help.empty() ? nullptr : help.data()));
  } else {
    TLIBATTR* attributes = nullptr;
    if (SUCCEEDED(library->GetLibAttr(&attributes)) && attributes != nullptr) {
      using Unregister = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);
      // Windows has had it from the start; looked up all the same, so that a
      // system without it answers "not done" instead of failing to start.
      const auto unregister = reinterpret_cast<Unregister>(
          reinterpret_cast<void*>(GetProcAddress(platform::load_system_library("oleaut32.dll"), "UnRegisterTypeLib")));
      done = unregister != nullptr && SUCCEEDED(unregister(attributes->guid, attributes->wMajorVerNum,
                                                           attributes->wMinorVerNum, attributes->lcid,
                                                           attributes->syskind));
      library->ReleaseTLibAttr(attributes);
    }
  }
  library->Release();
  return done;
}

// A server in a program registers itself when started with /regserver.
bool register_program_server(const std::string& file, bool register_it) {
  std::string command_line = file + (register_it ? " /regserver" : " /unregserver");
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
    return false;
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return true;
}

bool register_library_server(const std::string& file, bool register_it) {
  HMODULE library = LoadLibraryA(file.c_str());
  if (library == nullptr) return false;
  using Entry = HRESULT(STDAPICALLTYPE*)();
  const auto entry = reinterpret_cast<Entry>(
      reinterpret_cast<void*>(GetProcAddress(library, register_it ? "DllRegisterServer" : "DllUnregisterServer")));
  const bool done = entry != nullptr && entry() == S_OK;
  // A server that did its work stays loaded: it may have started threads or
  // handed out objects that still need its code.
  if (!done) FreeLibrary(library);
  return done;
}

bool register_library(const std::string& file, bool register_it) {
  const std::string extension = ansi_upper(extension_of(file));
  if (extension == ".TLB") return register_type_library(file, register_it);
  if (extension == ".EXE") return register_program_server(file, register_it);
  return register_library_server(file, register_it);
}

}  // namespace

// "Register Library" — field 1: the file (a type library ".tlb", a program
// or a library serving COM classes); field 2: truth, register (else
// unregister); field 3: a variable for "TRUE" or "FALSE".
void register_library_command(Engine& engine, const ScriptLine& line) {
  const std::string file = normalized_field(engine, line, 1);
  const bool register_it = truth_field(engine, line, 2);
  bool done = false;
  {
    const RedirectionGuard redirection(engine);
    const RegistryViewGuard view(engine);
    const OleScope ole;
    try {
      done = register_library(file, register_it);
    } catch (const std::exception&) {
      done = false;  // a failure shows only in the result
    }
  }
  const std::string variable = bare_variable_field(engine, line, 3);
  if (!variable.empty()) set_or_define_result(engine, line, variable, done ? "TRUE" : "FALSE");
}

}  // namespace qm
