# Installs the build into a fresh prefix and runs the installed yuzulog-cli from there.
#
#   cmake -DBUILD_DIR=<build> -DPREFIX=<empty folder> -DDATA=<tests/data> -DGUI=ON|OFF
#         -DVERSION=<version> -P InstallTest.cmake

file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${out}")
endif()

set(expected bin/yuzulog-cli share/man/man1/yuzulog-cli.1.gz share/doc/yuzulog/copyright
    share/doc/yuzulog/changelog.gz share/doc/yuzulog/README.md
    share/bash-completion/completions/yuzulog-cli)
if(GUI)
  list(APPEND expected bin/yuzulog share/applications/yuzulog.desktop
       share/icons/hicolor/16x16/apps/yuzulog.png share/icons/hicolor/256x256/apps/yuzulog.png
       share/man/man1/yuzulog.1.gz share/metainfo/yuzulog.metainfo.xml)
endif()
foreach(f IN LISTS expected)
  if(NOT EXISTS ${PREFIX}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()

# The installed tool runs from its new place and reads logs.
set(cli ${PREFIX}/bin/yuzulog-cli)
execute_process(COMMAND ${cli} files ${DATA}/room05a.LOG ${DATA}/room05b.LOG
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "5\t1\t12\t12\t0\troom05a.LOG\n5\t10\t20\t11\t3\troom05b.LOG\n")
  message(FATAL_ERROR "installed yuzulog-cli files gave ${rc}:\n${out}${err}")
endif()

# The manual page and the bash completion name every option the tool's help names; the
# completion every subcommand too.
execute_process(COMMAND ${cli} --help OUTPUT_VARIABLE help ERROR_VARIABLE help)
execute_process(COMMAND gzip -dc ${PREFIX}/share/man/man1/yuzulog-cli.1.gz OUTPUT_VARIABLE man
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the manual page is not gzipped")
endif()
file(READ ${PREFIX}/share/bash-completion/completions/yuzulog-cli completion)
string(REPLACE "\\-" "-" man "${man}")
string(REGEX MATCHALL "--[a-z][a-z-]*" options "${help}")
list(REMOVE_DUPLICATES options)
if(NOT options)
  message(FATAL_ERROR "yuzulog-cli --help names no option:\n${help}")
endif()
foreach(o IN LISTS options)
  string(FIND "${man}" "${o}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the manual page does not mention ${o}")
  endif()
  if(NOT completion MATCHES "[ \"]${o}[ =\"\n]")
    message(FATAL_ERROR "the bash completion does not offer ${o}")
  endif()
endforeach()
string(REGEX MATCHALL "\n  [a-z]+ " subcommands "${help}")
foreach(s IN LISTS subcommands)
  string(STRIP "${s}" s)
  if(NOT completion MATCHES "subcommands=\"[a-z ]*${s}[ \"]")
    message(FATAL_ERROR "the bash completion does not offer the subcommand ${s}")
  endif()
endforeach()

# The desktop file names the installed program and icon; the program tells its version without a
# display.
if(GUI)
  execute_process(COMMAND ${PREFIX}/bin/yuzulog --version RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT out STREQUAL "yuzulog ${VERSION}\n")
    message(FATAL_ERROR "installed yuzulog --version gave ${rc}:\n${out}${err}")
  endif()
  file(READ ${PREFIX}/share/applications/yuzulog.desktop desktop)
  if(NOT desktop MATCHES "\nExec=yuzulog " OR NOT desktop MATCHES "\nIcon=yuzulog\n")
    message(FATAL_ERROR "the desktop file does not start the installed program:\n${desktop}")
  endif()
endif()
