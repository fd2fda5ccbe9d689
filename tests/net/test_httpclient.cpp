#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>

#include "net/httpclient.h"
#include "sjtest.h"
#include "testserver.h"

using namespace vorq::net;
using namespace vorq::test;

namespace {

const QString kRefused = u8("エラーコード : 111\r\nサーバーに接続できませんでした。");

QByteArray requestBytes(const QByteArray &target, const QByteArray &host) {
    return "GET " + target +
           " HTTP/1.0\r\n"
           "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
           "Accept-Language: ja\r\n"
           "User-Agent: Mozilla/4.73 [ja] (Windows NT 5.0; U)\r\n"
           "Host: " +
           host + "\r\n\r\n";
}

class HttpClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous = setErrorReporter([this](const QString &m) { reported.append(m); });
        ASSERT_TRUE(server.listen());
    }
    void TearDown() override { setErrorReporter(previous); }

    QByteArray fetch(const QByteArray &path) { return GetUrl(server.url(path)); }

    TestServer server;
    QStringList reported;
    ErrorReporter previous;
};

}  // namespace

TEST(HttpAddressing, DirectSplitsHostPortAndPath) {
    Address a = addressFor("http://www.vorq.example:8080/a/b.html", {}, 0);
    EXPECT_EQ(a.connectHost, "www.vorq.example");
    EXPECT_EQ(a.hostHeader, "www.vorq.example");
    EXPECT_EQ(a.port, 8080);
    EXPECT_EQ(a.requestTarget, "/a/b.html");

    a = addressFor("http://www.vorq.example", {}, 0);
    EXPECT_EQ(a.port, 80);
    EXPECT_EQ(a.requestTarget, "/");

    a = addressFor("http://h/x?date=20010407&a=1", {}, 0);
    EXPECT_EQ(a.requestTarget, "/x?date=20010407&a=1");

    // A port that is not a number (or not a port) means 80.
    EXPECT_EQ(addressFor("http://h:abc/x", {}, 0).port, 80);
    EXPECT_EQ(addressFor("http://h:/x", {}, 0).port, 80);
    EXPECT_EQ(addressFor("http://h:70000/x", {}, 0).port, 80);
    EXPECT_EQ(addressFor("http://h:abc/x", {}, 0).connectHost, "h");

    // Only an exact lower-case "http://" prefix is dropped.
    a = addressFor("h:81/p", {}, 0);
    EXPECT_EQ(a.connectHost, "h");
    EXPECT_EQ(a.port, 81);
}

TEST(HttpAddressing, ProxySendsTheWholeUrlAndHostAsWritten) {
    Address a = addressFor("http://www.vorq.example:8080/a/b.html", "proxy.lan", 0);
    EXPECT_EQ(a.connectHost, "proxy.lan");
    EXPECT_EQ(a.port, 80);
    EXPECT_EQ(a.hostHeader, "www.vorq.example:8080");
    EXPECT_EQ(a.requestTarget, "http://www.vorq.example:8080/a/b.html");
    EXPECT_EQ(addressFor("http://h/x", "proxy.lan", 3128).port, 3128);
    EXPECT_EQ(requestFor(a), requestBytes("http://www.vorq.example:8080/a/b.html", "www.vorq.example:8080"));
}

TEST(HttpBuffer, HeaderEndIsFoundAtEverySplitIntoTwoOrThreeChunks) {
    const QByteArray body = "line1\r\n\r\nline2";  // a second CR LF CR LF stays in the body
    const QList<QPair<QByteArray, QByteArray>> cases = {
        {httpResponse(200, "OK", body), body},
        {"\r\n\r\nX", "X"},
        {httpResponse(200, "OK", "abc", "\n"), httpResponse(200, "OK", "abc", "\n")},
        {"HTTP/1.0 200 OK\r\nA: b\r\n<HTML>", "HTTP/1.0 200 OK\r\nA: b\r\n<HTML>"},
    };
    for (const auto &[response, expected] : cases) {
        const qsizetype n = response.size();
        for (qsizetype i = 0; i <= n; ++i) {
            for (qsizetype j = i; j <= n; ++j) {
                ReceiveBuffer b;
                b.startHeaderPhase();
                b.append(response.left(i));
                b.append(response.mid(i, j - i));
                b.append(response.mid(j));
                ASSERT_EQ(b.bytes(), expected) << "split at " << i << " and " << j;
            }
        }
    }
}

TEST(HttpBuffer, TextHasCrLfLinesAndStopsAtZeroByte) {
    EXPECT_EQ(bufferText("a\nb\n"), "a\r\nb\r\n");
    EXPECT_EQ(bufferText("a\rb"), "a\r\nb\r\n");
    EXPECT_EQ(bufferText("a\r\n\nb"), "a\r\n\r\nb\r\n");
    EXPECT_EQ(bufferText(QByteArray("ab\ncd\0ef\n", 9)), "ab\r\ncd\r\n");
    EXPECT_EQ(bufferText(""), "");
}

