#include "platform/qt/accessibility.h"

#include <QAccessibleWidget>
#include <QLineEdit>
#include <QToolButton>

#include "platform/qt/image_widget.h"
#include "platform/qt/text_field_widget.h"

namespace platform {
namespace {

// A text field that is a label: the keyboard never enters it (NSTextField::applyInteraction).
bool isLabel(const QLineEdit& field) {
    return field.isReadOnly() && field.focusPolicy() == Qt::NoFocus;
}

class LabelAccessible : public QAccessibleWidget {
  public:
    explicit LabelAccessible(QLineEdit* field)
        : QAccessibleWidget(field, QAccessible::StaticText) {}

    QString text(QAccessible::Text kind) const override {
        const auto* field = static_cast<const QLineEdit*>(widget());
        if (kind == QAccessible::Name && field->accessibleName().isEmpty()) {
            return field->text();
        }
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.editable = false;
        return state;
    }
};

// A plain container whose pictures are left out of its elements.
class ContainerAccessible : public QAccessibleWidget {
  public:
    using QAccessibleWidget::QAccessibleWidget;

    int childCount() const override { return static_cast<int>(elements().size()); }

    QAccessibleInterface* child(int index) const override {
        const QList<QWidget*> shown = elements();
        return index >= 0 && index < shown.size()
                   ? QAccessible::queryAccessibleInterface(shown[index])
                   : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        return child != nullptr ? static_cast<int>(elements().indexOf(child->object())) : -1;
    }

  private:
    // The child widgets the toolkit would list (not windows), but no picture.
    QList<QWidget*> elements() const {
        QList<QWidget*> shown;
        for (QObject* object : widget()->children()) {
            auto* child = qobject_cast<QWidget*>(object);
            if (child != nullptr && !child->isWindow() &&
                qobject_cast<ImageWidget*>(child) == nullptr) {
                shown.append(child);
            }
        }
        return shown;
    }
};

QAccessibleInterface* accessibleFor(const QString& className, QObject* object) {
    if (className == QLatin1String("platform::TextFieldWidget")) {
        auto* field = static_cast<QLineEdit*>(object);
        return isLabel(*field) ? new LabelAccessible(field) : nullptr;
    }
    if (className == QLatin1String("QWidget")) {
        // A plain view, or a widget of the application's own that the toolkit knows nothing
        // of: what the toolkit would make of it, with its pictures left out.
        return new ContainerAccessible(static_cast<QWidget*>(object), QAccessible::Client);
    }
    return nullptr;
}

}  // namespace

void installAccessibleRoles() {
    QAccessible::installFactory(accessibleFor);
}

void describeAnew(QWidget& widget) {
    if (QAccessibleInterface* described = QAccessible::queryAccessibleInterface(&widget)) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(described));
    }
}

void nameClearButton(QLineEdit& field) {
    const QString name = field.property("clearButtonName").toString();
    if (name.isEmpty()) {
        return;
    }
    for (QToolButton* button : field.findChildren<QToolButton*>(Qt::FindDirectChildrenOnly)) {
        button->setAccessibleName(name);
        button->setToolTip(name);
    }
}

}  // namespace platform
