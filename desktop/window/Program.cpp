#include "Program.h"

#include "MainWindow.h"
#include "window/AxHostWindow.h"
#include "window/MessageLoop.h"
#include "window/Module.h"

#include <commctrl.h>

#include <clocale>
#include <memory>

namespace quire::sync {

namespace {

// Unregisters the loop however Run leaves.
class LoopRegistration {
public:
    explicit LoopRegistration(window::MessageLoop& loop) {
        window::TheModule().AddMessageLoop(&loop);
    }
    ~LoopRegistration() { window::TheModule().RemoveMessageLoop(); }
    LoopRegistration(const LoopRegistration&) = delete;
    LoopRegistration& operator=(const LoopRegistration&) = delete;
};

} // namespace

int Run(const ProcessObjects& objects, int showCommand) {
    window::MessageLoop loop;
    LoopRegistration registration(loop);
    MainWindowEnvironment environment;
    environment.instance = window::TheModule().Instance();
    environment.wireless = &objects.wireless;
    environment.credentials = &objects.credentials;
    environment.converters = &objects.converters;
    auto mainWindow = std::make_unique<MainWindow>(std::move(environment));
    if (!mainWindow->Create()) {
        return 0;
    }
    ShowWindow(mainWindow->handle(), showCommand);
    return loop.Run();
}

int RunProgram(HINSTANCE instance, const ProcessObjects& objects, int showCommand) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = 8; // the structure's size: two 32-bit fields
    controls.dwICC = ICC_BAR_CLASSES | ICC_USEREX_CLASSES | ICC_COOL_CLASSES;
    InitCommonControlsEx(&controls);
    setlocale(LC_ALL, ".ACP");
    window::TheModule().Init(instance);
    window::RegisterAxHostWindow(instance);
    int result = 0;
    try {
        result = Run(objects, showCommand);
    } catch (...) {
        result = 0;
    }
    window::TheModule().Term();
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return result;
}

} // namespace quire::sync
