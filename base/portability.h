// The one place for compiler-specific spellings, so the rest builds with
// GCC and clang (MinGW-w64) and MSVC alike.
#pragma once

// Lets the compiler check our printf-style log formats against their
// arguments. GCC on MinGW reads plain "printf" as Microsoft's dialect and
// needs gnu_printf; clang knows no gnu_printf and checks "printf" as C99.
#if defined(__clang__)
#define LUNETKA_PRINTF(formatIndex, firstArgument) __attribute__((format(printf, formatIndex, firstArgument)))
#elif defined(__GNUC__)
#define LUNETKA_PRINTF(formatIndex, firstArgument) \
    __attribute__((format(gnu_printf, formatIndex, firstArgument)))
#else
#define LUNETKA_PRINTF(formatIndex, firstArgument)
#endif

// The export's body (message_dispatch.cpp): with no frame of its own, it
// puts three words of nothing under the caller's return address, in front
// of the record, and jumps to the procedure named by target, which takes
// four words and gives the host's stack back whole.
#if defined(_MSC_VER)
#define LUNETKA_NAKED __declspec(naked)
#define LUNETKA_JUMP_WITH_THREE_WORDS(target) \
    __asm { pop eax } __asm { push 0 } __asm { push 0 } __asm { push 0 } __asm { push eax } \
    __asm { jmp dword ptr [target] }
#else
#define LUNETKA_NAKED __attribute__((naked))
#define LUNETKA_JUMP_WITH_THREE_WORDS(target) \
    __asm__ volatile("popl %eax\n\tpushl $0\n\tpushl $0\n\tpushl $0\n\tpushl %eax\n\tjmp *_" #target "\n\t")
#endif

// The TLS slots the C++ runtime took for its exception state (runtime_tls.cpp).
void releaseRuntimeTlsSlots();

// At unload: gives back what the C++ runtime linked into us keeps for good.
// GCC's libstdc++ holds an emergency pool for exceptions thrown when memory
// is short (about 19 KB) that nothing else frees; a host that loads us again
// and again would lose it each time, and the TLS slot with it.
#if defined(__GLIBCXX__)
namespace __gnu_cxx {
void __freeres() noexcept;
}
inline void releaseLanguageRuntime()
{
    __gnu_cxx::__freeres();
    releaseRuntimeTlsSlots();
}
#else
inline void releaseLanguageRuntime() { releaseRuntimeTlsSlots(); }
#endif
