# Writes one program's desktop entry under the prefix the install runs with.
set(prefix "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(SUITE_DESKTOP_EXEC "${CMAKE_INSTALL_PREFIX}/${SUITE_BINDIR}/${SUITE_PROGRAM_NAME}")
set(SUITE_DESKTOP_PATH "")
if(SUITE_HAS_DATA)
  # Programs that read files find them in their working directory.
  set(SUITE_DESKTOP_PATH "Path=${CMAKE_INSTALL_PREFIX}/${SUITE_DATADIR}/multimedia-techniques/${SUITE_PROGRAM_NAME}")
endif()
set(entry "${prefix}/${SUITE_DATADIR}/applications/multimedia-techniques-${SUITE_PROGRAM_NAME}.desktop")
configure_file(${CMAKE_CURRENT_LIST_DIR}/program.desktop.in ${entry} @ONLY)
message(STATUS "Installing: ${entry}")
