if(YUZULOG_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# The fuzz build: every library and program carries the fuzzer's coverage and the sanitizers, so
# a fuzz target sees the edges of all the code it drives and a fault anywhere in it is a finding.
# The targets add libFuzzer's main (fuzz/CMakeLists.txt).
if(YUZULOG_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "YUZULOG_FUZZ needs clang: configure with CXX=clang++ (see fuzz/run.sh)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
