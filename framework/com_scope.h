#pragma once
// ComScope: COM set up on this thread for as long as the scope lives; takes back only what it set up.

#include <objbase.h>

class ComScope {
public:
    ComScope() : m_result(::CoInitialize(nullptr)) {}
    ~ComScope() {
        if (SUCCEEDED(m_result)) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT m_result;
};
