// Calls __stdcall functions and measures how far the stack pointer moved: a
// callee with the wrong calling convention leaves it off, which would corrupt
// the real host. The only compiler-specific code of the stand-in host.
#pragma once

#include <stdint.h>

namespace host {

inline intptr_t callStdcallChecked(void* function, void* argument, int* stackDelta)
{
    intptr_t result;
#if defined(__GNUC__) && defined(__i386__)
    int before, after;
    void* callee = function;
    void* pushed = argument;  // ecx may be clobbered by the callee, so it is an in-out operand
    __asm__ volatile(
        "movl %%esp, %%esi\n\t"
        "pushl %[argument]\n\t"
        "call *%[function]\n\t"
        "movl %%esp, %%edi\n\t"
        "movl %%esi, %%esp\n\t"  // put the stack back, whatever the callee did
        : "=a"(result), "=&S"(before), "=&D"(after), [argument] "+c"(pushed)
        : [function] "b"(callee)
        : "edx", "memory", "cc");
    // ebx is callee-saved and only read before the call.
    *stackDelta = after - before;
#elif defined(_MSC_VER) && defined(_M_IX86)
    int delta;
    __asm {
        mov esi, esp
        push argument
        call function
        mov edi, esp
        mov esp, esi
        sub edi, esi
        mov delta, edi
        mov result, eax
    }
    *stackDelta = delta;
#else
    typedef intptr_t(__stdcall * Procedure)(void*);
    result = reinterpret_cast<Procedure>(function)(argument);
    *stackDelta = 0;
#endif
    return result;
}

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
    (void)function;
    (void)words;
    (void)count;
    result = 0;
    *stackDelta = 0;
#endif
    return result;
}

}  // namespace host
