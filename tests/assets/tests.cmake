# The generated images and sounds, checked through WIC and DirectShow under Wine.
velkarn_add_test(assets_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/assets_test.cpp LIBS strmiids ole32)
if(TARGET velkarn_assets)
  add_dependencies(assets_tests velkarn_assets)
endif()
