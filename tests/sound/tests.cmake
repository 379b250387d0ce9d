# Sound player tests: one program against the real filter graph and a fake one.
# The real graphs play short MP3s made here at build time: silence of a fixed
# length, encoded by the host's lame, so that a clean tree needs no sound files.
set(VELKARN_TEST_SOUNDS_DIR ${VELKARN_BIN_DIR}/testsounds)
find_program(VELKARN_LAME lame REQUIRED)

set(velkarn_test_sounds)
# name and length in bytes of 16-bit mono PCM at 44.1 kHz: 2.0 s and 0.3 s
foreach(entry "long;176400" "short;26460")
  list(GET entry 0 sound)
  list(GET entry 1 bytes)
  set(out ${VELKARN_TEST_SOUNDS_DIR}/${sound}.mp3)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VELKARN_TEST_SOUNDS_DIR}
    COMMAND sh -c "head -c ${bytes} /dev/zero | '${VELKARN_LAME}' --silent -r -s 44.1 --bitwidth 16 -m m --signed --little-endian - '${out}'"
    VERBATIM)
  list(APPEND velkarn_test_sounds ${out})
endforeach()
add_custom_target(sound_test_files DEPENDS ${velkarn_test_sounds})

velkarn_add_test(sound_tests
                 SOURCES ${CMAKE_CURRENT_LIST_DIR}/sound_test.cpp ${CMAKE_CURRENT_LIST_DIR}/fake_graph.cpp
                 LIBS velkarn_sound)
add_dependencies(sound_tests sound_test_files)
