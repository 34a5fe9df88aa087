# sanitizers.cmake - the checked build (scripts/sanitize.sh builds it into build-san/):
# AddressSanitizer and UndefinedBehaviorSanitizer on every target, and with clang the
# libFuzzer targets of tests/fuzz. Any report ends the program with an error, so a
# test that provokes one fails. Included by the top-level CMakeLists.txt before any
# target is defined, so the flags reach all of them.
option(QK_SANITIZE "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(QK_FUZZ "Build the libFuzzer targets of tests/fuzz (clang, with QK_SANITIZE)" OFF)

if(QK_SANITIZE)
  # -O1 keeps the suite fast enough while the reports still point at the right lines;
  # -fno-sanitize-recover turns every undefined-behaviour report into an abort.
  add_compile_options(-O1 -g -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

if(QK_FUZZ)
  if(NOT QK_SANITIZE OR NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "QK_FUZZ needs QK_SANITIZE and clang (CXX=clang++)")
  endif()
  # Coverage feedback for libFuzzer in every library; only the fuzz programs link
  # libFuzzer's main (tests/fuzz/CMakeLists.txt), the test programs keep GoogleTest's.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
