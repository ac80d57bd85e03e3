#pragma once
// CPictureEx: a static control that shows one picture file. A GIF of two or more frames is cut into
// one small GIF stream per frame and animated on a thread of the control's own; a load decodes the
// first frame alone, the animation thread the others at their turn, keeping decoded frames within a
// memory budget (core::FrameCache). Everything is drawn into an offscreen canvas that WM_PAINT copies.

#include "com_ptr.h"
#include "controls.h"
#include "critical_section.h"
#include "frame_cache.h"
#include "gdi.h"
#include "gif_frame.h"
#include "gif_walker.h"
#include "kernel_handles.h"
#include "memory_canvas.h"
#include "thread.h"

#include <windows.h>
#include <ocidl.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

class CPictureEx : public CStatic {
public:
    CPictureEx();
    ~CPictureEx() override;

    // Reads the file and loads it. A file that cannot be opened or read, or is empty, fails and
    // leaves what the control showed before untouched.
    bool LoadFromFile(const std::string& path);
    // Copies the bytes of a picture file into one movable global block and loads it, as above.
    bool LoadFromBytes(const std::string& bytes);
    // Loads the picture in `block` (movable, the caller's: locked during the call, neither freed
    // nor kept). True when a picture was loaded and the canvas exists; the window then has the
    // picture's size. Whatever was loaded before is released first.
    bool LoadFromMemory(HGLOBAL block, DWORD size);
    // Stops the animation and releases everything a load made.
    void Reset();

    // Once after each successful load: renders a still picture into the canvas, or starts the
    // animation thread for two or more frames (resuming at the frame a stop left on show).
    void Show();
    // Ends the animation thread if one runs; the canvas keeps what was drawn.
    void StopAnimation();

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    enum class GifLoad { NoGraphicBlock, SingleBlock, Frames };

    // Reads the logical screen and counts the graphic blocks; decodes nothing.
    GifLoad WalkGif(const uint8_t* data, DWORD size);
    // After a walk that found frames, the data still locked: cuts every frame and decodes the first
    // that decodes; leaves no frames when none does.
    void LoadFrames();
    // Walks data (which must outlive the call) and, for two or more frames, cuts them; isGif says
    // whether it is a GIF at all.
    GifLoad WalkAndCut(const uint8_t* data, DWORD size, bool& isGif);
    // Of data that walked as `gif`, once the data is no longer read: decodes a still picture from
    // `block` (needed only for those), then makes the canvas.
    bool FinishLoad(bool isGif, GifLoad gif, HGLOBAL block, DWORD size);
    bool LoadSinglePicture(HGLOBAL block, DWORD size);
    bool CreateCanvas(int width, int height);
    void RenderStill(IPicture* picture, int left, int top, int width, int height);

    void OnPaint();

    static unsigned __stdcall AnimationThreadProc(void* param);
    void RunAnimation();

    int m_width = 0;
    int m_height = 0;
    CBrush m_backgroundBrush;
    uint32_t m_frameIndex = 0;
    // The walk's state while a load runs: the locked data, its size, the parse offset and the
    // global colour table size.
    core::GifWalker m_walker;
    bool m_isGif = false;
    std::atomic<LONG> m_stopRequested{0};
    bool m_canvasReady = false;
    MemoryCanvas m_canvasDC;
    MemoryCanvas m_saveDC;  // exists only while a frame with disposal 3 is on show
    // The animation thread's drawing of a frame and a paint's copy of the canvas, one at a time.
    CCriticalSection m_canvasLock;
    CThread m_thread;
    CHandle m_stopEvent;  // manual reset: a stop signalled early still cuts the next wait short
    ComPtr<IPicture> m_picture;
    std::vector<GifFrame> m_frames;
    // Which of m_frames are decoded; the animation thread alone uses it while it runs.
    core::FrameCache m_frameCache;
};
