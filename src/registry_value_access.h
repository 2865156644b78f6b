// Reading a Path value whole into the value buffer, and writing the buffer back.
#pragma once

#include <cstdint>

#include "path_value_rule.h"
#include "platform/platform_api.h"

// Reads the value into `data`. `size` holds the capacity on entry and the bytes the query
// stored on return. Returns true only when the value is a REG_SZ or REG_EXPAND_SZ text that
// fits the buffer with its terminator and that the ANSI code page carries exactly; for
// anything else the row must not be written. On return the buffer holds the text followed
// by zeros, or only zeros when the read failed.
bool ReadRegistryValue(RegistryKey root, const char* subkey, const char* valueName,
                       char (&data)[kValueBufferSize], uint32_t* size);

// Opens the key into `key` with full access, stores the whole buffer as REG_EXPAND_SZ and
// closes the key again. Returns true exactly when the value was set.
bool WriteRegistryValue(RegistryKey root, const char* subkey, const char* valueName,
                        const char (&data)[kValueBufferSize], RegistryKey* key);
