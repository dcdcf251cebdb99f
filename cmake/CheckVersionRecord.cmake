cmake_minimum_required(VERSION 3.25)
# Reads a program's version record back with objcopy and checks every field.
# -DEXE=<program> -DNAME=<deliverable> -DDESCRIPTION=<file description or empty> -DOUT=<scratch file>
execute_process(COMMAND objcopy -O binary --only-section=.version_record ${EXE} ${OUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "objcopy failed on ${EXE}")
endif()
file(STRINGS ${OUT} fields ENCODING UTF-8)
set(expected
  "FileVersion=1.00" "ProductVersion=1.00" "FileVersionNumber=1.0.0.0" "ProductVersionNumber=1.0.0.0"
  "Translation=041104B0" "InternalName=${NAME}" "OriginalFilename=${NAME}" "ProductName=${NAME}"
  "FileDescription=${DESCRIPTION}")
foreach(field IN LISTS expected)
  if(NOT field IN_LIST fields)
    message(FATAL_ERROR "${NAME}: version record lacks '${field}'; it holds: ${fields}")
  endif()
endforeach()
message(STATUS "${NAME}: version record complete")
