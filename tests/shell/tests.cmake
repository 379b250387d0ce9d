# Application shell tests: one program for the keys, the window, the frame clock,
# the paint cycle (against a fake factory) and the loading of the data files.
# The loading tests copy one short silent MP3, made here by the host's lame.
find_program(VELKARN_LAME lame REQUIRED)
set(VELKARN_SHELL_SILENCE ${VELKARN_BIN_DIR}/shelltest/silence.mp3)
add_custom_command(
  OUTPUT ${VELKARN_SHELL_SILENCE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VELKARN_BIN_DIR}/shelltest
  COMMAND sh -c "head -c 8820 /dev/zero | '${VELKARN_LAME}' --silent -r -s 44.1 --bitwidth 16 -m m --signed --little-endian - '${VELKARN_SHELL_SILENCE}'"
  VERBATIM)
add_custom_target(shell_test_files DEPENDS ${VELKARN_SHELL_SILENCE})

# LOCK: the frame clock and paint tests read the update region of small visible windows.
velkarn_add_test(shell_tests
                 SOURCES ${CMAKE_CURRENT_LIST_DIR}/window_test.cpp
                         ${CMAKE_CURRENT_LIST_DIR}/paint_test.cpp
                         ${CMAKE_CURRENT_LIST_DIR}/images_test.cpp
                         ${CMAKE_CURRENT_LIST_DIR}/fake_d2d.cpp
                         ${CMAKE_CURRENT_LIST_DIR}/shell_test_util.cpp
                 LIBS velkarn_shell
                 EDITION 3
                 LOCK)
add_dependencies(shell_tests shell_test_files)
# The paint cycle is tested with the platform's target behind a fake factory.
set_tests_properties(shell_tests PROPERTIES ENVIRONMENT VELKARN_RENDERER=direct2d)
