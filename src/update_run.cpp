// The update run: the hive table worked through in order, the broadcast and the one message box.
#include "update_run.h"

#include <cstdint>
#include <cstring>

#include "path_value_rule.h"
#include "registry_value_access.h"
#include "platform/platform_api.h"

namespace {

constexpr size_t kKeyNameBufferSize = 1024;

struct HiveRow {
    RegistryKey root;
    const char* subkey;
    const char* valueName;
};

// Machine first, then user: a failed write ends the run before the later row is touched.
const HiveRow kHiveTable[] = {
    {kLocalMachineRoot, "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment", "Path"},
    {kCurrentUserRoot, "Environment", "Path"},
};

const char kCaption[] = "Update";
const char kCompletedText[] = "Update process is completed.";
const char kFailedText[] = "Failed to finish update process.";
const char kEnvironmentText[] = "Environment";
constexpr uint32_t kBroadcastTimeoutMs = 5000;

bool CopyKeyName(char (&keyName)[kKeyNameBufferSize], const char* subkey)
{
    const size_t length = strlen(subkey);
    if (length >= sizeof keyName) {
        return false;
    }
    memcpy(keyName, subkey, length + 1);
    return true;
}

void ShowOutcome(const char* text)
{
    // The button pressed does not matter: there is only OK.
    ShowMessageBox(GetActiveOwnerWindow(), text, kCaption, kMessageBoxInformationOk);
}

}  // namespace

int RunUpdate()
{
    char keyName[kKeyNameBufferSize];
    char value[kValueBufferSize];
    uint32_t size = 0;
    RegistryKey writeKey = kNullKey;
    uintptr_t broadcastResult = 0;

    for (const HiveRow& row : kHiveTable) {
        if (!CopyKeyName(keyName, row.subkey)) {
            continue;
        }
        size = kValueBufferSize;
        // A row is rewritten only from a whole text read from that same row; anything
        // else (missing, another type, too long, not exact in the code page, no room for
        // the ';') leaves the stored value as it is.
        if (!ReadRegistryValue(row.root, keyName, row.valueName, value, &size) || IsPathTextEmpty(value) ||
            !ToggleTrailingSemicolon(value)) {
            continue;
        }
        if (!WriteRegistryValue(row.root, keyName, row.valueName, value, &writeKey)) {
            ShowOutcome(kFailedText);
            return 0;
        }
    }

    // No listener's answer changes the outcome, so neither the return value nor the result is read.
    SendMessageWithTimeout(kBroadcastWindow, kMessageSettingChange, 0, kEnvironmentText, kSendAbortIfHung,
                           kBroadcastTimeoutMs, &broadcastResult);
    ShowOutcome(kCompletedText);
    return 1;
}
