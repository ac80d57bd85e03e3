// The Finish timer's fallback period. Test builds shorten it so that a test need not wait 200 s.
#include "globals.h"

#ifndef SKYLARK_FINISH_FALLBACK_MS
#define SKYLARK_FINISH_FALLBACK_MS 200000
#endif

extern const UINT kFinishFallbackMs = SKYLARK_FINISH_FALLBACK_MS;
