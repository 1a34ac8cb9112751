// The two memory routines the compiler may call on its own; the library links no C runtime.
#include <cstddef>

// rep movsb/stosb: a loop here could be turned back into a call to the very function it is in.
extern "C" void* memcpy(void* destination, const void* source, std::size_t count) noexcept {
  void* d = destination;
  asm volatile("rep movsb" : "+D"(d), "+S"(source), "+c"(count) : : "memory");
  return destination;
}

extern "C" void* memset(void* destination, int value, std::size_t count) noexcept {
  void* d = destination;
  asm volatile("rep stosb" : "+D"(d), "+c"(count) : "a"(value) : "memory");
  return destination;
}
