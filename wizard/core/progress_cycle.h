#pragma once
// The looping progress bar's step: positions 0 to 19, then round again.

#include <cstdint>

namespace core {

constexpr int32_t kProgressCycleLength = 20;

// One tick: the positions to send to the bar, in order (one, or two when the cycle wraps), and the
// next step in `step`. Returns how many positions were written to `positions` (room for two).
int ProgressTick(int32_t& step, int32_t positions[2]);

}  // namespace core
