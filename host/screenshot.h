// A picture of a window as a person sees it on the screen.
#pragma once

#include <windows.h>
#include <string>

namespace host {

// The screen area of a window, frame included, as a 24-bit BMP file; false
// when it could not be written (no display, a window of no size).
bool saveScreenshot(HWND window, const std::string& path);

// The header of a bottom-up device-independent bitmap with no palette, as
// GetDIBits and CreateDIBSection take it.
BITMAPINFO bitmapHeader(int width, int height, WORD bitsPerPixel);

}  // namespace host
