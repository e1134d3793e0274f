#include "service/terminal_text.h"

#include "service/log_escape.h"

namespace quelmarn::service {

std::string printable(std::string_view bytes) {
    std::string text;
    appendEscapedForLog(text, bytes, bytes.size());
    return text;
}

}  // namespace quelmarn::service
