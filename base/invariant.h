// The rules that keep us safe inside the host's process, checked where they
// could break, and the branches no host can reach, marked as such.
//
// LUNETKA_INVARIANT(rule): in the test builds of the DLL (LUNETKA_CHECKED) a
// broken rule stops the process with the rule and its line, so the test that
// broke it fails there; the shipped DLL compiles the check away.
//
// if (NEVER(condition)) / if (ALWAYS(condition)), after SQLite: a branch
// whose other side no host can reach. The shipped DLL keeps the check, and
// takes the safe way if the impossible happens; the test builds stop at the
// line if it does; the coverage builds (LUNETKA_COVERAGE) take the condition
// for what it always is, so the branch that cannot run is not counted.
#pragma once

#if defined(LUNETKA_CHECKED) && !defined(LUNETKA_COVERAGE)
// Writes "<file>:<line>: invariant broken: <rule>" to the standard error and
// aborts.
[[noreturn]] void invariantBroken(const char* rule, const char* file, int line) noexcept;
#define LUNETKA_INVARIANT(rule) ((rule) ? (void)0 : invariantBroken(#rule, __FILE__, __LINE__))
#define ALWAYS(condition) ((condition) ? true : (invariantBroken("ALWAYS(" #condition ")", __FILE__, __LINE__), false))
#define NEVER(condition) ((condition) ? (invariantBroken("NEVER(" #condition ")", __FILE__, __LINE__), true) : false)
#elif defined(LUNETKA_COVERAGE)
#define LUNETKA_INVARIANT(rule) ((void)sizeof(rule))
#define ALWAYS(condition) (static_cast<void>(sizeof(condition)), true)
#define NEVER(condition) (static_cast<void>(sizeof(condition)), false)
#else
// Not evaluated, but still compiled: a rule that no longer builds is seen.
#define LUNETKA_INVARIANT(rule) ((void)sizeof(rule))
#define ALWAYS(condition) (static_cast<bool>(condition))
#define NEVER(condition) (static_cast<bool>(condition))
#endif
