#pragma once
// CGlobalMemory: owner of one global memory block, freed exactly once unless handed on; CGlobalLock:
// one lock of a block, undone exactly once.

#include <windows.h>

class CGlobalMemory {
public:
    CGlobalMemory() = default;
    CGlobalMemory(UINT flags, SIZE_T bytes) : m_block(::GlobalAlloc(flags, bytes)) {}
    // Takes over a block allocated elsewhere.
    explicit CGlobalMemory(HGLOBAL block) : m_block(block) {}
    ~CGlobalMemory() { Free(); }
    CGlobalMemory(const CGlobalMemory&) = delete;
    CGlobalMemory& operator=(const CGlobalMemory&) = delete;
    CGlobalMemory(CGlobalMemory&& other) noexcept : m_block(other.Release()) {}
    CGlobalMemory& operator=(CGlobalMemory&& other) noexcept {
        if (this != &other) {
            Free();
            m_block = other.Release();
        }
        return *this;
    }

    void Free() {
        if (m_block) ::GlobalFree(m_block);
        m_block = nullptr;
    }
    // Hands the block to a new owner (a stream that frees it on release).
    HGLOBAL Release() {
        const HGLOBAL block = m_block;
        m_block = nullptr;
        return block;
    }
    HGLOBAL Get() const { return m_block; }
    explicit operator bool() const { return m_block != nullptr; }

private:
    HGLOBAL m_block = nullptr;
};

class CGlobalLock {
public:
    explicit CGlobalLock(HGLOBAL block) : m_block(block), m_data(::GlobalLock(block)) {}
    ~CGlobalLock() { Unlock(); }
    CGlobalLock(const CGlobalLock&) = delete;
    CGlobalLock& operator=(const CGlobalLock&) = delete;

    // Before the scope ends, where the block is used unlocked next.
    void Unlock() {
        if (m_data) ::GlobalUnlock(m_block);
        m_data = nullptr;
    }
    // The block's first byte; null when it could not be locked, or after Unlock.
    void* Get() const { return m_data; }

private:
    HGLOBAL m_block;
    void* m_data;
};
