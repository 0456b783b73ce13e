#pragma once

#include "AutomationFailure.h"
#include "AutomationValue.h"

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <initializer_list>
#include <string>

namespace sheaf {

// The owning handle on one of the spreadsheet application's objects, and the
// only way the converters call it: every member is reached by DISPID with its
// arguments given first to last.  A failing call throws AutomationFailure.
class AutomationObject {
public:
    using Arguments = std::initializer_list<AutomationValue>;

    AutomationObject() = default;
    AutomationObject(AutomationObject&& other) noexcept;
    AutomationObject& operator=(AutomationObject&& other) noexcept;
    AutomationObject(const AutomationObject&) = delete;
    AutomationObject& operator=(const AutomationObject&) = delete;
    ~AutomationObject() { release(); }

    // Creates the application object from its program identifier.
    bool create(const char* progId);
    // Takes the pointer; with owns it is released later, without it is only borrowed.
    void attach(IDispatch* dispatch, bool owns);
    // Gives up the pointer without releasing it.
    IDispatch* detach();
    void release();

    IDispatch* get() const { return dispatch_; }
    explicit operator bool() const { return dispatch_ != nullptr; }

    // Property reads.
    AutomationValue getVariant(DISPID id, Arguments args = {}) const;
    AutomationObject getObject(DISPID id, Arguments args = {}) const;
    int32_t getInt32(DISPID id, Arguments args = {}) const;
    bool getBool(DISPID id, Arguments args = {}) const;
    std::string getString(DISPID id, Arguments args = {}) const;

    // Property write: the value is the single named argument DISPID_PROPERTYPUT.
    void put(DISPID id, const AutomationValue& value) const;

    // Method calls.
    AutomationValue call(DISPID id, Arguments args = {}) const;
    AutomationObject callObject(DISPID id, Arguments args = {}) const;

    // Calls use locale 0, except the NumberFormat members (1033), whose texts
    // the application reads in its own English form.
    static LCID localeFor(DISPID id);

private:
    AutomationValue invoke(WORD flags, DISPID id, const AutomationValue* args, size_t count,
                           bool put) const;
    static AutomationObject takeObject(AutomationValue value);

    IDispatch* dispatch_ = nullptr;
    bool owns_ = false;
};

} // namespace sheaf
