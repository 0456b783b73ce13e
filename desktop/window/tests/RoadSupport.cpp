#include "RoadSupport.h"

#include "Messages.h"
#include "Resource.h"

#include "DocumentHeader.h"
#include "FormulaParser.h"
#include "SheafFile.h"
#include "SheafResult.h"
#include "Workbook.h"
#include "XlsFileFormat.h"

#include <commctrl.h>
#include <winhttp.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace quire::sync::test {

namespace {

// The trace of each thread that has one; the hook finds its own through it.
thread_local TransferTrace* activeTrace = nullptr;

bool IsTransferDialog(HWND window) {
    return window != nullptr && GetDlgItem(window, IDC_TRANSFER_OVERALL_BAR) != nullptr;
}

std::wstring OwnText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

bool IsStepReply(UINT message) {
    return message == MSG_FETCH || message == MSG_IMPORT_CONVERT || message == MSG_EXPORT_CONVERT ||
           message == MSG_SEND || message == MSG_ERASE;
}

std::string Utf8(const std::wstring& text) {
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length > 0 ? length - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), length, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring out(static_cast<size_t>(length > 0 ? length - 1 : 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, out.data(), length);
    return out;
}

std::string NumberText(double number) {
    std::ostringstream out;
    out.precision(17);
    out << number;
    return out.str();
}

std::string ValueText(const spreadsheet::CellValue& value) {
    switch (value.kind) {
    case spreadsheet::ValueKind::Empty:
        return "empty";
    case spreadsheet::ValueKind::Number:
        return "number " + NumberText(value.number);
    case spreadsheet::ValueKind::Text:
        return "text " + value.text;
    case spreadsheet::ValueKind::Boolean:
        return value.boolean ? "boolean TRUE" : "boolean FALSE";
    case spreadsheet::ValueKind::Error:
        return std::string("error ") + spreadsheet::errorText(value.error);
    }
    return "?";
}

// What typing the entry into a cell gives: a formula, a number or a text.
void EnterCell(spreadsheet::Sheet& sheet, spreadsheet::CellPosition position,
               const std::string& entry, std::string& error) {
    if (!entry.empty() && entry.front() == '=') {
        std::string why;
        spreadsheet::FormulaPtr formula = spreadsheet::makeFormula(entry, &why);
        if (!formula) {
            error = "formula " + entry + ": " + why;
            return;
        }
        sheet.setFormula(position, std::move(formula));
        return;
    }
    char* end = nullptr;
    const double number = std::strtod(entry.c_str(), &end);
    if (!entry.empty() && end == entry.c_str() + entry.size()) {
        sheet.setValue(position, spreadsheet::CellValue::fromNumber(number));
    } else {
        sheet.setValue(position, spreadsheet::CellValue::fromText(entry));
    }
}

std::filesystem::path FileSystemPath(const std::wstring& path) {
    return std::filesystem::path(path);
}

} // namespace

TransferTrace::TransferTrace(HWND mainWindow) : mainWindow_(mainWindow) {
    activeTrace = this;
    hook_ = SetWindowsHookExW(WH_CALLWNDPROC, &TransferTrace::Hook, nullptr, GetCurrentThreadId());
}

TransferTrace::~TransferTrace() {
    if (hook_) {
        UnhookWindowsHookEx(hook_);
    }
    activeTrace = nullptr;
}

