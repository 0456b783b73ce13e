#pragma once

#include "ConverterTable.h"
#include "WirelessLink.h"

#include <windows.h>

namespace quire::sync {

// The libraries and credentials that live for the whole process.
struct ProcessObjects {
    const WirelessLink& wireless;
    WirelessCredentials& credentials;
    const ConverterTable& converters;
};

// Creates the main window and runs the message loop; the loop's result, or 0
// when the main window cannot be created.
int Run(const ProcessObjects& objects, int showCommand);

// The whole start-up and shutdown around Run; the process's exit code.
int RunProgram(HINSTANCE instance, const ProcessObjects& objects, int showCommand);

} // namespace quire::sync
