#pragma once

#include <QStringList>
#include <QUiLoader>
#include <memory>
#include <string>
#include <vector>

class QToolBar;

namespace platform {

// Interface descriptions are Qt Designer .ui files kept in the resources as ":/ui/<name>.ui".
// Beyond what Qt reads from them, ours follow these conventions, all with dynamic properties
// (stdset="0") so that Designer keeps them:
//
// Panels (loaded by NSViewController::view, the root widget is the controller's view):
// - `outlet` (string) on a widget: the widget's view is handed to the controller with
//   setValueForKey(<outlet>, view) before awakeFromNib.
// - `nsClass` (string) on a widget: the view class that wraps it. "WebView": a web view whose
//   page fills the widget; "NSProgressIndicator": a spinner drawn in the widget, hidden while
//   stopped; "NSTextField": a text field (the widget must be a QLineEdit); "NSView" is the
//   default, except that a QLineEdit is a text field. The class names WebView, QWebEngineView,
//   NSProgressIndicator and NSView may also stand as the widget's own class (as custom widgets
//   that extend QWidget); they make a plain widget with that nsClass.
// - `frameLoadDelegate` = "owner" on a web view: the controller becomes the view's frame-load
//   delegate, held weakly, if it is one.
// A widget that neither names an outlet or a class nor holds one that does is left unwrapped.
//
// The main interface description (":/ui/MainMenu.ui", loaded by NSApplicationMain):
// - its root is a QMainWindow whose `delegateClass` (string) names the registered class
//   (registerClass) of the application's delegate;
// - `delegateOutlet` (string) connects an object to the delegate: on the main window it hands
//   over the NSWindow; on a widget inside a toolbar, an NSToolbarItem whose view wraps the widget;
//   on any other widget, its view;
// - `delegateAction` (string, a selector such as "showDeviceInfo:") on a QAction sends it to the
//   delegate, with no sender, when the action is triggered; on a QLineEdit it sends it when
//   Return is pressed, with the line edit's view as the sender. The application itself answers
//   what the delegate does not: "terminate:";
// - a widget that is a child of a QToolBar is put into that toolbar before the action its
//   `toolbarBefore` (string) names, or at its end.
// QUiLoader's constructor loads every Designer plugin in the plugin directories at once (the web
// engine's among them, which costs more than the whole start-up), before anyone can clear its
// plugin paths. This base, constructed first, hides those directories from it.
class WithoutPluginDirectories {
  protected:
    WithoutPluginDirectories();
    // Puts the application's plugin directories back.
    void restorePluginDirectories();

  private:
    QStringList saved_;
};

class InterfaceLoader : private WithoutPluginDirectories, public QUiLoader {
  public:
    // A loader that only knows Qt's own widgets and ours: it loads no Designer plugins.
    InterfaceLoader();

    // Loads ":/ui/<name>.ui". Null, with `error` set, when there is none or it cannot be read.
    std::unique_ptr<QWidget> loadNamed(const std::string& name, std::string& error);

    // The widgets that the last load made as children of a toolbar, in their order.
    const std::vector<QWidget*>& toolbarWidgets() const { return toolbarWidgets_; }

    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override;

  private:
    std::vector<QWidget*> toolbarWidgets_;
};

}  // namespace platform
