#include "StandInValues.h"

cef_value_type_t StandInListValue::GetType(size_t index) {
    if (index >= m_entries.size()) return VTYPE_INVALID;
    static const cef_value_type_t kTypes[] = {VTYPE_NULL, VTYPE_BOOL, VTYPE_INT, VTYPE_DOUBLE, VTYPE_STRING};
    return kTypes[m_entries[index].index()];
}

bool StandInListValue::Write(size_t index, Entry value) {
    if (index >= m_entries.size()) m_entries.resize(index + 1);
    m_entries[index] = std::move(value);
    return true;
}

bool StandInRequestContext::IsSharingWith(CefRefPtr<CefRequestContext> other) {
    if (!other) return false;
    auto* standIn = dynamic_cast<StandInRequestContext*>(other.get());
    return standIn && standIn->StorageOwner() == StorageOwner();
}
