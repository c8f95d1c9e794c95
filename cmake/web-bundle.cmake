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
# setup/web: what the browser tests read of the running game.
add_executable(tessaroc setup/main.cpp setup/web/test_hooks.cpp)
target_link_libraries(tessaroc PRIVATE setup platform_web)
add_dependencies(tessaroc artwork glyphs)
target_link_options(tessaroc PRIVATE
  -sASYNCIFY=1
  "-sASYNCIFY_IMPORTS=[web_wait_event,web_wait_frame,web_lock]"
  -sASYNCIFY_STACK_SIZE=131072
  -sALLOW_MEMORY_GROWTH=1
  -sENVIRONMENT=web
  -sEXIT_RUNTIME=0
  "-sEXPORTED_FUNCTIONS=[_main,_malloc,_free,_tessaroc_test_content,_tessaroc_test_cover,_tessaroc_test_value,_tessaroc_page_leaving]"
  "SHELL:--preload-file ${CMAKE_BINARY_DIR}/GFX@/tessaroc/GFX"
  "SHELL:--preload-file ${TESSAROC_GLYPH_FILE}@/tessaroc/tessaroc-glyphs.dat")
set_target_properties(tessaroc PROPERTIES LINK_DEPENDS ${TESSAROC_GLYPH_FILE})

# The static bundle in web/ and its archive tessaroc-web.zip: the page, the program, its
# data, the icons, the manifest and the service worker with the list of files it keeps.
add_custom_target(web_bundle ALL
  COMMAND bash ${CMAKE_SOURCE_DIR}/tools/make-web-bundle.sh ${CMAKE_BINARY_DIR}
  DEPENDS tessaroc icons
  COMMENT "Assembling the web bundle")
