#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "UpdateCheck.h"
#include "UpdateNoticeDialog.h"

namespace {

// A one-file web server on 127.0.0.1 that answers every request with `body` (or never
// answers), counting connections and keeping the requests it saw.
class TinyHttpServer {
public:
    enum class Mode { Answer, NotFound, Silent, Redirect };

    // Mode::Redirect answers "302 Found" with `body` as the new location.
    explicit TinyHttpServer(QByteArray body, Mode mode = Mode::Answer) : m_body(std::move(body)), m_mode(mode) {
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] { Accept(); });
        m_server.listen(QHostAddress::LocalHost);
    }
    QString BaseUrl() const { return QStringLiteral("http://127.0.0.1:%1/").arg(m_server.serverPort()); }
    int connections = 0;
    QList<QByteArray> requests;

private:
    void Accept() {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            ++connections;
            auto* request = new QByteArray;
            QObject::connect(socket, &QTcpSocket::destroyed, [request] { delete request; });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QTcpSocket::readyRead, [this, socket, request] {
                *request += socket->readAll();
                if (!request->contains("\r\n\r\n") || m_mode == Mode::Silent) return;
                requests.push_back(*request);
                if (m_mode == Mode::Redirect) {
                    socket->write("HTTP/1.1 302 Found\r\nLocation: " + m_body +
                                  "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                    socket->disconnectFromHost();
                    return;
                }
                const QByteArray status = m_mode == Mode::NotFound ? "404 Not Found" : "200 OK";
                socket->write("HTTP/1.1 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " +
                              QByteArray::number(m_body.size()) + "\r\nConnection: close\r\n\r\n" + m_body);
                socket->disconnectFromHost();
            });
        }
    }

    QTcpServer m_server;
    QByteArray m_body;
    Mode m_mode;
};

// Points the update check at `url` for the life of the object and records notices.
class UpdateCheckFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_savedUrl = qgetenv("TESSARO_UPDATE_URL");
        m_hadUrl = qEnvironmentVariableIsSet("TESSARO_UPDATE_URL");
        SetUpdateNoticeHook([this](QWidget*, int local, int remote) { notices.push_back({local, remote}); });
    }
    void TearDown() override {
        SetUpdateNoticeHook({});
        if (m_hadUrl)
            qputenv("TESSARO_UPDATE_URL", m_savedUrl);
        else
            qunsetenv("TESSARO_UPDATE_URL");
    }
    void PointAt(const QString& url) { qputenv("TESSARO_UPDATE_URL", url.toUtf8()); }

    std::vector<std::pair<int, int>> notices;

private:
    QByteArray m_savedUrl;
    bool m_hadUrl = false;
};

QString ClosedPortUrl() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return QStringLiteral("http://127.0.0.1:%1/").arg(port);
}

}  // namespace

TEST(UpdateVersions, LocalVersionIsHundredTimesTheMajorPart) {
    EXPECT_EQ(LocalVersionFrom("34.0.0.0"), 3400);
    EXPECT_EQ(LocalVersionFrom("35.2.1.0"), 3500);
    EXPECT_EQ(LocalVersionFrom("7"), 700);
    EXPECT_EQ(LocalVersionFrom("0.9"), 0);
    EXPECT_EQ(LocalVersionFrom("65535.0"), 6553500);
    EXPECT_EQ(LocalVersionFrom("65536.0"), -1) << "the major part is 16 bits";
    EXPECT_EQ(LocalVersionFrom(""), -1);
    EXPECT_EQ(LocalVersionFrom("v34.0"), -1);
    EXPECT_EQ(LocalVersionFrom("-3.0"), -1);
    EXPECT_EQ(LocalVersion(), 3400) << "this build is 34.0.0.0";
}

TEST(UpdateVersions, RemoteVersionReadsLikeAtoi) {
    EXPECT_EQ(RemoteVersionFromText("35"), 3500);
    EXPECT_EQ(RemoteVersionFromText("  \r\n35.7 beta"), 3500);
    EXPECT_EQ(RemoteVersionFromText("+36"), 3600);
    EXPECT_EQ(RemoteVersionFromText("-2"), -200);
    EXPECT_EQ(RemoteVersionFromText("v35"), 0);
    EXPECT_EQ(RemoteVersionFromText(""), 0);
    EXPECT_EQ(RemoteVersionFromText("99999999999999999999"), INT_MAX);
    // No terminator needed: a reply that fills the whole read is parsed within it.
    EXPECT_EQ(RemoteVersionFromText(QByteArray(4096, '1')), INT_MAX);
}

