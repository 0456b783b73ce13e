// The entry of QuireSync.exe.  The libraries are bound before the entry runs
// and released after it returns, in reverse order of their construction.

#include "Program.h"

#include <windows.h>

namespace {

quire::sync::WirelessLink wirelessLink;
quire::sync::WirelessCredentials wirelessCredentials;
quire::sync::ConverterTable converterTable;

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    const quire::sync::ProcessObjects objects{wirelessLink, wirelessCredentials, converterTable};
    return quire::sync::RunProgram(instance, objects, showCommand);
}
