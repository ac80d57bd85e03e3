// What the shipped build and the test build differ in, and nothing else: the test build has a Finish
// fallback short enough for a test to wait for, a switch that makes the installation worker's start fail,
// and one that pauses a released program's worker while it holds the checked package.
#include "globals.h"
#include "kernel_handles.h"

#include <string>

#ifndef SKYLARK_FINISH_FALLBACK_MS
#define SKYLARK_FINISH_FALLBACK_MS 200000
#endif

extern const UINT kFinishFallbackMs = SKYLARK_FINISH_FALLBACK_MS;

bool WorkerStartMustFail() {
#ifdef SKYLARK_TEST_BUILD
    char value[2] = {};
    return ::GetEnvironmentVariableA("SKYLARK_TEST_FAIL_WORKER_START", value, sizeof value) == 1 && value[0] == '1';
#else
    return false;
#endif
}

void PackageHeldForTest() {
#ifdef SKYLARK_TEST_BUILD
    // SKYLARK_TEST_HOLD_EVENTS names two events of the test's: "<name>-held" is set here, and the
    // start waits for "<name>-go".
    char name[200] = {};
    const DWORD length = ::GetEnvironmentVariableA("SKYLARK_TEST_HOLD_EVENTS", name, sizeof name - 8);
    if (length == 0 || length >= sizeof name - 8) return;
    const std::string base(name, length);
    const CHandle held(::OpenEventA(EVENT_MODIFY_STATE, FALSE, (base + "-held").c_str()));
    const CHandle go(::OpenEventA(SYNCHRONIZE, FALSE, (base + "-go").c_str()));
    if (held) ::SetEvent(held.Get());
    if (go) ::WaitForSingleObject(go.Get(), 60000);
#endif
}
