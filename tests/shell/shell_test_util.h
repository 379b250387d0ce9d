// shell_test_util.h: what the shell's tests share beyond tests/support/desktop.h
// (PNG files, scratch folders, paths): the render lock.
#pragma once

// Initialises the shell's render lock once for the whole test program (WinMain's
// work in the real program).
void EnsureRenderLock();
