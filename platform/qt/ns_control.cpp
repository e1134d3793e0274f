#include "platform/appkit/ns_control.h"

#include <QFont>
#include <QLineEdit>
#include <cmath>

#include "platform/qt/native_bridge.h"

namespace platform {

// Text controls are line edits; anything else a view wraps has no text to show.
QLineEdit* lineEditOf(const NSView& view) {
    return qobject_cast<QLineEdit*>(widgetOf(view));
}

namespace {

Qt::Alignment qtAlignmentOf(NSTextAlignment alignment) {
    switch (alignment) {
        case NSLeftTextAlignment:
            return Qt::AlignLeft | Qt::AlignAbsolute;
        case NSRightTextAlignment:
            return Qt::AlignRight | Qt::AlignAbsolute;
        case NSCenterTextAlignment:
            return Qt::AlignHCenter;
        case NSJustifiedTextAlignment:
            return Qt::AlignJustify;
        case NSNaturalTextAlignment:
            break;
    }
    // Natural follows the writing direction, as Qt's unqualified left does.
    return Qt::AlignLeft;
}

}  // namespace

std::string NSControl::stringValue() const {
    const QLineEdit* field = lineEditOf(*this);
    return field != nullptr ? field->text().toStdString() : std::string();
}

void NSControl::setStringValue(const std::string& value) {
    QLineEdit* field = lineEditOf(*this);
    if (field == nullptr) {
        return;
    }
    field->setText(QString::fromStdString(value));
    if (!field->hasFocus()) {
        // Show the text's beginning, as a label does; a line edit would scroll to its end.
        field->setCursorPosition(0);
    }
}

void NSControl::setFont(std::shared_ptr<NSFont> font) {
    font_ = std::move(font);
    QWidget* widget = widgetOf(*this);
    if (widget == nullptr) {
        return;
    }
    if (!font_) {
        // A font that sets nothing inherits everything: the toolkit's default.
        widget->setFont(QFont());
        return;
    }
    QFont qtFont(QString::fromStdString(font_->familyName()));
    // The panels' sizes are in points that are Qt's device-independent pixels (frames are placed
    // in them); Qt's own points are 1/72 inch, a third larger at 96 dpi. A pixel size keeps a
    // 14-point font in proportion to its 30-point box.
    qtFont.setPixelSize(std::max(1, static_cast<int>(std::lround(font_->pointSize()))));
    widget->setFont(qtFont);
}

void NSControl::setAlignment(NSTextAlignment alignment) {
    alignment_ = alignment;
    if (QLineEdit* field = lineEditOf(*this)) {
        field->setAlignment(qtAlignmentOf(alignment) | Qt::AlignVCenter);
    }
}

}  // namespace platform
