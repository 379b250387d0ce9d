# Broken data files: the third program run from scratch copies of bin/ with one
# data file damaged at a time (LOCK: its boxes and windows are on the display).
velkarn_add_test(badfile_tests
                 SOURCES ${CMAKE_CURRENT_LIST_DIR}/badfiles_test.cpp
                 LIBS gdi32 user32 windowscodecs ole32
                 LOCK)
add_dependencies(badfile_tests velkarn-3)
if(TARGET velkarn_assets)
  add_dependencies(badfile_tests velkarn_assets)
endif()
