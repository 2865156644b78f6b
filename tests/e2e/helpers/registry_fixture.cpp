// Test helper: sets up and reads back registry values byte for byte, and locks keys against writes.
//   put ROOT SUBKEY NAME TYPE HEX   store exactly these bytes (RegSetValueExW) under TYPE
//   delvalue ROOT SUBKEY NAME       remove the value
//   delkey ROOT SUBKEY              remove the key
//   deny ROOT SUBKEY                DACL that refuses KEY_SET_VALUE to everyone, allows the rest
//   show ROOT SUBKEY NAME           print "value type=T size=S hex=H", or "value missing status=N"
// Commands run in order; the helper stops at the first that fails, with exit status 1.
#include "registry_fixture_ops.h"

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
            static unsigned char data[kMaxFixtureData];
            const int size = DecodeHex(argv[i + 5], data, kMaxFixtureData);
            ok = size >= 0 && PutExactValue(root, argv[i + 2], argv[i + 3], strtoul(argv[i + 4], nullptr, 10), data, size);
            i += 6;
        } else if (strcmp(command, "delvalue") == 0 && left >= 3) {
            ok = DeleteExactValue(root, argv[i + 2], argv[i + 3]);
            i += 4;
        } else if (strcmp(command, "delkey") == 0 && left >= 2) {
            ok = DeleteFixtureKey(root, argv[i + 2]);
            i += 3;
        } else if (strcmp(command, "deny") == 0 && left >= 2) {
            ok = DenySetValue(root, argv[i + 2]);
            i += 3;
        } else if (strcmp(command, "show") == 0 && left >= 3) {
            ok = ShowValue(root, argv[i + 2], argv[i + 3]);
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
