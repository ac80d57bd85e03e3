#include "frame_cache.h"

#include <algorithm>

namespace core {

uint64_t DecodedFrameBytes(const GifFrameInfo& frame) {
    const uint64_t palette = kMaxFrameColours * sizeof(uint32_t);
    if (frame.width <= 0 || frame.height <= 0) return palette;
    return static_cast<uint64_t>(frame.width) * static_cast<uint64_t>(frame.height) + palette;
}

uint64_t DecodedAnimationBytes(const std::vector<GifFrameInfo>& frames) {
    uint64_t total = 0;
    for (const GifFrameInfo& frame : frames) total += DecodedFrameBytes(frame);
    return total;
}

FrameCache::FrameCache(const std::vector<GifFrameInfo>& frames, uint64_t budget)
    : m_states(frames.size(), State::NotDecoded), m_budget(budget) {
    m_costs.reserve(frames.size());
    for (const GifFrameInfo& frame : frames) m_costs.push_back(DecodedFrameBytes(frame));
}

bool FrameCache::Acquire(size_t index, FrameDecoder& decoder) {
    if (index >= m_states.size()) return false;
    State& state = m_states[index];
    if (state == State::Kept || state == State::Held) return true;
    if (state == State::Failed) return false;
    if (!decoder.Decode(index)) {
        state = State::Failed;
        return false;
    }
    // Kept frames are never dropped: the sum only grows, and never past the budget.
    if (m_costs[index] <= m_budget - m_keptBytes) {
        m_keptBytes += m_costs[index];
        state = State::Kept;
    } else {
        state = State::Held;
    }
    return true;
}

void FrameCache::Done(size_t index, FrameDecoder& decoder) {
    if (index >= m_states.size() || m_states[index] != State::Held) return;
    decoder.Release(index);
    m_states[index] = State::NotDecoded;
}

size_t FrameCache::FailedCount() const {
    return static_cast<size_t>(std::count(m_states.begin(), m_states.end(), State::Failed));
}

}  // namespace core
