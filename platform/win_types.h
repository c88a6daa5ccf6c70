// The handful of basic types, truth values and DllMain reason codes that the
// suite's libraries and their loaders share.
#pragma once

#include <cstdint>

namespace platform {

using BOOL = int;
using DWORD = uint32_t;
using WORD = uint16_t;
using HINSTANCE = void*;  // a loaded module: the handle dlopen gave its loader

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;

constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;
constexpr DWORD DLL_THREAD_ATTACH = 2;
constexpr DWORD DLL_THREAD_DETACH = 3;

}  // namespace platform
