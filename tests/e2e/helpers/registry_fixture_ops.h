// Registry fixture operations shared by the Windows test helpers.
#pragma once

#include "helper_common.h"

constexpr int kMaxFixtureData = 4096;

// Creates the key if needed and stores exactly `size` bytes under `type`.
bool PutExactValue(HKEY root, const char* subkey, const char* name, DWORD type, const unsigned char* bytes, int size);
bool DeleteExactValue(HKEY root, const char* subkey, const char* name);
bool DeleteFixtureKey(HKEY root, const char* subkey);
// A DACL that refuses KEY_SET_VALUE and KEY_CREATE_SUB_KEY to everyone and allows the rest.
bool DenySetValue(HKEY root, const char* subkey);
// Prints "value type=T size=S hex=H", or "value missing status=N".
bool ShowValue(HKEY root, const char* subkey, const char* name);
