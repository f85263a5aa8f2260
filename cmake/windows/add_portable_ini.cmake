# Run by cpack while it lays out the zip's folder (CMAKE_INSTALL_PREFIX is that folder).
file(COPY "${CMAKE_CURRENT_LIST_DIR}/portable.ini" DESTINATION "${CMAKE_INSTALL_PREFIX}")
