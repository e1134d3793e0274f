#include "platform/qt/interface_loader.h"

#include <QCoreApplication>
#include <QFile>
#include <QToolBar>
#include <QVariant>

namespace platform {
namespace {

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

}  // namespace

WithoutPluginDirectories::WithoutPluginDirectories() : saved_(QCoreApplication::libraryPaths()) {
    QCoreApplication::setLibraryPaths({});
}

void WithoutPluginDirectories::restorePluginDirectories() {
    QCoreApplication::setLibraryPaths(saved_);
}

InterfaceLoader::InterfaceLoader() {
    restorePluginDirectories();
    clearPluginPaths();
}

std::unique_ptr<QWidget> InterfaceLoader::loadNamed(const std::string& name, std::string& error) {
    toolbarWidgets_.clear();
    QFile file(QStringLiteral(":/ui/") + QString::fromStdString(name) + QStringLiteral(".ui"));
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString().toStdString();
        return nullptr;
    }
    std::unique_ptr<QWidget> root(load(&file));
    if (!root) {
        error = errorString().toStdString();
    }
    return root;
}

QWidget* InterfaceLoader::createWidget(const QString& className, QWidget* parent,
                                       const QString& name) {
    QWidget* widget = nullptr;
    if (const QString viewClass = viewClassOfCustomWidget(className); !viewClass.isEmpty()) {
        widget = new QWidget(parent);
        widget->setObjectName(name);
        widget->setProperty("nsClass", viewClass);
    } else {
        widget = QUiLoader::createWidget(className, parent, name);
    }
    if (widget != nullptr && qobject_cast<QToolBar*>(parent) != nullptr) {
        toolbarWidgets_.push_back(widget);
    }
    return widget;
}

}  // namespace platform
