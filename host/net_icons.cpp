#include "host/net_icons.h"

#include <stdio.h>
#include <string.h>

namespace host {

std::vector<NetworkPlugin> defaultNetworkPlugins()
{
    return {
        {301, 1, "Sieć Błękitna", RGB(40, 110, 220)},
        {302, 2, "Sieć Zielona", RGB(40, 170, 70)},
        {303, 3, "Sieć Pomarańczowa", RGB(240, 140, 20)},
    };
}

namespace {

// A filled disc of one colour with a light rim, 32-bit with alpha.
HICON discIcon(COLORREF color)
{
    const int side = 16;
    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = side;
    info.bmiHeader.biHeight = -side;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP colour = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!colour)
        return nullptr;
    DWORD* pixels = static_cast<DWORD*>(bits);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            int dx = 2 * x + 1 - side, dy = 2 * y + 1 - side;
            int distance = dx * dx + dy * dy;
            DWORD pixel = 0;
            if (distance <= (side - 1) * (side - 1)) {
                bool rim = distance > (side - 4) * (side - 4);
                BYTE r = rim ? 255 : GetRValue(color), g = rim ? 255 : GetGValue(color),
                     b = rim ? 255 : GetBValue(color);
                pixel = 0xFF000000u | (static_cast<DWORD>(r) << 16) | (static_cast<DWORD>(g) << 8) | b;
            }
            pixels[y * side + x] = pixel;
        }
    }
    HBITMAP mask = CreateBitmap(side, side, 1, 1, nullptr);
    ICONINFO icon;
    memset(&icon, 0, sizeof icon);
    icon.fIcon = TRUE;
    icon.hbmColor = colour;
    icon.hbmMask = mask;
    HICON handle = CreateIconIndirect(&icon);
    DeleteObject(colour);
    DeleteObject(mask);
    return handle;
}

}  // namespace

HICON createNetworkIcon(int iconId, const std::vector<NetworkPlugin>& plugins)
{
    if (iconId == ICON_ID_GENERAL)
        return discIcon(RGB(128, 128, 128));
    for (const NetworkPlugin& plugin : plugins) {
        if (networkIconId(plugin.net) == iconId)
            return discIcon(plugin.color);
    }
    return nullptr;
}

std::string moduleVersionText(HMODULE module)
{
    char path[MAX_PATH];
    if (!module || !GetModuleFileNameA(module, path, sizeof path))
        return std::string();
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (!size)
        return std::string();
    std::string block(size, '\0');
    if (!GetFileVersionInfoA(path, 0, size, &block[0]))
        return std::string();
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(&block[0], "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed)
        return std::string();
    char text[64];
    snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", static_cast<unsigned long>(HIWORD(fixed->dwFileVersionMS)),
             static_cast<unsigned long>(LOWORD(fixed->dwFileVersionMS)),
             static_cast<unsigned long>(HIWORD(fixed->dwFileVersionLS)),
             static_cast<unsigned long>(LOWORD(fixed->dwFileVersionLS)));
    return text;
}

}  // namespace host
