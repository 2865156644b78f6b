// The registry contract's fixture operations on the fake registry.
#include "fake_platform.h"
#include "registry_contract.h"

bool ContractPutValue(RegistryKey root, const char* subkey, const char* name, uint32_t type,
                      const unsigned char* data, uint32_t size)
{
    PutRawValue(root, subkey, name, type, std::vector<uint8_t>(data, data + size));
    return true;
}

bool ContractRemoveKey(RegistryKey root, const char* subkey)
{
    FakeKey* key = FindKey(root, subkey);
    if (key != nullptr) {
        Fake().keys.erase(Fake().keys.begin() + (key - Fake().keys.data()));
    }
    return true;
}

bool ContractDenySetValue(RegistryKey root, const char* subkey)
{
    FakeKey* key = FindKey(root, subkey);
    if (key == nullptr) {
        return false;
    }
    key->granted = kKeyAllAccess & ~kKeySetValue;
    return true;
}
