// Linked into a program to be measured: when its main window has painted its first frame, it
// prints the wall-clock time then, the processor time the program has used so far (all its
// threads), the peak resident memory so far and whether the web engine is loaded, and ends the
// program. The harness (compare.sh) takes the time before it starts the
// program, so the figure covers everything from exec on: loading libraries, start-up, layout,
// the first paint.
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QWidget>
#include <cstdio>
#include <ctime>

namespace {

long long nanosecondsOf(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

// A line of /proc/self/status, such as "VmHWM:     37400 kB", as its number of kB.
long statusKilobytes(const QByteArray& key) {
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key)) {
            return line.mid(key.size()).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

bool webEngineLoaded() {
    QFile maps("/proc/self/maps");
    maps.open(QIODevice::ReadOnly);
    return maps.readAll().contains("libQt6WebEngineCore");
}

class FirstPaintProbe : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!reported_ && event->type() == QEvent::Paint && widget != nullptr &&
            widget->window()->windowTitle() == QStringLiteral("quelmarn")) {
            reported_ = true;
            // Let the rest of this frame paint and reach the screen before taking the time, but
            // take it before what the program itself queued for after its first frame (the
            // application checks for a tray then): posted events of a higher priority are
            // delivered first, a zero-time single shot being a posted event too.
            QCoreApplication::postEvent(this, new QEvent(QEvent::User), Qt::HighEventPriority);
        }
        return false;
    }

    void customEvent(QEvent* /*event*/) override {
        std::printf("first-paint-ns %lld cpu-ns %lld peak-rss-kb %ld web-engine %s\n",
                    nanosecondsOf(CLOCK_REALTIME), nanosecondsOf(CLOCK_PROCESS_CPUTIME_ID),
                    statusKilobytes("VmHWM:"), webEngineLoaded() ? "yes" : "no");
        std::fflush(stdout);
        QCoreApplication::exit(0);
    }

  private:
    bool reported_ = false;
};

void installFirstPaintProbe() {
    QCoreApplication::instance()->installEventFilter(new FirstPaintProbe);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(installFirstPaintProbe)
