#include "platform/qt/spinner.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>
#include <algorithm>

namespace platform {
namespace {

constexpr int kSpokes = 12;
// One spoke per tick: a turn a second, as the platform's own indicators spin.
constexpr int kTickMilliseconds = 1000 / kSpokes;

}  // namespace

Spinner::Spinner(QWidget& host) : QObject(&host) {
    timer_.setInterval(kTickMilliseconds);
    QObject::connect(&timer_, &QTimer::timeout, this, [this, &host] {
        step_ = (step_ + 1) % kSpokes;
        host.update();
    });
    host.installEventFilter(this);
}

void Spinner::start() {
    timer_.start();
}

void Spinner::stop() {
    timer_.stop();
}

bool Spinner::eventFilter(QObject* watched, QEvent* event) {
    // Painting the host from its own paint event is allowed: Qt has opened it for painting.
    if (event->type() == QEvent::Paint) {
        paint(*static_cast<QWidget*>(watched));
    }
    return false;
}

void Spinner::paint(QWidget& host) const {
    const qreal side = std::min(host.width(), host.height());
    if (side <= 0) {
        return;
    }
    QPainter painter(&host);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(host.width() / 2.0, host.height() / 2.0);
    QColor colour = host.palette().color(QPalette::WindowText);
    QPen pen(colour, side / 10, Qt::SolidLine, Qt::RoundCap);
    for (int spoke = 0; spoke < kSpokes; ++spoke) {
        // The spoke the turn has reached is darkest; those behind it fade out.
        const int age = (step_ - spoke + kSpokes) % kSpokes;
        colour.setAlphaF(1.0 - 0.75 * age / kSpokes);
        pen.setColor(colour);
        painter.setPen(pen);
        painter.save();
        painter.rotate(360.0 * spoke / kSpokes);
        painter.drawLine(QPointF(0, -side / 4), QPointF(0, -side / 2 + side / 10));
        painter.restore();
    }
}

}  // namespace platform
