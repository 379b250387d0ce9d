# Builds the native asset generator (tools/assetgen) and runs it to produce
# the game's images and sounds under ${VELKARN_BIN_DIR}.
#
# The including project may be cross-compiling for Windows, so the generator
# is configured as a separate ExternalProject with the host compilers and
# without the outer toolchain file.
#
# Input:  VELKARN_BIN_DIR  directory that receives images/ and sound/
#                          (defaults to ${CMAKE_BINARY_DIR}/bin)
# Output: target velkarn_assets (part of ALL)
#         VELKARN_ASSET_FILES  list of the generated files
#         VELKARN_ASSETGEN     path of the generator executable

include_guard(GLOBAL)
include(ExternalProject)

if(NOT VELKARN_BIN_DIR)
  set(VELKARN_BIN_DIR ${CMAKE_BINARY_DIR}/bin)
endif()

set(_velkarn_assetgen_src ${CMAKE_CURRENT_LIST_DIR}/../tools/assetgen)
cmake_path(NORMAL_PATH _velkarn_assetgen_src)
set(_velkarn_assetgen_bin ${CMAKE_BINARY_DIR}/assetgen-host)

find_program(VELKARN_HOST_CC NAMES gcc cc REQUIRED NO_CMAKE_FIND_ROOT_PATH)
find_program(VELKARN_HOST_CXX NAMES g++ c++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)

set(VELKARN_ASSETGEN ${_velkarn_assetgen_bin}/build/velkarn-assetgen)

# Run the inner configure with a clean environment for compilers so that
# CC/CXX pointing at a cross compiler cannot leak in.
ExternalProject_Add(velkarn_assetgen
  SOURCE_DIR ${_velkarn_assetgen_src}
  PREFIX ${_velkarn_assetgen_bin}
  BINARY_DIR ${_velkarn_assetgen_bin}/build
  CMAKE_COMMAND ${CMAKE_COMMAND} -E env --unset=CC --unset=CXX --unset=CFLAGS --unset=CXXFLAGS
                --unset=LDFLAGS --unset=CMAKE_TOOLCHAIN_FILE --unset=PKG_CONFIG_LIBDIR --unset=PKG_CONFIG_SYSROOT_DIR ${CMAKE_COMMAND}
  CMAKE_ARGS
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_C_COMPILER=${VELKARN_HOST_CC}
    -DCMAKE_CXX_COMPILER=${VELKARN_HOST_CXX}
    -DCMAKE_TOOLCHAIN_FILE=
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${VELKARN_ASSETGEN}
)

set(VELKARN_ASSET_FILES
  ${VELKARN_BIN_DIR}/images/back01.png
  ${VELKARN_BIN_DIR}/images/jiki1.png
  ${VELKARN_BIN_DIR}/sound/bgm01.mp3
  ${VELKARN_BIN_DIR}/sound/bgm02.mp3
  ${VELKARN_BIN_DIR}/sound/bgm03.mp3
  ${VELKARN_BIN_DIR}/sound/bom2.mp3
  ${VELKARN_BIN_DIR}/sound/SHOT.mp3
  ${VELKARN_BIN_DIR}/sound/Loc2.mp3
)

# Regenerate when the generator binary changes (it is rebuilt incrementally
# on every build, and only relinked when its sources change).
add_custom_command(
  OUTPUT ${VELKARN_ASSET_FILES}
  COMMAND ${VELKARN_ASSETGEN} ${VELKARN_BIN_DIR}
  DEPENDS velkarn_assetgen ${VELKARN_ASSETGEN}
  COMMENT "Generating images and sounds in ${VELKARN_BIN_DIR}"
  VERBATIM
)
add_custom_target(velkarn_assets ALL DEPENDS ${VELKARN_ASSET_FILES})

# Convenience target: a review sheet of all sprites and backgrounds.
add_custom_target(velkarn_contact_sheet
  COMMAND ${VELKARN_ASSETGEN} --contact-sheet ${CMAKE_BINARY_DIR}/contact-sheet.png ${VELKARN_BIN_DIR}
  DEPENDS velkarn_assets
  COMMENT "Rendering ${CMAKE_BINARY_DIR}/contact-sheet.png"
  VERBATIM
)
