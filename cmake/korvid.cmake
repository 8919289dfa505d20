# Each library sees only its own headers and those of what it links, so an include from a
# layer above it fails to build. Code keeps its spelling ("rtl/Types.h",
# "platform/gdi/DC.h"): a library's include root is a folder of the build tree that holds one
# link to the library's own source folder, never the whole of src/.
function(korvid_include_root name dir out)
  file(RELATIVE_PATH spelled ${PROJECT_SOURCE_DIR}/src ${dir})
  set(root ${PROJECT_BINARY_DIR}/include/${name})
  get_filename_component(parent ${root}/${spelled} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${dir} ${root}/${spelled} SYMBOLIC)
  set(${out} ${root} PARENT_SCOPE)
endfunction()

# Every library is the .cpp files of its folder (and the folders below it); a folder with no
# sources yet is a header-only interface library, so each layer can grow file by file.
# EXCLUDE names subfolders that are libraries of their own.
function(korvid_library name dir)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS;EXCLUDE" ${ARGN})
  korvid_include_root(${name} ${dir} root)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${dir}/*.cpp")
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")  # a program's entry point is not library code
  foreach(folder IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "^${dir}/${folder}/")
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${root})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${root})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# The headers that lie directly in `dir` (not in its subfolders) as one header-only library;
# its include root links each of them, since a link to `dir` would open the folders below.
function(korvid_header_library name dir)
  file(RELATIVE_PATH spelled ${PROJECT_SOURCE_DIR}/src ${dir})
  set(root ${PROJECT_BINARY_DIR}/include/${name})
  file(MAKE_DIRECTORY ${root}/${spelled})
  file(GLOB headers CONFIGURE_DEPENDS "${dir}/*.h")
  foreach(header IN LISTS headers)
    get_filename_component(file_name ${header} NAME)
    file(CREATE_LINK ${header} ${root}/${spelled}/${file_name} SYMBOLIC)
  endforeach()
  add_library(${name} INTERFACE)
  target_include_directories(${name} INTERFACE ${root})
endfunction()

# One GoogleTest executable per test folder; every test in it is registered with CTest. A test
# sees the tests' own folder and the include roots of what it links.
function(korvid_tests name dir)
  # LOCK: tests of one lock run one at a time (a desktop suite's tests each start their own X
  # server and window manager; several at once would crowd a busy machine).
  cmake_parse_arguments(ARG "" "LOCK" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${dir}/*.cpp")
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock Threads::Threads)
  # A folder with its own main.cpp sets up its environment itself (backend, clock).
  if(EXISTS "${dir}/main.cpp")
    target_link_libraries(${name} PRIVATE GTest::gtest)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  set(lock "")
  if(ARG_LOCK)
    set(lock RESOURCE_LOCK ${ARG_LOCK})
  endif()
  # Parameterised cases are named by their suffix; the raw bytes of a parameter say nothing.
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES PROPERTIES TIMEOUT 300 ${lock})
endfunction()
