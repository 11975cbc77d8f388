// The icons and the version block inside the built DLL.
#include <gtest/gtest.h>

#include <windows.h>

#include "host/screenshot.h"
#include "tests/support/plugin_session.h"

namespace {

class Resources : public ::testing::Test {
protected:
    void SetUp() override { module = LoadLibraryA(support::pluginPath().c_str()); }
    void TearDown() override { FreeLibrary(module); }
    HMODULE module = nullptr;
};

// Alpha values of the icon's colour bitmap.
std::vector<BYTE> alphaOf(HICON icon, int side)
{
    ICONINFO info;
    std::vector<BYTE> alpha;
    if (!GetIconInfo(icon, &info))
        return alpha;
    BITMAP bitmap;
    GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
    if (bitmap.bmWidth == side && bitmap.bmHeight == side && bitmap.bmBitsPixel == 32) {
        BITMAPINFO header = host::bitmapHeader(side, side, 32);
        std::vector<DWORD> pixels(static_cast<size_t>(side * side));
        HDC dc = GetDC(nullptr);
        GetDIBits(dc, info.hbmColor, 0, side, pixels.data(), &header, DIB_RGB_COLORS);
        ReleaseDC(nullptr, dc);
        for (DWORD pixel : pixels)
            alpha.push_back(static_cast<BYTE>(pixel >> 24));
    }
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return alpha;
}

}  // namespace

TEST_F(Resources, TwoPolishIconsWithAlpha)
{
    ASSERT_NE(nullptr, module);
    const struct {
        int resource, side;
    } icons[] = {{53258, 32}, {53259, 16}};
    for (const auto& expected : icons) {
        SCOPED_TRACE(expected.resource);
        EXPECT_NE(nullptr, FindResourceExA(module, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */,
                                           MAKEINTRESOURCEA(expected.resource), 1045));
        HICON icon = static_cast<HICON>(
            LoadImageA(module, MAKEINTRESOURCEA(expected.resource), IMAGE_ICON, expected.side, expected.side, 0));
        ASSERT_NE(nullptr, icon);
        std::vector<BYTE> alpha = alphaOf(icon, expected.side);
        ASSERT_EQ(static_cast<size_t>(expected.side * expected.side), alpha.size()) << "a 32-bit image of that size";
        size_t clear = 0, solid = 0, blended = 0;
        for (BYTE a : alpha)
            (a == 0 ? clear : a == 255 ? solid : blended)++;
        EXPECT_GT(clear, 0u) << "transparent corners";
        EXPECT_GT(solid, 0u);
        EXPECT_GT(blended, 0u) << "anti-aliased edges";
        DestroyIcon(icon);
    }
}

TEST_F(Resources, VersionBlock)
{
    std::string path = support::pluginPath();
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_NE(0u, size);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
    EXPECT_EQ(0x00000003u, fixed->dwFileVersionLS);
    EXPECT_EQ(0x00010000u, fixed->dwProductVersionMS);
    EXPECT_EQ(0x00000003u, fixed->dwProductVersionLS);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_EQ(4u, length);
    EXPECT_EQ(0x0415, translation[0]);
    EXPECT_EQ(1250, translation[1]);

    char* product = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\041504E2\\ProductName",
                               reinterpret_cast<void**>(&product), &length));
    EXPECT_STREQ("Lunetka", product);
    char* company = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\041504E2\\CompanyName",
                               reinterpret_cast<void**>(&company), &length));
    EXPECT_STREQ("Zesp\xF3\xB3 Lunetki", company) << "Polish text arrives in code page 1250";
}
