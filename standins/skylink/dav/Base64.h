#pragma once

#include <string>
#include <string_view>

namespace dav {

// Standard base64 with padding, as Basic authentication sends credentials.
std::string base64Encode(std::string_view bytes);

} // namespace dav