TEST_F(UpdateCheckFixture, BaseAddressComesFromTheEnvironmentOrTheBuild) {
    qunsetenv("TESSARO_UPDATE_URL");
    EXPECT_EQ(UpdateBaseUrl(), QStringLiteral(TESSARO_UPDATE_URL));
    EXPECT_TRUE(UpdateBaseUrl().endsWith('/'));
    PointAt("http://example.test/updates");
    EXPECT_EQ(UpdateBaseUrl(), "http://example.test/updates/");
    PointAt("http://example.test/x/");
    EXPECT_EQ(UpdateBaseUrl(), "http://example.test/x/");
}

TEST_F(UpdateCheckFixture, SameVersionShowsNothing) {
    TinyHttpServer server("34");
    PointAt(server.BaseUrl());
    int remote = -7;
    EXPECT_EQ(FetchRemoteVersion(server.BaseUrl(), 3400, remote), UpdateResult::NoUpdate);
    EXPECT_EQ(remote, 3400);
    RunUpdateCheck(nullptr, true);
    EXPECT_TRUE(notices.empty());
    EXPECT_EQ(server.connections, 2);

    // The request: the file's path, the agent, and no cached copy.
    ASSERT_FALSE(server.requests.isEmpty());
    const QByteArray request = server.requests.front();
    EXPECT_TRUE(request.startsWith("GET /tessaro_update.txt HTTP/1.1\r\n")) << request.toStdString();
    EXPECT_TRUE(request.contains("\r\nUser-Agent: AutoUpdateAgent\r\n")) << request.toStdString();
    EXPECT_TRUE(request.contains("\r\nCache-Control: no-cache\r\n")) << request.toStdString();
}

TEST_F(UpdateCheckFixture, NewerVersionShowsTheNotice) {
    TinyHttpServer server("35\n");
    PointAt(server.BaseUrl());
    int remote = 0;
    EXPECT_EQ(FetchRemoteVersion(server.BaseUrl(), 3400, remote), UpdateResult::NewerAvailable);
    EXPECT_EQ(remote, 3500);
    RunUpdateCheck(nullptr, true);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], std::make_pair(3400, 3500));
    EXPECT_EQ(UpdateNoticeVersionText(notices[0].second), QString::fromUtf8(" 신버전  3.5"));
    // An older site version is no update either.
    EXPECT_EQ(FetchRemoteVersion(server.BaseUrl(), 3600, remote), UpdateResult::NoUpdate);
}

TEST_F(UpdateCheckFixture, ReplyStartingWithALetterReadsZero) {
    TinyHttpServer server("v35");
    PointAt(server.BaseUrl());
    int remote = -1;
    EXPECT_EQ(FetchRemoteVersion(server.BaseUrl(), 3400, remote), UpdateResult::NoUpdate);
    EXPECT_EQ(remote, 0);
    RunUpdateCheck(nullptr, true);
    EXPECT_TRUE(notices.empty());
}

TEST_F(UpdateCheckFixture, OnlyTheFirst4096BytesCount) {
    // 4096 blanks and then a version: within the bytes read there is no number.
    TinyHttpServer server(QByteArray(4096, ' ') + "35" + QByteArray(200000, 'x'));
    int remote = -1;
    EXPECT_EQ(FetchRemoteVersion(server.BaseUrl(), 3400, remote), UpdateResult::NoUpdate);
    EXPECT_EQ(remote, 0);
    TinyHttpServer shorter(QByteArray(4095, ' ') + "35");
    EXPECT_EQ(FetchRemoteVersion(shorter.BaseUrl(), 200, remote), UpdateResult::NewerAvailable);
    EXPECT_EQ(remote, 300) << "the read stops after the 3";
}