TEST_F(HttpClientTest, DirectFetchSendsTheFixedRequestAndReturnsTheBody) {
    const QByteArray body = samplePage();
    server.setReply(normalPage(body));
    const QByteArray response = normalPage(body).data;
    EXPECT_EQ(fetch("/a/b.html"), body);
    EXPECT_EQ(clientState(), 5);
    EXPECT_EQ(receivedByteCount(), response.size());
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests().first().raw, requestBytes("/a/b.html", "127.0.0.1"));
    EXPECT_TRUE(reported.isEmpty());
    EXPECT_TRUE(lastErrorMessage().isEmpty());

    // Without a path the request target is "/".
    EXPECT_EQ(GetUrl("http://127.0.0.1:" + QByteArray::number(server.port())), body);
    EXPECT_EQ(server.requests().last().requestLine, "GET / HTTP/1.0");
}

TEST_F(HttpClientTest, NotFoundPageBodyIsReturned) {
    server.setReply(notFoundPage("/vorq/cddb/countdown19990102-j.html"));
    const QByteArray page = fetch("/vorq/cddb/countdown19990102-j.html");
    EXPECT_TRUE(page.contains("The requested URL"));
    EXPECT_FALSE(page.startsWith("HTTP/"));
    EXPECT_LT(page.size(), 500);
    EXPECT_TRUE(reported.isEmpty());
}

TEST_F(HttpClientTest, ResponsesWithoutHeaderEndComeBackWholeWithCrLfLines) {
    server.setReply(lfOnlyPage("a\nb"));
    EXPECT_EQ(fetch("/lf"), QByteArray(lfOnlyPage("a\nb").data).replace("\n", "\r\n") + "\r\n");

    server.setReply(noHeaderTerminator("<HTML>x</HTML>"));
    EXPECT_EQ(fetch("/noend"), "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n<HTML>x</HTML>\r\n");

    // A CR LF header with an LF body: the body gets CR LF and a final one.
    server.setReply(normalPage("x\ny\n\nz"));
    EXPECT_EQ(fetch("/lfbody"), "x\r\ny\r\n\r\nz\r\n");
}

TEST_F(HttpClientTest, EveryByteBoundaryGivesTheSameResult) {
    const QList<ScriptedReply> replies = {normalPage("<P>one\r\ntwo</P>"), lfOnlyPage("p\nq"),
                                          notFoundPage("/x")};
    for (const ScriptedReply &base : replies) {
        server.setReply(base);
        const QByteArray whole = fetch("/x");
        for (qsizetype k = 1; k < base.data.size(); ++k) {
            ScriptedReply split = base;
            split.splitAt = {k};
            split.splitPauseMs = 2;
            server.setReply(split);
            ASSERT_EQ(fetch("/x"), whole) << "split at " << k;
            ASSERT_EQ(receivedByteCount(), base.data.size());
        }
    }
    EXPECT_TRUE(reported.isEmpty());
}

TEST_F(HttpClientTest, OneByteDripArrivesWhole) {
    const QByteArray body = "<HTML>\r\n<BODY>drip</BODY>\r\n</HTML>\r\n";
    server.setReply(drip(body, 1));
    EXPECT_EQ(fetch("/drip"), body);
    EXPECT_EQ(receivedByteCount(), normalPage(body).data.size());
}

TEST_F(HttpClientTest, SilentServerGivesTheStartTimeout) {
    server.setReply(silence());
    internal::setTimeoutsMs(5000, 200);
    EXPECT_EQ(fetch("/silent"), "");
    EXPECT_EQ(clientState(), -1);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_EQ(reported.first(), u8("時間内にサーバーからのデータ転送が開始されませんでした。"));
    EXPECT_EQ(lastErrorMessage(), reported.first());
    // The shortened timeouts held for that one fetch only.
    EXPECT_EQ(internal::connectTimeoutMs(), 120000);
    EXPECT_EQ(internal::dataTimeoutMs(), 120000);
}

TEST_F(HttpClientTest, StallMidBodyGivesTheTransferTimeout) {
    server.setReply(stallMidBody(samplePage()));
    internal::setTimeoutsMs(5000, 200);
    EXPECT_EQ(fetch("/stall"), "");
    EXPECT_EQ(clientState(), -1);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_EQ(reported.first(), u8("時間内にサーバーからデータ転送が行われなくなりました。"));
    EXPECT_GT(receivedByteCount(), 0);
}

TEST_F(HttpClientTest, RefusedConnectionReportsCodeAndConnectText) {
    const quint16 port = TestServer::refusedPort();
    EXPECT_EQ(GetUrl("http://127.0.0.1:" + QByteArray::number(port) + "/x"), "");
    EXPECT_EQ(clientState(), -1);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_EQ(reported.first(), kRefused);
}

