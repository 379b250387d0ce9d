# The release target: each edition packed as release/velkarn-N.zip holding a
# folder velkarn-N/ with the program beside its images/ and sound/ folders,
# ready to unzip and double-click on Windows.
set(_velkarn_release_dir ${CMAKE_BINARY_DIR}/release)
file(MAKE_DIRECTORY ${_velkarn_release_dir})
set(_velkarn_zips)
foreach(n 1 2 3)
  if(NOT TARGET velkarn-${n})
    continue()
  endif()
  set(stage ${_velkarn_release_dir}/velkarn-${n})
  set(zip ${_velkarn_release_dir}/velkarn-${n}.zip)
  add_custom_command(
    OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage} ${zip}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:velkarn-${n}> ${stage}/
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${VELKARN_BIN_DIR}/images ${stage}/images
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${VELKARN_BIN_DIR}/sound ${stage}/sound
    COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip velkarn-${n}
    WORKING_DIRECTORY ${_velkarn_release_dir}
    DEPENDS velkarn-${n} ${VELKARN_ASSET_FILES}
    COMMENT "Packing ${zip}"
    VERBATIM)
  list(APPEND _velkarn_zips ${zip})
endforeach()
if(_velkarn_zips)
  add_custom_target(release DEPENDS ${_velkarn_zips})
  if(TARGET velkarn_assets)
    add_dependencies(release velkarn_assets)
  endif()
endif()
