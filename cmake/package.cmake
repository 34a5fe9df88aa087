# package.cmake - the version the programs report, the install layout and the release
# packages (CPack): on Linux a .deb and a .tar.gz of bin/ and share/, on Windows a ZIP
# that runs from the folder it is unzipped into. Included by the top-level
# CMakeLists.txt for Linux and by windows.cmake for Windows, after the programs exist.

# The programs print the project's version for --version.
foreach(target zazovi loctool dsfmake editor_core e2e_tests)
  if(TARGET ${target})
    target_compile_definitions(${target} PRIVATE QK_VERSION="${PROJECT_VERSION}")
  endif()
endforeach()

# The fonts' licences travel with the fonts made from them (FILE=NAME, installed as
# NAME); a font added to zazovi_font.dsf adds its licence here.
set(QK_FONT_LICENCES "/usr/share/doc/fonts-dejavu-core/copyright=font-licence-DejaVu.txt"
                      "/usr/share/doc/fonts-wqy-zenhei/copyright=font-licence-WenQuanYi.txt"
                      "/usr/share/doc/fonts-noto-core/copyright=font-licence-Noto.txt")

function(qk_install_docs destination)
  # Our own code is MIT (LICENSE); `copyright` says which licence covers which part.
  install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_SOURCE_DIR}/packaging/copyright
          DESTINATION ${destination})
  foreach(entry ${QK_FONT_LICENCES})
    string(REPLACE "=" ";" parts "${entry}")
    list(GET parts 0 file)
    list(GET parts 1 name)
    install(FILES ${file} DESTINATION ${destination} RENAME ${name})
  endforeach()
endfunction()

# The face files zazovi_font.dsf is made from, as tools/dsfmake lists them in
# zazovi_font_faces.txt beside the font, go to fonts/ beside the font: glyphs at display
# scales other than 1 are rasterised from them at run time. A change of the list
# reconfigures, so the packages carry exactly the faces the font was made from.
function(qk_install_font_faces list destination)
  if(NOT EXISTS ${list})
    message(FATAL_ERROR "${list} is missing: build the font (target zazovi_font) of that build first")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${list})
  file(STRINGS ${list} faces)
  install(FILES ${faces} DESTINATION ${destination})
endfunction()

