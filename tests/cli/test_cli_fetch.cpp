#include <gtest/gtest.h>

#include <QProcess>

#include "sjtest.h"
#include "testserver.h"
#include "vorqrun.h"

using namespace vorq::test;

namespace {

using CliRun = VorqRun;

QString arg(const QByteArray &bytes) { return QString::fromLatin1(bytes); }

}  // namespace

TEST(CliFetch, WritesTheConvertedBodyBytes) {
    const QByteArray body = sj("<HTML>\n<TD>１位</TD>\n</HTML>");
    ServerThread server([&](TestServer &s) { s.setReply(normalPage(body)); });
    const CliRun r =
        runVorq({QStringLiteral("fetch"), arg(server.url("/vorq/cddb/countdown20010407-j.html"))});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, sj("<HTML>\r\n<TD>１位</TD>\r\n</HTML>\r\n"));
    EXPECT_TRUE(r.err.isEmpty());
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests().first().requestLine, "GET /vorq/cddb/countdown20010407-j.html HTTP/1.0");
}

TEST(CliFetch, ProxyOptionSendsTheAbsoluteUrl) {
    ServerThread proxy([](TestServer &s) {
        s.setProxyMode(true);
        s.setReply(normalPage("proxied"));
    });
    const CliRun r = runVorq({QStringLiteral("fetch"), QStringLiteral("--proxy"),
                              QStringLiteral("127.0.0.1:%1").arg(proxy.port()),
                              QStringLiteral("http://www.vorq.example/vorq/x.html")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "proxied\r\n");
    EXPECT_EQ(proxy.proxyViolations(), 0);
    ASSERT_EQ(proxy.requests().size(), 1);
    EXPECT_EQ(proxy.requests().first().header("Host"), "www.vorq.example");
}

TEST(CliFetch, NotFoundPageIsOutputNotAnError) {
    ServerThread server([](TestServer &s) { s.setReply(notFoundPage("/x")); });
    const CliRun r = runVorq({QStringLiteral("fetch"), arg(server.url("/x"))});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.contains("The requested URL"));
}

TEST(CliFetch, ErrorsGoToStderrWithStatusOne) {
    const quint16 port = TestServer::refusedPort();
    CliRun r = runVorq({QStringLiteral("fetch"), QStringLiteral("http://127.0.0.1:%1/x").arg(port)});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(QString::fromUtf8(r.err), u8("vorq: エラーコード : 111\nサーバーに接続できませんでした。\n"));

    r = runVorq({QStringLiteral("fetch"), QStringLiteral("http://no-such-host.invalid/x")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("getaddrinfo")) << r.err.toStdString();
}

TEST(CliFetch, UsageErrors) {
    EXPECT_EQ(runVorq({QStringLiteral("fetch")}).status, 2);
    // --proxy is HOST:PORT with a port from 0 to 65535, as for vorq import.
    for (const char *proxy : {"h:x", "h", ":80", "h:65536"})
        EXPECT_EQ(runVorq({QStringLiteral("fetch"), QStringLiteral("--proxy"), QString::fromLatin1(proxy),
                           QStringLiteral("http://h/")})
                      .status,
                  2)
            << proxy;
}