LRESULT CALLBACK TransferTrace::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && activeTrace != nullptr) {
        activeTrace->Record(*reinterpret_cast<const CWPSTRUCT*>(lParam));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void TransferTrace::Record(const CWPSTRUCT& call) {
    DialogEvent event;
    event.message = call.message;
    event.wParam = call.wParam;
    event.lParam = call.lParam;
    if (call.hwnd == mainWindow_ && mainWindow_ != nullptr) {
        if (call.message != WM_COMMAND && call.message != WM_REMOTE_LISTING) {
            return;
        }
    } else if (IsTransferDialog(call.hwnd)) {
        const bool wanted = IsStepReply(call.message) || call.message == WM_COMMAND ||
                            call.message == WM_CLOSE || call.message == MSG_PROGRESS;
        if (!wanted) {
            return;
        }
        event.dialog = call.hwnd;
    } else if (IsTransferDialog(GetParent(call.hwnd))) {
        const bool bar = call.message == PBM_SETPOS || call.message == PBM_SETRANGE32;
        const bool status =
            call.message == WM_SETTEXT && GetDlgCtrlID(call.hwnd) == IDC_TRANSFER_STATUS;
        if (!bar && !status) {
            return;
        }
        event.dialog = GetParent(call.hwnd);
        event.control = GetDlgCtrlID(call.hwnd);
        if (status && call.lParam != 0) {
            event.text = reinterpret_cast<const wchar_t*>(call.lParam);
        }
    } else {
        return;
    }
    if (event.dialog) {
        event.caption = OwnText(event.dialog);
    }
    {
        std::lock_guard lock(mutex_);
        events_.push_back(event);
    }
    // A test's action may send messages of its own: those are recorded, but
    // do not act again.
    if (onEvent && !acting_) {
        acting_ = true;
        onEvent(event);
        acting_ = false;
    }
}

std::vector<DialogEvent> TransferTrace::Events() const {
    std::lock_guard lock(mutex_);
    return events_;
}

std::vector<std::wstring> TransferTrace::Captions() const {
    std::vector<std::wstring> captions;
    HWND last = nullptr;
    for (const DialogEvent& event : Events()) {
        if (event.dialog && event.dialog != last && !event.caption.empty()) {
            last = event.dialog;
            if (captions.empty() || captions.back() != event.caption) {
                captions.push_back(event.caption);
            }
        }
    }
    return captions;
}

std::vector<UINT> TransferTrace::Positions(int control) const {
    std::vector<UINT> positions;
    for (const DialogEvent& event : Events()) {
        if (event.control == control && event.message == PBM_SETPOS) {
            positions.push_back(static_cast<UINT>(event.wParam));
        }
    }
    return positions;
}

std::vector<std::wstring> TransferTrace::StepLines() const {
    std::vector<std::wstring> lines;
    for (const std::wstring& line : StatusLines()) {
        if (line.find(L"... - ") == std::wstring::npos) {
            lines.push_back(line);
        }
    }
    return lines;
}

std::vector<std::wstring> TransferTrace::StatusLines() const {
    std::vector<std::wstring> lines;
    for (const DialogEvent& event : Events()) {
        if (event.control == IDC_TRANSFER_STATUS && !event.text.empty()) {
            lines.push_back(event.text);
        }
    }
    return lines;
}

int TransferTrace::Replies(UINT message) const {
    int count = 0;
    for (const DialogEvent& event : Events()) {
        if (event.control == 0 && event.dialog != nullptr && event.message == message) {
            ++count;
        }
    }
    return count;
}

int TransferTrace::Listings() const {
    int count = 0;
    for (const DialogEvent& event : Events()) {
        if (event.dialog == nullptr && event.message == WM_REMOTE_LISTING) {
            ++count;
        }
    }
    return count;
}

std::vector<WORD> TransferTrace::MainWindowCommands() const {
    std::vector<WORD> commands;
    for (const DialogEvent& event : Events()) {
        if (event.dialog == nullptr && event.message == WM_COMMAND) {
            commands.push_back(LOWORD(event.wParam));
        }
    }
    return commands;
}

int TransferTrace::PositionBefore(int control, const std::wstring& status) const {
    int position = -1;
    for (const DialogEvent& event : Events()) {
        if (event.control == IDC_TRANSFER_STATUS && event.text == status) {
            return position;
        }
        if (event.control == control && event.message == PBM_SETPOS) {
            position = static_cast<int>(event.wParam);
        }
    }
    return -1;
}

void TransferTrace::Clear() {
    std::lock_guard lock(mutex_);
    events_.clear();
}

void PressCancel(HWND dialog) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
}

