// The client language library (QVINTL32.DLL), the runtime library's locale
// and the checks that the PC has fonts for the library's character set.
//
// The library is loaded once at start-up and dropped again at once when its
// characters cannot be shown; every text then comes from the program's own
// English resources.
#include "ui/language.h"

#include <clocale>
#include <cstdlib>
#include <cstring>

#include "common/bounded_text.h"
#include "common/setup_context.h"
#include "common/win_handles.h"
#include "common/windows_version.h"
#include "ui/resource_ids.h"

namespace {

const char kLanguageLibraryName[] = "QVINTL32.DLL";
const UINT_PTR kFirstValidModule = 32;  // smaller results count as not loaded
const int kLocaleNameSize = 512;
const int kCharsetTextSize = 32;
const int kCodePageTextSize = 16;
const UINT kNonClientMetricsSize = 340;  // NONCLIENTMETRICSA without iPaddedBorderWidth
const char kHebrewLocaleMark[] = "Hebrew";

static_assert(kNonClientMetricsSize <= sizeof(NONCLIENTMETRICSA), "metrics record too small");

enum FontKind : int { kCaptionFont = 1, kMessageFont = 2 };

// A heap copy of the runtime library's current locale name, to switch back
// to after looking at another locale. setlocale's own result lives in a
// static buffer that the next call overwrites.
class SavedLocale {
public:
    SavedLocale() : name_(nullptr) {
        const char* current = std::setlocale(LC_ALL, nullptr);
        if (!current) return;
        std::size_t bytes = std::strlen(current) + 1;
        name_ = static_cast<char*>(std::malloc(bytes));
        if (name_) std::memcpy(name_, current, bytes);
    }
    ~SavedLocale() { std::free(name_); }
    SavedLocale(const SavedLocale&) = delete;
    SavedLocale& operator=(const SavedLocale&) = delete;

    const char* Name() const { return name_ ? name_ : ""; }
    void Restore() const {
        if (name_) std::setlocale(LC_ALL, name_);
    }

private:
    char* name_;
};

// Stops the enumeration at the first font and notes that one was found.
int CALLBACK FirstFontFound(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
    *reinterpret_cast<int*>(found) = 1;
    return 0;
}

// 1 when `dc` has a font family matching `font` (face and character set).
int FontFamilyExists(HDC dc, LOGFONTA font) {
    if (!dc) return 0;
    int found = 0;
    EnumFontFamiliesExA(dc, &font, FirstFontFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

LOGFONTA SystemFont() {
    LOGFONTA font;
    std::memset(&font, 0, sizeof(font));
    GetObjectA(GetStockObject(SYSTEM_FONT), sizeof(font), &font);
    return font;
}

// Not on Windows NT the runtime library converts with the code page of the
// system font's character set.
void UseSystemFontCodePage() {
    LOGFONTA font = SystemFont();
    CHARSETINFO info;
    std::memset(&info, 0, sizeof(info));
    DWORD_PTR charset = font.lfCharSet;
    if (!TranslateCharsetInfo(reinterpret_cast<DWORD*>(charset), &info, TCI_SRCCHARSET)) return;
    char codePage[kCodePageTextSize];
    text::Format(codePage, ".%d", static_cast<int>(info.ciACP));
    std::setlocale(LC_ALL, codePage);
}

HMODULE LoadLanguageLibrary() {
    win::ErrorModeScope quiet(SEM_NOOPENFILEERRORBOX);
    HMODULE library = LoadLibraryA(kLanguageLibraryName);
    if (reinterpret_cast<UINT_PTR>(library) < kFirstValidModule) return nullptr;
    return library;
}

}  // namespace

int StartLanguage() {
    g_setup.languageLibrary = LoadLanguageLibrary();
    int onNt = IsWindowsNT();
    if (!onNt) UseSystemFontCodePage();

    if (!g_setup.languageLibrary) {
        UseHebrewUserLocale();
        return kLanguageStarted;
    }

    char localeName[kLocaleNameSize];
    if (LoadStringA(g_setup.languageLibrary, IDS_LIBRARY_LOCALE, localeName, kLocaleNameSize) == 0) {
        return kLanguageStarted;
    }

    char keptName[kLocaleNameSize];
    const char* kept = nullptr;
    if (onNt) {
        const char* chosen = std::setlocale(LC_ALL, localeName);
        if (chosen) {
            text::Copy(keptName, chosen);
            kept = keptName;
        }
    }

    if (!onNt && !SystemFontForCharsetExists()) {
        ReleaseLanguage();
        return kLanguageNoFont;
    }
    if (onNt && !FontForCharsetExists(kMessageFont)) {
        ReleaseLanguage();
        std::setlocale(LC_ALL, kept);
        return kLanguageNoNtFont;
    }
    return kLanguageStarted;
}

void ReleaseLanguage() {
    if (g_setup.languageLibrary) FreeLibrary(g_setup.languageLibrary);
    g_setup.languageLibrary = nullptr;
}

int UseHebrewUserLocale() {
    SavedLocale saved;
    const char* user = std::setlocale(LC_ALL, "");
    if (user && std::strstr(user, kHebrewLocaleMark)) return 1;
    saved.Restore();
    return 0;
}

int LanguageCharset() {
    if (!g_setup.languageLibrary) return ANSI_CHARSET;
    char charset[kCharsetTextSize];
    if (LoadStringA(g_setup.languageLibrary, IDS_LIBRARY_CHARSET, charset, kCharsetTextSize) > 0) {
        return std::atoi(charset);
    }
    return UseHebrewUserLocale() ? HEBREW_CHARSET : ANSI_CHARSET;
}

int SystemFontForCharsetExists() {
    int charset = LanguageCharset();
    if (charset == ANSI_CHARSET) return 1;
    LOGFONTA font = SystemFont();
    font.lfCharSet = static_cast<BYTE>(charset);
    win::MemoryDc dc(CreateCompatibleDC(nullptr));
    return FontFamilyExists(dc.Get(), font);
}

int FontForCharsetExists(int kind) {
    // Unreadable metrics leave the face empty: any font of the set counts.
    NONCLIENTMETRICSA metrics;
    std::memset(&metrics, 0, sizeof(metrics));
    metrics.cbSize = kNonClientMetricsSize;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 0, &metrics, 0);
    LOGFONTA font = kind == kCaptionFont ? metrics.lfCaptionFont : metrics.lfMessageFont;
    font.lfCharSet = static_cast<BYTE>(LanguageCharset());
    win::WindowDc screen(nullptr);
    return FontFamilyExists(screen.Get(), font);
}

int LocaleDiffersFromUser() {
    if (!IsWindowsNT()) return SystemFontForCharsetExists() ? 0 : 1;
    SavedLocale saved;
    const char* user = std::setlocale(LC_ALL, "");
    int differs = user && std::strcmp(saved.Name(), user) != 0 ? 1 : 0;
    saved.Restore();
    return differs;
}
