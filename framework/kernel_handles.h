#pragma once
// CHandle: owner of one kernel handle (event, thread, file, process snapshot), closed exactly once.

#include <windows.h>

class CHandle {
public:
    CHandle() = default;
    // CreateFile reports failure as INVALID_HANDLE_VALUE, most other calls as null: both mean empty.
    explicit CHandle(HANDLE h) : m_h(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~CHandle() { Close(); }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    CHandle(CHandle&& other) noexcept : m_h(other.m_h) { other.m_h = nullptr; }
    CHandle& operator=(CHandle&& other) noexcept {
        if (this != &other) Attach(other.Release());
        return *this;
    }

    void Attach(HANDLE h) {
        Close();
        m_h = h == INVALID_HANDLE_VALUE ? nullptr : h;
    }
    void Close() {
        if (m_h) ::CloseHandle(m_h);
        m_h = nullptr;
    }
    HANDLE Get() const { return m_h; }
    // Hands the handle over: nothing is held any more.
    HANDLE Release() {
        const HANDLE h = m_h;
        m_h = nullptr;
        return h;
    }
    explicit operator bool() const { return m_h != nullptr; }

private:
    HANDLE m_h = nullptr;
};
