#include "platform/appkit/ns_error.h"

#include "platform/format.h"

namespace platform {

std::string NSError::description() const {
    return stringWithFormat("Error Domain=%@ Code=%ld \"%@\"",
                            {arg(domain), arg(code), arg(localizedDescription)});
}

}  // namespace platform
