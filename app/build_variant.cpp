// What the shipped build and the test build differ in, and nothing else: the test build has a Finish
// fallback short enough for a test to wait for, a switch that makes the installation worker's start
// fail, one that makes the worker throw, one that makes start-up throw, one that follows the package
// by name, one that pauses a released program's worker while it holds the checked package, and one
// that answers whether high contrast is on.
#include "build_variant.h"
#include "globals.h"
#include "kernel_handles.h"

#include <stdexcept>
#include <string>

#ifndef SKYLARK_FINISH_FALLBACK_MS
#define SKYLARK_FINISH_FALLBACK_MS 200000
#endif

extern const UINT kFinishFallbackMs = SKYLARK_FINISH_FALLBACK_MS;

namespace {

bool TestSwitchIsOn(const char* name) {
#ifdef SKYLARK_TEST_BUILD
    char value[2] = {};
    return ::GetEnvironmentVariableA(name, value, sizeof value) == 1 && value[0] == '1';
#else
    (void)name;
    return false;
#endif
}

}  // namespace

bool WorkerStartMustFail() { return TestSwitchIsOn("SKYLARK_TEST_FAIL_WORKER_START"); }

void ThrowIfWorkerMustFail() {
    if (TestSwitchIsOn("SKYLARK_TEST_FAIL_WORKER")) throw std::runtime_error("worker failure asked for by a test");
}

bool FollowByNameForTest() { return TestSwitchIsOn("SKYLARK_TEST_FOLLOW_BY_NAME"); }

void ThrowIfStartMustFail() {
    if (TestSwitchIsOn("SKYLARK_TEST_FAIL_START")) throw std::runtime_error("start-up failure asked for by a test");
}

bool HighContrastAnsweredForTest(bool& on) {
#ifdef SKYLARK_TEST_BUILD
    char name[200] = {};
    const DWORD length = ::GetEnvironmentVariableA("SKYLARK_TEST_HIGH_CONTRAST", name, sizeof name);
    if (length == 0 || length >= sizeof name) return false;
    const CHandle event(::OpenEventA(SYNCHRONIZE, FALSE, name));
    on = event && ::WaitForSingleObject(event.Get(), 0) == WAIT_OBJECT_0;
    return true;
#else
    (void)on;
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
