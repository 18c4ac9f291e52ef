#include "tests/commands/iis/test_web_server.h"

#include <windows.h>

#include <sstream>

namespace qm::test {

namespace {

constexpr const char* kClasses = "Software\\Classes\\";
constexpr const char* kNamespaceClass = "{5B1F0C3A-8E2D-4A6B-9C71-3D2E4F5A6B01}";
constexpr const char* kMimeMapClass = "{5B1F0C3A-8E2D-4A6B-9C71-3D2E4F5A6B02}";

// Windows merges the current user's classes into HKEY_CLASSES_ROOT; Wine 8
// reads only the machine's. The classes go to both (the machine's only where
// the process may write there).
const HKEY kRoots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};

void write_default(const std::string& path, const std::string& value, const char* name = nullptr) {
  for (HKEY root : kRoots) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
      continue;
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
  }
}

void register_class(const char* prog_id, const char* class_id) {
  const std::string server = std::string(kClasses) + "CLSID\\" + class_id + "\\InprocServer32";
  write_default(server, program_folder() + "test_metabase.dll");
  write_default(server, "Both", "ThreadingModel");
  write_default(std::string(kClasses) + prog_id + "\\CLSID", class_id);
}

void unregister_class(const char* prog_id, const char* class_id) {
  for (HKEY root : kRoots) {
    RegDeleteTreeA(root, (std::string(kClasses) + "CLSID\\" + class_id).c_str());
    RegDeleteTreeA(root, (std::string(kClasses) + prog_id).c_str());
  }
}

}  // namespace

Metabase standard_metabase() {
  Metabase metabase;
  metabase.add("W3SVC", "IIsWebService");
  metabase.add("W3SVC/Info", "IIsWebInfo");
  MetabaseNode& site = metabase.add("W3SVC/1", "IIsWebServer");
  site.set("ServerComment", "Default Web Site");
  site.set("ServerBindings", ":80:");
  site.set("Status", "2");
  site.set("AnonymousUserName", "IUSR_METABASE");
  MetabaseNode& root = metabase.add("W3SVC/1/Root", "IIsWebVirtualDir");
  root.set("Path", "C:\\Inetpub\\wwwroot");
  root.set("AccessRead", "TRUE");
  metabase.add("W3SVC/Filters", "IIsFilters");
  metabase.add("W3SVC/AppPools", "IIsApplicationPools");
  metabase.add("W3SVC/AppPools/DefaultAppPool", "IIsApplicationPool");
  return metabase;
}

TestWebServer::TestWebServer(const Metabase& initial) : file_(folder_.file("metabase.txt")) {
  initial.save(file_);
  SetEnvironmentVariableA(kMetabaseVariable, file_.c_str());
}

TestWebServer::~TestWebServer() { SetEnvironmentVariableA(kMetabaseVariable, nullptr); }

std::string TestWebServer::get(const std::string& path, const std::string& name) const {
  return metabase().get(path, name).value_or("<none>");
}

std::vector<std::string> TestWebServer::calls() const {
  std::vector<std::string> lines;
  const std::string log = call_log_of(file_);
  if (GetFileAttributesA(log.c_str()) == INVALID_FILE_ATTRIBUTES) return lines;
  std::istringstream text(read_file(log));
  std::string line;
  while (std::getline(text, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> TestWebServer::calls(const std::string& path, const std::string& member) const {
  std::vector<std::string> found;
  const std::string prefix = path + "|" + member;
  for (const std::string& line : calls())
    if (line == prefix || line.starts_with(prefix + "|")) found.push_back(line);
  return found;
}

MetabaseServerRegistration::MetabaseServerRegistration() {
  register_class("IISNamespace", kNamespaceClass);
  register_class("MimeMap", kMimeMapClass);
}

MetabaseServerRegistration::~MetabaseServerRegistration() {
  unregister_class("IISNamespace", kNamespaceClass);
  unregister_class("MimeMap", kMimeMapClass);
}

}  // namespace qm::test
