// The one seam between the program and Windows: exactly the platform operations the program calls.
#pragma once

#include <cstdint>

// An open registry key (HKEY). Predefined roots are the sign-extended values Windows uses.
typedef uintptr_t RegistryKey;
// A window handle (HWND).
typedef uintptr_t WindowHandle;
// A Win32 status as the registry functions return it (LONG): 0 is success.
typedef int32_t PlatformStatus;

constexpr RegistryKey kNullKey = 0;
constexpr RegistryKey kLocalMachineRoot = static_cast<RegistryKey>(static_cast<intptr_t>(INT32_C(-2147483646)));  // HKEY_LOCAL_MACHINE, 0x80000002
constexpr RegistryKey kCurrentUserRoot = static_cast<RegistryKey>(static_cast<intptr_t>(INT32_C(-2147483647)));   // HKEY_CURRENT_USER, 0x80000001

constexpr PlatformStatus kStatusSuccess = 0;         // ERROR_SUCCESS
constexpr PlatformStatus kStatusFileNotFound = 2;    // ERROR_FILE_NOT_FOUND
constexpr PlatformStatus kStatusAccessDenied = 5;    // ERROR_ACCESS_DENIED
constexpr PlatformStatus kStatusInvalidHandle = 6;   // ERROR_INVALID_HANDLE
constexpr PlatformStatus kStatusMoreData = 234;      // ERROR_MORE_DATA

constexpr uint32_t kKeyRead = 0x20019;       // KEY_READ
constexpr uint32_t kKeyAllAccess = 0xF003F;  // KEY_ALL_ACCESS
constexpr uint32_t kKeySetValue = 0x0002;    // KEY_SET_VALUE

constexpr uint32_t kTypeNone = 0;        // REG_NONE
constexpr uint32_t kTypeString = 1;      // REG_SZ
constexpr uint32_t kTypeExpandString = 2;  // REG_EXPAND_SZ
constexpr uint32_t kTypeBinary = 3;      // REG_BINARY
constexpr uint32_t kTypeDword = 4;       // REG_DWORD
constexpr uint32_t kTypeMultiString = 7;  // REG_MULTI_SZ

constexpr WindowHandle kNullWindow = 0;
constexpr WindowHandle kBroadcastWindow = 0xFFFF;  // HWND_BROADCAST
constexpr uint32_t kMessageSettingChange = 0x001A;  // WM_SETTINGCHANGE
constexpr uint32_t kSendAbortIfHung = 0x0002;       // SMTO_ABORTIFHUNG
constexpr uint32_t kMessageBoxInformationOk = 0x40;  // MB_OK | MB_ICONINFORMATION

// RegOpenKeyExA(root, subkey, 0, access, key).
PlatformStatus OpenRegistryKey(RegistryKey root, const char* subkey, uint32_t access, RegistryKey* key);
// RegQueryValueExA(key, name, nullptr, type, data, size).
PlatformStatus QueryRegistryValue(RegistryKey key, const char* name, uint32_t* type, unsigned char* data, uint32_t* size);
// RegQueryValueExW on the same value, the name given in the ANSI code page; size counts bytes.
PlatformStatus QueryRegistryValueWide(RegistryKey key, const char* name, uint32_t* type, char16_t* data, uint32_t* size);
// RegSetValueExA(key, name, 0, type, data, size).
PlatformStatus SetRegistryValue(RegistryKey key, const char* name, uint32_t type, const unsigned char* data, uint32_t size);
// RegCloseKey(key).
PlatformStatus CloseRegistryKey(RegistryKey key);

// MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, bytes, wide, capacity):
// the count of UTF-16 units written, or 0 when the text is not valid in the ANSI code page or does not fit.
int ConvertAnsiToWide(const char* text, int bytes, char16_t* wide, int capacity);

// _mbscmp under the process's ANSI code page: <0, 0 or >0.
int CompareMultibyteText(const char* left, const char* right);

// SendMessageTimeoutA with a text as the second message parameter.
intptr_t SendMessageWithTimeout(WindowHandle window, uint32_t message, uintptr_t wParam, const char* lParamText,
                                uint32_t flags, uint32_t timeoutMs, uintptr_t* result);
// GetActiveWindow.
WindowHandle GetActiveOwnerWindow();
// MessageBoxA: modal, returns the button pressed.
int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, uint32_t style);
