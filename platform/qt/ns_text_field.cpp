#include "platform/appkit/ns_text_field.h"

#include <QApplication>
#include <QLineEdit>

#include "platform/qt/accessibility.h"
#include "platform/qt/elided_label.h"
#include "platform/qt/native_bridge.h"
#include "platform/qt/text_field_widget.h"

namespace platform {

std::shared_ptr<NSTextField> NSTextField::initWithFrame(NSRect frame) {
    return placedAt(NativeBridge::wrapTextField(*new TextFieldWidget), frame);
}

std::shared_ptr<NSTextField> NativeBridge::wrapTextField(QWidget& widget) {
    auto field = std::shared_ptr<NSTextField>(
        new NSTextField(std::make_unique<NativeView>(NativeView{&widget})));
    if (const QLineEdit* lineEdit = lineEditOf(*field)) {
        field->bezeled_ = lineEdit->hasFrame();
        field->editable_ = !lineEdit->isReadOnly();
    }
    return field;
}

void NSTextField::setBezeled(bool bezeled) {
    bezeled_ = bezeled;
    if (QLineEdit* lineEdit = lineEditOf(*this)) {
        lineEdit->setFrame(bezeled);
    }
}

void NSTextField::setDrawsBackground(bool draws) {
    drawsBackground_ = draws;
    if (QLineEdit* lineEdit = lineEditOf(*this)) {
        // Line edits fill their box with the base colour; a clear one lets the parent show.
        QPalette palette = lineEdit->palette();
        palette.setBrush(QPalette::Base,
                         draws ? QApplication::palette(lineEdit).base() : QBrush(Qt::transparent));
        lineEdit->setPalette(palette);
    }
}

void NSTextField::setEditable(bool editable) {
    editable_ = editable;
    applyInteraction();
}

void NSTextField::setSelectable(bool selectable) {
    selectable_ = selectable;
    applyInteraction();
}

void NSTextField::applyInteraction() {
    QLineEdit* lineEdit = lineEditOf(*this);
    if (lineEdit == nullptr) {
        return;
    }
    lineEdit->setReadOnly(!editable_);
    // A field that takes neither typing nor selection is a label: it lets clicks and the keyboard
    // focus pass by.
    const bool interactive = editable_ || selectable_;
    lineEdit->setFocusPolicy(interactive ? Qt::StrongFocus : Qt::NoFocus);
    lineEdit->setAttribute(Qt::WA_TransparentForMouseEvents, !interactive);
    if (!interactive) {
        lineEdit->deselect();
        // A label cannot be scrolled to read the rest of a long text.
        elideWhenTooLong(*lineEdit);
    }
    describeAnew(*lineEdit);
}

}  // namespace platform
