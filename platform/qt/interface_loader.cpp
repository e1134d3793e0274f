#include "platform/qt/interface_loader.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMetaEnum>
#include <QToolBar>
#include <QVariant>
#include <map>

#include "platform/qt/described_property.h"
#include "platform/qt/interface_description.h"

namespace platform {
namespace {

template <typename Widget>
QWidget* make(QWidget* parent) {
    return new Widget(parent);
}

struct WidgetClass {
    const char* name;
    QWidget* (*make)(QWidget* parent);
};

constexpr WidgetClass kWidgetClasses[] = {
    {"QWidget", make<QWidget>},     {"QLabel", make<QLabel>},
    {"QLineEdit", make<QLineEdit>}, {"QMainWindow", make<QMainWindow>},
    {"QMenuBar", make<QMenuBar>},   {"QMenu", make<QMenu>},
    {"QToolBar", make<QToolBar>},
};

// Custom class names of a description that stand for a plain widget that a view class wraps.
QString viewClassOfCustomWidget(const QString& className) {
    if (className == QLatin1String("QWebEngineView")) {
        return QStringLiteral("WebView");
    }
    if (className == QLatin1String("WebView") || className == QLatin1String("NSView") ||
        className == QLatin1String("NSProgressIndicator")) {
        return className;
    }
    return QString();
}

QWidget* makeWidgetOfClass(const QString& className, QWidget* parent) {
    if (const QString viewClass = viewClassOfCustomWidget(className); !viewClass.isEmpty()) {
        auto* widget = new QWidget(parent);
        widget->setProperty("nsClass", viewClass);
        return widget;
    }
    for (const WidgetClass& known : kWidgetClasses) {
        if (className == QLatin1String(known.name)) {
            return known.make(parent);
        }
    }
    return nullptr;
}

bool isElement(const DescriptionElement& element, const char* name) {
    return element.name == QLatin1String(name);
}

// Makes the objects of one description, in the order Qt Designer's own loader does: a widget,
// its properties, its actions, its child widgets, then the actions it shows.
class WidgetBuilder {
  public:
    explicit WidgetBuilder(std::vector<QWidget*>& toolbarWidgets)
        : toolbarWidgets_(toolbarWidgets) {}

    std::unique_ptr<QWidget> build(const DescriptionElement& ui) {
        if (!isElement(ui, "ui")) {
            return fail(ui, QStringLiteral("the root element is <%1>, not <ui>").arg(ui.name));
        }
        const DescriptionElement* rootWidget = nullptr;
        for (const DescriptionElement& element : ui.children) {
            if (isElement(element, "widget") && rootWidget == nullptr) {
                rootWidget = &element;
            } else if ((isElement(element, "resources") || isElement(element, "connections")) &&
                       !element.children.empty()) {
                return fail(element.children.front(),
                            QStringLiteral("<%1> is not supported").arg(element.name));
            } else if (!isElement(element, "class") && !isElement(element, "customwidgets") &&
                       !isElement(element, "resources") && !isElement(element, "connections")) {
                return fail(element, QStringLiteral("unexpected element <%1>").arg(element.name));
            }
        }
        if (rootWidget == nullptr) {
            return fail(ui, QStringLiteral("the description holds no widget"));
        }
        return std::unique_ptr<QWidget>(makeWidget(*rootWidget, nullptr));
    }

    const QString& error() const { return error_; }

  private:
    std::nullptr_t fail(const DescriptionElement& at, const QString& message) {
        if (error_.isEmpty()) {
            error_ = QStringLiteral("line %1: %2").arg(at.line).arg(message);
        }
        return nullptr;
    }

    bool setProperties(QObject& object, const DescriptionElement& element, bool isRoot) {
        for (const DescriptionElement& property : element.children) {
            QString problem;
            if (isElement(property, "property") &&
                !setDescribedProperty(object, property, isRoot, icons_, problem)) {
                fail(property, problem);
                return false;
            }
        }
        return true;
    }

    // The widget that `element` describes, as a child of `parent`; null once an error is set.
    // The caller owns it; when it fails midway, its parent (or the caller) deletes what it made.
    QWidget* makeWidget(const DescriptionElement& element, QWidget* parent) {
        const QString className = element.attribute(QLatin1String("class"));
        QWidget* widget = makeWidgetOfClass(className, parent);
        if (widget == nullptr) {
            return fail(element, QStringLiteral("unknown widget class \"%1\"").arg(className));
        }
        std::unique_ptr<QWidget> owned(parent == nullptr ? widget : nullptr);
        widget->setObjectName(element.attribute(QLatin1String("name")));
        if (auto* menu = qobject_cast<QMenu*>(widget)) {
            actions_[widget->objectName()] = menu->menuAction();
        }
        if (!setProperties(*widget, element, parent == nullptr)) {
            return nullptr;
        }
        for (const DescriptionElement& child : element.children) {
            if (isElement(child, "action") && !makeAction(child, *widget)) {
                return nullptr;
            }
        }
        for (const DescriptionElement& child : element.children) {
            if (isElement(child, "widget")) {
                QWidget* made = makeWidget(child, widget);
                if (made == nullptr || !attach(*widget, *made, child)) {
                    return nullptr;
                }
            } else if (!isElement(child, "property") && !isElement(child, "action") &&
                       !isElement(child, "addaction") && !isElement(child, "attribute")) {
                return fail(child,
                            QStringLiteral("unexpected element <%1> in a widget").arg(child.name));
            }
        }
        for (const DescriptionElement& child : element.children) {
            if (isElement(child, "addaction") && !addAction(*widget, child)) {
                return nullptr;
            }
        }
        owned.release();
        return widget;
    }

