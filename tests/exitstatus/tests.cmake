# The programs' exits as a user's shell sees them: a script runs `wine velkarn-N.exe`
# in scratch copies of bin/ and checks the command's own exit status (LOCK: the
# windows and boxes are on the display). close_program, run under Wine, closes them.
# The script needs bash and Wine: the cross build on a Linux machine only.
if(NOT CMAKE_CROSSCOMPILING OR NOT CMAKE_HOST_UNIX)
  return()
endif()
add_executable(close_program ${CMAKE_CURRENT_LIST_DIR}/close_program.cpp)
target_link_libraries(close_program PRIVATE velkarn_test_support shell32 user32 gdi32)
add_test(NAME exit_status_tests
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/exit_status_test.sh
                 $<TARGET_FILE:close_program> ${VELKARN_BIN_DIR})
set_tests_properties(exit_status_tests PROPERTIES WORKING_DIRECTORY ${VELKARN_BIN_DIR}
                     TIMEOUT 900 RESOURCE_LOCK display)
