#include "host/rich_text.h"

#include "host/host_window.h"

#include <vector>

namespace host {

// Made once and never changed: shared by every window of the process.
HFONT dialogFont(bool bold)
{
    static HFONT normal = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, EASTEUROPE_CHARSET, 0, 0, CLEARTYPE_QUALITY,
                                      0, "Tahoma");
    static HFONT heavy = CreateFontA(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, EASTEUROPE_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0,
                                     "Tahoma");
    return bold ? heavy : normal;
}

namespace {

struct Piece {
    std::string text;  // a word, a run of spaces, or empty for a line break
    bool bold = false;
    bool lineBreak = false;
};

std::vector<Piece> parse(const std::string& markup)
{
    std::vector<Piece> pieces;
    bool bold = false;
    std::string word;
    auto flush = [&]() {
        if (!word.empty())
            pieces.push_back({word, bold, false});
        word.clear();
    };
    for (size_t i = 0; i < markup.size();) {
        if (markup.compare(i, 3, "<b>") == 0) {
            flush();
            bold = true;
            i += 3;
        } else if (markup.compare(i, 4, "</b>") == 0) {
            flush();
            bold = false;
            i += 4;
        } else if (markup.compare(i, 5, "<br/>") == 0) {
            flush();
            pieces.push_back({"", bold, true});
            i += 5;
        } else if (markup[i] == ' ') {
            flush();
            pieces.push_back({" ", bold, false});
            ++i;
        } else {
            word += markup[i++];
        }
    }
    flush();
    return pieces;
}

}  // namespace

int layoutRichText(HDC dc, const std::string& markup, const RECT& bounds, bool draw)
{
    HGDIOBJ previous = SelectObject(dc, dialogFont(false));
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    int lineHeight = metrics.tmHeight + 1;
    int x = bounds.left, y = bounds.top, width = bounds.right - bounds.left;
    SetBkMode(dc, TRANSPARENT);
    for (const Piece& piece : parse(markup)) {
        if (piece.lineBreak) {
            x = bounds.left;
            y += lineHeight;
            continue;
        }
        SelectObject(dc, dialogFont(piece.bold));
        SIZE size;
        GetTextExtentPoint32A(dc, piece.text.c_str(), static_cast<int>(piece.text.size()), &size);
        if (x > bounds.left && x + size.cx > bounds.left + width) {  // wrap before a word that does not fit
            x = bounds.left;
            y += lineHeight;
            if (piece.text == " ")
                continue;
        }
        if (draw)
            TextOutA(dc, x, y, piece.text.c_str(), static_cast<int>(piece.text.size()));
        x += size.cx;
    }
    SelectObject(dc, previous);
    return y + lineHeight - bounds.top;
}

namespace {

// A text in the host's rich form (the info box's description and tip), drawn
// from the window's text.
class RichText : public WindowHandler {
public:
    bool onMessage(HWND hwnd, UINT message, WPARAM, LPARAM, LRESULT* result) override
    {
        if (message != WM_PAINT)
            return false;
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        RECT bounds;
        GetClientRect(hwnd, &bounds);
        if (GetWindowLongA(hwnd, GWL_STYLE) & WS_POPUP) {  // the tip: a margin inside its border
            FillRect(dc, &bounds, GetSysColorBrush(COLOR_INFOBK));
            InflateRect(&bounds, -4, -3);
        }
        int length = GetWindowTextLengthA(hwnd);
        std::string markup(static_cast<size_t>(length) + 1, '\0');
        GetWindowTextA(hwnd, &markup[0], length + 1);
        markup.resize(static_cast<size_t>(length));
        layoutRichText(dc, markup, bounds, true);
        EndPaint(hwnd, &paint);
        *result = 0;
        return true;
    }
};
RichText richText;

}  // namespace


HWND createRichText(const std::string& markup, DWORD style, DWORD exStyle, int x, int y, int width, int height,
                    HWND parent, bool tip)
{
    WindowSpec plan;
    plan.title = markup.c_str();
    plan.style = style | WS_VISIBLE;
    plan.exStyle = exStyle;
    plan.x = x;
    plan.y = y;
    plan.width = width;
    plan.height = height;
    plan.parent = parent;
    plan.handler = &richText;
    if (tip) {
        plan.background = COLOR_INFOBK;
        plan.classStyle = CS_DROPSHADOW;
        plan.style &= ~WS_VISIBLE;
    }
    return createHostWindow(plainKind(), plan);
}

int richTextHeight(const std::string& markup, int width)
{
    HDC dc = GetDC(nullptr);
    RECT bounds = {0, 0, width, 10000};
    int height = layoutRichText(dc, markup, bounds, false);
    ReleaseDC(nullptr, dc);
    return height;
}

}  // namespace host
