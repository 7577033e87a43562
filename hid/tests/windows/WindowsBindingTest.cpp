#include "windows/HidLibrary.h"
#include "windows/LibraryBinding.h"
#include "windows/SetupApiLibrary.h"

#include <gtest/gtest.h>

namespace miran::hid::windows_backend {
namespace {

struct TestEntries {
    int(WINAPI* FirstEntry)() = nullptr;
    int(WINAPI* SecondEntry)() = nullptr;
    int(WINAPI* ThirdEntry)() = nullptr;

    template <class Visit> void ForEachSlot(Visit& visit) {
        visit(FirstEntry, "FirstEntry");
        visit(SecondEntry, "SecondEntry");
        visit(ThirdEntry, "ThirdEntry");
    }
};

TEST(WindowsBinding, BindsEveryEntryPointOfACompleteLibrary) {
    HMODULE module = nullptr;
    TestEntries entries;
    ASSERT_TRUE(LoadAndBind("binding_complete.dll", module, entries));
    EXPECT_NE(GetModuleHandleA("binding_complete.dll"), nullptr);
    ASSERT_NE(entries.ThirdEntry, nullptr);
    EXPECT_EQ(entries.FirstEntry() + entries.SecondEntry() + entries.ThirdEntry(), 6);

    FreeBound(module, entries);
    EXPECT_EQ(module, nullptr);
    EXPECT_EQ(entries.FirstEntry, nullptr);
    EXPECT_EQ(GetModuleHandleA("binding_complete.dll"), nullptr);
}

TEST(WindowsBinding, LibraryLackingOneEntryPointIsFreedWithEverySlotCleared) {
    HMODULE module = nullptr;
    TestEntries entries;
    EXPECT_FALSE(LoadAndBind("binding_lacking.dll", module, entries));
    EXPECT_EQ(module, nullptr);
    EXPECT_EQ(entries.FirstEntry, nullptr);
    EXPECT_EQ(entries.SecondEntry, nullptr);
    EXPECT_EQ(entries.ThirdEntry, nullptr);
    EXPECT_EQ(GetModuleHandleA("binding_lacking.dll"), nullptr);
}

TEST(WindowsBinding, MissingLibraryLeavesTheErrorModeAsItWas) {
    const UINT before = SetErrorMode(SEM_NOGPFAULTERRORBOX);
    HMODULE module = nullptr;
    TestEntries entries;
    EXPECT_FALSE(LoadAndBind("binding_missing.dll", module, entries));
    EXPECT_EQ(GetErrorMode(), UINT(SEM_NOGPFAULTERRORBOX));
    SetErrorMode(before);
}

TEST(WindowsBinding, DeviceSetupIsCountedAndFreedByTheLastRelease) {
    ASSERT_TRUE(LoadSetupApi());
    ASSERT_TRUE(LoadSetupApi());
    ReleaseSetupApi();
    EXPECT_NE(SetupApi().SetupDiGetClassDevsA, nullptr);
    ReleaseSetupApi();
    EXPECT_EQ(SetupApi().SetupDiGetClassDevsA, nullptr);
    EXPECT_EQ(SetupApi().SetupDiDestroyDeviceInfoList, nullptr);
    // A release without a load leaves no count behind.
    ReleaseSetupApi();
    ASSERT_TRUE(LoadSetupApi());
    ReleaseSetupApi();
    EXPECT_EQ(SetupApi().SetupDiGetClassDevsA, nullptr);
}

TEST(WindowsBinding, HidIsNotCountedOneReleaseFreesIt) {
    ASSERT_TRUE(LoadHid());
    ASSERT_TRUE(LoadHid());
    EXPECT_TRUE(HidLoaded());
    ReleaseHid();
    EXPECT_FALSE(HidLoaded());
    EXPECT_EQ(Hid().HidD_GetAttributes, nullptr);
    EXPECT_EQ(Hid().HidD_SetFeature, nullptr);
}

} // namespace
} // namespace miran::hid::windows_backend
