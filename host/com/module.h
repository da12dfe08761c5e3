#pragma once
// The state of one loaded server DLL: its handle, and the live objects and
// server locks that decide whether it may be unloaded. The static library is
// linked into each DLL, so each DLL has its own.
#include <windows.h>

#include <atomic>
#include <string>

namespace host::com {

class Module {
 public:
  static Module& Instance();

  // Set from DllMain; a program linking the shell directly keeps its own handle (null).
  void SetHandle(HMODULE handle) { handle_ = handle; }
  HMODULE handle() const { return handle_; }
  // Full path of the DLL (or program) file.
  std::wstring Path() const;

  void AddObject() noexcept { ++objects_; }
  void RemoveObject() noexcept { --objects_; }
  void Lock() noexcept { ++locks_; }
  void Unlock() noexcept { --locks_; }
  // What DllCanUnloadNow answers: no object and no lock outstanding.
  bool CanUnload() const noexcept { return objects_ == 0 && locks_ == 0; }
  long objects() const noexcept { return objects_; }

 private:
  HMODULE handle_ = nullptr;
  std::atomic<long> objects_{0};
  std::atomic<long> locks_{0};
};

// Counts one live object for the module for as long as it exists.
class ModuleObject {
 public:
  ModuleObject() noexcept { Module::Instance().AddObject(); }
  ModuleObject(const ModuleObject&) noexcept : ModuleObject() {}
  ModuleObject& operator=(const ModuleObject&) = default;
  ~ModuleObject() { Module::Instance().RemoveObject(); }
};

// The reference count of a COM object made with new, starting at the
// creator's one reference. The object counts as live while it exists.
class RefCount {
 public:
  ULONG Add() noexcept { return ++count_; }
  ULONG Drop() noexcept { return --count_; }

 private:
  std::atomic<ULONG> count_{1};
  ModuleObject live_;
};

}  // namespace host::com
