# Fails when a source file includes a folder above its own, or when a core file includes a Qt
# header. Every target shares the root include folder, so the link lines alone cannot catch an
# include that points upward.
#
#   cmake -DSOURCE_DIR=<repo> -P CheckLayering.cmake
#
# The order, lowest first: common <- platform <- logdata <- htmlview, search (siblings: neither
# includes the other) <- the core of mainwindow <- marks <- workspace <- export, stats (siblings)
# <- cli. The windows (every ui/ folder and dialogs/)
# sit above the core, app/ on top; one feature's ui/ folder never includes another's (what two
# windows share is the workspace, and the interfaces and helpers in dialogs/). A folder's tests/ may include what it tests and anything below,
# and the shared test code in tests/; tests/, bench/ and fuzz/ themselves may include anything.
# Qt headers belong to ui/, dialogs/, app/, the shared test code and bench/ only.

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "CheckLayering.cmake needs -DSOURCE_DIR=<the repository>")
endif()

set(kAnything 100)

# The layer of a path inside the repository (a file, or the folder part of an include), in
# LAYER; -1 for a path outside every layer.
function(layer_of path)
  if(path MATCHES "^(tests|bench|fuzz)/")
    set(LAYER ${kAnything} PARENT_SCOPE)
  elseif(path MATCHES "^app/")
    set(LAYER 11 PARENT_SCOPE)
  elseif(path MATCHES "^[a-z]+/ui/")
    set(LAYER 10 PARENT_SCOPE)
  elseif(path MATCHES "^dialogs/")
    set(LAYER 9 PARENT_SCOPE)
  elseif(path MATCHES "^cli/")
    set(LAYER 8 PARENT_SCOPE)
  elseif(path MATCHES "^(export|stats)/")
    set(LAYER 7 PARENT_SCOPE)
  elseif(path MATCHES "^workspace/")
    set(LAYER 6 PARENT_SCOPE)
  elseif(path MATCHES "^marks/")
    set(LAYER 5 PARENT_SCOPE)
  elseif(path MATCHES "^mainwindow/")
    set(LAYER 4 PARENT_SCOPE)
  elseif(path MATCHES "^(htmlview|search)/")
    set(LAYER 3 PARENT_SCOPE)
  elseif(path MATCHES "^logdata/")
    set(LAYER 2 PARENT_SCOPE)
  elseif(path MATCHES "^platform/")
    set(LAYER 1 PARENT_SCOPE)
  elseif(path MATCHES "^common/")
    set(LAYER 0 PARENT_SCOPE)
  else()
    set(LAYER -1 PARENT_SCOPE)
  endif()
endfunction()

# The feature folder a path belongs to (its first component).
function(folder_of path)
  string(REGEX REPLACE "/.*" "" folder "${path}")
  set(FOLDER ${folder} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
     ${SOURCE_DIR}/common/*.h ${SOURCE_DIR}/common/*.cpp
     ${SOURCE_DIR}/platform/*.h ${SOURCE_DIR}/platform/*.cpp
     ${SOURCE_DIR}/logdata/*.h ${SOURCE_DIR}/logdata/*.cpp
     ${SOURCE_DIR}/htmlview/*.h ${SOURCE_DIR}/htmlview/*.cpp
     ${SOURCE_DIR}/search/*.h ${SOURCE_DIR}/search/*.cpp
     ${SOURCE_DIR}/mainwindow/*.h ${SOURCE_DIR}/mainwindow/*.cpp
     ${SOURCE_DIR}/marks/*.h ${SOURCE_DIR}/marks/*.cpp
     ${SOURCE_DIR}/workspace/*.h ${SOURCE_DIR}/workspace/*.cpp
     ${SOURCE_DIR}/export/*.h ${SOURCE_DIR}/export/*.cpp
     ${SOURCE_DIR}/stats/*.h ${SOURCE_DIR}/stats/*.cpp
     ${SOURCE_DIR}/cli/*.h ${SOURCE_DIR}/cli/*.cpp
     ${SOURCE_DIR}/dialogs/*.h ${SOURCE_DIR}/dialogs/*.cpp
     ${SOURCE_DIR}/app/*.h ${SOURCE_DIR}/app/*.cpp
     ${SOURCE_DIR}/tests/*.h ${SOURCE_DIR}/tests/*.cpp
     ${SOURCE_DIR}/bench/*.h ${SOURCE_DIR}/bench/*.cpp
     ${SOURCE_DIR}/fuzz/*.h ${SOURCE_DIR}/fuzz/*.cpp)

set(problems "")
foreach(file IN LISTS sources)
  layer_of("${file}")
  set(own ${LAYER})
  folder_of("${file}")
  set(ownFolder ${FOLDER})
  set(isTest FALSE)
  if(file MATCHES "/tests/")
    set(isTest TRUE)
  endif()
  set(mayUseQt FALSE)
  if(file MATCHES "^([a-z]+/ui|dialogs|app|tests|bench)/")
    set(mayUseQt TRUE)
  endif()

  file(STRINGS ${SOURCE_DIR}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line IN LISTS includes)
    if(line MATCHES "include[ \t]*<(Q[A-Za-z]|Qt[A-Za-z]*/)")
      if(NOT mayUseQt)
        string(STRIP "${line}" line)
        list(APPEND problems "${file}: a core file includes a Qt header: ${line}")
      endif()
      continue()
    endif()
    if(NOT line MATCHES "include[ \t]*\"([^\"]+)\"")
      continue()
    endif()
    set(target ${CMAKE_MATCH_1})
    layer_of("${target}")
    set(theirs ${LAYER})
    folder_of("${target}")
    set(theirFolder ${FOLDER})
    if(theirs EQUAL -1 OR own EQUAL kAnything)
      continue()
    endif()
    # Shared test code serves the tests of every folder.
    if(isTest AND target MATCHES "^tests/")
      continue()
    endif()
    if(theirs GREATER own)
      list(APPEND problems "${file}: includes ${target}, a folder above its own")
    elseif(theirs EQUAL 3 AND own EQUAL 3 AND NOT theirFolder STREQUAL ownFolder)
      list(APPEND problems "${file}: includes ${target}, but htmlview and search are siblings")
    elseif(theirs EQUAL 7 AND own EQUAL 7 AND NOT theirFolder STREQUAL ownFolder)
      list(APPEND problems "${file}: includes ${target}, but export and stats are siblings")
    elseif(theirs EQUAL 10 AND own EQUAL 10 AND NOT isTest AND NOT theirFolder STREQUAL ownFolder)
      list(APPEND problems "${file}: includes ${target}, another feature's window")
    endif()
  endforeach()
endforeach()

list(LENGTH sources count)
if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "layering: ${count} files checked; these includes break the order\n"
                      "  common <- platform <- logdata <- htmlview, search <- mainwindow <- marks "
                      "<- workspace <- export, stats <- cli <- windows <- app:\n  ${text}")
endif()
message(STATUS "layering: ${count} files checked, every include points down")
