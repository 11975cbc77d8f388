#include "host/text_codec.h"

#include <windows.h>
#include <wchar.h>
#include <algorithm>

#include "host/host_error.h"

namespace host {

namespace {

const UINT CP_POLISH = 1250;

std::wstring wide(UINT codePage, DWORD flags, const std::string& text)
{
    if (text.empty())
        return std::wstring();
    int length = MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0)
        throw HostError("text is not valid UTF-8");
    std::wstring result(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), &result[0], length);
    return result;
}

std::string narrow(UINT codePage, const std::wstring& text, BOOL* lossy)
{
    if (text.empty())
        return std::string();
    int length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                     nullptr, nullptr);
    std::string result(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS, text.data(),
                        static_cast<int>(text.size()), &result[0], length, nullptr, lossy);
    return result;
}

}  // namespace

std::string utf8ToCp1250(const std::string& text)
{
    BOOL lossy = FALSE;
    std::string result = narrow(CP_POLISH, wide(CP_UTF8, MB_ERR_INVALID_CHARS, text), &lossy);
    if (lossy)
        throw HostError("text has a character that Windows-1250 cannot hold: " + text);
    return result;
}

std::string cp1250ToUtf8(const std::string& text)
{
    return narrow(CP_UTF8, wide(CP_POLISH, 0, text), nullptr);
}

std::wstring utf8ToWide(const std::string& utf8)
{
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring result(static_cast<size_t>(std::max(length, 1)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &result[0], length);
    result.resize(wcslen(result.c_str()));
    return result;
}

}  // namespace host
