# yuzulog_warnings(target): the project's warning set, errors when YUZULOG_WERROR is on.
function(yuzulog_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow)
  # GCC 12 at -O3 reports -Wrestrict inside libstdc++ for `"literal" + std::string` (GCC bug
  # 105329, fixed in GCC 13); the code it points at is correct.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(YUZULOG_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
