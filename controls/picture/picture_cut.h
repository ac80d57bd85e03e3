#pragma once
// What a load makes of a picture file's bytes before the window takes part: an animation's frames
// cut into streams of their own, or, for what the picture loader decodes whole, the bytes in a
// movable block. Cutting touches no window and decodes nothing, so it runs on any thread; a
// BackgroundCut runs it, and the read before it, on a thread of its own.

#include "gif_frame.h"
#include "global_memory.h"
#include "thread.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct CutPicture {
    enum class Kind {
        Whole,      // not a GIF: the picture loader decodes it whole
        EmptyGif,   // a GIF without a graphic block (or without its screen): nothing to show
        StillGif,   // one graphic block: decoded whole, shown in the logical screen
        Animation,  // two or more: `frames`, in file order, until the first that cannot be cut
    };
    Kind kind = Kind::EmptyGif;
    DWORD size = 0;  // of the source
    int width = 0;   // a GIF's logical screen
    int height = 0;
    std::vector<core::GifFrame> frames;
    CGlobalMemory copy;  // the source, for what is decoded whole, when it was not in a block already
};

inline bool IsDecodedWhole(const CutPicture& cut) {
    return cut.kind == CutPicture::Kind::Whole || cut.kind == CutPicture::Kind::StillGif;
}

// Walks `data`, which need only outlive the call, and cuts an animation's frames. Once `cancel` is
// set the cut stops where it is.
CutPicture CutPictureData(const uint8_t* data, DWORD size, const std::atomic<LONG>* cancel = nullptr);
// As CutPictureData, for bytes held anywhere: what is decoded whole is copied into `cut.copy`.
// False when there is nothing to load: no bytes, more than a DWORD counts, or no memory for the copy.
bool CutPictureBytes(const std::string& bytes, CutPicture& cut, const std::atomic<LONG>* cancel = nullptr);

// One read and cut on a thread of its own, which posts `message` (wParam `tag`) to `window` as its
// last act. The thread sends nothing, so the window's thread may wait for it at any time: Cancel
// and the destructor ask the cut to stop and wait for the thread.
class BackgroundCut {
public:
    using ReadBytes = std::function<std::string()>;

    BackgroundCut() = default;
    ~BackgroundCut() { Cancel(); }
    BackgroundCut(const BackgroundCut&) = delete;
    BackgroundCut& operator=(const BackgroundCut&) = delete;

    // Ends any cut before. False when no thread started.
    bool Start(ReadBytes read, HWND window, UINT message, WPARAM tag);
    void Cancel();
    bool Running() const { return static_cast<bool>(m_thread); }
    // On the message: waits for the thread, which has as good as ended, and hands over its cut.
    // False when the read gave nothing to load.
    bool Take(CutPicture& cut);

private:
    static unsigned __stdcall ThreadProc(void* param);
    void Run();
    // Waits for the thread and lets go of it and of what it read with.
    void Join();

    ReadBytes m_read;
    HWND m_window = nullptr;
    UINT m_message = 0;
    WPARAM m_tag = 0;
    std::atomic<LONG> m_cancel{0};
    // The thread's alone until it has ended.
    CutPicture m_cut;
    bool m_cutOk = false;
    CThread m_thread;
};
