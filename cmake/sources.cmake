# sources.cmake - the layers of the program, what each is made of and what it may use,
# for the Linux build (CMakeLists.txt) and the Windows build (cmake/windows.cmake) alike.
#
#   editor_core -> gui -> render -> engine -> platform
#
# Each layer is a static library linking only the layer below it, so a call upwards
# does not link in the lower layer's tests. Each also sees only its own headers and
# those below: its include root (<build>/layers/<layer>/) holds links to those folders
# alone, so an upward #include does not compile. `platform` is the interface only; every
# program names the one backend it runs on (platform_sdl, platform_test, platform_win32,
# platform_win32_test, defined by the including file) with qk_platform_backend(). The engine reaches the GUI
# through the hooks the GUI installs (engine/gui_hooks.h), never by name.
#
# Every folder is globbed: a new source file needs no edit here. A new library of the
# editor (as editor/qa) is a subdirectory that editor_core or the tools link.

file(GLOB QK_ENGINE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/engine/*.cpp)
file(GLOB QK_RENDER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/render/*.cpp)
# The part of the renderer that needs neither GL nor the engine (the .dsf format, the
# shaping unit, measuring and wrapping) is a library of its own, text_measure, which the
# renderer, the editor's checks and loctool link alike.
set(QK_TEXT_MEASURE_SOURCES ${CMAKE_SOURCE_DIR}/render/dsf.cpp ${CMAKE_SOURCE_DIR}/render/text_shape.cpp
    ${CMAKE_SOURCE_DIR}/render/text_measure.cpp ${CMAKE_SOURCE_DIR}/render/face_recipe.cpp)
list(REMOVE_ITEM QK_RENDER_SOURCES ${QK_TEXT_MEASURE_SOURCES})
# Glyphs rendered again at the screen's draw scale take FreeType. Where the including
# file has made the Freetype::Freetype target before this point, the renderer gets them;
# elsewhere the stub, and every font draws its 1x cells at every scale.
set(QK_SCALED_GLYPH_SOURCES ${CMAKE_SOURCE_DIR}/render/face_raster.cpp ${CMAKE_SOURCE_DIR}/render/scaled_glyphs.cpp)
list(REMOVE_ITEM QK_RENDER_SOURCES ${QK_SCALED_GLYPH_SOURCES} ${CMAKE_SOURCE_DIR}/render/scaled_glyphs_none.cpp)
if(TARGET Freetype::Freetype)
  list(APPEND QK_RENDER_SOURCES ${QK_SCALED_GLYPH_SOURCES})
else()
  list(APPEND QK_RENDER_SOURCES ${CMAKE_SOURCE_DIR}/render/scaled_glyphs_none.cpp)
endif()
# The framework and its controls are one layer: the framework's class table names the
# controls' factories, and a control is built on the framework.
file(GLOB QK_GUI_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/gui/*.cpp ${CMAKE_SOURCE_DIR}/gui/controls/*.cpp)
file(GLOB QK_EDITOR_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/editor/*.cpp)
list(FILTER QK_EDITOR_SOURCES EXCLUDE REGEX ".*/main\\.cpp$")
set(QK_EDITOR_MAIN ${CMAKE_SOURCE_DIR}/editor/main.cpp)

# loctool needs neither GL nor the engine: the editor's store, project checks, lock and
# journal are compiled into it directly, and it links text_measure for the fonts.
set(QK_LOCTOOL_SOURCES
    ${CMAKE_SOURCE_DIR}/tools/loctool/loctool.cpp ${CMAKE_SOURCE_DIR}/tools/loctool/font_coverage.cpp
    ${CMAKE_SOURCE_DIR}/editor/project.cpp ${CMAKE_SOURCE_DIR}/editor/text_store.cpp
    ${CMAKE_SOURCE_DIR}/editor/project_lock.cpp ${CMAKE_SOURCE_DIR}/editor/project_journal.cpp)

# The platform sources that every backend of a system shares, compiled once into an
# object library whose objects go into each backend's archive.
set(QK_PLATFORM_COMMON_SOURCES ${CMAKE_SOURCE_DIR}/platform/gl_picture.cpp)
set(QK_PLATFORM_TEST_SCRIPT_SOURCES ${CMAKE_SOURCE_DIR}/platform/test/test_script.cpp)

# Gives target an include root of its own holding the named top-level folders.
function(qk_layer_include_root target scope)
  set(root ${CMAKE_BINARY_DIR}/layers/${target})
  file(MAKE_DIRECTORY ${root})
  foreach(folder ${ARGN})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endforeach()
  target_include_directories(${target} ${scope} ${root})
endfunction()

# The backend a program runs on is its own choice, yet it must come after every layer
# on the link line: `platform` hands each program the backend it named with
# qk_platform_backend(), so the layers above link whichever one that is.
add_library(platform INTERFACE)
qk_layer_include_root(platform INTERFACE platform)
target_link_libraries(platform INTERFACE $<TARGET_PROPERTY:QK_PLATFORM_BACKEND>)
function(qk_platform_backend program backend)
  set_property(TARGET ${program} PROPERTY QK_PLATFORM_BACKEND ${backend})
  target_link_libraries(${program} PRIVATE ${backend})
endfunction()

# The one place that touches files with the process calls a lock file needs (under every
# backend, and loctool) and the .loc / .desc format module: neither needs a window or GL.
add_library(platform_files STATIC ${CMAKE_SOURCE_DIR}/platform/files.cpp ${CMAKE_SOURCE_DIR}/platform/process.cpp
            ${CMAKE_SOURCE_DIR}/platform/host.cpp)
qk_layer_include_root(platform_files PUBLIC platform)
add_library(loc_format STATIC ${CMAKE_SOURCE_DIR}/formats/loc_format.cpp)
qk_layer_include_root(loc_format PUBLIC formats)

add_library(engine STATIC ${QK_ENGINE_SOURCES})
qk_layer_include_root(engine PUBLIC platform engine)
# Threads: long work (reading a translation memory) runs beside the main loop.
find_package(Threads REQUIRED)
target_link_libraries(engine PUBLIC platform OpenGL::GL OpenGL::GLU Threads::Threads)

# Right-to-left text and Thai word breaks (render/text_shape.cpp): GNU FriBidi, libthai
# and the trie library its dictionary is read with. Cache variables, so the Windows build
# can point them at the libraries it builds; only render's own sources include them.
find_path(FRIBIDI_INCLUDE_DIR fribidi.h PATH_SUFFIXES fribidi REQUIRED)
find_library(FRIBIDI_LIBRARY fribidi REQUIRED)
find_path(THAI_INCLUDE_DIR thai/thbrk.h REQUIRED)
find_library(THAI_LIBRARY thai REQUIRED)
find_library(DATRIE_LIBRARY datrie REQUIRED)
# Its headers are render/'s; it sees only the platform's files besides its own.
add_library(text_measure STATIC ${QK_TEXT_MEASURE_SOURCES})
qk_layer_include_root(text_measure PUBLIC platform render)
target_include_directories(text_measure PRIVATE ${FRIBIDI_INCLUDE_DIR} ${THAI_INCLUDE_DIR})
target_link_libraries(text_measure PUBLIC platform_files PRIVATE ${FRIBIDI_LIBRARY} ${THAI_LIBRARY} ${DATRIE_LIBRARY})

add_library(render STATIC ${QK_RENDER_SOURCES})
qk_layer_include_root(render PUBLIC platform engine render)
target_link_libraries(render PUBLIC engine text_measure)
target_include_directories(render PRIVATE ${FRIBIDI_INCLUDE_DIR})
target_link_libraries(render PRIVATE ${FRIBIDI_LIBRARY})
if(TARGET Freetype::Freetype)
  target_link_libraries(render PRIVATE Freetype::Freetype)
endif()

add_library(gui STATIC ${QK_GUI_SOURCES})
qk_layer_include_root(gui PUBLIC platform engine render gui)
target_link_libraries(gui PUBLIC render)

add_library(editor_core STATIC ${QK_EDITOR_SOURCES})
qk_layer_include_root(editor_core PUBLIC platform engine render gui editor formats)
target_link_libraries(editor_core PUBLIC gui loc_format platform_files)

# The whole toolkit (the GUI and everything below it), for programs built on it.
add_library(quarnel INTERFACE)
target_link_libraries(quarnel INTERFACE gui)
