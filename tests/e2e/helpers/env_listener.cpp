// Test helper: a top-level window that logs each WM_SETTINGCHANGE it receives.
//   env_listener MODE LOG_FILE READY_FILE [DELAY_MS]
// MODE normal answers at once, slow sleeps DELAY_MS before answering, hung never pumps
// messages after its window exists. Each received message appends
// "settingchange wparam=W text=HEX tick=T" to LOG_FILE, the tick taken when it answers.
#include "helper_common.h"

namespace {

const char* g_logPath = nullptr;
DWORD g_delay = 0;

LRESULT CALLBACK ListenerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTINGCHANGE) {
        if (g_delay > 0) Sleep(g_delay);
        FILE* log = fopen(g_logPath, "a");
        if (log != nullptr) {
            fprintf(log, "settingchange wparam=%lu text=", static_cast<unsigned long>(wParam));
            const WCHAR* text = reinterpret_cast<const WCHAR*>(lParam);
            for (int i = 0; text != nullptr && text[i] != 0; ++i) {
                fprintf(log, "%02x%02x", text[i] & 0xFF, text[i] >> 8);
            }
            fprintf(log, " tick=%lu\n", GetTickCount());
            fclose(log);
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        printf("usage: env_listener MODE LOG_FILE READY_FILE [DELAY_MS]\n");
        return 2;
    }
    const char* mode = argv[1];
    g_logPath = argv[2];
    g_delay = (strcmp(mode, "slow") == 0 && argc > 4) ? strtoul(argv[4], nullptr, 10) : 0;

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = ListenerProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"EnvrefreshTestListener";
    if (RegisterClassW(&windowClass) == 0) return 1;
    // A hidden top-level window: broadcasts reach it without it showing on screen.
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"listener", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) return 1;

    FILE* ready = fopen(argv[3], "w");
    if (ready == nullptr) return 1;
    fprintf(ready, "ready tick=%lu\n", GetTickCount());
    fclose(ready);

    if (strcmp(mode, "hung") == 0) {
        Sleep(120000);
        return 0;
    }
    SetTimer(window, 1, 120000, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER) break;
        DispatchMessageW(&message);
    }
    DestroyWindow(window);
    return 0;
}
