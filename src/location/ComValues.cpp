#include "location/ComValues.h"

#include <cstring>

Variant Variant::bytes(const std::string& value) {
    Variant v;
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(value.size()));
    void* data = nullptr;
    if (array == nullptr || FAILED(SafeArrayAccessData(array, &data))) {
        if (array != nullptr) {
            SafeArrayDestroy(array);
        }
        return v;
    }
    std::memcpy(data, value.data(), value.size());
    SafeArrayUnaccessData(array);
    v.v_.vt = VT_ARRAY | VT_UI1;
    v.v_.parray = array;
    return v;
}

Variant Variant::boolean(bool value) {
    Variant v;
    v.v_.vt = VT_BOOL;
    v.v_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

VARIANT* Variant::put() {
    VariantClear(&v_);
    return &v_;
}

std::wstring Variant::textValue() const {
    if (v_.vt != VT_BSTR || !v_.bstrVal) {
        return std::wstring();
    }
    return std::wstring(v_.bstrVal);
}
