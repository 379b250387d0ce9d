# The game allocates nothing while it runs, nor does the software renderer once
# it has seen every text: every heap allocation of the test program is counted
# across two passes of the stage script, one program per edition. The real sound
# player is linked (its lookup by name runs; its map is empty, so nothing plays),
# and malloc, calloc and realloc are wrapped by the linker.
# The counting hooks rely on the GNU linker's --wrap.
if(NOT MINGW)
  return()
endif()
foreach(n 1 2 3)
  velkarn_add_test(alloc${n}_tests
                   SOURCES ${CMAKE_CURRENT_LIST_DIR}/alloc_test.cpp
                   LIBS velkarn_replay velkarn_game velkarn_sound velkarn_renderer
                   EDITION ${n})
  target_link_options(alloc${n}_tests PRIVATE -Wl,--wrap=malloc,--wrap=calloc,--wrap=realloc)
endforeach()
