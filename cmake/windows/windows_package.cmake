# The Windows program folder and its two packages (./dev windows): `cmake --install` lays out
# the folder (the programs, the Qt libraries and the windows plugin, the MinGW runtime, the
# manual and the pictures), `cpack` makes the per-user NSIS installer and the portable zip.
if(NOT WIN32)
  return()
endif()

# The kit's Qt libraries, found from Qt6Core's own location.
get_target_property(qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
if(NOT qt_core_dll)
  get_target_property(qt_core_dll Qt6::Core IMPORTED_LOCATION)
endif()
get_filename_component(qt_bin_dir ${qt_core_dll} DIRECTORY)
get_filename_component(qt_prefix ${qt_bin_dir} DIRECTORY)
set(qt_dlls)
foreach(module Core Gui Widgets Network Sql)
  list(APPEND qt_dlls ${qt_bin_dir}/Qt6${module}.dll)
endforeach()

# The MinGW runtime the compiler links the programs and Qt against.
set(mingw_runtime)
foreach(dll libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll} OUTPUT_VARIABLE found
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${found}")
    # The compiler names only what lies in its own folders; the threads library sits in the sysroot.
    find_file(found_${dll} ${dll} PATHS /usr/x86_64-w64-mingw32/lib NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    set(found ${found_${dll}})
  endif()
  if(NOT EXISTS "${found}")
    message(FATAL_ERROR "The MinGW runtime library ${dll} was not found")
  endif()
  list(APPEND mingw_runtime ${found})
endforeach()

install(FILES ${qt_dlls} ${mingw_runtime} DESTINATION .)
install(FILES ${qt_prefix}/plugins/platforms/qwindows.dll DESTINATION platforms)
# The journal's SQLite driver; the kit has no PostgreSQL driver, so a shared journal says so.
if(EXISTS ${qt_prefix}/plugins/sqldrivers/qsqlite.dll)
  install(FILES ${qt_prefix}/plugins/sqldrivers/qsqlite.dll DESTINATION sqldrivers)
endif()
if(EXISTS ${qt_prefix}/plugins/styles/qwindowsvistastyle.dll)
  install(FILES ${qt_prefix}/plugins/styles/qwindowsvistastyle.dll DESTINATION styles)
endif()
# The libraries come with their symbols; stripped, the folder is well under half the size.
if(CMAKE_STRIP)
  install(CODE "
    file(GLOB_RECURSE dlls \"\${CMAKE_INSTALL_PREFIX}/*.dll\")
    foreach(dll IN LISTS dlls)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \"\${dll}\")
    endforeach()")
endif()

set(CPACK_GENERATOR NSIS ZIP)
# Only the zip holds portable.ini (see portable.ini).
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/zip_only.cmake)
set(CPACK_HOPPER_PORTABLE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/add_portable_ini.cmake)
set(CPACK_PACKAGE_NAME hopper-setting-tool)
set(CPACK_PACKAGE_VENDOR "Hopper Setting Tool developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "set up the coin numbers of a coin hopper over a serial line")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Hopper Setting Tool")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Hopper Setting Tool")
set(CPACK_PACKAGE_FILE_NAME hopper-setting-tool-${PROJECT_VERSION}-windows-x64)
set(CPACK_STRIP_FILES ON)
# The zip holds the program folder itself, so it runs from wherever it is unpacked.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_EXECUTABLES hopper-setting-tool "Hopper Setting Tool")
set(CPACK_NSIS_PACKAGE_NAME "Hopper Setting Tool")
set(CPACK_NSIS_DISPLAY_NAME "Hopper Setting Tool ${PROJECT_VERSION}")
set(CPACK_NSIS_INSTALLED_ICON_NAME hopper-setting-tool.exe)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_INSTALL_ROOT "$LOCALAPPDATA\\\\Programs")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
if(HOPPER_WINDOWS_ICON)
  set(CPACK_NSIS_MUI_ICON ${HOPPER_WINDOWS_ICON})
  set(CPACK_NSIS_MUI_UNIICON ${HOPPER_WINDOWS_ICON})
endif()

# CMake's installer script asks for administrator rights and, for an administrator, installs for
# all users. This one installs for the user who runs it, into the user's own folders and
# registry, as a 64-bit Unicode installer.
set(template_in ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in)
file(READ ${template_in} template)
string(REPLACE "RequestExecutionLevel admin" "RequestExecutionLevel user\n  Target amd64-unicode" template "${template}")
string(REPLACE "SetShellVarContext all" "SetShellVarContext current" template "${template}")
string(REPLACE "StrCpy $SV_ALLUSERS \"AllUsers\"" "StrCpy $SV_ALLUSERS \"JustMe\"" template "${template}")
string(REPLACE "StrCpy $INSTDIR \"$DOCUMENTS\\" "StrCpy $INSTDIR \"@CPACK_NSIS_INSTALL_ROOT@\\" template "${template}")
string(REPLACE "HKLM \"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" "HKCU \"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" template "${template}")
foreach(needed "RequestExecutionLevel user" "Target amd64-unicode")
  string(FIND "${template}" "${needed}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "The NSIS template of this CMake could not be made per-user (${needed})")
  endif()
endforeach()
set(template_dir ${CMAKE_BINARY_DIR}/nsis-template)
file(WRITE ${template_dir}/NSIS.template.in "${template}")
file(COPY ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.InstallOptions.ini.in DESTINATION ${template_dir})
list(PREPEND CMAKE_MODULE_PATH ${template_dir})
include(CPack)
