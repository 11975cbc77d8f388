// Every test program's main: GoogleTest's, and then one closing line, printed
// only by a program that got back here with every test passed. Under Wine a
// program whose stack overflows exits 0, and its remaining tests never run;
// CTest and run-tests.cmd pass a program on this line, not on its exit code.
#include <gtest/gtest.h>

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>

namespace {

// LUNETKA_PLANT_DEATH: the test command's check that a program that dies
// fails, whatever its exit status: "overflow" overflows the stack, "exit"
// ends the program with status 0 halfway, as Wine 8 ends one whose stack
// overflowed. Each frame keeps a page of its own alive.
#if defined(__GNUC__)
__attribute__((noinline))
#endif
int overflowTheStack(int depth)
{
    volatile char frame[4096];
    frame[0] = static_cast<char>(depth);
    // Bounded only so that the compiler does not call it endless: the stack ends first.
    return depth == INT_MAX ? frame[0] : overflowTheStack(depth + 1) + frame[0];
}

// LUNETKA_HEAP_CHECKED_APART: gtest patterns that another CTest test runs
// under Wine's heap checking, which sees all a plain run sees and more; the
// plain run leaves them out. The Windows test pack has no heap checking, and
// does not pass the variable on. True when it added patterns to leave out.
bool leaveOutWhatRunsHeapChecked()
{
    const char* apart = getenv("LUNETKA_HEAP_CHECKED_APART");
    if (!apart || !*apart)
        return false;
    std::string filter = GTEST_FLAG_GET(filter);
    filter += filter.find('-') == std::string::npos ? "-" : ":";
    GTEST_FLAG_SET(filter, filter + apart);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    bool heapCheckedApart = leaveOutWhatRunsHeapChecked();
    const char* death = getenv("LUNETKA_PLANT_DEATH");
    if (death && strcmp(death, "overflow") == 0)
        return overflowTheStack(0);
    if (death && strcmp(death, "exit") == 0)
        _Exit(0);
    int failed = RUN_ALL_TESTS();
    // A filter that names no test (a test renamed, a pattern mistyped) would
    // pass a program that checked nothing. Where every test it names runs
    // under heap checking instead, in a CTest test of its own, it says so.
    if (testing::UnitTest::GetInstance()->test_to_run_count() == 0) {
        if (!heapCheckedApart) {
            fprintf(stderr, "lunetka: no test matches the filter %s\n", GTEST_FLAG_GET(filter).c_str());
            return 1;
        }
        printf("lunetka: every test chosen here runs under heap checking, in a CTest test of its own\n");
    }
    if (failed == 0) {
        fflush(stderr);
        printf("%s\n", LUNETKA_TEST_END);
        fflush(stdout);
    }
    return failed;
}
