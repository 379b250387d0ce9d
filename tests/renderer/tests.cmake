# The software renderer: its shapes against exact coverage, its fast paths
# against its plain ones, and its pictures against the platform's Direct2D.
file(GLOB VELKARN_RENDERER_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
velkarn_add_test(renderer_tests SOURCES ${VELKARN_RENDERER_TEST_SOURCES} LIBS velkarn_renderer)
