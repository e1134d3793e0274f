#pragma once

#include <QEventLoop>
#include <QTimer>
#include <functional>

// Runs the event loop until `done` holds, and returns whether it does. The limit only keeps a
// broken test from hanging; nothing is measured against it.
inline bool waitFor(const std::function<bool()>& done, int limitMilliseconds = 30000) {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    check.start(5);
    QTimer::singleShot(limitMilliseconds, &loop, &QEventLoop::quit);
    if (!done()) {
        loop.exec();
    }
    return done();
}
