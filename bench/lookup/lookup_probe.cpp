// Times the serial-number lookup as a user gets it: from the search box's command to the
// lookup panel's "finish load", against the lookup service at its usual address. The first
// lookup of a process starts the web engine; later ones reuse it. Prints one line per lookup:
// "lookup <n> <milliseconds>". Lookups are half a second apart, as a user's would be at the
// very least.
//
//   lookup_probe [LOOKUPS] [SERIAL]
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMainWindow>
#include <QTimer>
#include <cstdio>
#include <string>

#include "platform/appkit/desktop.h"
#include "platform/appkit/ns_alert.h"
#include "platform/appkit/ns_text_field.h"
#include "platform/log.h"
#include "platform/qt/application_environment.h"
#include "platform/qt/native_bridge.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/web_engine_module_loader.h"
#include "shell/app_delegate.h"

using namespace platform;

constexpr int kPauseBetweenLookupsMs = 500;

// The application's desktop, but a failed lookup's alert only ends the run.
class ProbeDesktop : public Desktop {
  public:
    long runModal(const NSAlert& /*alert*/) override { return NSAlertFirstButtonReturn; }
    std::shared_ptr<NSScreen> mainScreen() override { return qt_->mainScreen(); }
    bool openURL(const NSURL& url) override { return qt_->openURL(url); }
    std::unique_ptr<WebEngine> makeWebEngine(WebView& view) override {
        return qt_->makeWebEngine(view);
    }

  private:
    std::shared_ptr<Desktop> qt_ = makeQtDesktop(createModuleWebEngine);
};

int main(int argc, char** argv) {
    const int lookups = argc > 1 ? std::stoi(argv[1]) : 20;
    const std::string serial = argc > 2 ? argv[2] : "QX2K93HT7LMP";
    prepareToolkitEnvironment();
    QApplication toolkit(argc, argv);

    auto* mainWindow = new QMainWindow;
    mainWindow->setCentralWidget(new QWidget);
    mainWindow->resize(640, 440);
    auto window = NativeBridge::wrapWindow(*mainWindow);
    auto searchField = NSTextField::initWithFrame(NSMakeRect(0, 0, 200, 24));
    searchField->setStringValue(serial);
    auto searchBox = std::make_shared<NSToolbarItem>(searchField);
    auto delegate = std::make_shared<AppDelegate>();
    delegate->setWindow(window);
    delegate->setSearchBox(searchBox);
    window->makeKeyAndOrderFront(nullptr);

    installDesktop(std::make_shared<ProbeDesktop>());
    QEventLoop loaded;
    bool failed = false;
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [&] {
        failed = true;
        loaded.quit();
    });
    installLogSink([&](const std::string& line) {
        if (line == "finish load") {
            loaded.quit();
        } else if (line == "did fail load") {
            failed = true;
            loaded.quit();
        }
    });
    for (int lookup = 1; lookup <= lookups && !failed; ++lookup) {
        // A user takes a moment between lookups (typing the next serial number, say); the
        // application goes on with its idle work meanwhile.
        QTimer::singleShot(kPauseBetweenLookupsMs, &loaded, &QEventLoop::quit);
        loaded.exec();
        QElapsedTimer timer;
        timer.start();
        delegate->performAction("searchByPrintSerialNumber:", nullptr);
        giveUp.start(10000);
        loaded.exec();
        giveUp.stop();
        std::printf("lookup %d %.1f\n", lookup, timer.nsecsElapsed() / 1e6);
        std::fflush(stdout);
    }
    delegate.reset();
    window.reset();
    if (failed) {
        std::fprintf(stderr, "lookup_probe: a lookup failed or took over 10 s\n");
        return 1;
    }
    return 0;
}
