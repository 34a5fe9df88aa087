# windows.cmake - the native Windows build, cross-compiled with mingw-w64
# (cmake/mingw-w64-x86_64.cmake): the engine and editor on the Win32/WGL/GDI backend,
# the key-name table as a real resource, the backend's own tests, the per-layer suites
# on the scripted test backend and the editor's smoke test, all under Wine. Included by
# the top-level CMakeLists.txt when WIN32 is set.
enable_language(RC)

find_package(OpenGL REQUIRED)

# --- resources: resgen runs on the build machine, windres compiles its script ---
set(QK_GEN_DIR ${CMAKE_BINARY_DIR}/generated)
if(CMAKE_CROSSCOMPILING)
  find_program(QK_HOST_CXX NAMES g++ c++ clang++ REQUIRED)
  set(QK_RESGEN ${CMAKE_BINARY_DIR}/host/resgen)
  add_custom_command(
    OUTPUT ${QK_RESGEN}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
    COMMAND ${QK_HOST_CXX} -std=c++17 -O1 ${CMAKE_SOURCE_DIR}/tools/resgen/resgen.cpp -o ${QK_RESGEN}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/resgen/resgen.cpp
    COMMENT "Building resgen for the build machine"
    VERBATIM)
  set(QK_RESGEN_DEP ${QK_RESGEN})
else()
  add_executable(resgen tools/resgen/resgen.cpp)
  set(QK_RESGEN resgen)
  set(QK_RESGEN_DEP resgen)
endif()
set(QK_RES_RC ${QK_GEN_DIR}/key_names.rc)
add_custom_command(
  OUTPUT ${QK_RES_RC} ${QK_GEN_DIR}/key_names.bin
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QK_GEN_DIR}
  COMMAND ${QK_RESGEN} --rc ${CMAKE_SOURCE_DIR}/resources/key_names.txt ${QK_RES_RC} ${QK_GEN_DIR}/key_names.bin
  DEPENDS ${QK_RESGEN_DEP} ${CMAKE_SOURCE_DIR}/resources/key_names.txt
  COMMENT "Compiling the key-name resource script"
  VERBATIM)
# Resources in a static library are never pulled into a program (nothing refers to
# them by symbol), so each program gets the compiled script as an object of its own.
add_library(qk_resources OBJECT ${QK_RES_RC})

# --- the platform: the native backend, and the scripted test backend on it ---
# Both share the real window, WGL and GDI code; only the clock, the input queue, the
# cursor position, the clipboard, the message box and the program's name differ.
foreach(variant platform_win32 platform_win32_test)
  if(variant STREQUAL "platform_win32")
    set(system_source platform/win32/win32_system.cpp)
  else()
    set(system_source platform/win32/win32_test_system.cpp platform/test/test_script.cpp)
  endif()
  add_library(${variant} STATIC platform/gl_picture.cpp platform/win32/win32_window.cpp platform/win32/win32_process.cpp ${system_source})
  target_include_directories(${variant} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${variant} PUBLIC OpenGL::GL gdi32 user32 shell32 winmm imm32)
endforeach()

# mingw's GL/gl.h pulls in all of <windows.h> unless the two calling-convention macros
# are already known, and Windows' WM_*/VK_* macros would then clash with platform.h.
# The code above the platform never needs Windows itself, so it gets just those (and
# GLU's CALLBACK).
set(QK_GL_WITHOUT_WINDOWS_H "WINGDIAPI=__declspec(dllimport)" "APIENTRY=__stdcall" "CALLBACK=__stdcall")

