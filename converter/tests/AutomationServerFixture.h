#pragma once

#include <windows.h>

#include <string>

// The spreadsheet application stand-in, registered into the test's own Wine
// prefix before any test runs (a global test environment does it).
namespace sheaf::testing {

// The server DLL as a Windows path.
std::wstring automationServerPath();
// The loaded server module (for its registration entry points).
HMODULE automationServerModule();

} // namespace sheaf::testing
