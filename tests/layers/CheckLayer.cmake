# One layer case (see CMakeLists.txt beside this file), run as a CTest test:
#   cmake -DINCLUDES=<file with the library's include path> -DALLOWS=<h1,h2,..>
#         -DREFUSES=<header> -DSOURCES=<src folder> -DPROBE=<probe project> -DWORK=<scratch folder> -DCXX=<compiler>
#         -DGENERATOR=<generator> -P CheckLayer.cmake
foreach(arg INCLUDES ALLOWS REFUSES SOURCES PROBE WORK CXX GENERATOR)
  if(NOT ${arg})
    message(FATAL_ERROR "CheckLayer.cmake: -D${arg}=... is missing")
  endif()
endforeach()

# A misspelt planted header would fail to build anywhere and prove nothing.
if(NOT EXISTS ${SOURCES}/${REFUSES})
  message(FATAL_ERROR "the planted header ${REFUSES} is not in ${SOURCES}")
endif()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
string(REPLACE "," ";" allows "${ALLOWS}")
set(allowed "")
foreach(header IN LISTS allows)
  string(APPEND allowed "#include \"${header}\"\n")
endforeach()
file(WRITE ${WORK}/allowed.cpp "${allowed}")
file(WRITE ${WORK}/planted.cpp "${allowed}#include \"${REFUSES}\"\n")

execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${PROBE} -B ${WORK}/build -G ${GENERATOR}
          -DCMAKE_CXX_COMPILER=${CXX} -DPROBE_SOURCES=${WORK} -DPROBE_INCLUDES=${INCLUDES}
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the probe did not configure:\n${output}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK}/build --target allowed
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "including ${ALLOWS} did not build:\n${output}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK}/build --target planted
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(result EQUAL 0)
  message(FATAL_ERROR "including ${REFUSES} built: the layer above is visible")
endif()
# gcc: "fatal error: rtl/Types.h: No such file or directory"; clang: "fatal error:
# 'rtl/Types.h' file not found". Any other failure means the probe itself is broken.
string(REPLACE "." "\\." refused "${REFUSES}")
if(NOT output MATCHES "fatal error: '?${refused}'?:? (No such file or directory|file not found)")
  message(FATAL_ERROR "including ${REFUSES} failed, but not for want of it:\n${output}")
endif()
message(STATUS "${ALLOWS} build; ${REFUSES} is out of reach")
