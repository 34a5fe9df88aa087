# windows.cmake - the native Windows build, cross-compiled with mingw-w64
# (cmake/mingw-w64-x86_64.cmake): the engine and editor on the Win32/WGL/GDI backend,
# the key-name table as a real resource, the backend's own tests, the per-layer suites
# on the scripted test backend and the editor's smoke test, all under Wine. Included by
# the top-level CMakeLists.txt when WIN32 is set.
enable_language(RC)

find_package(OpenGL REQUIRED)

# --- the libraries the Linux build takes from Debian (Hunspell, inih, libxml2, libcsv,
# libgettextpo, FriBidi, libthai, FreeType, nlohmann-json), cross-built as static libraries from Debian's own
# sources by scripts/windows_libs.sh into a cache of the user's, which QK_WIN_LIBS names ---
set(QK_WIN_LIBS "" CACHE PATH "Folder of the cross-built libraries (printed by scripts/windows_libs.sh)")
if(NOT IS_DIRECTORY "${QK_WIN_LIBS}/lib")
  message(FATAL_ERROR "QK_WIN_LIBS ('${QK_WIN_LIBS}') holds no cross-built libraries: "
                      "scripts/windows.sh builds them and passes their folder")
endif()
include(${CMAKE_SOURCE_DIR}/cmake/windows_libs.cmake)

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
# Every program's manifest: UTF-8 as the code page of Windows' narrow calls, which
# some libraries open files with (packaging/windows/zazovi.manifest says more).
set(QK_MANIFEST_RC ${QK_GEN_DIR}/manifest.rc)
file(WRITE ${QK_MANIFEST_RC} "1 24 \"${CMAKE_SOURCE_DIR}/packaging/windows/zazovi.manifest\"\n")
set_source_files_properties(${QK_MANIFEST_RC} PROPERTIES OBJECT_DEPENDS
                            ${CMAKE_SOURCE_DIR}/packaging/windows/zazovi.manifest)
# Resources in a static library are never pulled into a program (nothing refers to
# them by symbol), so each program gets the compiled script as an object of its own.
add_library(qk_resources OBJECT ${QK_RES_RC} ${QK_MANIFEST_RC})

# --- the layers, as on Linux (cmake/sources.cmake) ---
include(${CMAKE_SOURCE_DIR}/cmake/sources.cmake)
# mingw's GL/gl.h pulls in all of <windows.h> unless the two calling-convention macros
# are already known, and Windows' WM_*/VK_* macros would then clash with platform.h.
# The code above the platform never needs Windows itself, so it gets just those (and
# GLU's CALLBACK).
target_compile_definitions(engine PUBLIC "WINGDIAPI=__declspec(dllimport)" "APIENTRY=__stdcall" "CALLBACK=__stdcall")

# --- the platform: the native backend, and the scripted test backend on it ---
# Both share the real window, WGL and GDI code, compiled once; only the clock, the
# input queue, the cursor position, the clipboard, the message box and the program's
# name differ.
set(QK_WIN32_LIBS platform OpenGL::GL gdi32 user32 shell32 winmm imm32)
add_library(platform_win32_common OBJECT ${QK_PLATFORM_COMMON_SOURCES} platform/win32/win32_window.cpp
            platform/win32/win32_process.cpp)
target_link_libraries(platform_win32_common PUBLIC ${QK_WIN32_LIBS})
add_library(platform_win32 STATIC $<TARGET_OBJECTS:platform_win32_common> platform/win32/win32_system.cpp)
add_library(platform_win32_test STATIC $<TARGET_OBJECTS:platform_win32_common> platform/win32/win32_test_system.cpp
            ${QK_PLATFORM_TEST_SCRIPT_SOURCES})
foreach(variant platform_win32 platform_win32_test)
  target_link_libraries(${variant} PUBLIC ${QK_WIN32_LIBS} platform_files)
