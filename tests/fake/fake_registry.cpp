// The fake's registry: open, query (ANSI and wide), set and close, following Microsoft's documented behaviour.
#include <cstring>

#include "fake_internal.h"

namespace {

constexpr uint32_t kKeyQueryValue = 0x0001;  // KEY_QUERY_VALUE
constexpr RegistryKey kJunkHandle = 0xDEAD0;  // what a failed open leaves behind

bool IsStringType(uint32_t type)
{
    return type == kTypeString || type == kTypeExpandString || type == kTypeMultiString;
}

FakeHandle* FindHandle(RegistryKey handle)
{
    for (FakeHandle& open : Fake().openHandles) {
        if (open.handle == handle) {
            return &open;
        }
    }
    return nullptr;
}

FakeValue* FindOpenValue(const FakeHandle& handle, const char* name)
{
    FakeKey& key = Fake().keys[handle.keyIndex];
    return const_cast<FakeValue*>(FindValue(key.root, key.path, name == nullptr ? "" : name));
}

// Copies `bytes` the way RegQueryValueEx does: the size needed always comes back, the data
// only if it fits. Too small a buffer gives ERROR_MORE_DATA and undefined contents.
PlatformStatus DeliverValue(const std::vector<uint8_t>& bytes, bool addTerminator, uint8_t* data,
                            uint32_t* size)
{
    const uint32_t needed = static_cast<uint32_t>(bytes.size());
    if (data == nullptr) {
        *size = needed;
        return kStatusSuccess;
    }
    const uint32_t capacity = *size;
    *size = needed;
    if (needed > capacity) {
        memcpy(data, bytes.data(), capacity);
        return kStatusMoreData;
    }
    if (needed > 0) {
        memcpy(data, bytes.data(), needed);
    }
    // NT terminates a string stored without its terminator when there is room, without
    // counting the terminator in the size.
    if (addTerminator && needed > 0 && needed < capacity && data[needed - 1] != 0) {
        data[needed] = 0;
    }
    return kStatusSuccess;
}

PlatformStatus StartQuery(FakeCall call, RegistryKey key, const char* name, uint8_t* data, uint32_t* size,
                          FakeValue** value)
{
    PlatformStatus status = kStatusSuccess;
    if (RecordCall(call, &status)) {
        if (data != nullptr) {
            memset(data, 0xA5, *size);
        }
        return status;
    }
    const FakeHandle* handle = FindHandle(key);
    if (handle == nullptr) {
        return kStatusInvalidHandle;
    }
    if ((handle->access & kKeyQueryValue) == 0) {
        return kStatusAccessDenied;
    }
    *value = FindOpenValue(*handle, name);
    return *value == nullptr ? kStatusFileNotFound : kStatusSuccess;
}

}  // namespace

PlatformStatus OpenRegistryKey(RegistryKey root, const char* subkey, uint32_t access, RegistryKey* key)
{
    FakePlatform& fake = Fake();
    PlatformStatus status = kStatusSuccess;
    const bool faulted = RecordCall(FakeCall::Open, &status);
    *key = kJunkHandle;
    if (!faulted) {
        FakeKey* found = FindKey(root, subkey);
        if (root != kLocalMachineRoot && root != kCurrentUserRoot) {
            status = kStatusInvalidHandle;
        } else if (found == nullptr) {
            status = kStatusFileNotFound;
        } else if ((access & ~found->granted) != 0) {
            status = kStatusAccessDenied;
        } else {
            *key = fake.nextHandle;
            fake.nextHandle += 4;
            fake.openHandles.push_back(FakeHandle{*key, static_cast<size_t>(found - fake.keys.data()), access});
            ++fake.keysOpened;
        }
    }
    fake.opens.push_back(FakeOpen{root, subkey, access, status});
    return status;
}

PlatformStatus QueryRegistryValue(RegistryKey key, const char* name, uint32_t* type, unsigned char* data, uint32_t* size)
{
    FakeValue* value = nullptr;
    const PlatformStatus status = StartQuery(FakeCall::Query, key, name, data, size, &value);
    if (status != kStatusSuccess) {
        return status;
    }
    *type = value->type;
    if (!IsStringType(value->type)) {
        return DeliverValue(value->bytes, false, data, size);
    }
    // The ANSI query converts the stored UTF-16 into the code page.
    const std::string ansi = WideToAnsi(UnitsOf(value->bytes));
    return DeliverValue(std::vector<uint8_t>(ansi.begin(), ansi.end()), true, data, size);
}

PlatformStatus QueryRegistryValueWide(RegistryKey key, const char* name, uint32_t* type, char16_t* data, uint32_t* size)
{
    FakeValue* value = nullptr;
    uint8_t* bytes = reinterpret_cast<uint8_t*>(data);
    const PlatformStatus status = StartQuery(FakeCall::QueryWide, key, name, bytes, size, &value);
    if (status != kStatusSuccess) {
        return status;
    }
    *type = value->type;
    return DeliverValue(value->bytes, false, bytes, size);
}

PlatformStatus SetRegistryValue(RegistryKey key, const char* name, uint32_t type, const unsigned char* data, uint32_t size)
{
    FakePlatform& fake = Fake();
    PlatformStatus status = kStatusSuccess;
    const bool faulted = RecordCall(FakeCall::Set, &status);
    const FakeHandle* handle = FindHandle(key);
    if (!faulted) {
        if (handle == nullptr) {
            status = kStatusInvalidHandle;
        } else if ((handle->access & kKeySetValue) == 0) {
            status = kStatusAccessDenied;
        }
    }
    fake.sets.push_back(FakeSet{handle == nullptr ? std::string() : fake.keys[handle->keyIndex].path,
                                name == nullptr ? std::string() : name, type,
                                std::vector<uint8_t>(data, data + size), status});
    if (status != kStatusSuccess) {
        return status;
    }
    uint32_t stored = size;
    std::vector<uint8_t> bytes(data, data + size);
    if (IsStringType(type)) {
        // NT counts a terminator the caller left out of the size but placed right after the
        // data, which means it reads one byte past what it was given.
        if (stored > 0 && data[stored - 1] != 0 && data[stored] == 0) {
            ++stored;
        }
        std::u16string wide;
        DecodeAnsi(reinterpret_cast<const char*>(data), stored, false, &wide);
        bytes = BytesOf(wide);
    }
    const FakeKey& owner = fake.keys[handle->keyIndex];
    PutRawValue(owner.root, owner.path, name == nullptr ? "" : name, type, bytes);
    return kStatusSuccess;
}

PlatformStatus CloseRegistryKey(RegistryKey key)
{
    FakePlatform& fake = Fake();
    PlatformStatus status = kStatusSuccess;
    const bool faulted = RecordCall(FakeCall::Close, &status);
    for (size_t i = 0; i < fake.openHandles.size(); ++i) {
        if (fake.openHandles[i].handle == key) {
            // Even a close that reports failure releases the handle: there is nothing else to do with it.
            fake.openHandles.erase(fake.openHandles.begin() + static_cast<long>(i));
            ++fake.keysClosed;
            return faulted ? status : kStatusSuccess;
        }
    }
    ++fake.badCloses;
    return faulted ? status : kStatusInvalidHandle;
}
