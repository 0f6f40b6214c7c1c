// Localised strings and the 8-bit <-> UTF-16 text conversions.
//
// Texts inside the program are 8-bit in the runtime library's current locale.
// Strings come first from the client language library (when loaded) and then
// from the program's own English table. On Windows NT dialog texts are set
// and read as UTF-16; elsewhere the 8-bit text goes to the ANSI calls as is.
#pragma once

#include <windows.h>

#include <cstddef>

// A UTF-16 conversion buffer: 513 inline units, or a GlobalAlloc'ed heap
// block when a request needs more. When the heap block cannot be had the
// inline array is used and the text is cut to fit.
struct WideText {
    enum : std::size_t { kInlineUnits = 513 };
    wchar_t inlineUnits[kInlineUnits];
    HGLOBAL heapBlock;
    std::size_t capacity;  // in UTF-16 units

    WideText();
    ~WideText();
    WideText(const WideText&) = delete;
    WideText& operator=(const WideText&) = delete;

    // Makes room for `bytes` bytes (see above) and returns the buffer.
    wchar_t* Reserve(std::size_t bytes);
    wchar_t* Data();
    void Release();
};

// Loads string `id` into buffer[0..size) (size counts the terminator):
// language library first, then `instance`'s own table. Returns the number of
// characters loaded, 0 when the id exists nowhere (buffer then empty).
int LoadLocalString(HINSTANCE instance, UINT id, char* buffer, int size);

template <std::size_t N>
inline int LoadLocalString(HINSTANCE instance, UINT id, char (&buffer)[N]) {
    return LoadLocalString(instance, id, buffer, static_cast<int>(N));
}

// UTF-16 copy of `text` in the one global WideText, valid until the next
// call. ToWide(nullptr) releases the heap block and returns an empty text.
const wchar_t* ToWide(const char* text);

// Dialog text access that follows the platform (UTF-16 on Windows NT).
int GetDialogText(HWND dialog, int controlId, char* buffer, int size);
BOOL SetDialogText(HWND dialog, int controlId, const char* text);
LRESULT SendTextMessage(HWND window, UINT message, WPARAM wParam, const char* text);
