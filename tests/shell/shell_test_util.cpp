// shell_test_util.cpp: the render lock for the shell's tests.
#include "shell_test_util.h"

#include "shell.h"

void EnsureRenderLock()
{
    static bool done;
    if (!done) {
        InitializeCriticalSection(&g_renderLock);
        done = true;
    }
}
