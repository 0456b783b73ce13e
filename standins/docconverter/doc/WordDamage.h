#pragma once

#include "DocumentError.h"

#include <string>

namespace docconv::word {

[[noreturn]] inline void damaged(const std::string& why) {
    fail(FailureKind::DamagedDocument, "Damaged Word document: " + why);
}

} // namespace docconv::word
