# Whole frames of the replay drawn on the software renderer and on the platform's
# Direct2D at once, one program per edition; the pictures go to bin/frames/.
foreach(n 1 2 3)
  velkarn_add_test(frames${n}_tests
                   SOURCES ${CMAKE_CURRENT_LIST_DIR}/frames_test.cpp ${CMAKE_CURRENT_LIST_DIR}/tee_target.cpp
                   LIBS velkarn_replay velkarn_game velkarn_sound_stub velkarn_renderer
                   EDITION ${n})
  target_compile_definitions(frames${n}_tests PRIVATE VELKARN_TEST_EDITION=${n})
  target_include_directories(frames${n}_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR})
endforeach()
