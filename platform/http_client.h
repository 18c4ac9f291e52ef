#pragma once
// An HTTP/1.0 client over WinINet (wininet.dll from the system folder, bound
// when the first client is made), as the web media download needs it: HEAD
// and GET, redirects followed, an optional proxy with basic authentication,
// a byte range "from N on", and the body handed over chunk by chunk as it
// arrives, so that a large download never sits in memory and can be
// stopped between two chunks.
//
// The client presents itself as the engine always has ("Mozilla/3.0
// (compatible)", the picture types and "*/*" as accepted types), and never
// uses or fills WinINet's cache: a download is written to its own file.
//
// A request that gets no answer (no connection, a proxy that refuses the
// connection) is an ordinary outcome, reported with status 0 and the error.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace qm::platform {

struct HttpProxy {
  std::string server;  // empty: connect directly
  std::string port;    // empty: 80
  std::string user;    // empty: no authentication
  std::string password;
};

struct HttpRequest {
  std::string url;
  HttpProxy proxy;
  // Asks for the content from this byte on ("Range: bytes=N-").
  std::optional<std::uint64_t> from_byte;
};

enum class TransferAnswer { kContinue, kStop };

// Sees the final answer's status and raw headers (status line first, CR LF
// lines) before any of the body: kStop ends the request without reading it.
using AnswerCheck = std::function<TransferAnswer(unsigned status, std::string_view headers)>;
// Takes the body, one chunk at a time; kStop ends the transfer at once.
using BodySink = std::function<TransferAnswer(std::string_view chunk)>;

struct HttpOutcome {
  // The final status (after redirects); 0 when no answer came.
  unsigned status = 0;
  std::string headers;
  // Bytes handed to the sink.
  std::uint64_t body_bytes = 0;
  // The body arrived whole: as long as its Content-Length, or up to the
  // server's end when it sent none. False when the connection failed first
  // or the transfer was stopped.
  bool body_complete = false;
  // The check or the sink answered kStop.
  bool stopped = false;
  // WinINet's or Windows' error code when the exchange failed, else 0.
  std::uint32_t error = 0;
};

struct WinInetFunctions;

class HttpClient {
 public:
  // Binds wininet.dll from the system folder. Throws ScriptError "Library
  // not found: wininet.dll" or "Function not found: wininet.dll.<name>".
  HttpClient();
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  HttpOutcome head(const HttpRequest& request);
  // The body goes to `sink` only when `check` lets it.
  HttpOutcome get(const HttpRequest& request, const AnswerCheck& check, const BodySink& sink);

 private:
  HttpOutcome exchange(const char* verb, const HttpRequest& request, const AnswerCheck* check, const BodySink* sink);

  std::unique_ptr<const WinInetFunctions> wininet_;
};

}  // namespace qm::platform
