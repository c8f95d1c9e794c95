# The tests of the shared core that need no window, built for the browser and run under
# Node: the same text values, decoders, file readers, rules and frames as the native build.
set(test_dir ${CMAKE_CURRENT_SOURCE_DIR})

# Node reads the machine's files (NODERAWFS); the program's .wasm is inside its .js, as
# Debian 12's loader cannot fetch a plain path under the Node on these machines.
set(web_test_link_options -O1 -sNODERAWFS=1 -sALLOW_MEMORY_GROWTH=1 -sSINGLE_FILE=1
    -sEXIT_RUNTIME=1 -sTOTAL_STACK=4MB)

# The glyph file beside the test programs, where the text service looks for it.
add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/tessaroc-glyphs.dat
  COMMAND ${CMAKE_COMMAND} -E copy ${TESSAROC_GLYPH_FILE} ${CMAKE_CURRENT_BINARY_DIR}/
  DEPENDS ${TESSAROC_GLYPH_FILE})
add_custom_target(test_glyphs DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/tessaroc-glyphs.dat)

# tessaroc_web_test(name LIBS libs... SOURCES files... [FILTER gtest filter]): one gtest
# program run by Node.
function(tessaroc_web_test name)
  cmake_parse_arguments(arg "" "FILTER" "LIBS;SOURCES" ${ARGN})
  list(TRANSFORM arg_SOURCES PREPEND ${test_dir}/)
  add_executable(${name} ${arg_SOURCES} ${test_dir}/support/test_support.cpp)
  target_include_directories(${name} PRIVATE ${test_dir}/support)
  target_link_libraries(${name} PRIVATE ${arg_LIBS} platform_internals gtest gtest_main)
  target_link_options(${name} PRIVATE ${web_test_link_options})
  target_compile_definitions(${name} PRIVATE
    TESSAROC_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TESSAROC_BINARY_DIR="${PROJECT_BINARY_DIR}"
    TESSAROC_TEXT_BACKEND="freetype"
    TESSAROC_CROSS_BUILD=1)
  add_dependencies(${name} artwork test_glyphs)
  set(filter "")
  if(arg_FILTER)
    set(filter --gtest_filter=${arg_FILTER})
  endif()
  add_test(NAME ${name} COMMAND node $<TARGET_FILE:${name}> ${filter})
  set_tests_properties(${name} PROPERTIES LABELS web)
endfunction()

tessaroc_web_test(test_web_platform LIBS platform platform_script
  SOURCES platform/textvalue_test.cpp platform/bmp_test.cpp platform/datafile_test.cpp
          platform/codepage_test.cpp web/glyph_file_test.cpp
  # Emscripten's C++ library sets a file's time wrongly, so the first cannot age its files;
  # stderr goes to Node's console, not to a descriptor gtest can capture, and the others
  # check what they said there.
  FILTER -DataFileTest.StaleTemporariesOfTheFileAreRemovedWhenItIsOpened:DataFileTest.AFailedSaveIsOneLineOnStderrNamingTheFile:DataFileTest.ADamagedFileIsKeptBesideItAndNoEarlierCopyIsReplaced:DataFileTest.ADamagedFileThatCannotBeKeptIsReportedToTheCaller)
tessaroc_web_test(test_web_game LIBS game platform_script
  SOURCES game/rules_test.cpp game/board_test.cpp game/game_test_support.cpp
          support/screen_support.cpp)
tessaroc_web_test(test_web_setup LIBS setup platform_script
  SOURCES setup/reference_frames_test.cpp setup/program_run.cpp support/screen_support.cpp)

# The page in a real browser: headless Chromium on the tests' bundle (the program with its
# test hooks), served from 127.0.0.1.
add_test(NAME web_browser
         COMMAND /usr/bin/python3 ${test_dir}/web/browser_test.py ${CMAKE_BINARY_DIR}/web-test
                 ${PROJECT_SOURCE_DIR})
set_tests_properties(web_browser PROPERTIES RUN_SERIAL ON LABELS web_browser TIMEOUT 600)

# The bundle players get, and its archive, hold no test hook; the tests' bundle does.
add_test(NAME web_bundle_without_test_hooks
         COMMAND bash ${test_dir}/web/bundle_test.sh ${CMAKE_BINARY_DIR})
set_tests_properties(web_bundle_without_test_hooks PROPERTIES LABELS web)
