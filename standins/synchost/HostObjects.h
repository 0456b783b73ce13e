#pragma once

#include "HandheldDatabase.h"
#include "com/ComPtr.h"

#include "desktopapi.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quire::synchost {

// One table the host offers an add-in: the records it loaded and those the
// add-in added and committed.
struct TableData {
    std::wstring name;
    std::vector<RecordPtr> loaded;
    std::vector<RecordPtr> added;
};
using TablePtr = std::shared_ptr<TableData>;

// What the add-in told the host through the utility object, in order.
struct UtilityCalls {
    std::vector<std::string> lines;
};

// Host calls made to fail, so that tests can see what an add-in does when the
// device or the host lets it down.  `failing` names a call ("Tables",
// "LoadRecords", "Item", "Value", "AddRecord", "SetValue", "Update") and which
// of its calls, counted from 1, fails with E_FAIL.
struct HostFaults {
    std::map<std::string, long> failing;
    std::map<std::string, long> made;

    // Counts the call; true when it is the one to fail.
    bool fails(const std::string& call);
    // "Item:2,Value:5" into `failing`; false for a malformed list.
    bool parse(const std::string& list);
};
using FaultsPtr = std::shared_ptr<HostFaults>;

// The database access object handed to Process, over the given tables, with
// the calls `faults` names failing.
com::ComPtr<IHostDatabase> makeHostDatabase(std::vector<TablePtr> tables,
                                            FaultsPtr faults = nullptr);
// The utility object; every call is noted in `calls`.
com::ComPtr<IHostUtility> makeHostUtility(std::shared_ptr<UtilityCalls> calls);

// The host's type information for its own objects.
HRESULT hostTypeInfo(REFIID iid, ITypeInfo** info);

} // namespace quire::synchost
