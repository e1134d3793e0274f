#pragma once

class QLineEdit;
class QWidget;

namespace platform {

// What a screen reader is told about the application's views, beyond the toolkit's defaults:
// - a text field that takes neither typing nor selection (a panel's row, a notice line) is one
//   read-only static text named by what it shows, not an editable field;
// - a picture is the decoration of the text beside it: containers do not list it as an element
//   of its own.
// Installed once, after the toolkit's application object exists.
void installAccessibleRoles();

// Drops the description made of `widget` so far, if any, so that it is described anew from
// what it is now (a text field that has become a label, say).
void describeAnew(QWidget& widget);

// Names the clear button of `field`, which the toolkit leaves unnamed, with the text of the
// field's "clearButtonName" property, when it has one and the button exists.
void nameClearButton(QLineEdit& field);

}  // namespace platform
