# yuzulog_warnings(target): the project's warning set, errors when YUZULOG_WERROR is on.
function(yuzulog_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow)
  if(YUZULOG_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
