#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quire::addin {

// Bytes of file content per record.
constexpr size_t kPartSize = 0x7FFF;

// How many records a file of `size` bytes takes: one at least, also for a
// folder and an empty file.
uint32_t ExpectedPartCount(int32_t size);

// How many bytes part `part` of a file of `size` bytes holds.
size_t ExpectedPartLength(int32_t size, int32_t part);

// The handheld may close a part with one zero byte.  Only a byte beyond what
// the part should hold is that terminator; a file's own last zero byte stays.
void DropPartTerminator(std::vector<uint8_t>& bytes, int32_t size, int32_t part);

// Copies a later part of a file into its content at the part's offset,
// growing the content with zero bytes where it is shorter.  False, with the
// content unchanged, when the part would lie beyond the file's size: a part
// number from the handheld is not trusted to stay inside the file.
bool PlacePart(std::vector<uint8_t>& content, int32_t fileSize, int32_t part,
               std::span<const uint8_t> bytes);

} // namespace quire::addin
