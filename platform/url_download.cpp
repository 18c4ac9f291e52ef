#include "platform/url_download.h"

#include <windows.h>
#include <urlmon.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>
#include <type_traits>

#include "platform/com_scope.h"
#include "platform/system_library.h"
#include "platform/wide_text.h"

namespace qm::platform {

namespace {

// The URL moniker uses the proxy given, or the system's settings. False when
// wininet refuses the setting.
//
// The setting is process-wide, and it is only changed when it differs from
// the one applied last: Wine's wininet, on replacing an earlier setting,
// frees two fields of it that it never set, which corrupts the heap (the
// second download of a run, after a location that failed, crashed). A run
// that never names a proxy never touches the setting at all.
bool use_proxy(const HttpProxy& proxy) {
  static std::mutex applying;
  static std::optional<std::string> applied;  // "server:port"; empty: the system's settings; none: never set
  const std::string address =
      proxy.server.empty() ? std::string() : proxy.server + ":" + (proxy.port.empty() ? std::string("80") : proxy.port);
  const std::lock_guard<std::mutex> lock(applying);
  if (applied.value_or(std::string()) == address) return true;
  const auto set_option = system_function<std::remove_pointer_t<decltype(&InternetSetOptionA)>>("wininet.dll", "InternetSetOptionA");
  if (set_option == nullptr) return false;
  INTERNET_PROXY_INFO info = {};
  info.dwAccessType = address.empty() ? INTERNET_OPEN_TYPE_PRECONFIG : INTERNET_OPEN_TYPE_PROXY;
  info.lpszProxy = address.empty() ? nullptr : address.c_str();
  info.lpszProxyBypass = address.empty() ? nullptr : "";
  if (set_option(nullptr, INTERNET_OPTION_PROXY, &info, sizeof info) == FALSE) return false;
  applied = address;
  return true;
}

// A copy of `text` in memory COM hands over to its caller.
wchar_t* task_memory_text(const std::string& text) {
  const std::wstring wide = wide_from_ansi(text);
  auto* copy = static_cast<wchar_t*>(CoTaskMemAlloc((wide.size() + 1) * sizeof(wchar_t)));
  if (copy != nullptr) std::copy(wide.c_str(), wide.c_str() + wide.size() + 1, copy);
  return copy;
}

// Receives the URL moniker's reports and the server's status (the moniker
// itself saves an error page like any other answer), and gives the proxy's
// user and password when a proxy asks. Lives on the stack of the download
// call, which outlives every reference the moniker takes.
class TransferCallback final : public IBindStatusCallback, public IAuthenticate, public IHttpNegotiate {
 public:
  TransferCallback(const UrlDownloadObserver& observer, const HttpProxy& proxy) : observer_(observer), proxy_(proxy) {}

  bool stopped() const { return stopped_; }
  // The last HTTP status seen (0 when none: not HTTP, or not reported).
  DWORD http_status() const { return http_status_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IBindStatusCallback)) {
      *object = static_cast<IBindStatusCallback*>(this);
    } else if (IsEqualIID(id, IID_IAuthenticate)) {
      *object = static_cast<IAuthenticate*>(this);
    } else if (IsEqualIID(id, IID_IHttpNegotiate)) {
      *object = static_cast<IHttpNegotiate*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }

  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG done, ULONG total, ULONG status, LPCWSTR) override {
    if (observer_({done, total, status}) == TransferAnswer::kStop) {
      stopped_ = true;
      return E_ABORT;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

  HRESULT STDMETHODCALLTYPE Authenticate(HWND* window, LPWSTR* user, LPWSTR* password) override {
    if (window == nullptr || user == nullptr || password == nullptr) return E_INVALIDARG;
    *window = nullptr;
    *user = proxy_.user.empty() ? nullptr : task_memory_text(proxy_.user);
    *password = proxy_.user.empty() ? nullptr : task_memory_text(proxy_.password);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* additional_headers) override {
    if (additional_headers != nullptr) *additional_headers = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnResponse(DWORD status, LPCWSTR, LPCWSTR, LPWSTR* additional_headers) override {
    if (additional_headers != nullptr) *additional_headers = nullptr;
    http_status_ = status;
    return S_OK;
  }

 private:
  const UrlDownloadObserver& observer_;
  const HttpProxy& proxy_;
  std::atomic<ULONG> references_{1};
  bool stopped_ = false;
  DWORD http_status_ = 0;
};

}  // namespace

UrlDownloadResult download_with_url_moniker(const std::string& url, const std::string& file, const HttpProxy& proxy,
                                            const UrlDownloadObserver& observer) {
  const auto download = system_function<std::remove_pointer_t<decltype(&URLDownloadToFileA)>>("urlmon.dll", "URLDownloadToFileA");
  if (download == nullptr) return UrlDownloadResult::kUnusable;
  const ComScope com;
  if (!com.usable() || !use_proxy(proxy)) return UrlDownloadResult::kUnusable;
  TransferCallback callback(observer, proxy);
  const HRESULT result = download(nullptr, url.c_str(), file.c_str(), 0, &callback);
  if (callback.stopped()) return UrlDownloadResult::kStopped;
  if (result == S_OK && callback.http_status() < 400) return UrlDownloadResult::kDone;
  // What was saved is an error page, not the file asked for.
  if (result == S_OK) DeleteFileA(file.c_str());
  return UrlDownloadResult::kFailed;
}

void forget_cached_download(const std::string& url) {
  const auto forget = system_function<std::remove_pointer_t<decltype(&DeleteUrlCacheEntryA)>>("wininet.dll", "DeleteUrlCacheEntryA");
  if (forget != nullptr) forget(url.c_str());
}

}  // namespace qm::platform
