#pragma once

#include "ConverterInterface.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace docconv {

// One file-to-file conversion as the entry points run it: read the source,
// convert with progress reports, write the destination in one move, and turn
// every failure into a result code with its last error text.
class ConversionSession {
public:
    using Conversion = std::vector<uint8_t> (*)(std::span<const uint8_t>,
                                                const std::function<bool(int)>&);

    explicit ConversionSession(ProgressCallback callback) : callback_(callback) {}

    int run(Conversion conversion, const char* sourcePath, const char* destinationPath);

private:
    int convert(Conversion conversion, const char* sourcePath, const char* destinationPath);
    int failure(int code, const std::string& text);
    bool report(int32_t position, const char* text);

    ProgressCallback callback_;
};

} // namespace docconv
