// The fake's user interface: the broadcast, the active window and the message box, recorded.
#include "fake_internal.h"

intptr_t SendMessageWithTimeout(WindowHandle window, uint32_t message, uintptr_t wParam, const char* lParamText,
                                uint32_t flags, uint32_t timeoutMs, uintptr_t* result)
{
    PlatformStatus status = kStatusSuccess;
    const bool faulted = RecordCall(FakeCall::Broadcast, &status);
    Fake().broadcasts.push_back(
        FakeBroadcast{window, message, wParam, lParamText == nullptr ? "" : lParamText, flags, timeoutMs});
    *result = 0;
    return faulted ? 0 : 1;
}

WindowHandle GetActiveOwnerWindow()
{
    PlatformStatus ignored = kStatusSuccess;
    RecordCall(FakeCall::ActiveWindow, &ignored);
    return Fake().activeWindow;
}

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, uint32_t style)
{
    PlatformStatus status = kStatusSuccess;
    const bool faulted = RecordCall(FakeCall::MessageBox, &status);
    Fake().messageBoxes.push_back(FakeMessageBox{owner, text, caption, style});
    return faulted ? 0 : 1;  // IDOK
}
