// Calls __stdcall functions and measures how far the stack pointer moved: a
// callee with the wrong calling convention leaves it off, which would corrupt
// the real host. The only compiler-specific code of the stand-in host.
#pragma once

#include <stdint.h>

namespace host {

// Calls a __stdcall function with count words (words[0] its first
// argument) and measures how far the stack pointer moved: 0 when the callee
// took exactly those words off the stack.
inline intptr_t callStdcallWordsChecked(void* function, const uintptr_t* words, int count, int* stackDelta)
{
    intptr_t result;
#if defined(__GNUC__) && defined(__i386__)
    int before, after;
    void* callee = function;
    int left = count;
    const uintptr_t* from = words;
    __asm__ volatile(
        "movl %%esp, %%esi\n\t"
        "1:\n\t"
        "testl %%ecx, %%ecx\n\t"
        "jz 2f\n\t"
        "pushl -4(%%edx,%%ecx,4)\n\t"  // the last word first
        "decl %%ecx\n\t"
        "jmp 1b\n\t"
        "2:\n\t"
        "call *%%ebx\n\t"
        "movl %%esp, %%edi\n\t"
        "movl %%esi, %%esp\n\t"  // put the stack back, whatever the callee did
        : "=a"(result), "=&S"(before), "=&D"(after), "+c"(left), "+d"(from)
        : "b"(callee)
        : "memory", "cc");
    *stackDelta = after - before;
#elif defined(_MSC_VER) && defined(_M_IX86)
    int delta;
    __asm {
        mov esi, esp
        mov ecx, count
        mov edx, words
    next:
        test ecx, ecx
        jz done
        push dword ptr [edx + ecx * 4 - 4]
        dec ecx
        jmp next
    done:
        call function
        mov edi, esp
        mov esp, esi
        sub edi, esi
        mov delta, edi
        mov result, eax
    }
    *stackDelta = delta;
#else
    // No way to see the stack here: the call alone, for one word.
    typedef intptr_t(__stdcall * Procedure)(uintptr_t);
    result = count == 1 ? reinterpret_cast<Procedure>(function)(words[0]) : 0;
    *stackDelta = 0;
#endif
    return result;
}

// The same for a one-argument function.
inline intptr_t callStdcallChecked(void* function, void* argument, int* stackDelta)
{
    uintptr_t word = reinterpret_cast<uintptr_t>(argument);
    return callStdcallWordsChecked(function, &word, 1, stackDelta);
}

}  // namespace host
