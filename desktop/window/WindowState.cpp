#include "WindowState.h"

namespace quire::sync {

wchar_t CurrentLocalFolder[kPathChars] = {kNoLastFolder};
std::atomic<bool> KeepRemoteSelection{false};

} // namespace quire::sync
