// What the shipped build and the test build differ in, and nothing else: the test build has a Finish
// fallback short enough for a test to wait for, a switch that makes the installation worker's start
// fail and one that makes start-up throw.
#include "build_variant.h"
#include "globals.h"

#include <stdexcept>

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

void ThrowIfStartMustFail() {
    if (TestSwitchIsOn("SKYLARK_TEST_FAIL_START")) throw std::runtime_error("start-up failure asked for by a test");
}
