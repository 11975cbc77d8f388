// The rules that keep us safe inside the host's process, checked where they
// could break. In the test builds of the DLL (LUNETKA_CHECKED) a broken rule
// stops the process with the rule and its line, so the test that broke it
// fails there; the shipped DLL compiles the checks away and stays the same
// file, byte for byte, whatever the checks say. Coverage leaves a rule's line
// out: the shipped DLL has no code there, and its broken side is reached only
// by breaking the code.
#pragma once

#if defined(LUNETKA_CHECKED)
// Writes "<file>:<line>: invariant broken: <rule>" to the standard error and
// aborts.
[[noreturn]] void invariantBroken(const char* rule, const char* file, int line) noexcept;
#define LUNETKA_INVARIANT(rule) ((rule) ? (void)0 : invariantBroken(#rule, __FILE__, __LINE__))
#else
// Not evaluated, but still compiled: a rule that no longer builds is seen.
#define LUNETKA_INVARIANT(rule) ((void)sizeof(rule))
#endif
