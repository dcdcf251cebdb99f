# suite_program(<name> [DESCRIPTION <file description>] [TITLE <menu name>] SOURCES ...
#               RESOURCES ... [DATA ...] TITLE_EN ... SUMMARY_EN ... SUMMARY_JA ...
#               ABOUT_EN ... ABOUT_JA ... CATEGORIES ...)
#
# A program of the suite: its handlers and modules (SOURCES) go into an object library that the
# executable and the program's tests share; its form description and embedded pictures
# (RESOURCES, Form1.form first) are compiled in; DATA files are read at run time from the working
# directory, so they are copied beside the executable and installed in a folder that its desktop
# entry starts it in. TITLE names it in the desktop menu (the file description when not given).
# TITLE_EN, the summaries, the one-paragraph descriptions (ABOUT_*) and the AppStream CATEGORIES
# describe it to software centres and in its manual page.
set(SUITE_CMAKE_DIR ${CMAKE_CURRENT_LIST_DIR})
include(GNUInstallDirs)
include(${CMAKE_CURRENT_LIST_DIR}/ProgramMetainfo.cmake)

function(suite_program name)
  # PARSE_ARGV keeps the semicolons of the texts.
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "DESCRIPTION;TITLE;TITLE_EN;SUMMARY_EN;SUMMARY_JA;ABOUT_EN;ABOUT_JA"
                        "SOURCES;RESOURCES;DATA;CATEGORIES")
  foreach(file IN LISTS ARG_RESOURCES ARG_DATA ITEMS icon.svg)
    if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${file})
      message(FATAL_ERROR "${name}: ${file} is missing")
    endif()
  endforeach()
  set(SUITE_PROGRAM_NAME ${name})
  set(SUITE_FILE_DESCRIPTION "${ARG_DESCRIPTION}")
  configure_file(${SUITE_CMAKE_DIR}/program_info.cpp.in ${CMAKE_CURRENT_BINARY_DIR}/program_info.cpp @ONLY)

  add_library(${name}_program OBJECT ${ARG_SOURCES} ${CMAKE_CURRENT_BINARY_DIR}/program_info.cpp)
  target_link_libraries(${name}_program PUBLIC frame)
  target_include_directories(${name}_program PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  qt_add_resources(${name}_program ${name}_form PREFIX "/" FILES ${ARG_RESOURCES})

  add_executable(${name})
  target_link_libraries(${name} PRIVATE ${name}_program frame_main)

  foreach(file IN LISTS ARG_DATA)
    configure_file(${file} ${CMAKE_CURRENT_BINARY_DIR}/${file} COPYONLY)
  endforeach()
  install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(ARG_DATA)
    install(FILES ${ARG_DATA} DESTINATION ${CMAKE_INSTALL_DATADIR}/multimedia-techniques/${name})
  endif()
  set(menu_name "${ARG_TITLE}")
  if(NOT menu_name)
    set(menu_name "${ARG_DESCRIPTION}")
  endif()
  # The entry names the installed paths, known only when the install runs (its prefix may differ).
  install(CODE "
    set(SUITE_PROGRAM_NAME ${name})
    set(SUITE_DESKTOP_NAME \"${menu_name}\")
    set(SUITE_HAS_DATA \"${ARG_DATA}\")
    set(SUITE_BINDIR ${CMAKE_INSTALL_BINDIR})
    set(SUITE_DATADIR ${CMAKE_INSTALL_DATADIR})
    include(${SUITE_CMAKE_DIR}/InstallDesktopEntry.cmake)")
  suite_program_metainfo(${name} multimedia-techniques-${name}.desktop "${menu_name}" "${ARG_DATA}"
    TITLE_EN "${ARG_TITLE_EN}" SUMMARY_EN "${ARG_SUMMARY_EN}" SUMMARY_JA "${ARG_SUMMARY_JA}"
    ABOUT_EN "${ARG_ABOUT_EN}" ABOUT_JA "${ARG_ABOUT_JA}" CATEGORIES ${ARG_CATEGORIES})
  install(FILES icon.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME multimedia-techniques-${name}.svg)

  add_test(NAME version_record_${name}
           COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:${name}> -DNAME=${name} "-DDESCRIPTION=${ARG_DESCRIPTION}"
                   -DOUT=${CMAKE_CURRENT_BINARY_DIR}/version_record.bin -P ${SUITE_CMAKE_DIR}/CheckVersionRecord.cmake)
endfunction()