endforeach()
# The program's and the user's folders, the registry's LibreOffice (platform/host.cpp).
target_link_libraries(platform_files PUBLIC shell32 advapi32)

# Checks, project settings and spelling, as on Linux.
add_subdirectory(editor/qa)
target_link_libraries(editor_core PUBLIC editor_qa_checks)
# Review states and the word diff, as on Linux.
add_subdirectory(editor/review)
target_link_libraries(editor_core PUBLIC editor_review)
# Translation memory, consistency and the glossary, as on Linux.
add_subdirectory(editor/memory)
target_link_libraries(editor_core PUBLIC editor_memory)
# The item-by-item merge of .loc files and its conflict file, as on Linux.
add_subdirectory(editor/conflict)
target_link_libraries(editor_core PUBLIC editor_conflict)
# Whether texts fit the game, as on Linux.
add_subdirectory(editor/fit)
target_link_libraries(editor_core PUBLIC editor_fit)
# The screen's scale by hand and the user's display.ini it is kept in.
add_subdirectory(editor/scale)
# The shipped dictionaries beside the programs, where they are found first, as in the
# ZIP; so is libthai's word dictionary.
file(COPY ${QK_WIN_LIBS}/dictionaries/ DESTINATION ${CMAKE_BINARY_DIR}/dictionaries)
file(COPY ${QK_WIN_LIBS}/data/thbrk.tri DESTINATION ${CMAKE_BINARY_DIR})

# --- the editor: a GUI-subsystem program (no console window) ---
add_executable(zazovi WIN32 ${QK_EDITOR_MAIN} $<TARGET_OBJECTS:qk_resources>)
target_link_libraries(zazovi PRIVATE editor_core)
qk_platform_backend(zazovi platform_win32)

# loctool, the command-line companion, as on Linux, with the programs' manifest.
add_subdirectory(tools/loctool)
target_sources(loctool PRIVATE ${QK_MANIFEST_RC})

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

# qk_win_test(<name> LABEL <layer> [WITH_GUI] BACKEND <platform backend> SOURCES ... LIBS ...
# [ARGS ...] [DATA_DIR ...]):
# WITH_GUI installs the GUI before the tests start the engine (support/test_main.cpp).
function(qk_win_test name)
  cmake_parse_arguments(ARG "WITH_GUI" "DATA_DIR;LABEL;BACKEND" "SOURCES;LIBS;ARGS" ${ARGN})
  if(NOT ARG_DATA_DIR)
    set(ARG_DATA_DIR ${CMAKE_BINARY_DIR})
  endif()
  add_executable(${name} ${ARG_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/test_main.cpp
                         $<TARGET_OBJECTS:qk_resources>)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} gtest)
  qk_platform_backend(${name} ${ARG_BACKEND})
  target_compile_definitions(${name} PRIVATE QK_SOURCE_DIR="${CMAKE_SOURCE_DIR}" QK_BINARY_DIR="${ARG_DATA_DIR}")
  if(ARG_WITH_GUI)
    target_compile_definitions(${name} PRIVATE QK_TEST_WITH_GUI=1)
  endif()
  # One ctest entry per program: each Wine start costs more than a whole suite.
  add_test(NAME ${name} COMMAND ${name} ${ARG_ARGS})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE LABELS ${ARG_LABEL})
endfunction()

