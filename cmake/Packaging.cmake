# The shell as a Debian package: `cmake --build build --target package` writes
# pageshell_<version>_amd64.deb with /usr/bin/pageshell, the client library in
# /usr/share/pageshell (and as an npm package in /usr/share/pageshell/js) and
# the documentation in /usr/share/doc/pageshell. Its
# Depends are the binary's libraries as dpkg-shlibdeps finds them, plus what
# the shell starts on a page's behalf. Apps built on the shell are packaged
# by tools/package-app.
#
# Each web engine's build makes its own package. The Qt WebEngine build is the
# package pageshell; the QtWebKit build is pageshell-webkit, which stands in
# for pageshell (Provides, Conflicts, Replaces: both install
# /usr/bin/pageshell), so that an app's package, which depends on pageshell,
# installs beside either.
if(PAGESHELL_FUZZ)
  return()
endif()

set(PAGESHELL_PACKAGE_VERSION 1.0.3)

install(TARGETS pageshell RUNTIME DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/js/pageshell.js DESTINATION share/pageshell)
# The client library as the npm package an app's build installs from
# (npm install /usr/share/pageshell/js).
install(FILES ${PROJECT_SOURCE_DIR}/js/package.json ${PROJECT_SOURCE_DIR}/js/pageshell.js
              ${PROJECT_SOURCE_DIR}/js/pageshell.mjs ${PROJECT_SOURCE_DIR}/js/pageshell.d.ts
        DESTINATION share/pageshell/js)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION share/doc/pageshell)
# The command reference is written by its own generator; a tree without it
# still packages.
if(EXISTS ${PROJECT_SOURCE_DIR}/docs/commands.md)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/commands.md DESTINATION share/doc/pageshell)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/docs/print-format.md ${PROJECT_SOURCE_DIR}/docs/known-folders.md
        DESTINATION share/doc/pageshell)

if(NOT PAGESHELL_ENGINE)
  set(PAGESHELL_ENGINE webengine)
endif()
if(PAGESHELL_ENGINE STREQUAL "webengine")
  set(CPACK_PACKAGE_NAME pageshell)
elseif(PAGESHELL_ENGINE STREQUAL "webkit")
  set(CPACK_PACKAGE_NAME pageshell-webkit)
  set(CPACK_DEBIAN_PACKAGE_PROVIDES pageshell)
  set(CPACK_DEBIAN_PACKAGE_CONFLICTS pageshell)
  set(CPACK_DEBIAN_PACKAGE_REPLACES pageshell)
else()
  message(FATAL_ERROR "PAGESHELL_ENGINE is webkit or webengine, not ${PAGESHELL_ENGINE}")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_VERSION ${PAGESHELL_PACKAGE_VERSION})
set(CPACK_PACKAGE_CONTACT "pageshell maintainers <pageshell@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Desktop shell for locally installed HTML/JavaScript applications")
set(CPACK_PACKAGE_DESCRIPTION
    "Shows an app's index.html in one window and gives its script SQLite databases, file\n dialogs, ZIP archives, downloads, TCP, printing and PDF files through one object.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# shellExecute opens documents with xdg-open; downloads over TLS trust the
# system's authorities.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils, ca-certificates")
include(CPack)
