#pragma once
// Typed look-up of an entry point in a library opened with dlopen; null when
// the library does not export it.
#include <dlfcn.h>

template <typename Function>
Function LookUpSymbol(void* module, const char* symbol) {
  return reinterpret_cast<Function>(dlsym(module, symbol));
}
