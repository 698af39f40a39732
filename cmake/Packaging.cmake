# What is installed beside the programs (manual pages, documents, desktop metadata, completion)
# and the Debian package: `cpack -G DEB` in the build folder.

# Manual pages and the changelog go gzipped at the strongest level, without the file's name and
# time in the header, so that two builds of the same sources give the same files.
find_program(YUZULOG_GZIP gzip REQUIRED)
set(doc_build ${CMAKE_BINARY_DIR}/doc)
set(man_pages ${PROJECT_SOURCE_DIR}/cli/yuzulog-cli.1)
if(YUZULOG_BUILD_GUI)
  list(APPEND man_pages ${PROJECT_SOURCE_DIR}/app/yuzulog.1)
endif()
set(gzipped)
foreach(page IN LISTS man_pages)
  get_filename_component(name ${page} NAME)
  add_custom_command(OUTPUT ${doc_build}/${name}.gz
                     COMMAND ${CMAKE_COMMAND} -E copy ${page} ${doc_build}/${name}
                     COMMAND ${YUZULOG_GZIP} -9nf ${doc_build}/${name}
                     DEPENDS ${page} VERBATIM)
  list(APPEND gzipped ${doc_build}/${name}.gz)
endforeach()
install(FILES ${gzipped} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The changelog is the release notes written the way Debian's tools read a changelog.
set(YUZULOG_MAINTAINER "yuzulog developers <yuzulog@example.org>")
add_custom_command(OUTPUT ${doc_build}/changelog.gz
                   COMMAND ${CMAKE_COMMAND} -DNEWS=${PROJECT_SOURCE_DIR}/NEWS.md
                           -DOUT=${doc_build}/changelog -DPACKAGE=${PROJECT_NAME}
                           -DMAINTAINER=${YUZULOG_MAINTAINER}
                           -P ${PROJECT_SOURCE_DIR}/cmake/NewsToChangelog.cmake
                   COMMAND ${YUZULOG_GZIP} -9nf ${doc_build}/changelog
                   DEPENDS ${PROJECT_SOURCE_DIR}/NEWS.md
                           ${PROJECT_SOURCE_DIR}/cmake/NewsToChangelog.cmake
                   VERBATIM)
add_custom_target(yuzulog_docs ALL DEPENDS ${gzipped} ${doc_build}/changelog.gz)
install(FILES ${doc_build}/changelog.gz ${PROJECT_SOURCE_DIR}/docs/copyright
              ${PROJECT_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/cli/yuzulog-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME yuzulog-cli)
if(YUZULOG_BUILD_GUI)
  install(FILES ${PROJECT_SOURCE_DIR}/app/yuzulog.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  # Software centres read this file; the id is not a reverse domain name while the project has
  # no domain of its own, which is the one finding allowed.
  find_program(YUZULOG_APPSTREAMCLI appstreamcli)
  if(YUZULOG_APPSTREAMCLI)
    add_test(NAME appstream
             COMMAND ${YUZULOG_APPSTREAMCLI} validate --no-net
                     --override=cid-desktopapp-is-not-rdns=info
                     ${PROJECT_SOURCE_DIR}/app/yuzulog.metainfo.xml)
  else()
    add_test(NAME appstream COMMAND ${CMAKE_COMMAND} -E echo
                                    "appstream test skipped: appstreamcli is not installed")
    set_tests_properties(appstream PROPERTIES SKIP_REGULAR_EXPRESSION "test skipped")
  endif()
  set_tests_properties(appstream PROPERTIES LABELS package)
endif()

set(CPACK_PACKAGE_NAME yuzulog)
set(CPACK_PACKAGE_VENDOR "yuzulog developers")
set(CPACK_PACKAGE_CONTACT "${YUZULOG_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "viewer and search tool for the YUZUBAN forum's conference-room logs")
# Debian shows these lines as they stand: each within 80 characters with the leading blank.
set(CPACK_PACKAGE_DESCRIPTION
    "yuzulog reads the past logs of the conference rooms of the YUZUBAN forum on\n\
NIFTY-Serve (Shift-JIS text, mostly in LHA archives), shows rooms and threads\n\
in a tree, shows each message as a page with live links, and searches by\n\
writer, handle name and keywords. yuzulog-cli gives scripts the same reading,\n\
searching and page rendering.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link come from dpkg-shlibdeps, so a library linked later is never
# missing; named here is only what no binary names.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(deb_depends)
if(YUZULOG_BUILD_GUI)
  # The design fonts of the logs' era are shown with the IPA fonts. (The browser engine's helper
  # process comes with its library's own dependencies.)
  list(APPEND deb_depends "fonts-ipafont-gothic" "fonts-ipafont-mincho")
  # Qt's own Japanese texts for the standard buttons and the file dialog (qtbase_ja.qm).
  list(APPEND deb_depends "qt6-translations-l10n")
  # Mail and web addresses open through the desktop's own programs.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
endif()
list(JOIN deb_depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)

include(CPack)

# Builds the package into a folder of its own and holds it to Debian's checker.
add_test(NAME package
         COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR}
                 -DOUT=${CMAKE_BINARY_DIR}/package-test -DCPACK=${CMAKE_CPACK_COMMAND}
                 -DGUI=${YUZULOG_BUILD_GUI}
                 -P ${PROJECT_SOURCE_DIR}/cmake/PackageTest.cmake)
set_tests_properties(package PROPERTIES LABELS package SKIP_REGULAR_EXPRESSION "test skipped"
                                        TIMEOUT 900)
