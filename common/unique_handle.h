// Move-only owners for Win32 handles: one template, one alias per kind of handle, so no
// CloseHandle is scattered through the programs' logic.
#pragma once
#include <windows.h>
#include <shellapi.h>
#include <utility>

template <typename Handle, typename Traits>
class UniqueResource {
 public:
  UniqueResource() noexcept = default;
  explicit UniqueResource(Handle handle) noexcept : handle_(handle) {}
  ~UniqueResource() { reset(); }

  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : handle_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return Traits::IsValid(handle_); }

  Handle release() noexcept { return std::exchange(handle_, Traits::Invalid()); }
  void reset(Handle handle = Traits::Invalid()) noexcept {
    Handle old = std::exchange(handle_, handle);
    if (Traits::IsValid(old)) Traits::Close(old);
  }
  // For APIs that fill a handle through a pointer: releases the current one first.
  Handle* put() noexcept {
    reset();
    return &handle_;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

// Kernel handles that use null for "none" (threads, processes, mutexes, events).
struct KernelHandleTraits {
  static HANDLE Invalid() noexcept { return nullptr; }
  static bool IsValid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};
// File handles from CreateFileW, which use INVALID_HANDLE_VALUE for "none".
struct FileHandleTraits {
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};
struct HkeyTraits {
  static HKEY Invalid() noexcept { return nullptr; }
  static bool IsValid(HKEY h) noexcept { return h != nullptr; }
  static void Close(HKEY h) noexcept { ::RegCloseKey(h); }
};
struct MenuTraits {
  static HMENU Invalid() noexcept { return nullptr; }
  static bool IsValid(HMENU h) noexcept { return h != nullptr; }
  static void Close(HMENU h) noexcept { ::DestroyMenu(h); }
};
struct ModuleTraits {
  static HMODULE Invalid() noexcept { return nullptr; }
  static bool IsValid(HMODULE h) noexcept { return h != nullptr; }
  static void Close(HMODULE h) noexcept { ::FreeLibrary(h); }
};
struct GdiObjectTraits {
  static HGDIOBJ Invalid() noexcept { return nullptr; }
  static bool IsValid(HGDIOBJ h) noexcept { return h != nullptr; }
  static void Close(HGDIOBJ h) noexcept { ::DeleteObject(h); }
};
struct LocalMemoryTraits {
  static HLOCAL Invalid() noexcept { return nullptr; }
  static bool IsValid(HLOCAL h) noexcept { return h != nullptr; }
  static void Close(HLOCAL h) noexcept { ::LocalFree(h); }
};

using UniqueHandle = UniqueResource<HANDLE, KernelHandleTraits>;
using UniqueFile = UniqueResource<HANDLE, FileHandleTraits>;
using UniqueHkey = UniqueResource<HKEY, HkeyTraits>;
using UniqueMenu = UniqueResource<HMENU, MenuTraits>;
using UniqueModule = UniqueResource<HMODULE, ModuleTraits>;
using UniqueGdiObject = UniqueResource<HGDIOBJ, GdiObjectTraits>;
using UniqueLocalMemory = UniqueResource<HLOCAL, LocalMemoryTraits>;
