// What a Windows test program sees of a window: pixels read back from the screen or from a window's
// own device context.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace support {

struct Snapshot {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top-down

    COLORREF At(int x, int y) const;  // CLR_INVALID outside the picture
    size_t Count(COLORREF colour) const;
    uint64_t Fingerprint() const;  // a cheap hash of the pixels: equal pictures, equal fingerprints
    bool SaveBmp(const std::string& path) const;
};

// Each channel of a within tolerance of b's.
bool Near(COLORREF a, COLORREF b, int tolerance);
// Each channel of c between a's and b's, give or take tolerance: what anti-aliased text of colour a
// over b can give.
bool Between(COLORREF c, COLORREF a, COLORREF b, int tolerance);

// "(left,top)-(right,bottom)", for a failure's message.
std::string RectText(const RECT& r);

// The screen's pixels under rect (screen coordinates).
Snapshot CaptureScreen(const RECT& rect);

// A window's client area as its own device context holds it, wherever the window is on the screen.
Snapshot CaptureWindowClient(HWND window);

}  // namespace support
