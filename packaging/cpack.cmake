# Debian package settings: `cpack -G DEB` in the build folder makes
# ravo_<version>_<arch>.deb from the install rules in packaging/.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ravo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "RAVO")
set(CPACK_PACKAGE_CONTACT "RAVO <ravo@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "change the content of many text files at once")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# MIT; the package states it in usr/share/doc/ravo/copyright.
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "RAVO <ravo@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "RAVO is a small Czech-language desktop tool. List the text files, type up\n\
to four pairs of an original string and its replacement, optionally back the\n\
files up into a folder, and start: in every line of every listed file the\n\
first occurrence of each original is replaced, with an operation log and a\n\
progress bar.")
# The Depends line comes from the shared libraries the program links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Metric-compatible stand-ins for the Arial and Courier New the windows ask
# for, and Qt's own Czech texts for its dialogs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, qt6-translations-l10n")
# Qt's Wayland platform, for those who choose it over XWayland.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland")
# ravo_<version>_<arch>.deb
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

include(CPack)
