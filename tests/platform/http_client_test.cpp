// The HTTP client against the real servers of the web bench (nginx, two
// tinyproxy instances, the cutting relay), through WinINet under Wine.

#include "platform/http_client.h"

#include <gtest/gtest.h>

#include "platform/http_headers.h"
#include "tests/media/download/web_bench.h"

namespace qm::platform {
namespace {

using test::AccessLogEntry;

struct Received {
  std::string body;
  unsigned checked_status = 0;
  int chunks = 0;
};

HttpOutcome fetch(HttpClient& client, const HttpRequest& request, Received& received,
                  std::size_t stop_after_bytes = SIZE_MAX) {
  return client.get(
      request,
      [&](unsigned status, std::string_view) {
        received.checked_status = status;
        return TransferAnswer::kContinue;
      },
      [&](std::string_view chunk) {
        received.body.append(chunk);
        ++received.chunks;
        return received.body.size() >= stop_after_bytes ? TransferAnswer::kStop : TransferAnswer::kContinue;
      });
}

class HttpClientTest : public test::WebBenchTest {
 protected:
  HttpClient client_;
};

TEST_F(HttpClientTest, HeadAndGetAFileAsAnHttp10ClientOfOurOwn) {
  const std::string name = test::unique_name("whole");
  const std::string content = serve(name, test::test_content(700000, 1));
  const HttpRequest request{bench_.url + "/files/" + name, {}, std::nullopt};

  const HttpOutcome head = client_.head(request);
  EXPECT_EQ(head.status, 200u);
  EXPECT_EQ(content_length(head.headers), content.size());
  EXPECT_EQ(head.body_bytes, 0u);

  Received received;
  const HttpOutcome get = fetch(client_, request, received);
  EXPECT_EQ(get.status, 200u);
  EXPECT_EQ(received.checked_status, 200u);
  EXPECT_TRUE(get.body_complete);
  EXPECT_FALSE(get.stopped);
  EXPECT_EQ(get.body_bytes, content.size());
  EXPECT_TRUE(received.body == content);

  const std::vector<AccessLogEntry> log = log_entries("/files/" + name, 2);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].method, "HEAD");
  EXPECT_EQ(log[1].method, "GET");
  for (const AccessLogEntry& entry : log) {
    EXPECT_EQ(entry.protocol, "HTTP/1.0");
    EXPECT_EQ(entry.agent, "Mozilla/3.0 (compatible)");
    EXPECT_EQ(entry.range, "-");
  }
}

TEST_F(HttpClientTest, FinalStatusOfErrorsAndRedirects) {
  const std::string name = test::unique_name("moved");
  const std::string content = serve(name, test::test_content(5000, 2));
  struct Case {
    std::string path;
    unsigned status;
    bool body_is_the_file;
  };
  const Case cases[] = {
      {"/files/" + name, 200, true},
      {"/moved/" + name, 200, true},  // 302 to /files/, followed
      {"/files/no-such-" + name, 404, false},
      {"/fail500/" + name, 500, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const HttpRequest request{bench_.url + c.path, {}, std::nullopt};
    EXPECT_EQ(client_.head(request).status, c.status);
    Received received;
    const HttpOutcome get = fetch(client_, request, received);
    EXPECT_EQ(get.status, c.status);
    EXPECT_EQ(received.checked_status, c.status);
    EXPECT_EQ(received.body == content, c.body_is_the_file);
  }
  EXPECT_EQ(log_entries("/moved/" + name, 2).size(), 2u);
}

TEST_F(HttpClientTest, NoAnswerIsStatusZeroWithTheError) {
  // Nothing listens on port 1 of the loopback address.
  HttpRequest request{"http://127.0.0.1:1/files/x.bin", {}, std::nullopt};
  const HttpOutcome head = client_.head(request);
  EXPECT_EQ(head.status, 0u);
  EXPECT_NE(head.error, 0u);
  Received received;
  const HttpOutcome get = fetch(client_, request, received);
  EXPECT_EQ(get.status, 0u);
  EXPECT_NE(get.error, 0u);
  EXPECT_FALSE(get.body_complete);
  EXPECT_EQ(received.chunks, 0);

  request.url = "ftp://127.0.0.1/x.bin";
  EXPECT_EQ(client_.head(request).status, 0u);
}

TEST_F(HttpClientTest, RangeFromAByteOn) {
  const std::string name = test::unique_name("range");
  const std::string content = serve(name, test::test_content(300000, 3));
  Received received;
  const HttpOutcome get = fetch(client_, {bench_.url + "/files/" + name, {}, 123457}, received);
  EXPECT_EQ(get.status, 206u);
  EXPECT_TRUE(get.body_complete);
  const auto range = content_range(get.headers);
  ASSERT_TRUE(range);
  EXPECT_EQ(range->first, 123457u);
  EXPECT_EQ(range->total, content.size());
  EXPECT_TRUE(received.body == content.substr(123457));
  const std::vector<AccessLogEntry> log = log_entries("/files/" + name);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].range, "bytes=123457-");
}

