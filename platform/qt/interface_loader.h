#pragma once

#include <QByteArray>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Interface descriptions are Qt Designer .ui files kept in the resources as ":/ui/<name>.ui".
// Beyond the widgets and properties they describe, ours follow these conventions, all with dynamic
// properties (stdset="0") so that Designer keeps them:
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
//   `toolbarBefore` (string) names, or at its end;
// - `clearButtonAfterFirstFrame` (bool) on a QLineEdit gives it its clear button once the window
//   has first painted: the button's icon is looked up in the desktop's icon theme, a walk
//   through the theme's folders that would hold up the first frame.
// The loader reads these descriptions itself and knows only what they use: the classes
// QWidget, QLabel, QLineEdit, QMainWindow, QMenuBar, QMenu and QToolBar and the placeholders
// above; properties of those classes and dynamic ones (see described_property.h); actions, their
// <addaction> references and "separator"; a main window's central widget, toolbars (with their
// toolBarArea and toolBarBreak attributes) and menu bar. Anything else in a description is an
// error, not something passed over.
class InterfaceLoader {
  public:
    // Loads ":/ui/<name>.ui". Null, with `error` set, when there is none, it cannot be read or
    // it describes what the loader does not know. The caller owns the root widget, which owns
    // the other widgets and the actions.
    std::unique_ptr<QWidget> loadNamed(const std::string& name, std::string& error);

    // Makes the widgets that the description text `description` gives; null, with `error` set
    // ("line 7: unknown widget class \"QFrame\""), like loadNamed.
    std::unique_ptr<QWidget> load(const QByteArray& description, std::string& error);

    // The widgets that the last load made as children of a toolbar, in their order. The
    // loader leaves them to the caller to place among the toolbar's actions.
    const std::vector<QWidget*>& toolbarWidgets() const { return toolbarWidgets_; }

  private:
    std::vector<QWidget*> toolbarWidgets_;
};

}  // namespace platform
