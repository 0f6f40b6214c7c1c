// Replaces one import of the test executable for the scope of a test: every
// import address table slot of GetModuleHandle(NULL) that imports `function`
// by name from `dll` (its name matched without regard to case) points at the
// replacement until the hook goes out of scope. An optimising compiler may
// load a slot once per function, so product code reads each import in a
// function of its own.
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

private:
    std::vector<void**> slots_;
    void* original_ = nullptr;
};

// GetVersion() values as the Windows versions report them.
constexpr DWORD kWindows95 = 0xC0000004;
constexpr DWORD kWindowsNT40 = 0x05650004;
constexpr DWORD kWindowsNT351 = 0x04213303;

// Points one import at a fake that counts its calls, keeps the last arguments and
// returns `result`. The fake's state is static: of instances of one signature
// (also FakeWindowsVersion's, CountingFake<DWORD>) the latest answers.
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

// Makes KERNEL32 GetVersion return `value` for its scope.
struct FakeWindowsVersion : CountingFake<DWORD> {
    explicit FakeWindowsVersion(DWORD value) : CountingFake<DWORD>("KERNEL32.dll", "GetVersion", value) {}
};

}  // namespace tst
