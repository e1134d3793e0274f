#pragma once

#include <QObject>
#include <QTimer>

class QWidget;

namespace platform {

// Draws a ring of fading spokes that turns while running, over whatever widget it is attached
// to, so that any placeholder of an interface description can become a progress indicator. It
// is a child of that widget and dies with it.
class Spinner : public QObject {
    Q_OBJECT

  public:
    explicit Spinner(QWidget& host);

    void start();
    void stop();
    bool isRunning() const { return timer_.isActive(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void paint(QWidget& host) const;

    QTimer timer_;
    int step_ = 0;
};

}  // namespace platform
