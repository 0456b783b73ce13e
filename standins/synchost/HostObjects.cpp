#include "HostObjects.h"

#include "com/Bstr.h"
#include "com/ComError.h"
#include "com/DispatchObject.h"
#include "com/Variant.h"

namespace quire::synchost {

namespace {

using com::ComPtr;

template <typename Interface> using HostObject = com::DispatchObject<Interface, hostTypeInfo>;

// True, with the error reported, when `faults` makes this call fail.
bool injected(const FaultsPtr& faults, const char* call, HRESULT& result) {
    if (!faults || !faults->fails(call)) {
        return false;
    }
    result = com::reportError(E_FAIL, L"The host failed this call on purpose");
    return true;
}

// Hands out an object's interface through an out parameter.
template <typename Interface> HRESULT handOut(ComPtr<Interface> object, Interface** out) {
    if (!out) {
        return E_POINTER;
    }
    *out = object.detach();
    return *out ? S_OK : E_OUTOFMEMORY;
}

class Field : public HostObject<IHostField> {
public:
    Field(RecordPtr record, size_t index, FaultsPtr faults)
        : record_(std::move(record)), index_(index), faults_(std::move(faults)) {}

    HRESULT STDMETHODCALLTYPE put_Id(short id) override {
        record_->fields[index_].first = id;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Value(VARIANT* value) override {
        if (!value) {
            return E_POINTER;
        }
        VariantInit(value);
        if (HRESULT failure; injected(faults_, "Value", failure)) {
            return failure;
        }
        try {
            com::makeByteArray(record_->fields[index_].second, value);
        } catch (const com::ComError& error) {
            return error.code();
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Value(VARIANT value) override {
        if (HRESULT failure; injected(faults_, "SetValue", failure)) {
            return failure;
        }
        try {
            record_->fields[index_].second = com::readByteArray(value);
        } catch (const com::ComError& error) {
            return com::reportError(error.code(), L"A field value must be an array of bytes");
        }
        return S_OK;
    }

private:
    RecordPtr record_;
    size_t index_;
    FaultsPtr faults_;
};

class Fields : public HostObject<IHostFields> {
public:
    Fields(RecordPtr record, FaultsPtr faults)
        : record_(std::move(record)), faults_(std::move(faults)) {}

    HRESULT STDMETHODCALLTYPE get_Count(long* count) override {
        if (!count) {
            return E_POINTER;
        }
        *count = static_cast<long>(record_->fields.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AddField(IHostField** field) override {
        record_->fields.emplace_back(short(0), Bytes());
        return handOut(com::makeObject<Field>(record_, record_->fields.size() - 1, faults_), field);
    }
    HRESULT STDMETHODCALLTYPE get_Item(short id, IHostField** field) override {
        for (size_t i = 0; i < record_->fields.size(); ++i) {
            if (record_->fields[i].first == id) {
                return handOut(com::makeObject<Field>(record_, i, faults_), field);
            }
        }
        if (field) {
            *field = nullptr;
        }
        return S_OK;
    }

private:
    RecordPtr record_;
    FaultsPtr faults_;
};

class Record : public HostObject<IHostRecord> {
public:
    Record(RecordPtr record, TablePtr table, FaultsPtr faults)
        : record_(std::move(record)), table_(std::move(table)), faults_(std::move(faults)) {}

    HRESULT STDMETHODCALLTYPE get_Fields(IHostFields** fields) override {
        return handOut(com::makeObject<Fields>(record_, faults_), fields);
    }
    HRESULT STDMETHODCALLTYPE Update() override {
        if (HRESULT failure; injected(faults_, "Update", failure)) {
            return failure;
        }
        if (!record_->committed) {
            record_->committed = true;
            table_->added.push_back(record_);
        }
        return S_OK;
    }

private:
    RecordPtr record_;
    TablePtr table_;
    FaultsPtr faults_;
};

class Records : public HostObject<IHostRecords> {
public:
    Records(TablePtr table, FaultsPtr faults)
        : table_(std::move(table)), faults_(std::move(faults)) {}

    HRESULT STDMETHODCALLTYPE get_Count(long* count) override {
        if (!count) {
            return E_POINTER;
        }
        *count = static_cast<long>(table_->loaded.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AddRecord(IHostRecord** record) override {
        if (HRESULT failure; injected(faults_, "AddRecord", failure)) {
            return failure;
        }
        return handOut(com::makeObject<Record>(std::make_shared<RecordData>(), table_, faults_),
                       record);
    }
    HRESULT STDMETHODCALLTYPE get_Item(long index, IHostRecord** record) override {
        if (HRESULT failure; injected(faults_, "Item", failure)) {
            return failure;
        }
        if (index < 1 || size_t(index) > table_->loaded.size()) {
            if (record) {
                *record = nullptr;
            }
            return S_OK;
        }
        return handOut(com::makeObject<Record>(table_->loaded[size_t(index) - 1], table_, faults_),
                       record);
    }

private:
    TablePtr table_;
    FaultsPtr faults_;
};

class Table : public HostObject<IHostTable> {
public:
    Table(TablePtr table, FaultsPtr faults)
        : table_(std::move(table)), faults_(std::move(faults)) {}

    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override {
        if (!name) {
            return E_POINTER;
        }
        *name = SysAllocStringLen(table_->name.data(), static_cast<UINT>(table_->name.size()));
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE LoadRecords(long, IHostRecords** records) override {
        if (HRESULT failure; injected(faults_, "LoadRecords", failure)) {
            return failure;
        }
        return handOut(com::makeObject<Records>(table_, faults_), records);
    }

private:
    TablePtr table_;
    FaultsPtr faults_;
};

class Tables : public HostObject<IHostTables> {
public:
    Tables(std::vector<TablePtr> tables, FaultsPtr faults)
        : tables_(std::move(tables)), faults_(std::move(faults)) {}

    HRESULT STDMETHODCALLTYPE get_Count(long* count) override {
        if (!count) {
            return E_POINTER;
        }
        *count = static_cast<long>(tables_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, IHostTable** table) override {
        com::Variant number;
        if (FAILED(VariantChangeType(number.get(), &index, 0, VT_I4))) {
            return com::reportError(DISP_E_TYPEMISMATCH, L"A table index must be a number");
        }
        LONG i = number.ref().lVal;
        if (i < 1 || size_t(i) > tables_.size()) {
            return com::reportError(DISP_E_BADINDEX, L"No table at this index");
        }
        return handOut(com::makeObject<Table>(tables_[size_t(i) - 1], faults_), table);
    }

private:
    std::vector<TablePtr> tables_;
    FaultsPtr faults_;
};

class Database : public HostObject<IHostDatabase> {
public:
    Database(std::vector<TablePtr> tables, FaultsPtr faults)
        : tables_(std::move(tables)), faults_(std::move(faults)) {}

    HRESULT STDMETHODCALLTYPE get_Tables(IHostTables** tables) override {
        if (HRESULT failure; injected(faults_, "Tables", failure)) {
            return failure;
        }
        return handOut(com::makeObject<Tables>(tables_, faults_), tables);
    }

private:
    std::vector<TablePtr> tables_;
    FaultsPtr faults_;
};

class Utility : public HostObject<IHostUtility> {
public:
    explicit Utility(std::shared_ptr<UtilityCalls> calls) : calls_(std::move(calls)) {}

    HRESULT STDMETHODCALLTYPE Progress(long code, long value1, long value2) override {
        calls_->lines.push_back("progress " + std::to_string(code) + " " + std::to_string(value1) +
                                " " + std::to_string(value2));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IsCancelled(VARIANT_BOOL* cancelled) override {
        if (!cancelled) {
            return E_POINTER;
        }
        *cancelled = VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Status(long code, BSTR text) override {
        std::wstring wide = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
        calls_->lines.push_back("status " + std::to_string(code) + " " +
                                std::string(wide.begin(), wide.end()));
        return S_OK;
    }

private:
    std::shared_ptr<UtilityCalls> calls_;
};

} // namespace

HRESULT hostTypeInfo(REFIID iid, ITypeInfo** info) {
    return com::loadTypeInfo(LIBID_DesktopAPILib, 1, 0, L"desktopapi.tlb", iid, info);
}

bool HostFaults::fails(const std::string& call) {
    const long count = ++made[call];
    const auto planned = failing.find(call);
    return planned != failing.end() && planned->second == count;
}

bool HostFaults::parse(const std::string& list) {
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string::npos) {
            end = list.size();
        }
        const std::string item = list.substr(start, end - start);
        const size_t colon = item.find(':');
        if (colon == 0 || colon == std::string::npos || colon + 1 == item.size() ||
            item.find_first_not_of("0123456789", colon + 1) != std::string::npos ||
            item.size() - colon > 9) {
            return false;
        }
        failing[item.substr(0, colon)] = std::stol(item.substr(colon + 1));
        start = end + 1;
    }
    return !failing.empty();
}

ComPtr<IHostDatabase> makeHostDatabase(std::vector<TablePtr> tables, FaultsPtr faults) {
    return com::makeObject<Database>(std::move(tables), std::move(faults));
}

ComPtr<IHostUtility> makeHostUtility(std::shared_ptr<UtilityCalls> calls) {
    return com::makeObject<Utility>(std::move(calls));
}

} // namespace quire::synchost
