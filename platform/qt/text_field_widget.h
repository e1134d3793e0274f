#pragma once

#include <QLineEdit>

namespace platform {

// The line edit behind every text field that code makes (NSTextField::initWithFrame). A class of
// its own lets the accessibility layer describe fields that are labels as labels
// (accessibility.h) before the toolkit's own description of line edits is reached.
class TextFieldWidget final : public QLineEdit {
    Q_OBJECT

  public:
    using QLineEdit::QLineEdit;
};

}  // namespace platform
