// What the shipped build and the test build differ in, and nothing else: the test build has a Finish
// fallback short enough for a test to wait for, and a switch that makes the installation worker's start fail.
#include "globals.h"

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