set(CPACK_PACKAGE_NAME zazovi)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quarnel Localization Kit")
set(CPACK_PACKAGE_CONTACT "Quarnel Localization Kit team <zazovi@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor for the localized texts of a game (VRD3 Localization Kit)")
set(CPACK_PACKAGE_DESCRIPTION
    "A translator picks a language and a file, walks the items, reads each item's name and description and edits its text.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CHECKSUM SHA256)

if(WIN32)
  # Everything beside the program: it works in its own folder, where it finds the
  # sample project and the font (made by the Linux build, QK_HOST_BUILD).
  set(QK_HOST_BUILD ${CMAKE_SOURCE_DIR}/build CACHE PATH "Linux build folder holding sample/ and zazovi_font.dsf")
  install(TARGETS zazovi loctool RUNTIME DESTINATION .)
  install(FILES ${QK_HOST_BUILD}/zazovi_font.dsf ${QK_HOST_BUILD}/zazovi_font.faces DESTINATION .)
  qk_install_font_faces(${QK_HOST_BUILD}/zazovi_font_faces.txt fonts)
  install(DIRECTORY ${QK_HOST_BUILD}/sample/Texts ${QK_HOST_BUILD}/sample/Descriptions DESTINATION .)
  qk_install_docs(.)
  # The libraries linked into the programs and the dictionaries come with their licences,
  # and with the exact Debian source packages they were built from (cmake/windows_libs.cmake).
  install(DIRECTORY ${QK_WIN_LIBS}/dictionaries/ DESTINATION dictionaries)
  install(FILES ${QK_WIN_LIBS}/data/thbrk.tri DESTINATION .)  # libthai's word dictionary
  install(DIRECTORY ${QK_WIN_LIBS}/licenses/ DESTINATION licenses)
  install(DIRECTORY ${QK_WIN_LIBS}/sources/ DESTINATION sources)
  install(FILES ${QK_WIN_LIBS}/versions.txt DESTINATION licenses)
  # The C and C++ run-time linked statically into every program: mingw-w64's (its
  # winpthreads among them) and GCC's, whose run-time exception asks nothing of us.
  install(FILES /usr/share/doc/mingw-w64-x86-64-dev/copyright DESTINATION licenses/mingw-w64)
  install(FILES /usr/share/doc/gcc-mingw-w64-base/copyright DESTINATION licenses/gcc-runtime)
  # The program file's own icon, shown by Explorer: the window's picture at three
  # sizes, drawn by iconmake built for the build machine and packed by ImageMagick.
  if(CMAKE_CROSSCOMPILING)
    find_program(QK_CONVERT convert REQUIRED)
    set(QK_ICONMAKE ${CMAKE_BINARY_DIR}/host/iconmake)
    add_custom_command(
      OUTPUT ${QK_ICONMAKE}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
      COMMAND ${QK_HOST_CXX} -std=c++17 -O1 -I${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tools/iconmake/iconmake.cpp
              ${CMAKE_SOURCE_DIR}/editor/app_icon.cpp -o ${QK_ICONMAKE}
      DEPENDS ${CMAKE_SOURCE_DIR}/tools/iconmake/iconmake.cpp ${CMAKE_SOURCE_DIR}/editor/app_icon.cpp
              ${CMAKE_SOURCE_DIR}/editor/app_icon.h
      COMMENT "Building iconmake for the build machine"
      VERBATIM)
    set(QK_ICO ${QK_GEN_DIR}/zazovi.ico)
    add_custom_command(
      OUTPUT ${QK_ICO}
      COMMAND ${QK_ICONMAKE} 48 ${QK_GEN_DIR}/icon48.pam
      COMMAND ${QK_ICONMAKE} 32 ${QK_GEN_DIR}/icon32.pam
      COMMAND ${QK_ICONMAKE} 16 ${QK_GEN_DIR}/icon16.pam
      COMMAND ${QK_CONVERT} ${QK_GEN_DIR}/icon48.pam ${QK_GEN_DIR}/icon32.pam ${QK_GEN_DIR}/icon16.pam ${QK_ICO}
      DEPENDS ${QK_ICONMAKE}
      COMMENT "Drawing the program's icon"
      VERBATIM)
    file(WRITE ${QK_GEN_DIR}/zazovi_icon.rc "1 ICON \"${QK_ICO}\"\n")
    set_source_files_properties(${QK_GEN_DIR}/zazovi_icon.rc PROPERTIES OBJECT_DEPENDS ${QK_ICO})
    target_sources(zazovi PRIVATE ${QK_GEN_DIR}/zazovi_icon.rc)
  endif()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME zazovi-${PROJECT_VERSION}-windows-x64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  install(TARGETS zazovi loctool RUNTIME DESTINATION bin)
  install(FILES ${CMAKE_BINARY_DIR}/zazovi_font.dsf ${CMAKE_BINARY_DIR}/zazovi_font.faces DESTINATION share/zazovi)
  qk_install_font_faces(${CMAKE_BINARY_DIR}/zazovi_font_faces.txt share/zazovi/fonts)
  install(DIRECTORY ${CMAKE_BINARY_DIR}/sample/Texts ${CMAKE_BINARY_DIR}/sample/Descriptions
          DESTINATION share/zazovi/sample)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/zazovi.desktop DESTINATION share/applications)
  install(FILES ${QK_ICON_PNG} DESTINATION share/icons/hicolor/48x48/apps)
  qk_install_docs(share/doc/zazovi)
  set(CPACK_GENERATOR DEB TGZ)
  set(CPACK_PACKAGE_FILE_NAME zazovi-${PROJECT_VERSION}-linux-x86_64)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION text)
  # The run-time libraries the binary links (SDL2, GL, GLU, FreeType, X11, the C++
  # library) are found by dpkg-shlibdeps. SDL opens libGL.so.1 itself at run time, so
  # dpkg-shlibdeps cannot see that one: it is listed.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1")
  # A desktop with a Mesa or vendor GL driver; the GL library alone draws nothing.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
endif()
include(CPack)
