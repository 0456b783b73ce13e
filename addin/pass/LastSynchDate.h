#pragma once

#include <windows.h>

#include <cstdint>

namespace quire::addin {

// "last synch date": the UTC file time of the last completed pass, 8 bytes.
// 0 when absent or not 8 bytes long.
uint64_t ReadLastSynchDate(HKEY userRoot);
// Throws CSynchException "Can't save last synchronization date"; the key is
// not created when missing.
void SaveLastSynchDate(HKEY userRoot, uint64_t now);

} // namespace quire::addin