TEST_F(HttpClientTest, FailedHostLookupIsReportedBySocketLayerAndEndsDisconnected) {
    internal::setTimeoutsMs(20000, 20000);
    EXPECT_EQ(GetUrl("http://no-such-host.invalid/x"), "");
    ASSERT_EQ(reported.size(), 1);
    // The message names the host; the socket layer's words are its detail.
    EXPECT_EQ(reported.first(), u8("サーバー「no-such-host.invalid」が見つかりませんでした。"));
    EXPECT_TRUE(lastFetch().hostNotFound);
    EXPECT_FALSE(lastFetch().viaProxy);
    EXPECT_TRUE(lastFetch().detail.startsWith(u8("Socket error: "))) << lastFetch().detail.toStdString();
    EXPECT_TRUE(lastFetch().detail.contains(u8("getaddrinfo")));
    EXPECT_EQ(clientState(), 5);
    // Through a proxy that cannot be found, the proxy is named.
    SetProxy("no-such-proxy.invalid", 8080);
    EXPECT_EQ(GetUrl("http://www.vorq.example/x"), "");
    EXPECT_EQ(reported.last(), u8("プロキシ サーバー「no-such-proxy.invalid」が見つかりませんでした。"));
    EXPECT_TRUE(lastFetch().viaProxy);
}

TEST_F(HttpClientTest, ProxyAppliesToOneFetchOnly) {
    TestServer proxy;
    ASSERT_TRUE(proxy.listen());
    proxy.setProxyMode(true);
    proxy.setReply(normalPage("via proxy"));
    server.setReply(normalPage("direct"));

    SetProxy("127.0.0.1", proxy.port());
    EXPECT_EQ(GetUrl("http://www.vorq.example:8080/vorq/cddb/countdown20010407-j.html"), "via proxy\r\n");
    ASSERT_EQ(proxy.requests().size(), 1);
    EXPECT_EQ(proxy.proxyViolations(), 0);
    EXPECT_EQ(proxy.requests().first().raw,
              requestBytes("http://www.vorq.example:8080/vorq/cddb/countdown20010407-j.html",
                           "www.vorq.example:8080"));

    EXPECT_EQ(fetch("/y"), "direct\r\n");
    EXPECT_EQ(proxy.requests().size(), 1);
    EXPECT_EQ(server.requests().last().requestLine, "GET /y HTTP/1.0");

    // The proxy refuses an origin-form request: its 400 is an error.
    EXPECT_EQ(GetUrl(proxy.url("/z")), "");
    EXPECT_EQ(proxy.proxyViolations(), 1);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported.first().contains(u8("HTTP 400 Bad Request")));
}

TEST_F(HttpClientTest, ResponseLargerThanTheBoundEndsWithAnError) {
    const QByteArray header = oversized(0).data;
    server.setReply(oversized(kMaxResponseBytes - header.size()));
    EXPECT_FALSE(fetch("/big").isEmpty());
    EXPECT_EQ(receivedByteCount(), kMaxResponseBytes);
    EXPECT_EQ(clientState(), 5);
    EXPECT_TRUE(reported.isEmpty());

    server.setReply(oversized(kMaxResponseBytes - header.size() + 1));
    EXPECT_EQ(fetch("/big"), "");
    EXPECT_EQ(clientState(), -1);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported.first().contains(u8("33554432 バイトを超えた"))) << reported.first().toStdString();

    // A header block that never ends is held to the same bound.
    server.setReply(endlessHeader(-1));
    EXPECT_EQ(fetch("/endless"), "");
    ASSERT_EQ(reported.size(), 2);
    EXPECT_EQ(reported.last(), reported.first());
}

TEST_F(HttpClientTest, AbortReturnsWhatHasArrived) {
    const QByteArray body = QByteArray(2000, 'x');
    server.setReply(drip(body, 1));
    const qsizetype headerSize = normalPage(body).data.size() - body.size();
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (receivedByteCount() > headerSize + 20) abortCurrentFetch();
    });
    poll.start();
    const QByteArray partial = fetch("/slow");
    poll.stop();
    EXPECT_EQ(clientState(), 5);
    EXPECT_TRUE(reported.isEmpty());
    EXPECT_GE(partial.size(), 20 + 2);
    EXPECT_LT(partial.size(), body.size());
    EXPECT_TRUE(partial.startsWith("xxxxxxxxxxxxxxxxxxxx"));

    // Aborting before any data arrived gives the empty text, no error.
    server.setReply(silence());
    QTimer::singleShot(20, [] { abortCurrentFetch(); });
    EXPECT_EQ(fetch("/silent"), "");
    EXPECT_EQ(clientState(), 5);
    EXPECT_TRUE(reported.isEmpty());
}

TEST_F(HttpClientTest, SecondFetchDuringAFetchIsRefused) {
    server.setReply(drip("<HTML>abc</HTML>", 2));
    QByteArray inner = "unset";
    QTimer::singleShot(10, [&] { inner = GetUrl(server.url("/inner")); });
    EXPECT_EQ(fetch("/outer"), "<HTML>abc</HTML>\r\n");
    EXPECT_EQ(inner, "");
    ASSERT_EQ(reported.size(), 1);
    EXPECT_EQ(server.requests().size(), 1);
}
