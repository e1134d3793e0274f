#include "platform/qt/elided_label.h"

#include <QHelpEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

namespace platform {
namespace {

// What a frameless line edit keeps free on each side of its text (QLineEdit's private margin).
constexpr int kLineEditMargin = 2;

class LabelElider : public QObject {
  public:
    explicit LabelElider(QWidget& label) : QObject(&label), label_(label) { watchParent(); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &label_) {
            if (event->type() == QEvent::ParentChange) {
                watchParent();
            } else if (event->type() == QEvent::Paint) {
                return paintElided();
            }
            return false;
        }
        // A label that lets the mouse pass gets no tooltip event of its own: its parent does.
        if (watched == parent_ && event->type() == QEvent::ToolTip && label_.isVisible()) {
            const auto* help = static_cast<QHelpEvent*>(event);
            if (label_.geometry().contains(help->pos()) && !label_.toolTip().isEmpty()) {
                QToolTip::showText(help->globalPos(), label_.toolTip(), &label_);
                return true;
            }
        }
        return false;
    }

  private:
    void watchParent() {
        if (parent_ != nullptr) {
            parent_->removeEventFilter(this);
        }
        parent_ = label_.parentWidget();
        if (parent_ != nullptr) {
            parent_->installEventFilter(this);
        }
    }

    // The part of the label where text can show: inside its margins and inside its parent (the
    // panels' labels may reach past the panel's edge).
    QRect textArea() const {
        QRect area = label_.contentsRect();
        if (qobject_cast<const QLineEdit*>(&label_) != nullptr) {
            area.adjust(kLineEditMargin, 0, -kLineEditMargin, 0);
        }
        if (parent_ != nullptr) {
            area &= QRect(label_.mapFromParent(QPoint(0, 0)), parent_->size());
        }
        return area;
    }

    // Draws the text cut to fit and returns true, or returns false to let the widget draw a text
    // that fits. Either way the tooltip says whether the text was cut.
    bool paintElided() {
        const QString text = label_.property("text").toString();
        const QRect area = textArea();
        const QFontMetrics metrics = label_.fontMetrics();
        const bool fits = metrics.horizontalAdvance(text) <= area.width();
        const QString toolTip = fits ? QString() : text;
        if (label_.toolTip() != toolTip) {
            label_.setToolTip(toolTip);
        }
        if (fits) {
            return false;
        }
        QPainter painter(&label_);
        painter.setPen(label_.palette().color(label_.foregroundRole()));
        const auto alignment = static_cast<Qt::Alignment>(label_.property("alignment").toInt());
        const Qt::Alignment horizontal = alignment & Qt::AlignHorizontal_Mask;
        painter.drawText(
            area, static_cast<int>((horizontal ? horizontal : Qt::AlignLeft) | Qt::AlignVCenter),
            metrics.elidedText(text, Qt::ElideRight, area.width()));
        return true;
    }

    QWidget& label_;
    QWidget* parent_ = nullptr;
};

}  // namespace

void elideWhenTooLong(QWidget& label) {
    constexpr char kElided[] = "elidedWhenTooLong";
    if (label.property(kElided).toBool()) {
        return;
    }
    label.setProperty(kElided, true);
    label.installEventFilter(new LabelElider(label));
}

}  // namespace platform
