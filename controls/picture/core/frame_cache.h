#pragma once

// Which decoded frames of an animation stay in memory. Frames are kept, in the order they are first
// decoded, while their decoded size fits the budget; the frames beyond it are decoded at their turn,
// drawn and released, and decoded again from their cut streams at their next turn. A looping
// animation meets its frames in one fixed order, so keeping the same frames for good does at least
// as well as any eviction order, and costs no decode at all for an animation within the budget.

#include "gif_frame_info.h"
#include "indexed_frame.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace core {

// What the decoded frames of one animation may take: far more than the Installing page's 64x60
// animation ever needs (over six thousand frames of it), yet a small part of a 32-bit process's
// address space, whatever a vendor's file holds.
constexpr uint64_t kDecodedFramesBudget = 32u << 20;

// What a frame takes once decoded (IndexedFrame): a byte a pixel and a palette of 256 colours at most.
uint64_t DecodedFrameBytes(const GifFrameInfo& frame);
// The sum over all frames: what keeping every frame would take.
uint64_t DecodedAnimationBytes(const std::vector<GifFrameInfo>& frames);

// The decoding itself, on the platform's side.
class FrameDecoder {
public:
    virtual ~FrameDecoder() = default;
    // Decodes frame `index` from its stream and holds the picture; true when it decoded.
    virtual bool Decode(size_t index) = 0;
    // Releases the picture that Decode holds for frame `index`.
    virtual void Release(size_t index) = 0;
};

class FrameCache {
public:
    FrameCache() = default;
    FrameCache(const std::vector<GifFrameInfo>& frames, uint64_t budget);

    // Makes frame `index` ready to draw: decodes it unless it is held already. False when it does
    // not decode; such a frame is not tried again, since its stream never changes.
    bool Acquire(size_t index, FrameDecoder& decoder);
    // After the frame is drawn: releases its picture unless it is kept.
    void Done(size_t index, FrameDecoder& decoder);

    size_t FailedCount() const;
    uint64_t KeptBytes() const { return m_keptBytes; }

private:
    enum class State : uint8_t { NotDecoded, Kept, Held, Failed };

    std::vector<State> m_states;
    std::vector<uint64_t> m_costs;
    uint64_t m_budget = 0;
    uint64_t m_keptBytes = 0;
};

}  // namespace core
