// Replaces one import of the test executable for the scope of a test.
//
// The import address table of GetModuleHandle(NULL) is patched: every slot that
// imports `function` by name from `dll` (the DLL name matched without regard to
// case, as the linker may spell it "KERNEL32.dll" or "kernel32.dll") is pointed at
// the replacement and restored when the hook goes out of scope. Code of the
// product library linked into the test executable calls through these slots.
//
// An optimising compiler may load an import's slot once per function, so a
// function that calls the import both inside and outside a hook's scope can
// miss the change; product code reads each import in a function of its own.
//
//   tst::FakeWindowsVersion version(tst::kWindowsNT40);
//   tst::CountingFake<BOOL, UINT, DWORD> exitWindows("USER32.dll", "ExitWindowsEx", TRUE);
//   ... EXPECT_EQ(exitWindows.Calls(), 1); EXPECT_EQ(std::get<0>(exitWindows.LastArguments()), EWX_REBOOT);
#pragma once

#include <windows.h>

#include <tuple>
#include <vector>

namespace tst {

class ImportHook {
public:
    // Fails the current test (ADD_FAILURE) when the executable has no such import.
    ImportHook(const char* dll, const char* function, void* replacement);
    ~ImportHook();

    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;

    void* Original() const { return original_; }
    bool Installed() const { return !slots_.empty(); }

private:
    std::vector<void**> slots_;
    void* original_ = nullptr;
};

// GetVersion() values as the Windows versions report them.
constexpr DWORD kWindows95 = 0xC0000004;
constexpr DWORD kWindowsNT40 = 0x05650004;
constexpr DWORD kWindowsNT351 = 0x04213303;

// Makes KERNEL32 GetVersion return `value` for its scope. One at a time.
class FakeWindowsVersion {
public:
    explicit FakeWindowsVersion(DWORD value);
    ~FakeWindowsVersion();

private:
    static DWORD WINAPI FakeGetVersion();
    static DWORD SwapValue(DWORD value);
    static DWORD s_value;
    DWORD previousValue_;
    ImportHook hook_;
};

// Points one import at a fake that counts its calls, keeps the last arguments and
// returns `result`. One instance per signature at a time (the fake's state is static).
template <typename Result, typename... Args>
class CountingFake {
public:
    CountingFake(const char* dll, const char* function, Result result)
        : previous_(s_active), hook_(dll, function, reinterpret_cast<void*>(&Fake)) {
        s_active = this;
        result_ = result;
    }
    ~CountingFake() { s_active = previous_; }

    CountingFake(const CountingFake&) = delete;
    CountingFake& operator=(const CountingFake&) = delete;

    int Calls() const { return calls_; }
    const std::tuple<Args...>& LastArguments() const { return lastArguments_; }
    bool Installed() const { return hook_.Installed(); }
    void* Original() const { return hook_.Original(); }

private:
    static Result WINAPI Fake(Args... args) {
        CountingFake* self = s_active;
        ++self->calls_;
        self->lastArguments_ = std::tuple<Args...>(args...);
        return self->result_;
    }

    static inline CountingFake* s_active = nullptr;
    CountingFake* previous_;
    Result result_{};
    int calls_ = 0;
    std::tuple<Args...> lastArguments_{};
    ImportHook hook_;
};

}  // namespace tst