DialogWatcher::DialogWatcher(std::wstring caption, std::function<void(HWND)> action)
    : thread_([this, caption = std::move(caption), action = std::move(action)] {
          while (!stop_.load()) {
              HWND dialog = FindProcessWindow(caption, GetCurrentProcessId());
              if (!dialog) {
                  Sleep(10);
                  continue;
              }
              ++seen_;
              action(dialog);
              // The same window is not counted twice: wait until it has gone.
              while (!stop_.load() && IsWindow(dialog) && IsWindowVisible(dialog)) {
                  Sleep(10);
              }
          }
      }) {}

DialogWatcher::~DialogWatcher() {
    stop_ = true;
    thread_.join();
}

ChildRun RunChild(const std::wstring& program, const std::wstring& arguments,
                  const std::wstring& folder, Pump& pump) {
    ChildRun run;
    const std::wstring outputPath = folder + L"\\child-output.txt";
    SECURITY_ATTRIBUTES inherit{};
    inherit.nLength = sizeof inherit;
    inherit.bInheritHandle = TRUE;
    HANDLE output = CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                CREATE_ALWAYS, 0, nullptr);
    if (output == INVALID_HANDLE_VALUE) {
        return run;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION process{};
    std::wstring command = L"\"" + program + L"\" " + arguments;
    // Detached: a console of its own would come with a console host process
    // that inherits the output handle and may outlive the child.
    run.started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS,
                                 nullptr, folder.c_str(), &startup, &process) != FALSE;
    CloseHandle(output);
    if (!run.started) {
        return run;
    }
    CloseHandle(process.hThread);
    pump.Until([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, 120000);
    if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 5000);
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hProcess);
    run.output = ReadBytes(outputPath);
    return run;
}

