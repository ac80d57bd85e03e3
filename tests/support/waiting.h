// Waiting in a Windows test program: every wait polls with a bound, and a test never asserts on how
// long anything took.
#pragma once

#include <windows.h>

namespace support {

constexpr DWORD kWaitMs = 180000;  // generous: under Wine on a loaded machine a start can take many seconds
constexpr DWORD kPollMs = 50;

// Polls until done() returns true; false if timeoutMs passed first.
template <typename Done>
bool WaitUntil(Done done, DWORD timeoutMs = kWaitMs, DWORD pollMs = kPollMs) {
    const DWORD start = GetTickCount();  // the difference is right across the counter's wrap
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(pollMs);
    }
}

// Handles every message waiting in this thread's queue.
void PumpMessages();

// As WaitUntil, handling this thread's messages before every look: for windows the test itself owns.
// Polls often, so that a short-lived state (an animation's frame) is seen.
template <typename Done>
bool PumpUntil(Done done, DWORD timeoutMs = kWaitMs) {
    return WaitUntil(
        [&] {
            PumpMessages();
            return done();
        },
        timeoutMs, 10);
}

}  // namespace support
