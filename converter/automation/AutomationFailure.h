#pragma once

#include <windows.h>

#include <exception>
#include <string>

namespace sheaf {

// A failed call to the spreadsheet application.  Dispatch: the application
// raised an exception and described it (code and description from its
// EXCEPINFO).  Status: the call failed with a status code alone.
class AutomationFailure : public std::exception {
public:
    enum class Kind { Dispatch, Status };

    static AutomationFailure dispatch(HRESULT code, std::string description) {
        return AutomationFailure(Kind::Dispatch, code, std::move(description));
    }
    static AutomationFailure status(HRESULT code) {
        return AutomationFailure(Kind::Status, code, {});
    }

    Kind kind() const { return kind_; }
    HRESULT code() const { return code_; }
    // The application's description, in the ANSI code page; empty for a status failure.
    const std::string& description() const { return description_; }
    const char* what() const noexcept override {
        return description_.empty() ? "automation call failed" : description_.c_str();
    }

private:
    AutomationFailure(Kind kind, HRESULT code, std::string description)
        : kind_(kind), code_(code), description_(std::move(description)) {}

    Kind kind_;
    HRESULT code_;
    std::string description_;
};

} // namespace sheaf
