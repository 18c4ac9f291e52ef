#include "platform/http_client.h"

#include <windows.h>
#include <wininet.h>

#include <vector>

#include "platform/http_headers.h"
#include "platform/system_library.h"
#include "platform/unique_resource.h"
#include "script/script_error.h"

namespace qm::platform {

namespace {

constexpr const char* kLibrary = "wininet.dll";
constexpr const char* kAgent = "Mozilla/3.0 (compatible)";
constexpr const char* kAcceptedTypes = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
// Large enough that reading costs little per byte, small enough that a stop
// is noticed at once.
constexpr DWORD kChunkSize = 256 * 1024;

}  // namespace

// The functions of wininet.dll the client calls, bound by name.
struct WinInetFunctions {
  decltype(&InternetOpenA) open = nullptr;
  decltype(&InternetConnectA) connect = nullptr;
  decltype(&HttpOpenRequestA) open_request = nullptr;
  decltype(&HttpSendRequestA) send_request = nullptr;
  decltype(&HttpQueryInfoA) query_info = nullptr;
  decltype(&InternetReadFile) read_file = nullptr;
  decltype(&InternetSetOptionA) set_option = nullptr;
  decltype(&InternetCrackUrlA) crack_url = nullptr;
};

namespace {

using WinInet = WinInetFunctions;

template <typename Function>
void bind(HMODULE library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
  if (function == nullptr) throw ScriptError(std::string("Function not found: ") + kLibrary + "." + name);
}

WinInet bound_wininet() {
  const HMODULE library = load_system_library(kLibrary);
  if (library == nullptr) throw ScriptError(std::string("Library not found: ") + kLibrary);
  WinInet functions;
  bind(library, "InternetOpenA", functions.open);
  bind(library, "InternetConnectA", functions.connect);
  bind(library, "HttpOpenRequestA", functions.open_request);
  bind(library, "HttpSendRequestA", functions.send_request);
  bind(library, "HttpQueryInfoA", functions.query_info);
  bind(library, "InternetReadFile", functions.read_file);
  bind(library, "InternetSetOptionA", functions.set_option);
  bind(library, "InternetCrackUrlA", functions.crack_url);
  return functions;
}

// Any HINTERNET came from wininet.dll in the system folder, which stays
// loaded: InternetCloseHandle is found there without a binding of its own.
struct InternetHandleTraits {
  using Handle = HINTERNET;
  static Handle none() { return nullptr; }
  static bool is_valid(Handle handle) { return handle != nullptr; }
  static void release(Handle handle) {
    const HMODULE library = GetModuleHandleA((system_folder() + kLibrary).c_str());
    if (library == nullptr) return;
    using CloseFunction = BOOL(WINAPI*)(HINTERNET);
    const auto close =
        reinterpret_cast<CloseFunction>(reinterpret_cast<void*>(GetProcAddress(library, "InternetCloseHandle")));
    if (close != nullptr) close(handle);
  }
};
using UniqueInternetHandle = UniqueResource<InternetHandleTraits>;

struct UrlParts {
  bool secure = false;
  std::string host;
  INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
  std::string path;  // with the query
};

std::optional<UrlParts> split_url(const WinInet& wininet, const std::string& url) {
  URL_COMPONENTSA parts = {};
  parts.dwStructSize = sizeof parts;
  // Non-zero lengths without buffers: WinINet points into `url`.
  parts.dwHostNameLength = 1;
  parts.dwUrlPathLength = 1;
  parts.dwExtraInfoLength = 1;
  if (!wininet.crack_url(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return std::nullopt;
  if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return std::nullopt;
  UrlParts result;
  result.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  result.host.assign(parts.lpszHostName, parts.dwHostNameLength);
  result.port = parts.nPort;
  result.path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
  result.path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (result.path.empty()) result.path = "/";
  if (result.host.empty()) return std::nullopt;
  return result;
}

std::string proxy_address(const HttpProxy& proxy) {
  return proxy.server + ":" + (proxy.port.empty() ? std::string("80") : proxy.port);
}

std::string raw_headers(const WinInet& wininet, HINTERNET request) {
  std::string text(4096, '\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD size = static_cast<DWORD>(text.size());
    if (wininet.query_info(request, HTTP_QUERY_RAW_HEADERS_CRLF, text.data(), &size, nullptr)) {
      text.resize(size);
      return text;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    text.assign(size + 1, '\0');
  }
  return {};
}

unsigned status_code(const WinInet& wininet, HINTERNET request) {
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!wininet.query_info(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) return 0;
  return status;
}

void set_text_option(const WinInet& wininet, HINTERNET handle, DWORD option, const std::string& text) {
  wininet.set_option(handle, option, const_cast<char*>(text.c_str()), static_cast<DWORD>(text.size() + 1));
}

HttpOutcome failed(HttpOutcome outcome, DWORD error) {
  outcome.error = error == 0 ? ERROR_INTERNET_INTERNAL_ERROR : error;
  return outcome;
}

// Reads the body into the sink until it ends, fails or is stopped.
void read_body(const WinInet& wininet, HINTERNET request, const BodySink& sink, HttpOutcome& outcome) {
  const std::optional<std::uint64_t> announced = content_length(outcome.headers);
  std::vector<char> buffer(kChunkSize);
  for (;;) {
    DWORD read = 0;
    if (!wininet.read_file(request, buffer.data(), kChunkSize, &read)) {
      outcome.error = GetLastError();
      return;
    }
    if (read == 0) break;
    outcome.body_bytes += read;
    if (sink(std::string_view(buffer.data(), read)) == TransferAnswer::kStop) {
      outcome.stopped = true;
      return;
    }
  }
  // A connection closed early looks like the end of the body to WinINet.
  outcome.body_complete = !announced || outcome.body_bytes == *announced;
}

}  // namespace

HttpClient::HttpClient() : wininet_(std::make_unique<const WinInet>(bound_wininet())) {}

HttpClient::~HttpClient() = default;

HttpOutcome HttpClient::head(const HttpRequest& request) { return exchange("HEAD", request, nullptr, nullptr); }

HttpOutcome HttpClient::get(const HttpRequest& request, const AnswerCheck& check, const BodySink& sink) {
  return exchange("GET", request, &check, &sink);
}

HttpOutcome HttpClient::exchange(const char* verb, const HttpRequest& request, const AnswerCheck* check,
                                 const BodySink* sink) {
  const WinInet& wininet = *wininet_;
  HttpOutcome outcome;
  const std::optional<UrlParts> url = split_url(wininet, request.url);
  if (!url) return failed(outcome, ERROR_INTERNET_INVALID_URL);

  const bool proxied = !request.proxy.server.empty();
  const std::string proxy = proxy_address(request.proxy);
  // An empty bypass list: every host goes through the proxy asked for.
  const UniqueInternetHandle session(wininet.open(kAgent, proxied ? INTERNET_OPEN_TYPE_PROXY : INTERNET_OPEN_TYPE_DIRECT,
                                                  proxied ? proxy.c_str() : nullptr, proxied ? "" : nullptr, 0));
  if (!session) return failed(outcome, GetLastError());
  const UniqueInternetHandle connection(wininet.connect(session.get(), url->host.c_str(), url->port, nullptr, nullptr,
                                                        INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return failed(outcome, GetLastError());

  const char* accepted[] = {kAcceptedTypes, nullptr};
  DWORD flags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES;
  if (url->secure) flags |= INTERNET_FLAG_SECURE;
  const UniqueInternetHandle http(
      wininet.open_request(connection.get(), verb, url->path.c_str(), "HTTP/1.0", nullptr, accepted, flags, 0));
  if (!http) return failed(outcome, GetLastError());
  if (proxied && !request.proxy.user.empty()) {
    set_text_option(wininet, http.get(), INTERNET_OPTION_PROXY_USERNAME, request.proxy.user);
    set_text_option(wininet, http.get(), INTERNET_OPTION_PROXY_PASSWORD, request.proxy.password);
  }

  std::string range;
  if (request.from_byte) range = "Range: bytes=" + std::to_string(*request.from_byte) + "-\r\n";
  if (!wininet.send_request(http.get(), range.empty() ? nullptr : range.c_str(), static_cast<DWORD>(range.size()),
                            nullptr, 0)) {
    return failed(outcome, GetLastError());
  }
  outcome.status = status_code(wininet, http.get());
  outcome.headers = raw_headers(wininet, http.get());
  if (check == nullptr || sink == nullptr) {
    outcome.body_complete = true;
    return outcome;
  }
  if ((*check)(outcome.status, outcome.headers) == TransferAnswer::kStop) {
    outcome.stopped = true;
    return outcome;
  }
  read_body(wininet, http.get(), *sink, outcome);
  return outcome;
}

}  // namespace qm::platform