# --- engine, renderer, GUI and controls; the editor's logic ---
file(GLOB QK_CORE_SOURCES CONFIGURE_DEPENDS
  engine/*.cpp render/*.cpp gui/*.cpp gui/controls/*.cpp)
add_library(quarnel STATIC ${QK_CORE_SOURCES})
target_include_directories(quarnel PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(quarnel PUBLIC OpenGL::GL OpenGL::GLU)
target_compile_definitions(quarnel PUBLIC ${QK_GL_WITHOUT_WINDOWS_H})

file(GLOB QK_EDITOR_SOURCES CONFIGURE_DEPENDS editor/*.cpp)
list(FILTER QK_EDITOR_SOURCES EXCLUDE REGEX ".*/main\\.cpp$")
add_library(editor_core STATIC ${QK_EDITOR_SOURCES})
target_include_directories(editor_core PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(editor_core PUBLIC quarnel)
# No Hunspell here: the text box's spelling is the stand-in that checks nothing.
target_sources(editor_core PRIVATE ${CMAKE_SOURCE_DIR}/editor/qa/box_spelling_none.cpp)

# --- the editor: a GUI-subsystem program (no console window) ---
add_executable(zazovi WIN32 editor/main.cpp $<TARGET_OBJECTS:qk_resources>)
target_link_libraries(zazovi PRIVATE editor_core quarnel platform_win32)

# loctool, the command-line companion: it needs neither GL nor the engine.
add_executable(loctool tools/loctool/loctool.cpp tools/loctool/font_coverage.cpp render/dsf.cpp editor/project.cpp
               editor/text_store.cpp)
target_include_directories(loctool PRIVATE ${CMAKE_SOURCE_DIR})

# --- version, install layout and the ZIP ---
include(${CMAKE_SOURCE_DIR}/cmake/package.cmake)

if(NOT QK_BUILD_TESTS)
  return()
endif()
enable_testing()

# GoogleTest from the sources Debian ships with libgtest-dev, built for Windows.
set(QK_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build for Windows")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${QK_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

function(qk_win_test name)
  cmake_parse_arguments(ARG "" "DATA_DIR" "SOURCES;LIBS;ARGS" ${ARGN})
  if(NOT ARG_DATA_DIR)
    set(ARG_DATA_DIR ${CMAKE_BINARY_DIR})
  endif()
  add_executable(${name} ${ARG_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/test_main.cpp
                         $<TARGET_OBJECTS:qk_resources>)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} gtest)
  target_compile_definitions(${name} PRIVATE QK_SOURCE_DIR="${CMAKE_SOURCE_DIR}" QK_BINARY_DIR="${ARG_DATA_DIR}")
  # One ctest entry per program: each Wine start costs more than a whole suite.
  add_test(NAME ${name} COMMAND ${name} ${ARG_ARGS})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
endfunction()

# The native backend itself: real messages, window, GDI, WGL, clipboard, resources.
file(GLOB QK_WIN32_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
qk_win_test(win32_tests SOURCES ${QK_WIN32_TEST_SOURCES} LIBS editor_core quarnel platform_win32)

# The editor's file formats, folder scan, verification and backup: no window needed.
qk_win_test(editor_store_tests
  SOURCES ${CMAKE_SOURCE_DIR}/tests/editor/text_store_test.cpp ${CMAKE_SOURCE_DIR}/tests/editor/project_test.cpp
          ${CMAKE_SOURCE_DIR}/tests/editor/startup_test.cpp
  LIBS editor_core quarnel platform_win32
  # Windows files have no POSIX permission bits to keep, only a read-only flag.
  ARGS --gtest_filter=-TextStoreSave.PermissionsOfTheOldFileAreKept)

# The per-layer suites on the scripted test backend, as on Linux. Their font comes from
# the Linux build (QK_HOST_BUILD, below), reached through Wine's drive Z:, which is the
# Unix root, so that it is found whatever folder a test has moved into. One ctest entry
# per program here too: under Wine a test process with its window and GL context takes
# about 2 s to start, so the suites' 226 tests one by one would take some 8 minutes,
# against half a minute for the four programs.
set(QK_HOST_BUILD ${CMAKE_SOURCE_DIR}/build CACHE PATH "Linux build folder holding sample/ and zazovi_font.dsf")
function(qk_win_layer_tests name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;FILTER" ${ARGN})
  set(args "")
  if(ARG_FILTER)
    set(args "--gtest_filter=${ARG_FILTER}")
  endif()
  qk_win_test(${name} SOURCES ${ARG_SOURCES} LIBS ${ARG_LIBS} platform_win32_test ARGS ${args}
              DATA_DIR "Z:${QK_HOST_BUILD}")
endfunction()
file(GLOB QK_ENGINE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/engine/*.cpp)
file(GLOB QK_RENDER_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/render/*.cpp)
file(GLOB QK_GUI_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/gui/*.cpp)
qk_win_layer_tests(engine_tests SOURCES ${QK_ENGINE_TEST_SOURCES} LIBS quarnel)
qk_win_layer_tests(render_tests SOURCES ${QK_RENDER_TEST_SOURCES} LIBS quarnel)
qk_win_layer_tests(gui_tests SOURCES ${QK_GUI_TEST_SOURCES} LIBS quarnel)
# The scripted test backend itself, over the real window.
file(GLOB QK_TEST_BACKEND_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/test_backend/*.cpp)
qk_win_test(win32_test_backend_tests SOURCES ${QK_TEST_BACKEND_SOURCES} LIBS platform_win32_test)
# The store, project and start-up tests run above on the native backend; loctool is a
# tool of the Linux build only.
qk_win_layer_tests(editor_tests SOURCES ${CMAKE_SOURCE_DIR}/tests/editor/editor_flow_test.cpp
  LIBS editor_core quarnel)

# The real editor program under Wine, driven with real input on a scratch copy of the
# sample project. The sample and the font come from the Linux build (QK_HOST_BUILD),
# whose tools make them.
add_test(NAME editor_smoke
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win32/editor_smoke.sh $<TARGET_FILE:zazovi> ${QK_HOST_BUILD})
set_tests_properties(editor_smoke PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
