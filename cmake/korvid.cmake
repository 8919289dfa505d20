# Every library is the .cpp files of its folder (and the folders below it); a folder with no
# sources yet is a header-only interface library, so each layer can grow file by file.
function(korvid_library name dir)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${dir}/*.cpp")
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")  # a program's entry point is not library code
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# One GoogleTest executable per test folder; every test in it is registered with CTest.
function(korvid_tests name dir)
  # LOCK: tests that share one outside resource (an Xvfb display number) run one at a time.
  cmake_parse_arguments(ARG "" "LOCK" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${dir}/*.cpp")
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/src)
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
