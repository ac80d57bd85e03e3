#pragma once
// Owner of one COM interface reference.

#include <utility>

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            m_p = std::exchange(other.m_p, nullptr);
        }
        return *this;
    }

    void Reset() {
        if (m_p) m_p->Release();
        m_p = nullptr;
    }
    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    // For an out-parameter: releases what was held first, so reuse never leaks.
    void** PutVoid() {
        Reset();
        return reinterpret_cast<void**>(&m_p);
    }
    T** Put() {
        Reset();
        return &m_p;
    }

private:
    T* m_p = nullptr;
};
