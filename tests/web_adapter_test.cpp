// The real web adapter against an HTTP server that each test starts on 127.0.0.1.
#include <gtest/gtest.h>

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QNetworkProxy>
#include <QProgressDialog>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <functional>
#include <map>

#include "platform/qt_web_browser.h"
#include "platform/recording_message_boxes.h"

namespace orvel {
namespace {

using namespace std::chrono_literals;

constexpr const char* kVersionAddress = "www.corvane.com.br/files/orveltool.ver";
constexpr const char* kReleaseAddress = "www.corvane.com.br/files/OrvelTool v2.44.A.exe";
constexpr const char* kReleaseName = "OrvelTool v2.44.A.exe";
const QByteArray kOwnToken = "#*$(002.043.065@@002.043.065)$*#";

// Runs the event loop until `done` holds or the limit passes; returns `done()`.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s) {
    if (done()) return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    QTimer::singleShot(limit, &loop, &QEventLoop::quit);
    poll.start(5);
    loop.exec();
    return done();
}

// A deterministic, non-repeating payload.
QByteArray Payload(int size) {
    QByteArray b(size, '\0');
    uint32_t x = 2463534242u;
    for (int i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b[i] = static_cast<char>(x);
    }
    return b;
}

// A minimal HTTP/1.1 server: one reply per connection, then it closes.
class LocalHttpServer {
public:
    enum class Mode {
        Whole,       // the full reply at once
        HoldFirst,   // headers and `firstBytes` of the body, the rest on Release()
        DropAfter,   // headers and `firstBytes` of the body, then the connection is closed
    };
    struct Route {
        int status = 200;
        QByteArray contentType = "text/plain";
        QByteArray body;
        Mode mode = Mode::Whole;
        int firstBytes = 0;
    };
    struct Request {
        QString path;
        QByteArray head;
    };

    LocalHttpServer() {
        EXPECT_TRUE(server_.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) {
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] { OnData(s); });
            }
        });
    }

    QString BaseUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()); }

    std::map<QString, Route> routes;
    std::vector<Request> requests;

    // Sends the rest of every held reply and closes its connection.
    void Release() {
        for (auto& [socket, rest] : held_) {
            if (!socket) continue;
            socket->write(rest);
            socket->disconnectFromHost();
        }
        held_.clear();
    }

private:
    void OnData(QTcpSocket* s) {
        QByteArray& buffer = pending_[s];
        buffer += s->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0) return;
        const QByteArray head = buffer.left(end);
        pending_.erase(s);
        const QList<QByteArray> first = head.left(head.indexOf("\r\n")).split(' ');
        const QString path = first.size() > 1 ? QUrl::fromPercentEncoding(first[1]) : QString();
        requests.push_back({path, head});

        const auto it = routes.find(path);
        const Route route = it != routes.end() ? it->second : Route{404, "text/html", "<html><body>404</body></html>"};
        const QByteArray header = "HTTP/1.1 " + QByteArray::number(route.status) + " X\r\nContent-Type: " +
                                  route.contentType + "\r\nContent-Length: " + QByteArray::number(route.body.size()) +
                                  "\r\nConnection: close\r\n\r\n";
        switch (route.mode) {
            case Mode::Whole:
                s->write(header + route.body);
                s->disconnectFromHost();
                break;
            case Mode::HoldFirst:
                s->write(header + route.body.left(route.firstBytes));
                held_.emplace_back(s, route.body.mid(route.firstBytes));
                break;
            case Mode::DropAfter:
                s->write(header + route.body.left(route.firstBytes));
                s->disconnectFromHost();
                break;
        }
    }

    QTcpServer server_;
    std::map<QTcpSocket*, QByteArray> pending_;
    std::vector<std::pair<QPointer<QTcpSocket>, QByteArray>> held_;
};

