#include "resources/images/quelmarn_images.h"

#include <QtCore/qglobal.h>

// Q_INIT_RESOURCE declares the rcc-generated function in the enclosing
// namespace, so it is called from the global namespace.
static void registerImagesResource() { Q_INIT_RESOURCE(images); }

namespace quelmarn::images {

void ensureRegistered() { registerImagesResource(); }

}  // namespace quelmarn::images
