# suite_program(<name> [DESCRIPTION <file description>] SOURCES ... RESOURCES ... [DATA ...])
#
# A program of the suite: its handlers and modules (SOURCES) go into an object library that the
# executable and the program's tests share; its form description and embedded pictures
# (RESOURCES, Form1.form first) are compiled in; DATA files are read at run time from the working
# directory, so they are copied beside the executable and installed with it.
set(SUITE_CMAKE_DIR ${CMAKE_CURRENT_LIST_DIR})

function(suite_program name)
  cmake_parse_arguments(ARG "" "DESCRIPTION" "SOURCES;RESOURCES;DATA" ${ARGN})
  foreach(file IN LISTS ARG_RESOURCES ARG_DATA)
    if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${file})
      message(WARNING "${name}: ${file} is missing; the program is left out of this build")
      return()
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
  add_test(NAME version_record_${name}
           COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:${name}> -DNAME=${name} "-DDESCRIPTION=${ARG_DESCRIPTION}"
                   -DOUT=${CMAKE_CURRENT_BINARY_DIR}/version_record.bin -P ${SUITE_CMAKE_DIR}/CheckVersionRecord.cmake)
  set_property(GLOBAL APPEND PROPERTY SUITE_PROGRAM_TARGETS ${name})
endfunction()
