// The program's own allocation and failure hooks. The program is built without exceptions,
// yet the library's throwing paths (a failed allocation, a string grown past its maximum)
// would still link the whole exception, demangler and string-stream machinery: about half
// of the file. Here every such path ends the process at once instead.
#include <windows.h>

#include <cstdlib>
#include <new>

namespace {
[[noreturn]] void Fail() {
    ::FatalAppExitW(0, L"Vellory: out of memory");
    std::abort();
}
void* Allocate(std::size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (p == nullptr) Fail();
    return p;
}
}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace std {
[[noreturn]] void __throw_bad_alloc() { Fail(); }
[[noreturn]] void __throw_bad_array_new_length() { Fail(); }
[[noreturn]] void __throw_length_error(const char*) { Fail(); }
[[noreturn]] void __throw_logic_error(const char*) { Fail(); }
[[noreturn]] void __throw_out_of_range(const char*) { Fail(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { Fail(); }
[[noreturn]] void __throw_invalid_argument(const char*) { Fail(); }
}  // namespace std

namespace __gnu_cxx {
[[noreturn]] void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
