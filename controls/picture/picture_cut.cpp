#include "picture_cut.h"

#include "gif_walker.h"

#include <cstring>
#include <new>
#include <utility>

namespace {

// Each frame stream goes into the vector that `context` points to. No memory ends the cut there.
uint8_t* AllocInVector(void* context, size_t size) {
    auto* stream = static_cast<std::vector<uint8_t>*>(context);
    try {
        stream->resize(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return stream->data();
}

bool Cancelled(const std::atomic<LONG>* cancel) { return cancel && cancel->load() != 0; }

void CutFrames(core::GifWalker& walker, size_t blocks, std::vector<core::GifFrame>& frames,
               const std::atomic<LONG>* cancel) {
    frames.reserve(blocks);
    size_t length = 0;
    core::GifFrameInfo info;
    while (!Cancelled(cancel)) {
        core::GifFrame frame;
        if (!walker.CutNextFrame(&AllocInVector, &frame.stream, length, info)) return;
        frame.info = info;
        frames.push_back(std::move(frame));
    }
}

}  // namespace

CutPicture CutPictureData(const uint8_t* data, DWORD size, const std::atomic<LONG>* cancel) {
    CutPicture cut;
    cut.size = size;
    if (!core::GifWalker::IsGif(data, size)) {
        cut.kind = CutPicture::Kind::Whole;
        return cut;
    }
    core::GifWalker walker;  // its view of the data ends with this call
    if (!walker.Start(data, size)) return cut;
    cut.width = walker.ScreenWidth();
    cut.height = walker.ScreenHeight();
    const size_t blocks = walker.CountGraphicBlocks();
    if (blocks == 0) return cut;
    if (blocks == 1) {
        cut.kind = CutPicture::Kind::StillGif;
        return cut;
    }
    cut.kind = CutPicture::Kind::Animation;
    CutFrames(walker, blocks, cut.frames, cancel);
    return cut;
}

bool CutPictureBytes(const std::string& bytes, CutPicture& cut, const std::atomic<LONG>* cancel) {
    // A zero-byte movable block cannot be locked.
    if (bytes.empty() || static_cast<uint64_t>(bytes.size()) > 0xFFFFFFFFu) return false;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const DWORD length = static_cast<DWORD>(bytes.size());
    // An animation's frames are cut straight from the bytes: a copy of a large one would take as
    // much memory again. Only what the picture loader decodes whole needs a block of its own.
    cut = CutPictureData(data, length, cancel);
    if (!IsDecodedWhole(cut)) return true;
    CGlobalMemory block(GMEM_MOVEABLE | GMEM_NODISCARD, length);
    if (!block) return false;
    {
        const CGlobalLock copy(block.Get());
        if (!copy.Get()) return false;
        std::memcpy(copy.Get(), data, length);
    }
    cut.copy = std::move(block);
    return true;
}

bool BackgroundCut::Start(ReadBytes read, HWND window, UINT message, WPARAM tag) {
    Cancel();
    m_read = std::move(read);
    m_window = window;
    m_message = message;
    m_tag = tag;
    m_cut = CutPicture();
    m_cutOk = false;
    // Below the window's thread, which must stay quick to answer; above the animation's.
    return m_thread.Create(&BackgroundCut::ThreadProc, this, THREAD_PRIORITY_BELOW_NORMAL);
}

void BackgroundCut::Join() {
    ::WaitForSingleObject(m_thread.Get(), INFINITE);
    m_thread.Close();
    m_read = nullptr;
}

void BackgroundCut::Cancel() {
    if (!m_thread) return;
    m_cancel.store(1);
    Join();
    m_cancel.store(0);
    m_cut = CutPicture();
}

bool BackgroundCut::Take(CutPicture& cut) {
    if (!m_thread) return false;
    Join();
    cut = std::move(m_cut);
    m_cut = CutPicture();
    return m_cutOk;
}

unsigned __stdcall BackgroundCut::ThreadProc(void* param) {
    static_cast<BackgroundCut*>(param)->Run();
    return 0;
}

void BackgroundCut::Run() {
    try {
        const std::string bytes = m_read();
        m_cutOk = !Cancelled(&m_cancel) && CutPictureBytes(bytes, m_cut, &m_cancel);
    } catch (...) {
        // Nothing may unwind out of a thread (a file too large for memory, say): nothing to load.
        m_cutOk = false;
    }
    ::PostMessageW(m_window, m_message, m_tag, 0);
}
