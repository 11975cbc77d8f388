// The stand-in host keeps the plug-in's settings in a profile file between
// runs: UTF-8 "key=value" lines, "#" for comments.
#pragma once

#include <map>
#include <string>

namespace host {

class SettingsProfile {
public:
    // Reads path (a first run has none). A line that is not key=value, or
    // not UTF-8 that Windows-1250 can hold, is reported on stderr with its
    // number and skipped; the other settings are kept. Throws HostError
    // when path cannot be written: a folder, or a folder that is missing.
    explicit SettingsProfile(const std::string& path);

    // The stored value of key in Windows-1250, or null.
    const std::string* find(const std::string& key) const;
    // Writes values over what the file held, replacing it in one step. The
    // file as it was before the first rewrite is kept as path + ".bak".
    // A failure is reported on stderr; the run goes on.
    void save(const std::map<std::string, std::string>& values);

private:
    std::string path_;
    std::map<std::string, std::string> stored_;
    bool backedUp_ = false;
};

}  // namespace host
