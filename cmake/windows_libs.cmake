# windows_libs.cmake - the libraries of the Windows build, taken from the folder that
# scripts/windows_libs.sh builds (static mingw-w64 libraries from Debian's sources),
# named by QK_WIN_LIBS. The variables set here are the ones the find_path and
# find_library calls of editor/qa and tools/loctool look up; being set already, those
# calls keep them, so the same CMake files serve both systems.
if(NOT QK_WIN_LIBS OR NOT EXISTS "${QK_WIN_LIBS}/versions.txt")
  message(FATAL_ERROR "QK_WIN_LIBS must name the folder printed by scripts/windows_libs.sh")
endif()
set(_inc "${QK_WIN_LIBS}/include")
set(_lib "${QK_WIN_LIBS}/lib")

set(INIH_INCLUDE_DIR "${_inc}" CACHE PATH "" FORCE)
set(INIH_LIBRARY "${_lib}/libinih.a" CACHE FILEPATH "" FORCE)
set(HUNSPELL_INCLUDE_DIR "${_inc}" CACHE PATH "" FORCE)
set(HUNSPELL_LIBRARY "${_lib}/libhunspell-1.7.a" CACHE FILEPATH "" FORCE)
set(GETTEXTPO_INCLUDE_DIR "${_inc}" CACHE PATH "" FORCE)
set(GETTEXTPO_LIBRARY "${_lib}/libgettextpo.a" CACHE FILEPATH "" FORCE)
set(CSV_INCLUDE_DIR "${_inc}" CACHE PATH "" FORCE)
set(CSV_LIBRARY "${_lib}/libcsv.a" CACHE FILEPATH "" FORCE)

# FriBidi (bidi, Arabic joining) and libthai with libdatrie (Thai word breaks), for the
# render layer's text shaping; FRIBIDI_LIB_STATIC keeps dllimport off FriBidi's
# declarations. libthai's dictionary comes as data/thbrk.tri, put beside the programs.
set(FRIBIDI_INCLUDE_DIR "${_inc}/fribidi" CACHE PATH "" FORCE)
set(FRIBIDI_LIBRARY "${_lib}/libfribidi.a" CACHE FILEPATH "" FORCE)
set(THAI_INCLUDE_DIR "${_inc}" CACHE PATH "" FORCE)
set(THAI_LIBRARY "${_lib}/libthai.a" CACHE FILEPATH "" FORCE)
set(DATRIE_LIBRARY "${_lib}/libdatrie.a" CACHE FILEPATH "" FORCE)
add_compile_definitions(FRIBIDI_LIB_STATIC)

# FreeType: the glyphs the render layer rasterises at display scales other than 1. The
# target the Linux build gets from find_package(Freetype), and the cache variables that
# CMake's FindFreetype keeps, so a find_package(Freetype) here finds this one too.
if(NOT TARGET Freetype::Freetype)
  add_library(Freetype::Freetype STATIC IMPORTED GLOBAL)
  set_target_properties(Freetype::Freetype PROPERTIES
    IMPORTED_LOCATION "${_lib}/libfreetype.a"
    INTERFACE_INCLUDE_DIRECTORIES "${_inc}/freetype2")
endif()
set(FREETYPE_INCLUDE_DIR_ft2build "${_inc}/freetype2" CACHE PATH "" FORCE)
set(FREETYPE_INCLUDE_DIR_freetype2 "${_inc}/freetype2" CACHE PATH "" FORCE)
set(FREETYPE_LIBRARY_RELEASE "${_lib}/libfreetype.a" CACHE FILEPATH "" FORCE)
set(FREETYPE_LIBRARY "${_lib}/libfreetype.a" CACHE FILEPATH "" FORCE)

# Without HUNSPELL_STATIC, hunvisapi.h marks Hunspell's symbols __declspec(dllimport)
# and the static library's symbols are not found. libgettextpo, inih and libcsv need
# no define for static linking.
add_compile_definitions(HUNSPELL_STATIC)

# libxml2: LIBXML_STATIC likewise keeps dllimport off its declarations. ws2_32 is what
# libxml2's own pkg-config file asks of static links on Windows; built without HTTP and
# FTP it calls no Winsock function, so programs do not end up importing it.
if(NOT TARGET LibXml2::LibXml2)
  add_library(LibXml2::LibXml2 STATIC IMPORTED GLOBAL)
  set_target_properties(LibXml2::LibXml2 PROPERTIES
    IMPORTED_LOCATION "${_lib}/libxml2.a"
    INTERFACE_INCLUDE_DIRECTORIES "${_inc}"
    INTERFACE_COMPILE_DEFINITIONS LIBXML_STATIC
    INTERFACE_LINK_LIBRARIES ws2_32)
endif()
# find_package(LibXml2) still runs CMake's FindLibXml2, which keeps these and, the
# target existing, defines no other.
set(LIBXML2_INCLUDE_DIR "${_inc}" CACHE PATH "" FORCE)
set(LIBXML2_LIBRARY "${_lib}/libxml2.a" CACHE FILEPATH "" FORCE)

# nlohmann-json: headers only, copied from the build machine's nlohmann-json3-dev.
if(NOT TARGET nlohmann_json::nlohmann_json)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${_inc}")
endif()
# find_package(nlohmann_json) wants a package configuration file; the cross-build
# does not search the build machine for one, so it is pointed at this stand-in.
file(WRITE "${CMAKE_BINARY_DIR}/qk_win_libs/nlohmann_jsonConfig.cmake"
     "# The target comes from cmake/windows_libs.cmake.\n")
set(nlohmann_json_DIR "${CMAKE_BINARY_DIR}/qk_win_libs" CACHE PATH "" FORCE)
