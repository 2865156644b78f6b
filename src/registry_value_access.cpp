// Registry value access: the read that accepts only a whole, exactly representable text, and the write.
#include "registry_value_access.h"

#include <cstring>

namespace {

// A value whose ANSI form fits the buffer has at most one UTF-16 unit per buffer byte (our own
// zero-padded writes included), plus room for a stray odd byte of string data.
constexpr uint32_t kWideCapacity = kValueBufferSize + 1;

bool IsTextType(uint32_t type)
{
    return type == kTypeString || type == kTypeExpandString;
}

// The ANSI functions replace characters the code page lacks with '?' or a look-alike.
// A text is exact only if converting it back gives the stored text unit for unit.
bool MatchesStoredText(RegistryKey key, const char* valueName, const char (&text)[kValueBufferSize])
{
    char16_t stored[kWideCapacity];
    uint32_t storedType = kTypeNone;
    uint32_t storedSize = sizeof stored;
    if (QueryRegistryValueWide(key, valueName, &storedType, stored, &storedSize) != kStatusSuccess ||
        !IsTextType(storedType)) {
        return false;
    }
    size_t storedLength = 0;
    const size_t storedUnits = storedSize / sizeof(char16_t);
    while (storedLength < storedUnits && stored[storedLength] != u'\0') {
        ++storedLength;
    }

    char16_t converted[kWideCapacity];
    const int textBytes = static_cast<int>(strlen(text));  // the reader made sure there is a terminator
    int convertedLength = 0;
    if (textBytes > 0) {
        convertedLength = ConvertAnsiToWide(text, textBytes, converted, static_cast<int>(kWideCapacity));
        if (convertedLength <= 0) {
            return false;
        }
    }
    return static_cast<size_t>(convertedLength) == storedLength &&
           memcmp(converted, stored, storedLength * sizeof(char16_t)) == 0;
}

}  // namespace

bool ReadRegistryValue(RegistryKey root, const char* subkey, const char* valueName,
                       char (&data)[kValueBufferSize], uint32_t* size)
{
    memset(data, 0, sizeof data);
    RegistryKey key = kNullKey;
    if (OpenRegistryKey(root, subkey, kKeyRead, &key) != kStatusSuccess) {
        return false;  // a failed open leaves nothing to close, whatever it put in `key`
    }
    uint32_t type = kTypeNone;
    const PlatformStatus status =
        QueryRegistryValue(key, valueName, &type, reinterpret_cast<unsigned char*>(data), size);
    // The buffer was zero before the query, so a stored text shorter than the buffer is
    // terminated even if it was stored without one; a full buffer must carry its own.
    bool whole = status == kStatusSuccess && IsTextType(type) && *size <= kValueBufferSize &&
                 memchr(data, '\0', sizeof data) != nullptr;
    if (whole) {
        whole = MatchesStoredText(key, valueName, data);
    }
    CloseRegistryKey(key);
    // The whole buffer is written back, so nothing but the text may be left in it: a value can
    // hold more data after an embedded zero, and a failed query leaves undefined bytes.
    const size_t keep = whole ? strlen(data) : 0;
    memset(data + keep, 0, sizeof data - keep);
    return whole;
}

bool WriteRegistryValue(RegistryKey root, const char* subkey, const char* valueName,
                        const char (&data)[kValueBufferSize], RegistryKey* key)
{
    if (OpenRegistryKey(root, subkey, kKeyAllAccess, key) != kStatusSuccess) {
        *key = kNullKey;
        return false;
    }
    const PlatformStatus status = SetRegistryValue(*key, valueName, kTypeExpandString,
                                                   reinterpret_cast<const unsigned char*>(data),
                                                   static_cast<uint32_t>(sizeof data));
    CloseRegistryKey(*key);
    *key = kNullKey;
    return status == kStatusSuccess;
}
