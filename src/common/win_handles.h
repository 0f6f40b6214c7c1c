// Move-only holders for the handles the setup program opens.
//
// Each holder owns one handle and closes it when it goes out of scope, so
// every open has its close on every path. Close() may be called early; it
// returns the closing call's own result (nonzero/0, or 0/EOF for fclose) and
// leaves the holder empty. Release() gives the handle up without closing it.
#pragma once

#include <windows.h>
#include <winspool.h>

#include <cstdio>

namespace win {

template <typename Traits>
class Holder {
public:
    using Handle = typename Traits::Handle;

    Holder() : handle_(Traits::Invalid()) {}
    explicit Holder(Handle handle) : handle_(handle) {}
    ~Holder() { Close(); }

    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;
    Holder(Holder&& other) noexcept : handle_(other.Release()) {}
    Holder& operator=(Holder&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = other.Release();
        }
        return *this;
    }

    bool IsOpen() const { return handle_ != Traits::Invalid(); }
    Handle Get() const { return handle_; }
    operator Handle() const { return handle_; }

    // Takes ownership of `handle`, closing any handle held before.
    void Attach(Handle handle) {
        Close();
        handle_ = handle;
    }

    Handle Release() {
        Handle handle = handle_;
        handle_ = Traits::Invalid();
        return handle;
    }

    // Returns the closing call's result; Traits::Closed() when nothing was open.
    auto Close() -> decltype(Traits::Close(Handle())) {
        if (!IsOpen()) return Traits::Closed();
        Handle handle = Release();
        return Traits::Close(handle);
    }

private:
    Handle handle_;
};

struct FileTraits {
    using Handle = FILE*;
    static Handle Invalid() { return nullptr; }
    static int Close(Handle h) { return std::fclose(h); }
    static int Closed() { return 0; }
};

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static BOOL Close(Handle h) { return CloseHandle(h); }
    static BOOL Closed() { return TRUE; }
};

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static BOOL Close(Handle h) { return FindClose(h); }
    static BOOL Closed() { return TRUE; }
};

struct KeyTraits {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static LONG Close(Handle h) { return RegCloseKey(h); }
    static LONG Closed() { return ERROR_SUCCESS; }
};

struct ModuleTraits {
    using Handle = HMODULE;
    static Handle Invalid() { return nullptr; }
    static BOOL Close(Handle h) { return FreeLibrary(h); }
    static BOOL Closed() { return TRUE; }
};

struct ServiceTraits {
    using Handle = SC_HANDLE;
    static Handle Invalid() { return nullptr; }
    static BOOL Close(Handle h) { return CloseServiceHandle(h); }
    static BOOL Closed() { return TRUE; }
};

struct PrinterTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static BOOL Close(Handle h) { return ClosePrinter(h); }
    static BOOL Closed() { return TRUE; }
};

struct GlobalMemoryTraits {
    using Handle = HGLOBAL;
    static Handle Invalid() { return nullptr; }
    // GlobalFree returns null on success.
    static BOOL Close(Handle h) { return GlobalFree(h) == nullptr; }
    static BOOL Closed() { return TRUE; }
};

struct LocalMemoryTraits {
    using Handle = HLOCAL;
    static Handle Invalid() { return nullptr; }
    static BOOL Close(Handle h) { return LocalFree(h) == nullptr; }
    static BOOL Closed() { return TRUE; }
};

struct GdiObjectTraits {
    using Handle = HGDIOBJ;
    static Handle Invalid() { return nullptr; }
    static BOOL Close(Handle h) { return DeleteObject(h); }
    static BOOL Closed() { return TRUE; }
};

struct MemoryDcTraits {
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static BOOL Close(Handle h) { return DeleteDC(h); }
    static BOOL Closed() { return TRUE; }
};

using File = Holder<FileTraits>;
using KernelHandle = Holder<KernelHandleTraits>;
using FindHandle = Holder<FindHandleTraits>;
using Key = Holder<KeyTraits>;
using Module = Holder<ModuleTraits>;
using Service = Holder<ServiceTraits>;
using Printer = Holder<PrinterTraits>;
using GlobalMemory = Holder<GlobalMemoryTraits>;
using LocalMemory = Holder<LocalMemoryTraits>;
using GdiObject = Holder<GdiObjectTraits>;
using MemoryDc = Holder<MemoryDcTraits>;

// A screen device context from GetDC, given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Restores the previous error mode when it goes out of scope.
class ErrorModeScope {
public:
    explicit ErrorModeScope(UINT mode) : previous_(SetErrorMode(mode)) {}
    ~ErrorModeScope() { SetErrorMode(previous_); }
    ErrorModeScope(const ErrorModeScope&) = delete;
    ErrorModeScope& operator=(const ErrorModeScope&) = delete;

private:
    UINT previous_;
};

}  // namespace win
