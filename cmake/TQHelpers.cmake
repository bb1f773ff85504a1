# Sources of a folder, picked up again whenever a file is added.
function(tq_sources out dir)
  file(GLOB files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# tq_library(name dir-or-file... [EXCLUDE file...]): a static library of the
# folders' sources (and single .cpp files), or an interface library while
# there are only headers.
function(tq_library name)
  cmake_parse_arguments(ARG "" "" "EXCLUDE" ${ARGN})
  set(all)
  foreach(dir ${ARG_UNPARSED_ARGUMENTS})
    if(dir MATCHES "\\.cpp$")
      list(APPEND all ${CMAKE_SOURCE_DIR}/${dir})
    else()
      tq_sources(files ${dir})
      list(APPEND all ${files})
    endif()
  endforeach()
  foreach(ex ${ARG_EXCLUDE})
    list(FILTER all EXCLUDE REGEX "/${ex}$")
  endforeach()
  if(all)
    add_library(${name} STATIC ${all})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
  endif()
endfunction()

# tq_test_folder(folder [USES_MODULE] libs...): one test binary for
# tests/<folder>, each test registered with CTest on its own. USES_MODULE
# makes the binary wait for the module and the command to be built.
function(tq_test_folder folder)
  cmake_parse_arguments(ARG "USES_MODULE" "" "" ${ARGN})
  file(GLOB files CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
  if(NOT files)
    return()
  endif()
  string(REPLACE "/" "_" exe "${folder}")
  set(exe "${exe}_tests")
  add_executable(${exe} ${files})
  target_include_directories(${exe} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${exe} PRIVATE ${ARG_UNPARSED_ARGUMENTS} GTest::gmock GTest::gtest_main)
  # Tests find the module and the command where the build put them.
  target_compile_definitions(${exe} PRIVATE
    TQ_MODULE_PATH="${CMAKE_BINARY_DIR}/bin/TQFill.so"
    TQ_CLI_PATH="${CMAKE_BINARY_DIR}/bin/tqfill"
    TQ_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  if(ARG_USES_MODULE)
    foreach(dep TQFill tqfill)
      if(TARGET ${dep})
        add_dependencies(${exe} ${dep})
      endif()
    endforeach()
  endif()
  gtest_discover_tests(${exe} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 120)
endfunction()

# Links a tq_library to its dependencies whichever kind it turned out to be.
function(tq_link name)
  get_target_property(kind ${name} TYPE)
  if(kind STREQUAL "INTERFACE_LIBRARY")
    target_link_libraries(${name} INTERFACE ${ARGN})
  else()
    target_link_libraries(${name} PUBLIC ${ARGN})
  endif()
endfunction()

# Adds include directories to a tq_library whichever kind it turned out to be.
function(tq_include name)
  get_target_property(kind ${name} TYPE)
  if(kind STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${name} INTERFACE ${ARGN})
  else()
    target_include_directories(${name} PUBLIC ${ARGN})
  endif()
endfunction()
