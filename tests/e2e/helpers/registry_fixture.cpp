// Test helper: sets up and reads back registry values byte for byte, and locks keys against writes.
//   put ROOT SUBKEY NAME TYPE HEX   store exactly these bytes (RegSetValueExW) under TYPE
//   delvalue ROOT SUBKEY NAME       remove the value
//   delkey ROOT SUBKEY              remove the key
//   deny ROOT SUBKEY                DACL that refuses KEY_SET_VALUE to everyone, allows the rest
//   show ROOT SUBKEY NAME           print "value type=T size=S hex=H", or "value missing status=N"
// Commands run in order; the helper stops at the first that fails, with exit status 1.
#include "helper_common.h"

#include <sddl.h>

namespace {

constexpr int kMaxData = 4096;

bool Put(HKEY root, const char* subkey, const char* name, DWORD type, const char* hex)
{
    // The registry counts a zero right after the data as a forgotten terminator and stores it,
    // so the buffer is padded with a non-zero byte: what is stored is exactly what was given.
    unsigned char data[kMaxData + 2];
    memset(data, 0xEE, sizeof data);
    const int size = DecodeHex(hex, data, kMaxData);
    if (size < 0) {
        printf("bad hex\n");
        return false;
    }
    WCHAR wideSubkey[512];
    WCHAR wideName[128];
    WidenAscii(subkey, wideSubkey, 512);
    WidenAscii(name, wideName, 128);
    HKEY key = nullptr;
    LONG status = RegCreateKeyExW(root, wideSubkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) {
        printf("create failed %ld\n", status);
        return false;
    }
    status = RegSetValueExW(key, wideName, 0, type, data, static_cast<DWORD>(size));
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        printf("set failed %ld\n", status);
        return false;
    }
    return true;
}

bool DeleteValue(HKEY root, const char* subkey, const char* name)
{
    WCHAR wideSubkey[512];
    WCHAR wideName[128];
    WidenAscii(subkey, wideSubkey, 512);
    WidenAscii(name, wideName, 128);
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(root, wideSubkey, 0, KEY_ALL_ACCESS, &key);
    if (status != ERROR_SUCCESS) {
        return status == ERROR_FILE_NOT_FOUND;
    }
    status = RegDeleteValueW(key, wideName);
    RegCloseKey(key);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool DeleteKey(HKEY root, const char* subkey)
{
    WCHAR wideSubkey[512];
    WidenAscii(subkey, wideSubkey, 512);
    const LONG status = RegDeleteKeyW(root, wideSubkey);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool Deny(HKEY root, const char* subkey)
{
    WCHAR wideSubkey[512];
    WidenAscii(subkey, wideSubkey, 512);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    // Deny KEY_SET_VALUE and KEY_CREATE_SUB_KEY (0x6) to Everyone, allow everything else.
    // Denying generic write would also deny READ_CONTROL, which KEY_READ needs.
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(D;;0x6;;;WD)(A;;GA;;;WD)", SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
        printf("sddl failed %lu\n", GetLastError());
        return false;
    }
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(root, wideSubkey, 0, KEY_ALL_ACCESS, &key);
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

bool Show(HKEY root, const char* subkey, const char* name)
{
    WCHAR wideSubkey[512];
    WCHAR wideName[128];
    WidenAscii(subkey, wideSubkey, 512);
    WidenAscii(name, wideName, 128);
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(root, wideSubkey, 0, KEY_READ, &key);
    if (status == ERROR_SUCCESS) {
        static unsigned char data[kMaxData * 4];
        DWORD type = 0;
        DWORD size = sizeof data;
        status = RegQueryValueExW(key, wideName, nullptr, &type, data, &size);
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

}  // namespace

int main(int argc, char** argv)
{
    int i = 1;
    while (i < argc) {
        const char* command = argv[i];
        const int left = argc - i - 1;
        HKEY root = left >= 1 ? RootFromName(argv[i + 1]) : nullptr;
        bool ok = false;
        if (root == nullptr) {
            printf("bad root for %s\n", command);
            return 1;
        }
        if (strcmp(command, "put") == 0 && left >= 5) {
            ok = Put(root, argv[i + 2], argv[i + 3], strtoul(argv[i + 4], nullptr, 10), argv[i + 5]);
            i += 6;
        } else if (strcmp(command, "delvalue") == 0 && left >= 3) {
            ok = DeleteValue(root, argv[i + 2], argv[i + 3]);
            i += 4;
        } else if (strcmp(command, "delkey") == 0 && left >= 2) {
            ok = DeleteKey(root, argv[i + 2]);
            i += 3;
        } else if (strcmp(command, "deny") == 0 && left >= 2) {
            ok = Deny(root, argv[i + 2]);
            i += 3;
        } else if (strcmp(command, "show") == 0 && left >= 3) {
            ok = Show(root, argv[i + 2], argv[i + 3]);
            i += 4;
        } else {
            printf("bad command %s\n", command);
            return 1;
        }
        if (!ok) {
            return 1;
        }
    }
    fflush(stdout);
    return 0;
}