class WebAdapter : public ::testing::Test {
protected:
    void SetUp() override {
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);  // talk to 127.0.0.1 directly
        ASSERT_TRUE(folder.isValid());
        web = std::make_unique<QtWebBrowser>(boxes, QtWebBrowserOptions{server.BaseUrl(), folder.path()});
    }

    void Serve(const QString& path, LocalHttpServer::Route route) { server.routes[path] = std::move(route); }

    // Navigates to the version file and waits until the navigation has ended.
    std::optional<std::string> LoadVersionFile() {
        web->Navigate(kVersionAddress, 14);
        EXPECT_TRUE(WaitFor([&] { return web->ReadyState() == WebBrowser::kComplete; }));
        return web->BodyText();
    }

    QStringList FolderEntries() const { return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System); }
    QString ReleasePath() const { return QDir(folder.path()).filePath(kReleaseName); }

    LocalHttpServer server;
    QTemporaryDir folder;
    RecordingMessageBoxes boxes;
    std::unique_ptr<QtWebBrowser> web;
};

TEST_F(WebAdapter, VersionFileIsFetchedFreshFromTheNetworkAndReadAsText) {
    Serve("/files/orveltool.ver", {200, "text/plain", "OrvelTool " + kOwnToken + "\r\n"});
    EXPECT_EQ(web->ReadyState(), 0);
    web->Navigate(kVersionAddress, 14);
    EXPECT_NE(web->ReadyState(), WebBrowser::kComplete);
    ASSERT_TRUE(WaitFor([&] { return web->ReadyState() == WebBrowser::kComplete; }));
    EXPECT_EQ(web->BodyText(), "OrvelTool " + kOwnToken.toStdString() + "\r\n");
    ASSERT_EQ(server.requests.size(), 1u);
    EXPECT_EQ(server.requests[0].path, "/files/orveltool.ver");
    EXPECT_TRUE(server.requests[0].head.toLower().contains("cache-control: no-cache"));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(WebAdapter, BodyTextIsTheInnerHtmlOfAPageAndWindows1252) {
    struct Case {
        const char* what;
        QByteArray contentType;
        QByteArray body;
        std::string expected;
    } cases[] = {
        {"HTML page", "text/html; charset=utf-8",
         "<!DOCTYPE html><html><head><title>v</title></head><body class=\"x\">\n<p>" + kOwnToken +
             "</p>\n</body></html>",
         "\n<p>" + kOwnToken.toStdString() + "</p>\n"},
        {"HTML by its start, whatever the type", "application/octet-stream", "<HTML><BODY>abc</BODY></HTML>", "abc"},
        {"HTML without a body tag", "text/html", "<p>abc</p>", "<p>abc</p>"},
        {"markup in a text file stays", "text/plain", "<p>abc</p>", "<p>abc</p>"},
        {"UTF-8 outside the code page becomes '?'", "text/plain; charset=utf-8",
         "Vers\xC3\xA3o \xE2\x82\xAC \xE4\xB8\xAD \xF0\x9F\x98\x80.", "Vers\xE3o \x80 ? ?."},
        {"declared Windows-1252 passes through", "text/plain; charset=windows-1252", "Vers\xE3o \x80",
         "Vers\xE3o \x80"},
        {"undeclared and not UTF-8: Windows-1252", "text/plain", "Vers\xE3o \x93x\x94", "Vers\xE3o \x93x\x94"},
    };
    for (const Case& c : cases) {
        Serve("/files/orveltool.ver", {200, c.contentType, c.body});
        EXPECT_EQ(LoadVersionFile(), c.expected) << c.what;
    }
}

TEST_F(WebAdapter, ErrorStatusOrUnreachableServerMeansNoDocument) {
    for (int status : {404, 500}) {
        Serve("/files/orveltool.ver", {status, "text/html", "<html><body>" + kOwnToken + "</body></html>"});
        EXPECT_EQ(LoadVersionFile(), std::nullopt) << status;
    }
    // A port on which nobody listens any more.
    QTcpServer gone;
    ASSERT_TRUE(gone.listen(QHostAddress::LocalHost, 0));
    const quint16 port = gone.serverPort();
    gone.close();
    QtWebBrowser offline(boxes, {QStringLiteral("http://127.0.0.1:%1").arg(port), folder.path()});
    offline.Navigate(kVersionAddress, 14);
    ASSERT_TRUE(WaitFor([&] { return offline.ReadyState() == WebBrowser::kComplete; }));
    EXPECT_EQ(offline.BodyText(), std::nullopt);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(WebAdapter, SlowReplyIsNotLoadedUntilItHasArrived) {
    Serve("/files/orveltool.ver", {200, "text/plain", kOwnToken + "\n", LocalHttpServer::Mode::HoldFirst, 5});
    web->Navigate(kVersionAddress, 14);
    ASSERT_TRUE(WaitFor([&] { return !server.requests.empty(); }));
    WaitFor([] { return false; }, 50ms);  // let the first bytes arrive
    EXPECT_NE(web->ReadyState(), WebBrowser::kComplete);
    EXPECT_EQ(web->BodyText(), std::nullopt);
    server.Release();
    ASSERT_TRUE(WaitFor([&] { return web->ReadyState() == WebBrowser::kComplete; }));
    EXPECT_EQ(web->BodyText(), kOwnToken.toStdString() + "\n");

    // A new navigation hides the old document at once.
    web->Navigate(kVersionAddress, 14);
    EXPECT_NE(web->ReadyState(), WebBrowser::kComplete);
    EXPECT_EQ(web->BodyText(), std::nullopt);
}

TEST_F(WebAdapter, StopAbandonsTheNavigationAndItsLateReply) {
    Serve("/files/orveltool.ver", {200, "text/plain", kOwnToken + "\n", LocalHttpServer::Mode::HoldFirst, 0});
    web->Navigate(kVersionAddress, 14);
    ASSERT_TRUE(WaitFor([&] { return !server.requests.empty(); }));
    web->Stop();
    server.Release();
    WaitFor([] { return false; }, 100ms);
    EXPECT_EQ(web->BodyText(), std::nullopt);
}

TEST_F(WebAdapter, DocumentLargerThan64KiBIsNotRead) {
    Serve("/files/orveltool.ver", {200, "text/plain", kOwnToken + QByteArray(70 * 1024, 'x')});
    EXPECT_EQ(LoadVersionFile(), std::nullopt);
    Serve("/files/orveltool.ver", {200, "text/plain", kOwnToken + QByteArray(60 * 1024, 'x')});
    EXPECT_TRUE(LoadVersionFile().has_value());
}

TEST_F(WebAdapter, ReleaseIsSavedBesideTheToolOnlyOnceComplete) {
    Serve("/files/orveltool.ver", {200, "text/plain", kOwnToken + "\n"});
    ASSERT_TRUE(LoadVersionFile().has_value());
    const QByteArray release = Payload(300 * 1024);
    Serve("/files/OrvelTool v2.44.A.exe",
          {200, "application/octet-stream", release, LocalHttpServer::Mode::HoldFirst, 100 * 1024});

    web->Navigate(kReleaseAddress, std::nullopt);
    ASSERT_TRUE(web->Downloading());
    ASSERT_NE(web->DownloadProgress(), nullptr);
    ASSERT_TRUE(WaitFor([&] { return web->DownloadProgress()->value() >= 50; }));  // KiB received
    EXPECT_FALSE(QFile::exists(ReleasePath()));
    // A download leaves the loaded document alone.
    EXPECT_EQ(web->ReadyState(), WebBrowser::kComplete);
    EXPECT_TRUE(web->BodyText().has_value());

    server.Release();
    ASSERT_TRUE(WaitFor([&] { return !web->Downloading(); }));
    EXPECT_EQ(FolderEntries(), QStringList{kReleaseName});
    QFile saved(ReleasePath());
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll() == release);
    EXPECT_FALSE(saved.permissions() & QFileDevice::ExeUser);  // saved, never made runnable
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Atualização OrvelTool");
    EXPECT_EQ(boxes.shown[0].flags, MB_OK | MB_ICONASTERISK);
    EXPECT_NE(boxes.shown[0].text.find(QDir::toNativeSeparators(ReleasePath()).toStdString()), std::string::npos);
    EXPECT_EQ(server.requests.back().path, "/files/OrvelTool v2.44.A.exe");
}

TEST_F(WebAdapter, FailedDownloadLeavesNothingBehindAndSaysWhy) {
    struct Case {
        const char* what;
        LocalHttpServer::Route route;
        const char* reason;
    } cases[] = {
        {"connection dropped mid-way",
         {200, "application/octet-stream", Payload(200 * 1024), LocalHttpServer::Mode::DropAfter, 50 * 1024},
         "A conexão falhou"},
        {"not found", {404, "text/html", "<html><body>nada</body></html>"}, "404"},
        {"empty file", {200, "application/octet-stream", ""}, "vazio"},
    };
    for (const Case& c : cases) {
        boxes.shown.clear();
        Serve("/files/OrvelTool v2.44.A.exe", c.route);
        web->Navigate(kReleaseAddress, std::nullopt);
        ASSERT_TRUE(WaitFor([&] { return !web->Downloading(); })) << c.what;
        EXPECT_TRUE(FolderEntries().isEmpty()) << c.what << ": " << FolderEntries().join(", ").toStdString();
        ASSERT_EQ(boxes.shown.size(), 1u) << c.what;
        EXPECT_EQ(boxes.shown[0].flags, MB_OK | MB_ICONHAND) << c.what;
        EXPECT_NE(boxes.shown[0].text.find("Não foi possível fazer o download do OrvelTool."), std::string::npos);
        EXPECT_NE(boxes.shown[0].text.find(c.reason), std::string::npos) << c.what << ": " << boxes.shown[0].text;
    }
}

TEST_F(WebAdapter, DownloadIntoAFolderThatCannotTakeItFailsAtOnce) {
    Serve("/files/OrvelTool v2.44.A.exe", {200, "application/octet-stream", "MZ"});
    QtWebBrowser web2(boxes, {server.BaseUrl(), folder.filePath("missing/folder")});
    web2.Navigate(kReleaseAddress, std::nullopt);
    EXPECT_FALSE(web2.Downloading());
    EXPECT_TRUE(server.requests.empty());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].flags, MB_OK | MB_ICONHAND);
    EXPECT_NE(boxes.shown[0].text.find("Não foi possível gravar"), std::string::npos);
}

