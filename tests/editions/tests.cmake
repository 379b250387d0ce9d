# One test program per edition, each linking that edition's record alone.
foreach(n 1 2 3)
  velkarn_add_test(edition${n}_tests
                   SOURCES ${CMAKE_CURRENT_LIST_DIR}/edition${n}_test.cpp
                   LIBS velkarn_game velkarn_sound_stub EDITION ${n})
  target_include_directories(edition${n}_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/../game)
endforeach()
