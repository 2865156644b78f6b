// The seam implemented on the Win32 API; the only place besides the entry point that sees <windows.h>.
#include <windows.h>
#include <mbstring.h>

#include "platform/platform_api.h"

static_assert(sizeof(char16_t) == sizeof(WCHAR), "UTF-16 units must match WCHAR");
static_assert(sizeof(LONG) == sizeof(PlatformStatus), "registry status is a LONG");

namespace {

HKEY ToHkey(RegistryKey key)
{
    return reinterpret_cast<HKEY>(key);
}

}  // namespace

PlatformStatus OpenRegistryKey(RegistryKey root, const char* subkey, uint32_t access, RegistryKey* key)
{
    HKEY opened = nullptr;
    const LONG status = RegOpenKeyExA(ToHkey(root), subkey, 0, access, &opened);
    *key = reinterpret_cast<RegistryKey>(opened);
    return status;
}

PlatformStatus QueryRegistryValue(RegistryKey key, const char* name, uint32_t* type, unsigned char* data, uint32_t* size)
{
    DWORD valueType = 0;
    DWORD valueSize = *size;
    const LONG status = RegQueryValueExA(ToHkey(key), name, nullptr, &valueType, data, &valueSize);
    *type = valueType;
    *size = valueSize;
    return status;
}

PlatformStatus QueryRegistryValueWide(RegistryKey key, const char* name, uint32_t* type, char16_t* data, uint32_t* size)
{
    // Value names are short; "Path" is all the program asks for.
    WCHAR wideName[64];
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name, -1, wideName, 64) == 0) {
        return static_cast<PlatformStatus>(GetLastError());
    }
    DWORD valueType = 0;
    DWORD valueSize = *size;
    const LONG status =
        RegQueryValueExW(ToHkey(key), wideName, nullptr, &valueType, reinterpret_cast<BYTE*>(data), &valueSize);
    *type = valueType;
    *size = valueSize;
    return status;
}

PlatformStatus SetRegistryValue(RegistryKey key, const char* name, uint32_t type, const unsigned char* data, uint32_t size)
{
    return RegSetValueExA(ToHkey(key), name, 0, type, data, size);
}

PlatformStatus CloseRegistryKey(RegistryKey key)
{
    return RegCloseKey(ToHkey(key));
}

int ConvertAnsiToWide(const char* text, int bytes, char16_t* wide, int capacity)
{
    return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, bytes, reinterpret_cast<WCHAR*>(wide), capacity);
}

int CompareMultibyteText(const char* left, const char* right)
{
    // The C runtime's multibyte code page starts out as the process's ANSI code page.
    return _mbscmp(reinterpret_cast<const unsigned char*>(left), reinterpret_cast<const unsigned char*>(right));
}

intptr_t SendMessageWithTimeout(WindowHandle window, uint32_t message, uintptr_t wParam, const char* lParamText,
                                uint32_t flags, uint32_t timeoutMs, uintptr_t* result)
{
    DWORD_PTR answer = 0;
    const LRESULT sent = SendMessageTimeoutA(reinterpret_cast<HWND>(window), message, wParam,
                                             reinterpret_cast<LPARAM>(lParamText), flags, timeoutMs, &answer);
    *result = answer;
    return sent;
}

WindowHandle GetActiveOwnerWindow()
{
    return reinterpret_cast<WindowHandle>(GetActiveWindow());
}

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, uint32_t style)
{
    return MessageBoxA(reinterpret_cast<HWND>(owner), text, caption, style);
}
