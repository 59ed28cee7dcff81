#include "location/BStr.h"

BSTR* BStr::put() {
    SysFreeString(s_);
    s_ = nullptr;
    return &s_;
}
