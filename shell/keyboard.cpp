// keyboard.cpp: the held and latched key tables and the once-per-press test.
#include "shell_shared.h"

BYTE g_keyDown[KeyTableSize];
BYTE g_keyLatched[KeyTableSize];

// The tables hold state, not events: a press is reported once, however long the
// key stays down, until WM_KEYUP clears both entries.
int KeyPressedOnce(int vk)
{
    if (g_keyDown[vk] == 0 || g_keyLatched[vk] != 0)
        return 0;
    g_keyLatched[vk] = 1;
    return 1;
}
