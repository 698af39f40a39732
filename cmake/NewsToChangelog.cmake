# Writes the release notes as a Debian changelog: one entry per "## VERSION (YYYY-MM-DD)" heading,
# its "- " items as "  * " items, continuation lines kept under them.
#
#   cmake -DNEWS=<NEWS.md> -DOUT=<changelog> -DPACKAGE=<name> -DMAINTAINER="Name <address>"
#         -P NewsToChangelog.cmake

# The date line Debian wants (RFC 5322), at noon UTC of the release day; the weekday by Zeller's
# congruence, as CMake cannot parse a date.
function(release_date year month day out)
  set(m ${month})
  set(y ${year})
  if(m LESS 3)
    math(EXPR m "${m} + 12")
    math(EXPR y "${y} - 1")
  endif()
  math(EXPR h "(${day} + (13 * (${m} + 1)) / 5 + ${y} % 100 + (${y} % 100) / 4 + (${y} / 100) / 4
               + 5 * (${y} / 100)) % 7")
  set(weekdays Sat Sun Mon Tue Wed Thu Fri)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(GET weekdays ${h} wd)
  math(EXPR mi "${month} - 1")
  list(GET months ${mi} mn)
  set(${out} "${wd}, ${day} ${mn} ${year} 12:00:00 +0000" PARENT_SCOPE)
endfunction()

# Lines as a list; a semicolon in the text must not split one.
file(READ ${NEWS} news)
string(REPLACE ";" "\\;" news "${news}")
string(REPLACE "\n" ";" lines "${news}")
set(text "")
set(trailer "")
set(in_entry FALSE)
foreach(line IN LISTS lines)
  if(line MATCHES "^## ([0-9][0-9.]*) \\(([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])\\)$")
    set(version ${CMAKE_MATCH_1})
    math(EXPR year "${CMAKE_MATCH_2}")
    math(EXPR month "${CMAKE_MATCH_3}")
    math(EXPR day "${CMAKE_MATCH_4}")
    release_date(${year} ${month} ${day} date)
    string(APPEND text "${trailer}${PACKAGE} (${version}) unstable; urgency=medium\n\n")
    set(trailer "\n -- ${MAINTAINER}  ${date}\n\n")
    set(in_entry TRUE)
  elseif(line MATCHES "^## ")
    message(FATAL_ERROR "${NEWS}: a version heading must read \"## VERSION (YYYY-MM-DD)\": ${line}")
  elseif(in_entry AND line MATCHES "^- (.*)$")
    string(APPEND text "  * ${CMAKE_MATCH_1}\n")
  elseif(in_entry AND line MATCHES "^  +(.*)$")
    string(APPEND text "    ${CMAKE_MATCH_1}\n")
  endif()
endforeach()
if(NOT in_entry)
  message(FATAL_ERROR "${NEWS} names no version")
endif()
string(REGEX REPLACE "\n\n$" "\n" trailer "${trailer}")
file(WRITE ${OUT} "${text}${trailer}")
