# `cpack -G DEB` (./dev package): a Debian package of what `cmake --install` lays out, under /usr.
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  return()
endif()

# Debian wants a change log beside the copyright file, compressed without a time stamp.
set(changelog ${CMAKE_BINARY_DIR}/package/changelog)
file(WRITE ${changelog}
  "hopper-setting-tool (${PROJECT_VERSION}) stable; urgency=medium\n\n"
  "  * Installed as a desktop program: menu entry, icons, AppStream metadata.\n\n"
  " -- The Hopper Setting Tool developers <maintainers@users.noreply.c-seed-b9955bda.example>  Mon, 07 Dec 2026 12:00:00 +0000\n")
find_program(GZIP_PROGRAM gzip)
if(GZIP_PROGRAM)
  execute_process(COMMAND ${GZIP_PROGRAM} -9nf ${changelog})
  install(FILES ${changelog}.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/hopper-setting-tool)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hopper-setting-tool)
set(CPACK_PACKAGE_VENDOR "Hopper Setting Tool developers")
set(CPACK_PACKAGE_CONTACT "The Hopper Setting Tool developers <maintainers@users.noreply.c-seed-b9955bda.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "set up the coin numbers of a coin hopper over a serial line")
# CPack indents the text and marks the blank line between paragraphs as Debian wants.
set(CPACK_PACKAGE_DESCRIPTION
  "A service tool for technicians: it shows the 16 coin numbers a coin hopper
reports when it is switched on, lets them be edited, writes them back into
the hopper and shows the hopper's read-back.

Sets of coin numbers are kept in plain-text parameter files, a simulation
window drives the hopper's dispense protocol so that a new setting can be
tried at once, and the operating manual is at hand. The hopper-emulator
program plays a hopper on a pseudo-terminal for training and testing.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its database drivers as plugins, which the shared-library scan cannot see: the
# journal's SQLite file always, a line's shared PostgreSQL database where one is set.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libqt6sql6-psql")
include(CPack)
