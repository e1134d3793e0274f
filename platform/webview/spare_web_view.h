#pragma once

class QWebEngineView;

namespace platform {

// Most of a page's first load goes to starting the engine's renderer for it. Each lookup makes
// a new web view, so after a load has ended one view is made ahead, its renderer started on an
// empty page, and the next web view takes it: a later lookup then costs little more than the
// request itself.

// A new web engine view as every web view wants it (the engine's own error page off), with no
// parent; the caller owns it.
QWebEngineView* makeWebEngineView();

// The view made ahead, now owned by the caller, or null when none is ready (none was made, or
// its empty page is still loading). Its history holds the empty page until the caller clears it.
QWebEngineView* takeSpareWebEngineView();

// Makes a view ahead once the event loop is idle, unless one is ready. It is deleted with the
// application object at the latest.
void prepareSpareWebEngineViewSoon();

}  // namespace platform
