// Writes protocol messages as JSON; see json_text.h.
#include "json_text.h"

std::string json_text(const nlohmann::json& message) {
    return message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}
