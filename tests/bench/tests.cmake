# Counting doubles, the fixed key script and the program's drawing resources for a
# real target, shared by the frame benchmark, the allocation test and the frame tests.
add_library(velkarn_replay STATIC ${CMAKE_CURRENT_LIST_DIR}/counting_target.cpp
                                  ${CMAKE_CURRENT_LIST_DIR}/replay.cpp
                                  ${CMAKE_CURRENT_LIST_DIR}/game_resources.cpp)
target_include_directories(velkarn_replay PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(velkarn_replay PUBLIC velkarn_test_support velkarn_game)

# The frame benchmark, one program per edition, run by scripts/bench.sh; not a
# test (it measures and prints, and asserts nothing).
foreach(n 1 2 3)
  add_executable(frame_bench${n} ${CMAKE_CURRENT_LIST_DIR}/frame_bench.cpp ${VELKARN_EDITION_${n}_SOURCE})
  target_link_libraries(frame_bench${n} PRIVATE velkarn_replay velkarn_game velkarn_sound_stub velkarn_renderer
                        d2d1 dwrite windowscodecs ole32 user32 gdi32 psapi)
endforeach()

# The soak run's probe of a running game (scripts/soak.sh); not a test.
add_executable(soak_probe ${CMAKE_CURRENT_LIST_DIR}/soak_probe.cpp)
target_link_libraries(soak_probe PRIVATE psapi ntdll user32)
