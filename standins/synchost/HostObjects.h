#pragma once

#include "HandheldDatabase.h"
#include "com/ComPtr.h"

#include "desktopapi.h"

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

// The database access object handed to Process, over the given tables.
com::ComPtr<IHostDatabase> makeHostDatabase(std::vector<TablePtr> tables);
// The utility object; every call is noted in `calls`.
com::ComPtr<IHostUtility> makeHostUtility(std::shared_ptr<UtilityCalls> calls);

// The host's type information for its own objects.
HRESULT hostTypeInfo(REFIID iid, ITypeInfo** info);

} // namespace quire::synchost
