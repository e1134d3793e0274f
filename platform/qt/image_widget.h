#pragma once

#include <QPixmap>
#include <QWidget>

namespace platform {

// Draws one picture scaled to fit its box, centred, keeping its proportions. The picture is
// resampled once per box size and screen density, so a 60-pixel icon in a 30-point box is sharp
// on a 2x screen and smooth on a 1x one.
class ImageWidget : public QWidget {
    Q_OBJECT

  public:
    using QWidget::QWidget;

    // Shows `pixmap`; a null one leaves the box empty.
    void setPixmap(const QPixmap& pixmap);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPixmap source_;
    QPixmap scaled_;
};

}  // namespace platform
