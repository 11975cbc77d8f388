// The host's rich text: <b>, </b> and <br/> in Windows-1250 text, drawn
// word-wrapped to a width. Used by the info box's description and tip.
#pragma once

#include <windows.h>
#include <string>

namespace host {

// Draws markup into the rectangle's width from its top-left corner (when
// draw is true) and returns the height it needs.
int layoutRichText(HDC dc, const std::string& markup, const RECT& bounds, bool draw);
// The host's two dialog fonts, Tahoma 8 pt at 96 DPI.
HFONT dialogFont(bool bold);
// A window that draws its own text as rich text: the info box's description,
// or (tip) its hidden tip, a popup on the tip's background.
HWND createRichText(const std::string& markup, DWORD style, DWORD exStyle, int x, int y, int width, int height,
                    HWND parent, bool tip);
// The height markup needs at width.
int richTextHeight(const std::string& markup, int width);

}  // namespace host
