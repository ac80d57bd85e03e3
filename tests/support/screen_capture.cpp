#include "screen_capture.h"

#include <fstream>

namespace support {
namespace {

// width x height pixels of source from (x, y), through a top-down 32-bit DIB.
Snapshot CaptureDc(HDC source, int x, int y, int width, int height) {
    Snapshot shot;
    if (!source || width <= 0 || height <= 0) return shot;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC memory = CreateCompatibleDC(source);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory && bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY)) {
            GdiFlush();
            const auto* p = static_cast<const uint32_t*>(bits);
            shot.width = width;
            shot.height = height;
            shot.pixels.assign(p, p + static_cast<size_t>(width) * static_cast<size_t>(height));
            for (auto& pixel : shot.pixels) pixel &= 0x00FFFFFF;
        }
        SelectObject(memory, old);
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    return shot;
}

}  // namespace

COLORREF Snapshot::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
    const uint32_t p = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

size_t Snapshot::Count(COLORREF colour) const {
    const uint32_t wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    size_t n = 0;
    for (uint32_t p : pixels) n += p == wanted;
    return n;
}

bool Snapshot::SaveBmp(const std::string& path) const {
    if (width <= 0 || height <= 0) return false;
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = -height;  // top-down, as the pixels are held
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    const size_t pixelBytes = pixels.size() * sizeof(uint32_t);
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = static_cast<DWORD>(header.bfOffBits + pixelBytes);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixelBytes));
    out.close();
    return static_cast<bool>(out);
}

uint64_t Snapshot::Fingerprint() const {
    uint64_t hash = 1469598103934665603ull;
    for (uint32_t p : pixels) hash = (hash ^ p) * 1099511628211ull;
    return hash;
}

bool Between(COLORREF c, COLORREF a, COLORREF b, int tolerance) {
    auto in = [&](int v, int x, int y) { return v >= (x < y ? x : y) - tolerance && v <= (x > y ? x : y) + tolerance; };
    return in(GetRValue(c), GetRValue(a), GetRValue(b)) && in(GetGValue(c), GetGValue(a), GetGValue(b)) &&
           in(GetBValue(c), GetBValue(a), GetBValue(b));
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
    const auto close = [&](int x, int y) { return x - y <= tolerance && y - x <= tolerance; };
    return close(GetRValue(a), GetRValue(b)) && close(GetGValue(a), GetGValue(b)) && close(GetBValue(a), GetBValue(b));
}

std::string RectText(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

Snapshot CaptureScreen(const RECT& rect) {
    HDC screen = GetDC(nullptr);
    Snapshot shot = CaptureDc(screen, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    ReleaseDC(nullptr, screen);
    return shot;
}

Snapshot CaptureWindowClient(HWND window) {
    RECT client = {};
    if (!GetClientRect(window, &client)) return {};
    HDC dc = GetDC(window);
    Snapshot shot = CaptureDc(dc, 0, 0, client.right, client.bottom);
    ReleaseDC(window, dc);
    return shot;
}

}  // namespace support
