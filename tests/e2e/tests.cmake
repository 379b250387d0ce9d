# End-to-end tests: the three real programs run from bin/ as child processes and
# are looked at through their windows, their pictures and their exit codes.
velkarn_add_test(e2e_tests
                 SOURCES ${CMAKE_CURRENT_LIST_DIR}/e2e_test.cpp
                 LIBS velkarn_renderer gdi32 user32 windowscodecs ole32
                 LOCK)
add_dependencies(e2e_tests velkarn-1 velkarn-2 velkarn-3)
if(TARGET velkarn_assets)
  add_dependencies(e2e_tests velkarn_assets)
endif()
