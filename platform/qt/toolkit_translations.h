#pragma once

class QCoreApplication;

namespace platform {

// Makes the toolkit's own words (context menus of text boxes and web pages, standard buttons)
// Simplified Chinese like the rest of the interface, from the toolkit's translations as the
// system installs them. Where they are not installed the toolkit's English stays.
void installToolkitTranslations(QCoreApplication& application);

}  // namespace platform