# The native backend itself: real messages, window, GDI, WGL, clipboard, resources.
file(GLOB QK_WIN32_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
qk_win_test(win32_tests LABEL platform WITH_GUI SOURCES ${QK_WIN32_TEST_SOURCES} BACKEND platform_win32 LIBS editor_core)

# The editor's file formats, folder scan, verification and backup: no window needed.
qk_win_test(editor_store_tests LABEL editor WITH_GUI
  SOURCES ${CMAKE_SOURCE_DIR}/tests/editor/text_store_test.cpp ${CMAKE_SOURCE_DIR}/tests/editor/project_test.cpp
          ${CMAKE_SOURCE_DIR}/tests/editor/startup_test.cpp
  BACKEND platform_win32 LIBS editor_core
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
  qk_win_test(${name} ${ARGN} BACKEND platform_win32_test DATA_DIR "Z:${QK_HOST_BUILD}")
endfunction()
file(GLOB QK_ENGINE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/engine/*.cpp)
file(GLOB QK_RENDER_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/render/*.cpp)
file(GLOB QK_GUI_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/gui/*.cpp)
qk_win_layer_tests(engine_tests LABEL engine SOURCES ${QK_ENGINE_TEST_SOURCES} LIBS engine)
qk_win_layer_tests(render_tests LABEL render SOURCES ${QK_RENDER_TEST_SOURCES} LIBS render)
qk_win_layer_tests(gui_tests LABEL gui WITH_GUI SOURCES ${QK_GUI_TEST_SOURCES} LIBS gui)
# The scripted test backend itself, over the real window.
file(GLOB QK_TEST_BACKEND_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/test_backend/*.cpp)
qk_win_test(win32_test_backend_tests LABEL platform SOURCES ${QK_TEST_BACKEND_SOURCES} BACKEND platform_win32_test)
# The store, project and start-up tests run above on the native backend.
qk_win_layer_tests(editor_tests LABEL editor WITH_GUI SOURCES ${CMAKE_SOURCE_DIR}/tests/editor/editor_flow_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/editor/desk_test.cpp LIBS editor_core)

# Checks, settings and spelling, the text box's red underlines among them, with the
# shipped dictionaries (beside the test programs, as beside zazovi.exe). loctool's own
# qa test runs it as a Linux program; loctool.exe has the test below.
qk_win_layer_tests(qa_tests LABEL qa WITH_GUI
  SOURCES ${CMAKE_SOURCE_DIR}/tests/qa/box_spelling_test.cpp ${CMAKE_SOURCE_DIR}/tests/qa/spelling_test.cpp
          ${CMAKE_SOURCE_DIR}/tests/qa/qa_checks_test.cpp
  LIBS editor_qa editor_core)

# loctool.exe against the Linux loctool on the same project, in a folder with a
# non-ASCII name: the same bytes out of export, stats and qa, the same exit codes, and
# an export -> import round trip.
add_test(NAME loctool_windows
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win32/loctool_windows.sh $<TARGET_FILE:loctool> ${QK_HOST_BUILD}
          ${CMAKE_BINARY_DIR}/dictionaries)
set_tests_properties(loctool_windows PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE LABELS e2e)

# The programs need no DLL beside them: every library is linked in.
find_program(QK_OBJDUMP NAMES ${QK_MINGW_PREFIX}-objdump objdump REQUIRED)
add_test(NAME windows_imports
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win32/imports.sh ${QK_OBJDUMP} $<TARGET_FILE:zazovi> $<TARGET_FILE:loctool>)
set_tests_properties(windows_imports PROPERTIES LABELS platform)

# The real editor program under Wine, driven with real input on a scratch copy of the
# sample project. The sample and the font come from the Linux build (QK_HOST_BUILD),
# whose tools make them.
add_test(NAME editor_smoke
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win32/editor_smoke.sh $<TARGET_FILE:zazovi> ${QK_HOST_BUILD})
set_tests_properties(editor_smoke PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE LABELS e2e)

# The Linux build's end-to-end resize test, run against this program under Wine: the
# window resized to 1600 x 1200 shows the screen at 2x and takes clicks there (Compile
# writes the file), and 800 x 600 again gives the picture before. scripts/windows.sh
# builds that test program.
add_test(NAME editor_resize
  COMMAND ${CMAKE_COMMAND} -E env QK_E2E_WINDOWS_PROGRAM=$<TARGET_FILE:zazovi>
          ${QK_HOST_BUILD}/tests/e2e_tests --gtest_filter=EditorResize.*)
set_tests_properties(editor_resize PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE LABELS e2e)
