#pragma once
// CPictureEx: a static control that shows one picture file. A GIF of two or more frames is cut into
// one small GIF stream per frame and animated on a thread of the control's own; a load decodes the
// first frame alone, the animation thread the others at their turn, keeping decoded frames within a
// memory budget (core::FrameCache). Everything is drawn into an offscreen canvas that WM_PAINT copies.
// A load in the background reads and cuts on a thread of its own, so that the window's thread does
// no more than size the window and decode the first frame.

#include "com_ptr.h"
#include "controls.h"
#include "critical_section.h"
#include "frame_cache.h"
#include "gdi.h"
#include "gif_frame.h"
#include "kernel_handles.h"
#include "memory_canvas.h"
#include "picture_cut.h"
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
    // leaves what the control showed before untouched. An animation is cut straight from the bytes
    // read; only what the picture loader decodes whole is copied into a movable block of its own.
    bool LoadFromFile(const std::string& path);
    // Loads the picture in `block` (movable, the caller's: locked during the call, neither freed
    // nor kept). True when a picture was loaded and the canvas exists; the window then has the
    // picture's size. Whatever was loaded before is released first.
    bool LoadFromMemory(HGLOBAL block, DWORD size);
    // Resets the control, then loads and shows, as LoadFromFile and Show would, the bytes that
    // `read` gives. `read` and the cut run on a thread of the control's own, which the next load,
    // Reset and the window's destruction wait for: what `read` uses need outlive only the window.
    // The window's thread finishes the load from its message loop. Returns at once. No bytes, or a
    // failed load, leave the control empty. False, and `read` never called, when no thread started.
    bool LoadAndShowInBackground(BackgroundCut::ReadBytes read);
    // Ends a load in the background, stops the animation and releases everything a load made.
    void Reset();

    // Once after each successful load: renders a still picture into the canvas, or starts the
    // animation thread for two or more frames (resuming at the frame a stop left on show).
    void Show();
    // Ends the animation thread if one runs; the canvas keeps what was drawn.
    void StopAnimation();

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // Of a cut whose source is no longer read: decodes a still picture from `wholeBlock` (needed only
    // for those) or the animation's first frame, then sizes the window and makes the canvas.
    bool Install(CutPicture& cut, HGLOBAL wholeBlock);
    // Decodes the first frame that decodes; leaves no frames when none does.
    bool DecodeFirstFrame();
    bool LoadSinglePicture(HGLOBAL block, DWORD size);
    bool CreateCanvas(int width, int height);
    void RenderStill(IPicture* picture, int left, int top, int width, int height);

    void OnPaint();
    void OnBackgroundCutDone(WPARAM load);

    static unsigned __stdcall AnimationThreadProc(void* param);
    void RunAnimation();

    int m_width = 0;
    int m_height = 0;
    CBrush m_backgroundBrush;
    uint32_t m_frameIndex = 0;
    BackgroundCut m_backgroundCut;
    WPARAM m_backgroundLoad = 0;  // which load in the background is the current one
    std::atomic<LONG> m_stopRequested{0};
    bool m_canvasReady = false;
    MemoryCanvas m_canvasDC;
    MemoryCanvas m_saveDC;  // exists only while a frame with disposal 3 is on show
    // The animation thread's drawing of a frame and a paint's copy of the canvas, one at a time.
    CCriticalSection m_canvasLock;
    CThread m_thread;
    CHandle m_stopEvent;  // manual reset: a stop signalled early still cuts the next wait short
    ComPtr<IPicture> m_picture;
    std::vector<core::GifFrame> m_frames;
    // Which of m_frames are decoded; the animation thread alone uses it while it runs.
    core::FrameCache m_frameCache;
};
