// Test helper: waits for the program's message box, reports what a user sees in it, and presses OK.
//   box_reader CAPTION TIMEOUT_MS [HOLD_FILE]
// With HOLD_FILE it waits for that file to exist before pressing OK, so the box can be photographed.
// Prints "found tick=T boxes=N", "text=HEX" (UTF-16LE), "icon=NAME", "button=TEXT", then
// "closed" once the box is gone. Prints "none" and exits with 1 when no box shows in time.
#include "helper_common.h"

namespace {

struct BoxParts {
    HWND text;
    HWND icon;
    HWND ok;
};

struct BoxSearch {
    const WCHAR* caption;
    HWND first;
    int count;
};

BOOL CALLBACK CountBoxes(HWND window, LPARAM param)
{
    BoxSearch* search = reinterpret_cast<BoxSearch*>(param);
    WCHAR className[64];
    WCHAR caption[256];
    GetClassNameW(window, className, 64);
    GetWindowTextW(window, caption, 256);
    if (lstrcmpW(className, L"#32770") == 0 && lstrcmpW(caption, search->caption) == 0 && IsWindowVisible(window)) {
        if (search->first == nullptr) search->first = window;
        ++search->count;
    }
    return TRUE;
}

BOOL CALLBACK FindParts(HWND child, LPARAM param)
{
    BoxParts* parts = reinterpret_cast<BoxParts*>(param);
    WCHAR className[64];
    GetClassNameW(child, className, 64);
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if (lstrcmpiW(className, L"Static") == 0) {
        if ((style & SS_TYPEMASK) == SS_ICON) {
            parts->icon = child;
        } else if (GetWindowTextLengthW(child) > 0) {
            parts->text = child;
        }
    } else if (lstrcmpiW(className, L"Button") == 0 && GetDlgCtrlID(child) == IDOK) {
        parts->ok = child;
    }
    return TRUE;
}

// Icons belong to the process that loaded them, so the box's own icon handle is of no use
// here. Instead the icon as drawn on screen is compared with each standard icon drawn here
// on the same background.
bool CaptureWindow(HWND window, int width, int height, COLORREF* pixels)
{
    // Another process's window DC reads nothing here, so read the screen where the window is.
    RECT place;
    if (!GetWindowRect(window, &place)) return false;
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return false;
    bool read = true;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels[y * width + x] = GetPixel(screen, place.left + x, place.top + y);
            read = read && pixels[y * width + x] != CLR_INVALID;
        }
    }
    ReleaseDC(nullptr, screen);
    return read;
}

long long Difference(const COLORREF* left, const COLORREF* right, int count)
{
    long long total = 0;
    for (int i = 0; i < count; ++i) {
        total += labs(static_cast<long>(GetRValue(left[i])) - GetRValue(right[i])) +
                 labs(static_cast<long>(GetGValue(left[i])) - GetGValue(right[i])) +
                 labs(static_cast<long>(GetBValue(left[i])) - GetBValue(right[i]));
    }
    return total;
}

void DrawReference(LPCSTR id, COLORREF background, int width, int height, COLORREF* pixels)
{
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    HBRUSH brush = CreateSolidBrush(background);
    RECT all = {0, 0, width, height};
    FillRect(memory, &all, brush);
    DeleteObject(brush);
    DrawIconEx(memory, 0, 0, LoadIconA(nullptr, id), GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0,
               nullptr, DI_NORMAL);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels[y * width + x] = GetPixel(memory, x, y);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

const char* NameIcon(HWND icon)
{
    constexpr int kSide = 32;
    static COLORREF shown[kSide * kSide];
    static COLORREF reference[kSide * kSide];
    if (icon == nullptr || !CaptureWindow(icon, kSide, kSide, shown)) return "none";
    struct Candidate {
        const char* name;
        LPCSTR id;
    };
    const Candidate candidates[] = {{"information", IDI_INFORMATION},
                                    {"error", IDI_ERROR},
                                    {"warning", IDI_WARNING},
                                    {"question", IDI_QUESTION}};
    const char* best = "unknown";
    long long bestDifference = -1;
    for (const Candidate& candidate : candidates) {
        DrawReference(candidate.id, shown[0], kSide, kSide, reference);
        const long long difference = Difference(shown, reference, kSide * kSide);
        if (bestDifference < 0 || difference < bestDifference) {
            bestDifference = difference;
            best = candidate.name;
        }
    }
    // The same icon drawn by the same code matches pixel for pixel; anything else is not a match.
    return bestDifference == 0 ? best : "unknown";
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        printf("usage: box_reader CAPTION TIMEOUT_MS [HOLD_FILE]\n");
        return 2;
    }
    WCHAR caption[256];
    WidenAscii(argv[1], caption, 256);
    const DWORD timeout = strtoul(argv[2], nullptr, 10);
    const DWORD start = GetTickCount();

    BoxSearch search = {caption, nullptr, 0};
    while (search.first == nullptr) {
        if (GetTickCount() - start > timeout) {
            printf("none\n");
            return 1;
        }
        Sleep(50);
        search.first = nullptr;
        search.count = 0;
        EnumWindows(CountBoxes, reinterpret_cast<LPARAM>(&search));
    }
    printf("found tick=%lu boxes=%d\n", GetTickCount(), search.count);
    Sleep(300);  // let the box finish painting before its icon is read

    BoxParts parts = {nullptr, nullptr, nullptr};
    EnumChildWindows(search.first, FindParts, reinterpret_cast<LPARAM>(&parts));
    WCHAR text[512] = {0};
    if (parts.text != nullptr) GetWindowTextW(parts.text, text, 512);
    printf("text=");
    PrintHex(text, lstrlenW(text) * sizeof(WCHAR));
    printf("\nicon=%s\n", NameIcon(parts.icon));
    WCHAR button[64] = {0};
    if (parts.ok != nullptr) GetWindowTextW(parts.ok, button, 64);
    printf("button=");
    for (int i = 0; button[i] != 0; ++i) putchar(button[i] < 128 ? static_cast<char>(button[i]) : '?');
    printf("\n");
    fflush(stdout);

    if (argc > 3) {
        const DWORD holdStart = GetTickCount();
        while (GetFileAttributesA(argv[3]) == INVALID_FILE_ATTRIBUTES && GetTickCount() - holdStart < timeout) {
            Sleep(50);
        }
    }

    // Press OK as a user would: a click on the button.
    if (parts.ok != nullptr) {
        PostMessageW(parts.ok, BM_CLICK, 0, 0);
    }
    for (int i = 0; i < 100 && IsWindow(search.first); ++i) Sleep(50);
    printf(IsWindow(search.first) ? "still open\n" : "closed\n");
    return IsWindow(search.first) ? 1 : 0;
}
