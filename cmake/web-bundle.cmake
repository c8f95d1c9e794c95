# The browser build (Emscripten): the glyph file, the program and the static web bundle.
#
# Configured with emcmake and -DTESSAROC_ARTWORK_GENERATOR / -DTESSAROC_GLYPH_GENERATOR
# naming the native build's make_artwork and make_glyphs: the sheets, icons and glyphs are
# the native build's pixels.
set(TESSAROC_GLYPH_GENERATOR "" CACHE FILEPATH "make_glyphs of a native build")
if(NOT EXISTS "${TESSAROC_GLYPH_GENERATOR}")
  message(FATAL_ERROR "The browser build needs -DTESSAROC_GLYPH_GENERATOR=<native make_glyphs>")
endif()
set(TESSAROC_GLYPH_FILE ${CMAKE_BINARY_DIR}/tessaroc-glyphs.dat)
add_custom_command(
  OUTPUT ${TESSAROC_GLYPH_FILE}
  COMMAND ${TESSAROC_GLYPH_GENERATOR} ${TESSAROC_GLYPH_FILE}
  DEPENDS ${TESSAROC_GLYPH_GENERATOR}
  COMMENT "Rasterising the fonts into the glyph file")
add_custom_target(glyphs ALL DEPENDS ${TESSAROC_GLYPH_FILE})


# The window backend of the page and the program. Its loops stay as they are: a present and
# a wait for an event sleep through Asyncify until the browser's next animation frame or
# event, so each EM_JS function that sleeps is named among the imports that may.
tessaroc_backend(platform_web platform/window/web platform)
set(web_link_options
    -sASYNCIFY=1
    "-sASYNCIFY_IMPORTS=[web_wait_event,web_wait_frame,web_lock]"
    -sASYNCIFY_STACK_SIZE=131072
    -sALLOW_MEMORY_GROWTH=1
    -sENVIRONMENT=web
    -sEXIT_RUNTIME=0
    "SHELL:--preload-file ${CMAKE_BINARY_DIR}/GFX@/tessaroc/GFX"
    "SHELL:--preload-file ${TESSAROC_GLYPH_FILE}@/tessaroc/tessaroc-glyphs.dat")
set(web_exports _main,_malloc,_free,_tessaroc_page_leaving,_tessaroc_page_hidden)
set(web_test_exports _tessaroc_test_content,_tessaroc_test_cover,_tessaroc_test_value)

# The program players get: nothing in it answers the tests.
add_executable(tessaroc setup/main.cpp)
target_link_libraries(tessaroc PRIVATE setup platform_web)
add_dependencies(tessaroc artwork glyphs)
target_link_options(tessaroc PRIVATE ${web_link_options} "-sEXPORTED_FUNCTIONS=[${web_exports}]")
set_target_properties(tessaroc PROPERTIES LINK_DEPENDS ${TESSAROC_GLYPH_FILE})

# The same program with setup/web's hooks, which the browser tests read the running game
# through; built from the same objects into test-page/, named as the program so that the
# page loads it unchanged.
add_executable(tessaroc_test_page setup/main.cpp setup/web/test_hooks.cpp)
target_link_libraries(tessaroc_test_page PRIVATE setup platform_web)
add_dependencies(tessaroc_test_page artwork glyphs)
target_link_options(
  tessaroc_test_page PRIVATE ${web_link_options}
  "-sEXPORTED_FUNCTIONS=[${web_exports},${web_test_exports}]")
set_target_properties(tessaroc_test_page PROPERTIES
  LINK_DEPENDS ${TESSAROC_GLYPH_FILE} OUTPUT_NAME tessaroc
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test-page)

# The static bundle in web/ and its archive tessaroc-web.zip: the page, the program, its
# data, the icons, the manifest and the service worker with the list of files it keeps. The
# browser tests' bundle, web-test/, holds the test program instead and is never packed.
add_custom_target(web_bundle ALL
  COMMAND bash ${CMAKE_SOURCE_DIR}/tools/make-web-bundle.sh ${CMAKE_BINARY_DIR}
  COMMAND bash ${CMAKE_SOURCE_DIR}/tools/make-web-bundle.sh ${CMAKE_BINARY_DIR} test-page web-test
  DEPENDS tessaroc tessaroc_test_page icons
  COMMENT "Assembling the web bundle and the browser tests' bundle")
