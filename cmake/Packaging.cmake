# The Debian package: `cpack -G DEB` in the build folder. Its dependencies are the Debian packages
# whose libraries and files the installed programs use.
set(CPACK_PACKAGE_NAME yuzulog)
set(CPACK_PACKAGE_VENDOR "yuzulog developers")
set(CPACK_PACKAGE_CONTACT "yuzulog developers <yuzulog@example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://yuzulog.example.org/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "viewer and search tool for the YUZUBAN forum's conference-room logs")
set(CPACK_PACKAGE_DESCRIPTION
    "yuzulog reads the past logs of the conference rooms of the YUZUBAN forum on NIFTY-Serve\n\
(Shift-JIS text, mostly in LHA archives), shows rooms and threads in a tree, shows each message\n\
as a page with live links, and searches by writer, handle name and keywords. yuzulog-cli gives\n\
scripts the same reading, searching and page rendering.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The minimum versions are those dpkg-shlibdeps finds for the programs built with GCC 12.
set(deb_depends "libc6 (>= 2.34)" "libstdc++6 (>= 12)" "libgcc-s1" "libarchive13")
if(YUZULOG_BUILD_GUI)
  set(qt ">= ${Qt6_VERSION_MAJOR}.${Qt6_VERSION_MINOR}")
  list(APPEND deb_depends "libqt6core6 (${qt})" "libqt6gui6 (${qt})" "libqt6widgets6 (${qt})")
  if(TARGET Qt6::WebEngineWidgets)
    # The browser view runs the engine's helper process from the -bin package.
    list(APPEND deb_depends "libqt6webenginewidgets6 (${qt})" "libqt6webenginecore6 (${qt})"
         "libqt6webenginecore6-bin (${qt})")
  endif()
  # The design fonts of the logs' era are shown with the IPA fonts.
  list(APPEND deb_depends "fonts-ipafont-gothic" "fonts-ipafont-mincho")
  # Qt's own Japanese texts for the standard buttons and the file dialog (qtbase_ja.qm).
  list(APPEND deb_depends "qt6-translations-l10n")
endif()
list(JOIN deb_depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)

include(CPack)
