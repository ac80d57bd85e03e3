#include "progress_cycle.h"

namespace core {

int ProgressTick(int32_t& step, int32_t positions[2]) {
    int count = 0;
    positions[count++] = step;
    ++step;
    if (step >= kProgressCycleLength) {
        step = 0;
        positions[count++] = 0;
    }
    return count;
}

}  // namespace core
