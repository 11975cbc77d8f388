// Holds a Wine prefix's desktop while a test session runs. Wine starts the
// desktop's process from the first program that needs it, handing it that
// program's output, and ends it a second after the last program on it: a
// test that came first then looks running to CTest until the whole pass is
// done. Started first, its output on /dev/null, this program stays on the
// desktop until the session stops the server; its line says it is there.
#include <windows.h>
#include <stdio.h>

int main()
{
    if (!CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr))
        return 1;
    puts("holding the desktop");
    fflush(stdout);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
