#pragma once

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace quire {

// Writes every byte or fails with the thread's last error set.  A write that
// stops short (a full disk, under Wine) succeeds with fewer bytes and no
// error of its own; writing the rest brings the real error out.
inline bool WriteAll(HANDLE file, const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 24));
        DWORD written = 0;
        if (!WriteFile(file, bytes, chunk, &written, nullptr)) {
            return false;
        }
        if (written == 0) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        bytes += written;
        size -= written;
    }
    return true;
}

} // namespace quire
