// The one place for compiler-specific spellings, so the rest builds with
// MinGW-w64 and MSVC alike.
#pragma once

#if defined(__GNUC__)
// Lets the compiler check our printf-style log formats against their arguments.
#define LUNETKA_PRINTF(formatIndex, firstArgument) \
    __attribute__((format(gnu_printf, formatIndex, firstArgument)))
#else
#define LUNETKA_PRINTF(formatIndex, firstArgument)
#endif
