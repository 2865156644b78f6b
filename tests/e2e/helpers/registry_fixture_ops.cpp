// Registry fixture operations for the Windows test helpers: exact bytes in and out, and keys locked against writes.
#include "registry_fixture_ops.h"

#include <sddl.h>

namespace {

// A key path and value name from the command line, in UTF-16.
struct WideNames {
    WCHAR subkey[512];
    WCHAR name[128];
};

WideNames Widen(const char* subkey, const char* name)
{
    WideNames names;
    WidenAscii(subkey, names.subkey, 512);
    WidenAscii(name, names.name, 128);
    return names;
}

}  // namespace

bool PutExactValue(HKEY root, const char* subkey, const char* name, DWORD type, const unsigned char* bytes, int size)
{
    // The registry counts a zero right after the data as a forgotten terminator and stores it,
    // so the data is copied in front of a non-zero byte: what is stored is exactly what was given.
    static unsigned char data[kMaxFixtureData + 2];
    if (size < 0 || size > kMaxFixtureData) {
        return false;
    }
    memcpy(data, bytes, static_cast<size_t>(size));
    data[size] = 0xEE;
    data[size + 1] = 0xEE;
    const WideNames wide = Widen(subkey, name);
    HKEY key = nullptr;
    LONG status = RegCreateKeyExW(root, wide.subkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) {
        printf("create failed %ld\n", status);
        return false;
    }
    status = RegSetValueExW(key, wide.name, 0, type, data, static_cast<DWORD>(size));
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        printf("set failed %ld\n", status);
        return false;
    }
    return true;
}

bool DeleteExactValue(HKEY root, const char* subkey, const char* name)
{
    const WideNames wide = Widen(subkey, name);
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(root, wide.subkey, 0, KEY_ALL_ACCESS, &key);
    if (status != ERROR_SUCCESS) {
        return status == ERROR_FILE_NOT_FOUND;
    }
    status = RegDeleteValueW(key, wide.name);
    RegCloseKey(key);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool DeleteFixtureKey(HKEY root, const char* subkey)
{
    const WideNames wide = Widen(subkey, "");
    const LONG status = RegDeleteKeyW(root, wide.subkey);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool DenySetValue(HKEY root, const char* subkey)
{
    const WideNames wide = Widen(subkey, "");
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    // Deny KEY_SET_VALUE and KEY_CREATE_SUB_KEY (0x6) to Everyone, allow everything else.
    // Denying generic write would also deny READ_CONTROL, which KEY_READ needs.
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(D;;0x6;;;WD)(A;;GA;;;WD)", SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
        printf("sddl failed %lu\n", GetLastError());
        return false;
    }
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(root, wide.subkey, 0, KEY_ALL_ACCESS, &key);
    if (status == ERROR_SUCCESS) {
        status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
        RegCloseKey(key);
    }
    LocalFree(descriptor);
    if (status != ERROR_SUCCESS) {
        printf("deny failed %ld\n", status);
        return false;
    }
    return true;
}

bool ShowValue(HKEY root, const char* subkey, const char* name)
{
    const WideNames wide = Widen(subkey, name);
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(root, wide.subkey, 0, KEY_READ, &key);
    if (status == ERROR_SUCCESS) {
        static unsigned char data[kMaxFixtureData * 4];
        DWORD type = 0;
        DWORD size = sizeof data;
        status = RegQueryValueExW(key, wide.name, nullptr, &type, data, &size);
        RegCloseKey(key);
        if (status == ERROR_SUCCESS) {
            printf("value type=%lu size=%lu hex=", type, size);
            PrintHex(data, size);
            printf("\n");
            return true;
        }
    }
    printf("value missing status=%ld\n", status);
    return true;
}
