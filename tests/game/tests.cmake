# The game world against the recording render target, third edition.
file(GLOB VELKARN_GAME_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
velkarn_add_test(game_tests SOURCES ${VELKARN_GAME_TEST_SOURCES}
                 LIBS velkarn_game velkarn_sound_stub EDITION 3)