std::wstring WindowsPathOfHost(const std::string& hostPath) {
    std::wstring path = L"Z:";
    for (char character : hostPath) {
        path +=
            character == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(character));
    }
    return path;
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(FileSystemPath(path), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(FileSystemPath(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::wstring> FolderNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") {
            names.push_back(name);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::wstring> JobTemporaryFiles(const std::wstring& folder) {
    std::vector<std::wstring> names;
    for (const std::wstring& name : FolderNames(folder)) {
        if (name.rfind(L"~qs", 0) == 0) {
            names.push_back(name);
        }
    }
    return names;
}

bool WriteWorkbook(const std::wstring& path, const WorkbookContent& content, std::string& error) {
    spreadsheet::Workbook workbook;
    try {
        for (const auto& [name, entries] : content.sheets) {
            spreadsheet::Sheet& sheet =
                workbook.appendSheet(spreadsheet::SheetType::Worksheet, name);
            for (const auto& [address, entry] : entries) {
                const std::optional<spreadsheet::CellPosition> position =
                    spreadsheet::parseCellAddress(address);
                if (!position) {
                    error = "bad address " + address;
                    return false;
                }
                EnterCell(sheet, *position, entry, error);
                if (!error.empty()) {
                    return false;
                }
            }
        }
    } catch (const std::exception& failure) {
        error = failure.what();
        return false;
    }
    workbook.recalculate();
    xls::XlsFileFormat format([](const std::string&) {});
    return format.save(workbook, FileSystemPath(path), error);
}

bool ReadWorkbook(const std::wstring& path, CellDump& cells, std::string& error) {
    spreadsheet::Workbook workbook;
    xls::XlsFileFormat format([](const std::string&) {});
    if (!format.open(FileSystemPath(path), workbook, error)) {
        return false;
    }
    workbook.recalculate();
    cells.clear();
    for (int32_t index = 0; index < workbook.worksheetCount(); ++index) {
        const spreadsheet::Sheet& sheet = workbook.worksheet(index);
        for (const auto& [position, cell] : sheet.cells()) {
            std::string shown = ValueText(cell.value);
            if (cell.hasFormula()) {
                shown = "formula " + cell.formula->text + " -> " + shown;
            }
            if (cell.value.isEmpty() && !cell.hasFormula()) {
                continue; // a format alone
            }
            cells[sheet.name() + "!" + spreadsheet::cellAddressText(position)] = shown;
        }
    }
    return true;
}

DavServer TestServer() {
    DavServer server;
    const char* file = std::getenv("SKYLINK_TEST_SERVER");
    if (file == nullptr) {
        return server;
    }
    std::ifstream in(FileSystemPath(Wide(file)));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (key == "url") {
            server.url = Wide(value);
        } else if (key == "user") {
            server.user = Wide(value);
        } else if (key == "password") {
            server.password = Wide(value);
        } else if (key == "root") {
            server.root = WindowsPathOfHost(value);
        }
    }
    return server;
}

namespace {

std::wstring PercentEncoded(const std::wstring& path) {
    static const char digits[] = "0123456789ABCDEF";
    std::wstring encoded;
    for (unsigned char byte : Utf8(path)) {
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') || byte == '/' || byte == '-' ||
                           byte == '.' || byte == '_' || byte == '~';
        if (plain) {
            encoded += static_cast<wchar_t>(byte);
        } else {
            encoded += L'%';
            encoded += static_cast<wchar_t>(digits[byte >> 4]);
            encoded += static_cast<wchar_t>(digits[byte & 15]);
        }
    }
    return encoded;
}

struct InternetHandle {
    HINTERNET handle;
    explicit InternetHandle(HINTERNET opened) : handle(opened) {}
    ~InternetHandle() {
        if (handle) {
            WinHttpCloseHandle(handle);
        }
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
};

} // namespace

int DavRequest(const DavServer& server, const wchar_t* method, const std::wstring& path,
               const std::string& body, std::string* answer) {
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    wchar_t host[256] = {};
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    if (!WinHttpCrackUrl(server.url.c_str(), 0, 0, &parts)) {
        return 0;
    }
    InternetHandle session(
        WinHttpOpen(L"quire-road-tests", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0));
    InternetHandle connection(session.handle ? WinHttpConnect(session.handle, host, parts.nPort, 0)
                                             : nullptr);
    const std::wstring target = PercentEncoded(path);
    InternetHandle request(connection.handle
                               ? WinHttpOpenRequest(connection.handle, method, target.c_str(),
                                                    nullptr, nullptr, nullptr, 0)
                               : nullptr);
    if (!request.handle || !WinHttpSetCredentials(request.handle, WINHTTP_AUTH_TARGET_SERVER,
                                                  WINHTTP_AUTH_SCHEME_BASIC, server.user.c_str(),
                                                  server.password.c_str(), nullptr)) {
        return 0;
    }
    const std::wstring headers = std::wstring(method) == L"DELETE" ? L"Depth: infinity" : L"";
    if (!WinHttpSendRequest(request.handle, headers.empty() ? nullptr : headers.c_str(),
                            static_cast<DWORD>(headers.size()),
                            body.empty() ? nullptr : const_cast<char*>(body.data()),
                            static_cast<DWORD>(body.size()), static_cast<DWORD>(body.size()), 0) ||
        !WinHttpReceiveResponse(request.handle, nullptr)) {
        return 0;
    }
    DWORD status = 0;
    DWORD size = sizeof status;
    WinHttpQueryHeaders(request.handle, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                        nullptr, &status, &size, nullptr);
    std::string received;
    for (;;) {
        char buffer[8192];
        DWORD read = 0;
        if (!WinHttpReadData(request.handle, buffer, sizeof buffer, &read) || read == 0) {
            break;
        }
        received.append(buffer, read);
    }
    if (answer) {
        *answer = std::move(received);
    }
    return static_cast<int>(status);
}

int HandheldSheetCount(const std::wstring& path) {
    sheaf::SheafDocument document;
    if (sheaf::loadDocument(document, ToNarrow(path).c_str()) != sheaf::kResultOk) {
        return -1;
    }
    try {
        return static_cast<int>(sheaf::DocumentHeader::decode(document.get(1)).sheetCount);
    } catch (...) {
        return -1;
    }
}

} // namespace quire::sync::test