TEST_F(UpdateCheckFixture, FailuresAreSilent) {
    int remote = 1234;
    // Nothing listens on the port.
    PointAt(ClosedPortUrl());
    EXPECT_EQ(FetchRemoteVersion(UpdateBaseUrl(), 3400, remote), UpdateResult::Failed);
    RunUpdateCheck(nullptr, true);
    // The file is missing on the site.
    TinyHttpServer missing("35", TinyHttpServer::Mode::NotFound);
    EXPECT_EQ(FetchRemoteVersion(missing.BaseUrl(), 3400, remote), UpdateResult::Failed);
    // An empty reply.
    TinyHttpServer empty("");
    EXPECT_EQ(FetchRemoteVersion(empty.BaseUrl(), 3400, remote), UpdateResult::Failed);
    // Not a web address.
    EXPECT_EQ(FetchRemoteVersion("file:///tmp/", 3400, remote), UpdateResult::Failed);
    EXPECT_EQ(FetchRemoteVersion("", 3400, remote), UpdateResult::Failed);
    EXPECT_EQ(remote, 1234);
    EXPECT_TRUE(notices.empty());
}

TEST_F(UpdateCheckFixture, ASiteThatNeverAnswersTimesOut) {
    TinyHttpServer server("35", TinyHttpServer::Mode::Silent);
    QElapsedTimer clock;
    clock.start();
    int remote = 0;
    EXPECT_EQ(FetchRemoteVersion(server.BaseUrl(), 3400, remote, 300), UpdateResult::Failed);
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(server.connections, 1);
}

TEST_F(UpdateCheckFixture, DisabledCheckMakesNoConnection) {
    TinyHttpServer server("35");
    PointAt(server.BaseUrl());
    RunUpdateCheck(nullptr, false);
    QTest::qWait(200);
    EXPECT_EQ(server.connections, 0);
    EXPECT_TRUE(notices.empty());
}

TEST(UpdateNotice, ShowsTheFixedTextsAndTheNewVersion) {
    UpdateNoticeDialog dialog(nullptr, 3400, 3500, "tessaro.example.org");
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
    EXPECT_EQ(texts, (QStringList{QString::fromUtf8("Tessaro 업데이트 메시지가 도착하였습니다."),
                                  QString::fromUtf8("프로그램 종료 후, Tessaro 사이트에서 신버전을 설치하십시요."),
                                  "tessaro.example.org", QString::fromUtf8("현재 프로그램은 구버전입니다."),
                                  QString::fromUtf8(" 신버전  3.5")}));
    const auto buttons = dialog.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->text(), QString::fromUtf8("확 인"));
    dialog.show();
    QTest::mouseClick(buttons[0], Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());

    EXPECT_EQ(UpdateNoticeVersionText(3599), QString::fromUtf8(" 신버전  3.5"));
    EXPECT_EQ(UpdateNoticeVersionText(12300), QString::fromUtf8(" 신버전  12.3"));
    EXPECT_EQ(UpdateNoticeVersionText(400), QString::fromUtf8(" 신버전  0.4"));
}

// The notice names the configured host, so a version is taken only from there: a
// redirect to another host (or another port) fails the check.
TEST_F(UpdateCheckFixture, RedirectsToAnotherHostAreNotFollowed) {
    TinyHttpServer elsewhere("9999");
    const QByteArray away = elsewhere.BaseUrl().replace(QStringLiteral("127.0.0.1"), QStringLiteral("localhost")).toUtf8() +
                            "tessaro_update.txt";
    TinyHttpServer configured(away, TinyHttpServer::Mode::Redirect);
    int remote = -7;
    EXPECT_EQ(FetchRemoteVersion(configured.BaseUrl(), 3400, remote, 3000), UpdateResult::Failed);
    EXPECT_EQ(remote, -7);
    EXPECT_EQ(elsewhere.connections, 0);

    TinyHttpServer same("9999");
    TinyHttpServer local(same.BaseUrl().toUtf8() + "tessaro_update.txt", TinyHttpServer::Mode::Redirect);
    // Another port of the same address is another origin too.
    EXPECT_EQ(FetchRemoteVersion(local.BaseUrl(), 3400, remote, 3000), UpdateResult::Failed);
}
