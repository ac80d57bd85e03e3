#include "ole_picture.h"

#include "global_memory.h"

#include <cstring>

ComPtr<IPicture> LoadPictureFromGlobal(HGLOBAL block, DWORD size) {
    ComPtr<IPicture> picture;
    ComPtr<IStream> stream;
    if (!block || size == 0 || FAILED(::CreateStreamOnHGlobal(block, FALSE, stream.Put()))) return picture;
    if (FAILED(::OleLoadPicture(stream.Get(), static_cast<LONG>(size), FALSE, IID_IPicture, picture.PutVoid())))
        picture.Reset();
    return picture;
}

ComPtr<IPicture> LoadPictureFromBytes(const std::string& bytes) {
    if (bytes.empty() || bytes.size() > 0x7FFFFFFF) return ComPtr<IPicture>();
    CGlobalMemory block(GMEM_MOVEABLE, bytes.size());
    if (!block) return ComPtr<IPicture>();
    {
        const CGlobalLock lock(block.Get());
        if (!lock.Get()) return ComPtr<IPicture>();
        std::memcpy(lock.Get(), bytes.data(), bytes.size());
    }
    // The picture keeps no reference to the stream's memory: the block is freed on return.
    return LoadPictureFromGlobal(block.Get(), static_cast<DWORD>(bytes.size()));
}

bool PictureSize(IPicture* picture, long& width, long& height) {
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    if (!picture || FAILED(picture->get_Width(&w)) || FAILED(picture->get_Height(&h))) return false;
    width = w;
    height = h;
    return true;
}

bool RenderPicture(IPicture* picture, HDC dc, int x, int y, int width, int height) {
    long w = 0, h = 0;
    if (!PictureSize(picture, w, h)) return false;
    // HIMETRIC runs upward: start at the source's top (h) and walk down (-h) to draw upright.
    return SUCCEEDED(picture->Render(dc, x, y, width, height, 0, h, w, -h, nullptr));
}
