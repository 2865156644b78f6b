// Test helper: runs the registry contract against the real seam implementation on Wine's registry.
//   registry_contract single|double
// The argument says which kind of ANSI code page the process was started under.
#include "registry_fixture_ops.h"

#include "registry_contract.h"

namespace {

HKEY ToHkey(RegistryKey key)
{
    return reinterpret_cast<HKEY>(key);
}

void Print(const char* name, bool held, const char* detail)
{
    printf("%s: %s%s%s\n", held ? "held" : "BROKEN", name, detail[0] != '\0' ? " -- " : "", detail);
}

}  // namespace

bool ContractPutValue(RegistryKey root, const char* subkey, const char* name, uint32_t type,
                      const unsigned char* data, uint32_t size)
{
    return PutExactValue(ToHkey(root), subkey, name, type, data, static_cast<int>(size));
}

bool ContractRemoveKey(RegistryKey root, const char* subkey)
{
    return DeleteFixtureKey(ToHkey(root), subkey);
}

bool ContractDenySetValue(RegistryKey root, const char* subkey)
{
    return DenySetValue(ToHkey(root), subkey);
}

int main(int argc, char** argv)
{
    const bool doubleByte = argc > 1 && strcmp(argv[1], "double") == 0;
    printf("ANSI code page %u\n", GetACP());
    const int broken = RunRegistryContract(ContractBackend::Wine,
                                           doubleByte ? ContractCodePage::DoubleByte : ContractCodePage::SingleByte,
                                           Print);
    printf("%d broken\n", broken);
    fflush(stdout);
    return broken == 0 ? 0 : 1;
}