    bool makeAction(const DescriptionElement& element, QWidget& parent) {
        auto* action = new QAction(&parent);
        action->setObjectName(element.attribute(QLatin1String("name")));
        for (const DescriptionElement& child : element.children) {
            if (!isElement(child, "property")) {
                fail(child, QStringLiteral("unexpected element <%1> in an action").arg(child.name));
                return false;
            }
        }
        if (!actions_.try_emplace(action->objectName(), action).second) {
            fail(element, QStringLiteral("a second action \"%1\"").arg(action->objectName()));
            return false;
        }
        return setProperties(*action, element, false);
    }

    bool addAction(QWidget& widget, const DescriptionElement& element) {
        const QString name = element.attribute(QLatin1String("name"));
        if (name == QLatin1String("separator")) {
            auto* separator = new QAction(&widget);
            separator->setSeparator(true);
            widget.addAction(separator);
            return true;
        }
        const auto found = actions_.find(name);
        if (found == actions_.end()) {
            fail(element, QStringLiteral("no action or menu \"%1\"").arg(name));
            return false;
        }
        widget.addAction(found->second);
        return true;
    }

    // Puts a child into its container where the container has a place for it; attributes are
    // the places of a main window's toolbars.
    bool attach(QWidget& container, QWidget& child, const DescriptionElement& element) {
        auto* window = qobject_cast<QMainWindow*>(&container);
        auto* toolbar = qobject_cast<QToolBar*>(&child);
        for (const DescriptionElement& attribute : element.children) {
            if (isElement(attribute, "attribute") && (window == nullptr || toolbar == nullptr)) {
                fail(attribute, QStringLiteral("only a main window's toolbar has attributes"));
                return false;
            }
        }
        if (qobject_cast<QToolBar*>(&container) != nullptr) {
            toolbarWidgets_.push_back(&child);
        }
        if (window == nullptr) {
            return true;
        }
        if (toolbar != nullptr) {
            return placeToolbar(*window, *toolbar, element);
        }
        if (auto* menuBar = qobject_cast<QMenuBar*>(&child)) {
            window->setMenuBar(menuBar);
            return true;
        }
        if (window->centralWidget() != nullptr) {
            fail(element, QStringLiteral("a main window has one central widget"));
            return false;
        }
        window->setCentralWidget(&child);
        return true;
    }

    bool placeToolbar(QMainWindow& window, QToolBar& toolbar, const DescriptionElement& element) {
        Qt::ToolBarArea area = Qt::TopToolBarArea;
        bool breakBefore = false;
        for (const DescriptionElement& attribute : element.children) {
            if (!isElement(attribute, "attribute")) {
                continue;
            }
            const QString name = attribute.attribute(QLatin1String("name"));
            const DescriptionElement* value =
                attribute.children.size() == 1 ? &attribute.children.front() : nullptr;
            bool ok = false;
            if (name == QLatin1String("toolBarArea") && value != nullptr &&
                isElement(*value, "enum")) {
                const QByteArray key = unscoped(value->text);
                area = static_cast<Qt::ToolBarArea>(
                    QMetaEnum::fromType<Qt::ToolBarArea>().keyToValue(key.constData(), &ok));
            } else if (name == QLatin1String("toolBarBreak") && value != nullptr &&
                       isElement(*value, "bool")) {
                breakBefore = value->trimmedText() == QLatin1String("true");
                ok = breakBefore || value->trimmedText() == QLatin1String("false");
            }
            if (!ok) {
                fail(attribute, QStringLiteral("unknown toolbar attribute \"%1\"").arg(name));
                return false;
            }
        }
        window.addToolBar(area, &toolbar);
        if (breakBefore) {
            window.insertToolBarBreak(&toolbar);
        }
        return true;
    }

    std::vector<QWidget*>& toolbarWidgets_;
    std::map<QString, QAction*> actions_;
    DescribedIcons icons_;
    QString error_;
};

}  // namespace

std::unique_ptr<QWidget> InterfaceLoader::loadNamed(const std::string& name, std::string& error) {
    QFile file(QStringLiteral(":/ui/") + QString::fromStdString(name) + QStringLiteral(".ui"));
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString().toStdString();
        return nullptr;
    }
    return load(file.readAll(), error);
}

std::unique_ptr<QWidget> InterfaceLoader::load(const QByteArray& description, std::string& error) {
    toolbarWidgets_.clear();
    QString problem;
    const auto ui = parseInterfaceDescription(description, problem);
    if (!ui) {
        error = problem.toStdString();
        return nullptr;
    }
    WidgetBuilder builder(toolbarWidgets_);
    std::unique_ptr<QWidget> root = builder.build(*ui);
    if (!root) {
        toolbarWidgets_.clear();
        error = builder.error().toStdString();
    }
    return root;
}

}  // namespace platform
