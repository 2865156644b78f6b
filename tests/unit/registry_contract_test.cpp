// The registry contract against the fake: the same cases the Wine suite runs against the real registry.
#include <gtest/gtest.h>

#include "fake_platform.h"
#include "registry_contract.h"

namespace {

void Expect(const char* name, bool held, const char* detail)
{
    EXPECT_TRUE(held) << name << ": " << detail;
}

TEST(RegistryContract, FakeHoldsUnderSingleByteCodePage)
{
    ResetFake();
    Fake().codePage = FakeCodePage::SingleByte;
    EXPECT_EQ(RunRegistryContract(ContractBackend::Fake, ContractCodePage::SingleByte, Expect), 0);
    EXPECT_TRUE(Fake().openHandles.empty());
}

TEST(RegistryContract, FakeHoldsUnderDoubleByteCodePage)
{
    ResetFake();
    Fake().codePage = FakeCodePage::DoubleByte;
    EXPECT_EQ(RunRegistryContract(ContractBackend::Fake, ContractCodePage::DoubleByte, Expect), 0);
    EXPECT_TRUE(Fake().openHandles.empty());
}

}  // namespace
