#include "StandInRequestContext.h"

CefRefPtr<StandInRequestContext> GlobalRequestContext() {
    static const CefRefPtr<StandInRequestContext> global(new StandInRequestContext(nullptr, nullptr, true));
    return global;
}

std::wstring DescribeRequestContext(CefRefPtr<CefRequestContext> context) {
    const auto* standIn = dynamic_cast<const StandInRequestContext*>(context.get());
    if (!standIn) return context ? L"foreign" : L"none";
    if (standIn->IsGlobal()) return L"global";
    std::wstring text = standIn->SharesStorageWith(*GlobalRequestContext()) ? L"shared" : L"own";
    if (standIn->HasHandler()) text += L",handler";
    return text;
}
