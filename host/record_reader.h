// The stand-in host reads every record the plug-in hands it by byte offset,
// with no knowledge of the plug-in's own declarations, so that a field the
// plug-in puts in the wrong place shows up as a wrong value here.
#pragma once

#include <stdint.h>
#include <string.h>
#include <string>
#include <vector>

namespace host {

inline uint16_t u16At(const void* record, size_t offset)
{
    uint16_t value;
    memcpy(&value, static_cast<const uint8_t*>(record) + offset, sizeof value);
    return value;
}

inline int16_t i16At(const void* record, size_t offset)
{
    return static_cast<int16_t>(u16At(record, offset));
}

inline int32_t i32At(const void* record, size_t offset)
{
    int32_t value;
    memcpy(&value, static_cast<const uint8_t*>(record) + offset, sizeof value);
    return value;
}

inline uint32_t u32At(const void* record, size_t offset)
{
    return static_cast<uint32_t>(i32At(record, offset));
}

// A 32-bit pointer field.
inline const char* textAt(const void* record, size_t offset)
{
    return reinterpret_cast<const char*>(static_cast<uintptr_t>(u32At(record, offset)));
}

inline void putU16(void* record, size_t offset, uint16_t value)
{
    memcpy(static_cast<uint8_t*>(record) + offset, &value, sizeof value);
}

inline void putI32(void* record, size_t offset, int32_t value)
{
    memcpy(static_cast<uint8_t*>(record) + offset, &value, sizeof value);
}

inline void putPtr(void* record, size_t offset, const void* pointer)
{
    putI32(record, offset, static_cast<int32_t>(reinterpret_cast<uintptr_t>(pointer)));
}

inline std::vector<uint8_t> bytesOf(const void* record, size_t size)
{
    const uint8_t* begin = static_cast<const uint8_t*>(record);
    return std::vector<uint8_t>(begin, begin + size);
}

inline std::string textOrEmpty(const char* text)
{
    return text ? std::string(text) : std::string();
}

}  // namespace host
