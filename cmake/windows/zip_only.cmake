# Read by cpack once for each package it makes (CPACK_PROJECT_CONFIG_FILE): the zip is the
# portable program folder and gets portable.ini; the installer's program keeps its files in the
# user's folders.
if(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_INSTALL_SCRIPTS "${CPACK_HOPPER_PORTABLE_SCRIPT}")
endif()
