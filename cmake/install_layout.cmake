# Where `cmake --install` puts the program.
#
# Linux: the program gets a folder of its own, <prefix>/lib/hopper-setting-tool, holding the
# executable with Manual.rtf and Ar1..Ar3.bmp beside it (it reads them from the folder that
# holds it, and never writes there). <prefix>/bin/hopper-setting-tool is a relative link to it:
# Qt finds the program folder through /proc/self/exe, which names the real file, so the link
# works from the path and from the desktop menu. The emulator, the desktop entry, the icons and
# the AppStream metadata go where a Linux desktop looks for them.
#
# Elsewhere the program folder is simply bin/.
include(GNUInstallDirs)

set(HOPPER_APP_ID kit.hopper.HopperSettingTool)
file(GLOB HOPPER_PROGRAM_FOLDER_FILES ${CMAKE_SOURCE_DIR}/assets/program-folder/*)

if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  install(TARGETS hopper-setting-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${HOPPER_PROGRAM_FOLDER_FILES} DESTINATION ${CMAKE_INSTALL_BINDIR})
  return()
endif()

set(HOPPER_PROGRAM_DIR lib/hopper-setting-tool CACHE STRING
    "The program folder, relative to the install prefix")
install(TARGETS hopper-setting-tool RUNTIME DESTINATION ${HOPPER_PROGRAM_DIR})
install(FILES ${HOPPER_PROGRAM_FOLDER_FILES} DESTINATION ${HOPPER_PROGRAM_DIR})

# The link is made in the build folder and installed as it is (install keeps links as links).
file(RELATIVE_PATH link_target /${CMAKE_INSTALL_BINDIR} /${HOPPER_PROGRAM_DIR}/hopper-setting-tool)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/launcher)
file(CREATE_LINK ${link_target} ${CMAKE_BINARY_DIR}/launcher/hopper-setting-tool SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/launcher/hopper-setting-tool DESTINATION ${CMAKE_INSTALL_BINDIR})

install(TARGETS hopper-emulator RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${CMAKE_SOURCE_DIR}/assets/desktop/${HOPPER_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/assets/desktop/${HOPPER_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${HOPPER_ICON_FOLDER} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${CMAKE_SOURCE_DIR}/assets/desktop/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/hopper-setting-tool)

# Each program's man page is written from its own --help text at build time (man_page.cmake),
# so the options it lists are the ones the program takes; Debian wants them gzip -9n compressed.
find_program(GZIP_PROGRAM gzip)
if(GZIP_PROGRAM AND NOT CMAKE_CROSSCOMPILING)
  function(hopper_man_page program summary)
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    set(others hopper-setting-tool hopper-cli hopper-emulator)
    list(REMOVE_ITEM others ${program})
    list(JOIN others "," others)  # a ";" would split the command's argument
    add_custom_command(OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      # --help needs no desktop; a sanitized build's leak report would spoil the exit code.
      COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
              ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> -DNAME=${program} -DSUMMARY=${summary}
              -DVERSION=${PROJECT_VERSION} "-DSEE_ALSO=${others}" -DOUTPUT=${page} -DGZIP=${GZIP_PROGRAM}
              -P ${CMAKE_SOURCE_DIR}/cmake/man_page.cmake
      DEPENDS ${program} ${CMAKE_SOURCE_DIR}/cmake/man_page.cmake
      COMMENT "Writing the man page of ${program} from its --help"
      VERBATIM)
    add_custom_target(${program}_man_page ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endfunction()
  hopper_man_page(hopper-setting-tool "set up the coin numbers of a coin hopper over a serial line")
  hopper_man_page(hopper-cli "read and write a coin hopper's coin numbers without a window")
  hopper_man_page(hopper-emulator "play a coin hopper on a serial line, for training and testing")
endif()
