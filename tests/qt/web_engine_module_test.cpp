// The real web engine, loaded from its module as the application loads it, against a server on
// the loopback interface.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QWebEngineHistory>
#include <QWebEngineView>

#include "platform/appkit/web_view.h"
#include "platform/qt/native_bridge.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/web_engine_module_loader.h"
#include "tests/qt/web_test_doubles.h"

namespace {

using platform::NSMutableURLRequest;
using platform::WebView;
using Reports = std::vector<std::string>;

// A one-page HTTP server on 127.0.0.1 that writes down what came in. It answers "/missing" with
// 404, cuts "/partial" short of the length it promised, and answers anything else with 200.
class LoopbackHttpServer {
  public:
    struct Request {
        QByteArray method, path, body;
        QMap<QByteArray, QByteArray> headers;  // names in lower case
    };

    std::vector<Request> requests;  // but for the engine's requests for the page's icon

    LoopbackHttpServer() {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                QObject::connect(socket, &QTcpSocket::readyRead, socket,
                                 [this, socket] { serve(*socket); });
            }
        });
    }

    QByteArray url(const char* path) const {
        return "http://127.0.0.1:" + QByteArray::number(server_.serverPort()) + path;
    }
    // A URL on a port that nothing listens on: connections to it are refused.
    static QByteArray refusedURL() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        return "http://127.0.0.1:" + QByteArray::number(probe.serverPort()) + "/inapp.php";
    }

  private:
    // Answers once the request is whole: its head, then as many body bytes as it announced.
    void serve(QTcpSocket& socket) {
        const QByteArray buffer = socket.property("buffer").toByteArray() + socket.readAll();
        socket.setProperty("buffer", buffer);
        const qsizetype headEnd = buffer.indexOf("\r\n\r\n");
        if (headEnd < 0) {
            return;
        }
        const QList<QByteArray> lines = buffer.left(headEnd).split('\n');
        Request request{lines.front().split(' ').value(0),
                        lines.front().split(' ').value(1),
                        buffer.mid(headEnd + 4),
                        {}};
        for (const QByteArray& line : lines.mid(1)) {
            request.headers[line.left(line.indexOf(':')).trimmed().toLower()] =
                line.mid(line.indexOf(':') + 1).trimmed();
        }
        if (request.body.size() < request.headers.value("content-length", "0").toLongLong()) {
            return;
        }
        if (request.path != "/favicon.ico") {
            requests.push_back(request);
        }
        const QByteArray page = "<html><body><p>" + request.method + "</p></body></html>";
        const qsizetype promised = request.path == "/partial" ? page.size() * 10 : page.size();
        socket.write("HTTP/1.1 " + QByteArray(request.path == "/missing" ? "404" : "200") +
                     " Status\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                     QByteArray::number(promised) + "\r\nConnection: close\r\n\r\n" + page);
        socket.disconnectFromHost();
    }

    QTcpServer server_;
};

// The limit only keeps a broken test from hanging.
constexpr int kLoadLimitMs = 30000;

NSMutableURLRequest requestFor(const QByteArray& url) {
    return NSMutableURLRequest::initWithURL(*platform::NSURL::URLWithString(url.toStdString()));
}

// A web view on screen that reports to `delegate`.
std::shared_ptr<WebView> shownWebView(const std::shared_ptr<RecordingFrameLoadDelegate>& delegate) {
    auto view = WebView::initWithFrame(platform::NSMakeRect(0, 0, 480, 400));
    view->setFrameLoadDelegate(delegate);
    platform::widgetOf(*view)->show();
    return view;
}

// The application's own desktop, whose web views load the engine from its module.
struct InstalledModuleDesktop {
    InstalledModuleDesktop() {
        platform::installDesktop(platform::makeQtDesktop(platform::createModuleWebEngine));
    }
    ~InstalledModuleDesktop() { platform::installDesktop(nullptr); }
};

// The web view made ahead for the next one, once its empty page has loaded; null before.
QWebEngineView* warmSpareView() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* view = qobject_cast<QWebEngineView*>(widget);
        if (view != nullptr && view->property("quelmarnWarm").toBool()) {
            return view;
        }
    }
    return nullptr;
}

class WebEngineModuleTest : public testing::Test {
  protected:
    // Loads `request` and waits for the load to end, one way or another.
    void load(const NSMutableURLRequest& request) {
        const std::size_t ended = delegate->reports.size() + 2;
        view->mainFrame().loadRequest(request);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return delegate->reports.size() >= ended; }, kLoadLimitMs));
    }

    InstalledModuleDesktop desktop;
    LoopbackHttpServer server;
    std::shared_ptr<RecordingFrameLoadDelegate> delegate =
        std::make_shared<RecordingFrameLoadDelegate>();
    std::shared_ptr<WebView> view = shownWebView(delegate);
};

struct LoadCase {
    const char* path;  // none: a refused connection
    Reports reports;
};

class WebEngineLoadTest : public WebEngineModuleTest,
                          public testing::WithParamInterface<LoadCase> {};

TEST_P(WebEngineLoadTest, ReportsHowTheLoadEnds) {
    const LoadCase& loadCase = GetParam();
    load(requestFor(loadCase.path ? server.url(loadCase.path) : LoopbackHttpServer::refusedURL()));
    EXPECT_EQ(delegate->reports, loadCase.reports);
    if (loadCase.reports.back() != "finish") {
        EXPECT_EQ(delegate->lastError.domain, "NSURLErrorDomain");
        EXPECT_FALSE(delegate->lastError.localizedDescription.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, WebEngineLoadTest,
                         // A page that loads is the post's; an error page is still a page.
                         testing::Values(LoadCase{"/missing", {"start", "finish"}},
                                         LoadCase{nullptr, {"start", "fail provisional -1004"}},
                                         LoadCase{"/partial", {"start", "fail -1005"}}));

TEST_F(WebEngineModuleTest, APostGoesAsAFormWithItsBodyUnchanged) {
    auto request = requestFor(server.url("/inapp.php"));
    request.setHTTPMethod("POST");
    request.setHTTPBody(
        *platform::dataUsingEncoding("sn=C02X K0&x=序", platform::NSUTF8StringEncoding));
    load(request);

    EXPECT_EQ(delegate->reports, (Reports{"start", "finish"}));
    const auto& requests = server.requests;
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, "/inapp.php");
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].headers.value("content-type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(requests[0].body, QByteArray("sn=C02X K0&x=序"));
}

TEST_F(WebEngineModuleTest, TheEngineFillsTheViewsWidget) {
    load(requestFor(server.url("/page")));
    const QWidget* host = platform::widgetOf(*view);
    const auto pages = host->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages[0]->geometry(), host->rect());
}

TEST_F(WebEngineModuleTest, ALaterViewTakesAWarmedPageWithNoHistoryOfItsOwn) {
    load(requestFor(server.url("/page")));
    // After that load a view is made ahead, and its empty page loads.
    ASSERT_TRUE(QTest::qWaitFor([] { return warmSpareView() != nullptr; }, kLoadLimitMs));
    const QWebEngineView* spare = warmSpareView();
    const auto laterDelegate = std::make_shared<RecordingFrameLoadDelegate>();
    const auto later = shownWebView(laterDelegate);
    later->mainFrame().loadRequest(requestFor(server.url("/second")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return laterDelegate->reports.size() >= 2; }, kLoadLimitMs));
    EXPECT_EQ(laterDelegate->reports, (Reports{"start", "finish"}));
    const auto* page = platform::widgetOf(*later)->findChild<QWebEngineView*>();
    EXPECT_EQ(page, spare);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->history()->count(), 1);
}

}  // namespace
