#pragma once
// Pictures decoded by the system's OLE picture loader (JPEG, GIF, BMP, ...).

#include "com_ptr.h"

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>

// Decodes a picture held in a global memory block of `size` bytes. The block stays the caller's.
ComPtr<IPicture> LoadPictureFromGlobal(HGLOBAL block, DWORD size);

// Decodes a picture from bytes in memory (copied into a block of its own first).
ComPtr<IPicture> LoadPictureFromBytes(const std::string& bytes);

// The picture's size in HIMETRIC (0.01 mm); false when it does not say.
bool PictureSize(IPicture* picture, long& width, long& height);

// Draws the whole picture upright, stretched to the rectangle.
bool RenderPicture(IPicture* picture, HDC dc, int x, int y, int width, int height);
