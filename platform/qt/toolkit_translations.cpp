#include "platform/qt/toolkit_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace platform {

void installToolkitTranslations(QCoreApplication& application) {
    // The interface is Chinese whatever the session's language, so the toolkit's words are too.
    // The web engine's catalogue is loaded with the others: it is mapped, not read, so a run
    // that never shows a web page pays next to nothing for it.
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* catalogue : {"qtbase_zh_CN", "qtwebengine_zh_CN"}) {
        auto* translator = new QTranslator(&application);
        if (translator->load(QLatin1String(catalogue), folder)) {
            QCoreApplication::installTranslator(translator);
        } else {
            delete translator;
        }
    }
}

}  // namespace platform
