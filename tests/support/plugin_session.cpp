#include "tests/support/plugin_session.h"

#include <windows.h>
#include <fstream>
#include <sstream>

namespace support {

std::string pluginPath()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string directory(path, length);
    directory.erase(directory.find_last_of("\\/") + 1);
    return directory + "lunetka.dll";
}

std::unique_ptr<host::StandInHost> loadPlugin()
{
    std::unique_ptr<host::StandInHost> stand(new host::StandInHost);
    stand->loadPlugin(pluginPath());
    return stand;
}

std::unique_ptr<host::StandInHost> startPlugin()
{
    std::unique_ptr<host::StandInHost> stand = loadPlugin();
    stand->start();
    return stand;
}

std::unique_ptr<host::StandInHost> openPluginPage(const char* contactsCsv)
{
    std::unique_ptr<host::StandInHost> stand = loadPlugin();
    stand->setContacts(host::ContactTable::fromCsvText(contactsCsv, "test"));
    stand->start();
    stand->openPage();
    return stand;
}

std::string temporaryPath(const char* name)
{
    char directory[MAX_PATH];
    GetTempPathA(sizeof directory, directory);
    std::string path = std::string(directory) + name;
    DeleteFileA(path.c_str());
    return path;
}

std::string fileText(const std::string& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<uint8_t> messageRecord(uint16_t size, int32_t id, intptr_t p1, intptr_t p2)
{
    std::vector<uint8_t> record(30, 0);
    host::putU16(record.data(), 0, size);
    host::putI32(record.data(), 2, id);
    host::putI32(record.data(), 22, static_cast<int32_t>(p1));
    host::putI32(record.data(), 26, static_cast<int32_t>(p2));
    return record;
}

const host::Exchange& only(const std::vector<const host::Exchange*>& found, const char* file, int line)
{
    static const host::Exchange none;
    if (found.size() != 1) {
        ADD_FAILURE_AT(file, line) << "expected exactly one such exchange, found " << found.size();
        return found.empty() ? none : *found[0];
    }
    return *found[0];
}

namespace {

bool inRange(const std::vector<uint8_t>& bytes, size_t offset, size_t width, const char* file, int line)
{
    if (offset + width <= bytes.size())
        return true;
    ADD_FAILURE_AT(file, line) << "record has " << bytes.size() << " bytes; wanted " << width << " at " << offset;
    return false;
}

}  // namespace

int32_t i32(const std::vector<uint8_t>& bytes, size_t offset, const char* file, int line)
{
    return inRange(bytes, offset, 4, file, line) ? host::i32At(bytes.data(), offset) : INT32_MIN;
}

int16_t i16(const std::vector<uint8_t>& bytes, size_t offset, const char* file, int line)
{
    return inRange(bytes, offset, 2, file, line) ? host::i16At(bytes.data(), offset) : INT16_MIN;
}

uint16_t u16(const std::vector<uint8_t>& bytes, size_t offset, const char* file, int line)
{
    return inRange(bytes, offset, 2, file, line) ? host::u16At(bytes.data(), offset) : 0xFFFF;
}

bool zeroBytes(const std::vector<uint8_t>& bytes, size_t from, size_t to)
{
    if (to > bytes.size())
        return false;
    for (size_t i = from; i < to; ++i) {
        if (bytes[i])
            return false;
    }
    return true;
}

std::vector<std::string> pluginCalls(const host::StandInHost& host)
{
    std::vector<std::string> calls;
    for (const host::Exchange& exchange : host.exchanges()) {
        if (exchange.op == "IMessageProc")
            continue;
        calls.push_back(exchange.message ? exchange.op + " " + std::to_string(exchange.message) : exchange.op);
    }
    return calls;
}

}  // namespace support
