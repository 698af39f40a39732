# Builds the Debian package of a build into a folder of its own and runs Debian's checker on it:
# any error or warning fails. Skipped where the tools are missing.
#
#   cmake -DBUILD_DIR=<build> -DOUT=<folder> -DCPACK=<cpack> -DGUI=ON|OFF -P PackageTest.cmake

find_program(LINTIAN lintian)
find_program(SHLIBDEPS dpkg-shlibdeps)
foreach(tool IN ITEMS CPACK LINTIAN SHLIBDEPS)
  if(NOT ${tool} OR NOT EXISTS "${${tool}}")
    string(TOLOWER ${tool} name)
    message("package test skipped: ${name} is not installed (scripts/install-deps.sh installs it)")
    return()
  endif()
endforeach()

file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND ${CPACK} -G DEB -B ${OUT} --config ${BUILD_DIR}/CPackConfig.cmake
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
file(GLOB debs ${OUT}/*.deb)
list(LENGTH debs count)
if(NOT rc EQUAL 0 OR NOT count EQUAL 1)
  message(FATAL_ERROR "cpack gave ${rc} and ${count} packages:\n${out}")
endif()

# The dependencies the binaries do not name are there beside those dpkg-shlibdeps found.
execute_process(COMMAND dpkg-deb --field ${debs} Depends OUTPUT_VARIABLE depends)
set(needed_list "libc6 " "libarchive13 ")
if(GUI)
  list(APPEND needed_list "libqt6widgets6 " fonts-ipafont-gothic qt6-translations-l10n)
endif()
foreach(needed IN LISTS needed_list)
  string(FIND "${depends}" "${needed}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "Depends lacks ${needed}: ${depends}")
  endif()
endforeach()

execute_process(COMMAND ${LINTIAN} --fail-on error,warning --tag-display-limit 0 ${debs}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "lintian gave ${rc}:\n${out}${err}")
endif()
message("lintian on ${debs}: ${out}")
file(REMOVE_RECURSE ${OUT})