TEST_F(WebAdapter, CancelledDownloadLeavesNothingBehind) {
    Serve("/files/OrvelTool v2.44.A.exe",
          {200, "application/octet-stream", Payload(200 * 1024), LocalHttpServer::Mode::HoldFirst, 50 * 1024});
    web->Navigate(kReleaseAddress, std::nullopt);
    QProgressDialog* dialog = web->DownloadProgress();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(WaitFor([&] { return dialog->value() >= 25; }));  // KiB received
    QPushButton* cancel = dialog->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    cancel->click();
    EXPECT_FALSE(web->Downloading());
    EXPECT_TRUE(FolderEntries().isEmpty());
    server.Release();
    WaitFor([] { return false; }, 50ms);
    EXPECT_TRUE(FolderEntries().isEmpty());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(WebAdapter, OnlyReleaseFileNamesAreDownloaded) {
    // Anything else is an ordinary navigation: nothing is written to the folder.
    Serve("/files/other.exe", {200, "application/octet-stream", "MZ"});
    web->Navigate("www.corvane.com.br/files/other.exe", std::nullopt);
    EXPECT_FALSE(web->Downloading());
    ASSERT_TRUE(WaitFor([&] { return web->ReadyState() == WebBrowser::kComplete; }));
    EXPECT_TRUE(FolderEntries().isEmpty());
}

}  // namespace
}  // namespace orvel
