#include "host/settings_profile.h"

#include <windows.h>
#include <stdio.h>
#include <fstream>

#include "host/host_error.h"
#include "host/text_codec.h"

namespace host {

namespace {

// Whether a file can be made at path: its folder exists and path is no folder.
void checkWritable(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw HostError("settings file " + path + " is a folder");
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw HostError("cannot write settings file " + path + " (Windows error " + std::to_string(GetLastError()) +
                        ")");
    CloseHandle(file);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        DeleteFileA(path.c_str());  // only tried: a first run still has no profile
}

}  // namespace

SettingsProfile::SettingsProfile(const std::string& path) : path_(path)
{
    checkWritable(path_);
    std::ifstream file(path_.c_str(), std::ios::binary);
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (!line.empty() && line[line.size() - 1] == '\r')
            line.erase(line.size() - 1);
        if (line.empty() || line[0] == '#')
            continue;
        std::string::size_type equals = line.find('=');
        try {
            if (equals == std::string::npos || equals == 0)
                throw HostError("not key=value");
            stored_[line.substr(0, equals)] = utf8ToCp1250(line.substr(equals + 1));
        } catch (const HostError& error) {
            fprintf(stderr, "lunetka-host: %s:%d: %s; line skipped\n", path_.c_str(), number, error.what());
        }
    }
}

const std::string* SettingsProfile::find(const std::string& key) const
{
    auto stored = stored_.find(key);
    return stored == stored_.end() ? nullptr : &stored->second;
}

void SettingsProfile::save(const std::map<std::string, std::string>& values)
{
    for (const auto& value : values)
        stored_[value.first] = value.second;
    std::string temporary = path_ + ".new";
    {
        std::ofstream file(temporary.c_str(), std::ios::binary | std::ios::trunc);
        if (!file) {
            fprintf(stderr, "lunetka-host: cannot write settings file %s\n", temporary.c_str());
            return;
        }
        file << "# Lunetka stand-in host settings (UTF-8)\n";
        for (const auto& setting : stored_) {
            std::string value;
            for (char c : cp1250ToUtf8(setting.second))
                value += (c == '\n' || c == '\r') ? ' ' : c;  // one setting, one line
            file << setting.first << '=' << value << '\n';
        }
        if (!file.flush()) {
            fprintf(stderr, "lunetka-host: cannot write settings file %s\n", temporary.c_str());
            DeleteFileA(temporary.c_str());
            return;
        }
    }
    // What a person wrote, or a damaged file, survives the first rewrite.
    if (!backedUp_ && GetFileAttributesA(path_.c_str()) != INVALID_FILE_ATTRIBUTES)
        CopyFileA(path_.c_str(), (path_ + ".bak").c_str(), FALSE);
    backedUp_ = true;
    // Replace in one step, so a crash never leaves half a profile.
    if (!MoveFileExA(temporary.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        fprintf(stderr, "lunetka-host: cannot replace settings file %s\n", path_.c_str());
        DeleteFileA(temporary.c_str());
    }
}

}  // namespace host
