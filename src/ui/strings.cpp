// Localised strings and the conversions between the program's 8-bit texts
// (in the runtime library's current locale) and the UTF-16 texts of the
// Windows calls.
//
// On Windows NT the language library's strings and every dialog text are
// handled as UTF-16 and converted at the call; elsewhere the 8-bit text goes
// to the ANSI calls unchanged.
#include "ui/strings.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "common/setup_context.h"
#include "common/windows_version.h"
#include "ui/ui_state.h"

namespace {

const std::size_t kBytesPerUnit = sizeof(wchar_t);
const std::size_t kInlineBytes = WideText::kInlineUnits * kBytesPerUnit;  // 1026

// Converts `text` under the current locale into target[0..units), at most
// units - 1 characters, and always terminates it. The target is cleared
// first, so an invalid multibyte sequence leaves the part converted before
// it rather than an unterminated buffer.
void LocaleToWide(wchar_t* target, std::size_t units, const char* text) {
    if (units == 0) return;
    std::memset(target, 0, units * kBytesPerUnit);
    std::mbstowcs(target, text, units - 1);
}

// The reverse: UTF-16 `wide` into buffer[0..size) as 8-bit text of the
// current locale, cut to the buffer and always terminated.
void WideToLocale(char* buffer, int size, const wchar_t* wide) {
    if (size <= 0) return;
    std::memset(buffer, 0, static_cast<std::size_t>(size));
    std::wcstombs(buffer, wide, static_cast<std::size_t>(size) - 1);
}

// Room for the UTF-16 form of `size` 8-bit characters, with some slack.
std::size_t WideBytesFor(int size) { return static_cast<std::size_t>(size) * kBytesPerUnit + 4; }

std::size_t Smaller(std::size_t a, std::size_t b) { return a < b ? a : b; }

}  // namespace

WideText::WideText() : heapBlock(nullptr), capacity(kInlineUnits) { inlineUnits[0] = L'\0'; }

WideText::~WideText() { Release(); }

void WideText::Release() {
    if (heapBlock) GlobalFree(heapBlock);
    heapBlock = nullptr;
    capacity = kInlineUnits;
}

wchar_t* WideText::Data() { return heapBlock ? static_cast<wchar_t*>(heapBlock) : inlineUnits; }

wchar_t* WideText::Reserve(std::size_t bytes) {
    if (bytes <= kInlineBytes) {
        Release();
        return Data();
    }
    if (heapBlock && capacity * kBytesPerUnit >= bytes) return Data();

    HGLOBAL block = heapBlock ? GlobalReAlloc(heapBlock, bytes, GMEM_MOVEABLE | GMEM_ZEROINIT)
                              : GlobalAlloc(GMEM_ZEROINIT, bytes);
    if (!block) {
        // No memory for the long text: the inline array takes what fits.
        Release();
        return Data();
    }
    heapBlock = block;
    capacity = GlobalSize(block) / kBytesPerUnit;
    return Data();
}

int LoadLocalString(HINSTANCE instance, UINT id, char* buffer, int size) {
    if (!buffer || size <= 0) return 0;
    buffer[0] = '\0';
    HMODULE library = g_setup.languageLibrary;
    if (!library) return LoadStringA(instance, id, buffer, size);

    if (IsWindowsNT()) {
        WideText wide;
        wchar_t* units = wide.Reserve(WideBytesFor(size));
        int limit = static_cast<int>(Smaller(wide.capacity - 1, static_cast<std::size_t>(size)));
        int loaded = LoadStringW(library, id, units, limit);
        if (loaded > 0) {
            WideToLocale(buffer, size, units);
            return loaded;
        }
        return LoadStringA(instance, id, buffer, size);
    }

    int loaded = LoadStringA(library, id, buffer, size);
    if (loaded > 0) return loaded;
    return LoadStringA(instance, id, buffer, size);
}

const wchar_t* ToWide(const char* text) {
    if (!text) {
        g_ui.wideText.Release();
        g_ui.wideText.inlineUnits[0] = L'\0';
        return g_ui.wideText.Data();
    }
    std::size_t length = std::strlen(text);
    wchar_t* units = g_ui.wideText.Reserve((length + 1) * kBytesPerUnit + 2);
    LocaleToWide(units, Smaller(length + 1, g_ui.wideText.capacity), text);
    return units;
}

int GetDialogText(HWND dialog, int controlId, char* buffer, int size) {
    if (!buffer || size <= 0) return 0;
    if (!IsWindowsNT()) return static_cast<int>(GetDlgItemTextA(dialog, controlId, buffer, size));

    WideText wide;
    wchar_t* units = wide.Reserve(WideBytesFor(size));
    int limit = static_cast<int>(Smaller(wide.capacity, static_cast<std::size_t>(size)));
    units[0] = L'\0';
    int length = static_cast<int>(GetDlgItemTextW(dialog, controlId, units, limit));
    WideToLocale(buffer, size, units);
    return length;
}

BOOL SetDialogText(HWND dialog, int controlId, const char* text) {
    if (!IsWindowsNT()) return SetDlgItemTextA(dialog, controlId, text);
    return SetDlgItemTextW(dialog, controlId, ToWide(text ? text : ""));
}

LRESULT SendTextMessage(HWND window, UINT message, WPARAM wParam, const char* text) {
    if (!IsWindowsNT()) return SendMessageA(window, message, wParam, reinterpret_cast<LPARAM>(text));
    // A null text stays a null lParam, as on the ANSI path.
    LPARAM wide = text ? reinterpret_cast<LPARAM>(ToWide(text)) : 0;
    return SendMessageW(window, message, wParam, wide);
}
