// The setup library of a pretend ODBC driver: what the ODBC installer calls
// to add or remove a data source of the driver. It writes the data source
// where the ODBC installer keeps them (SQLWriteDSNToIni) or removes it, so
// that a test can see which data sources Windows Installer made.

#include <windows.h>
#include <odbcinst.h>

#include <string>

namespace {

// The value of "DSN=" in attributes written as "key=value\0key=value\0\0".
template <typename Char>
std::basic_string<Char> data_source_name(const Char* attributes) {
  const std::basic_string<Char> key{Char('D'), Char('S'), Char('N'), Char('=')};
  for (const Char* item = attributes; item != nullptr && *item != Char(0);) {
    const std::basic_string<Char> text = item;
    if (text.rfind(key, 0) == 0) return text.substr(key.size());
    item += text.size() + 1;
  }
  return {};
}

template <typename Char, typename Write, typename Remove>
BOOL configure(WORD request, const Char* driver, const Char* attributes, Write write, Remove remove) {
  const std::basic_string<Char> name = data_source_name(attributes);
  if (name.empty()) return FALSE;
  switch (request) {
    case ODBC_ADD_DSN:
    case ODBC_ADD_SYS_DSN:
    case ODBC_CONFIG_DSN:
    case ODBC_CONFIG_SYS_DSN:
      return write(name.c_str(), driver);
    case ODBC_REMOVE_DSN:
    case ODBC_REMOVE_SYS_DSN:
      return remove(name.c_str());
    default:
      return FALSE;
  }
}

}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI ConfigDSN(HWND, WORD request, LPCSTR driver, LPCSTR attributes) {
  return configure(request, driver, attributes, SQLWriteDSNToIni, SQLRemoveDSNFromIni);
}

extern "C" __declspec(dllexport) BOOL WINAPI ConfigDSNW(HWND, WORD request, LPCWSTR driver, LPCWSTR attributes) {
  return configure(request, driver, attributes, SQLWriteDSNToIniW, SQLRemoveDSNFromIniW);
}
