// Small pieces the Windows test helpers share: hex in and out, root key names, ticks.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

// Command lines arrive through the Unix locale under Wine, so the helpers take and give
// anything beyond plain ASCII as hex.
inline int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Decodes `hex` into `out`; returns the byte count or -1 when it is not hex or does not fit.
inline int DecodeHex(const char* hex, unsigned char* out, int capacity)
{
    const size_t length = strlen(hex);
    if (length % 2 != 0 || static_cast<int>(length / 2) > capacity) return -1;
    for (size_t i = 0; i < length; i += 2) {
        const int high = HexDigit(hex[i]);
        const int low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0) return -1;
        out[i / 2] = static_cast<unsigned char>(high * 16 + low);
    }
    return static_cast<int>(length / 2);
}

inline void PrintHex(const void* data, size_t size)
{
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) printf("%02x", bytes[i]);
}

inline HKEY RootFromName(const char* name)
{
    if (strcmp(name, "HKLM") == 0) return HKEY_LOCAL_MACHINE;
    if (strcmp(name, "HKCU") == 0) return HKEY_CURRENT_USER;
    return nullptr;
}

// ASCII command-line text to UTF-16; key paths and value names in the tests are ASCII.
inline void WidenAscii(const char* text, WCHAR* out, size_t capacity)
{
    size_t i = 0;
    for (; text[i] != '\0' && i + 1 < capacity; ++i) out[i] = static_cast<unsigned char>(text[i]);
    out[i] = 0;
}