TEST_F(HttpClientTest, TheSinkStopsTheTransferAtOnce) {
  const std::string name = test::unique_name("stopped");
  serve(name, test::test_content(20 * 1024 * 1024, 4));
  Received received;
  const HttpOutcome get = fetch(client_, {bench_.url + "/files/" + name, {}, std::nullopt}, received, 1);
  EXPECT_EQ(get.status, 200u);
  EXPECT_TRUE(get.stopped);
  EXPECT_FALSE(get.body_complete);
  EXPECT_EQ(received.chunks, 1);
  EXPECT_LT(received.body.size(), 1024u * 1024u);

  // The check refuses the body: not a byte is read.
  int chunks = 0;
  const HttpOutcome refused = client_.get(
      {bench_.url + "/files/" + name, {}, std::nullopt}, [](unsigned, std::string_view) { return TransferAnswer::kStop; },
      [&](std::string_view) {
        ++chunks;
        return TransferAnswer::kContinue;
      });
  EXPECT_TRUE(refused.stopped);
  EXPECT_EQ(chunks, 0);
}

TEST_F(HttpClientTest, BodiesThatEndEarlyOrHaveNoLength) {
  const std::string name = test::unique_name("cut");
  const std::string content = serve(name, test::test_content(400000, 5));

  // The relay drops the connection after 100000 bytes of the answer.
  Received cut;
  const HttpOutcome cut_get = fetch(client_, {bench_.relay_url + "/cut/100000/files/" + name, {}, std::nullopt}, cut);
  EXPECT_EQ(cut_get.status, 200u);
  EXPECT_FALSE(cut_get.body_complete);
  EXPECT_LT(cut.body.size(), 100000u);
  EXPECT_TRUE(cut.body == content.substr(0, cut.body.size()));

  // Without a Content-Length the body ends with the connection, and is whole.
  Received unsized;
  const HttpOutcome unsized_get = fetch(client_, {bench_.url + "/unsized/" + name, {}, std::nullopt}, unsized);
  EXPECT_EQ(unsized_get.status, 200u);
  EXPECT_FALSE(content_length(unsized_get.headers));
  EXPECT_TRUE(unsized_get.body_complete);
  EXPECT_TRUE(unsized.body == content);
}

TEST_F(HttpClientTest, ThroughAProxyWithAndWithoutAuthentication) {
  const std::string name = test::unique_name("proxied");
  const std::string content = serve(name, test::test_content(50000, 6));
  const std::string url = bench_.url + "/files/" + name;
  struct Case {
    const char* what;
    HttpProxy proxy;
    unsigned status;
  };
  const Case cases[] = {
      {"open proxy", {bench_.proxy, bench_.proxy_port, "", ""}, 200},
      {"authenticated", {bench_.proxy, bench_.auth_proxy_port, bench_.proxy_user, bench_.proxy_password}, 200},
      // tinyproxy refuses wrong credentials with 401, none with 407.
      {"wrong password", {bench_.proxy, bench_.auth_proxy_port, bench_.proxy_user, "wrong"}, 401},
      {"no user", {bench_.proxy, bench_.auth_proxy_port, "", ""}, 407},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Received received;
    const HttpOutcome get = fetch(client_, {url, c.proxy, std::nullopt}, received);
    EXPECT_EQ(get.status, c.status);
    EXPECT_EQ(received.body == content, c.status == 200);
  }
  // Both successful requests went through tinyproxy, which names itself.
  const std::vector<AccessLogEntry> log = log_entries("/files/" + name, 2);
  ASSERT_EQ(log.size(), 2u);
  for (const AccessLogEntry& entry : log) EXPECT_NE(entry.via.find("tinyproxy"), std::string::npos);
}

}  // namespace
}  // namespace qm::platform
