#pragma once

namespace platform {

// Sets what the toolkit reads from the environment at its start, before the application object
// exists, leaving alone what the user set:
// - as root only, QTWEBENGINE_DISABLE_SANDBOX=1: the web engine's sandbox refuses to run as root
//   and the engine would exit at its first page;
// - XDG_RUNTIME_DIR, when unset, to a private (0700) directory of this user's;
// - the web engine's start-up report of its graphics set-up off in QT_LOGGING_RULES;
// - QT_QUICK_BACKEND=software, so the web engine composes pages without OpenGL: the application
//   then needs no shared OpenGL context, which would cost every start-up over 100 ms.
void prepareToolkitEnvironment();

}  // namespace platform
