# vo_component(name SOURCES ... DEPS ...): one layer of the library, built as
# an object library so the shared library and the tests share the same objects.
function(vo_component name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} OBJECT ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src
                                            ${PROJECT_SOURCE_DIR}/include)
  target_compile_definitions(${name} PRIVATE VOTARSIN_BUILDING_LIBRARY)
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# vo_standin(name SOURCES ... DEPS ...): a shared library standing in for an
# outside component; it lands in lib/ beside libvotarsinapi.so.
function(vo_standin name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  add_dependencies(vo_thread_tests ${name})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/standins/common)
  set_target_properties(${name} PROPERTIES BUILD_RPATH "$ORIGIN"
                                           INSTALL_RPATH "$ORIGIN")
  if(WIN32)
    # A DLL without export marks exports its own functions, but none of the
    # runtime linked into it.
    target_link_options(${name} PRIVATE -Wl,--exclude-libs,ALL)
  endif()
  if(ARG_DEPS)
    target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  endif()
endfunction()

# vo_test(name SOURCES ... LIBS ... [LABELS ...]): a GoogleTest executable
# whose cases are registered one by one with ctest. The executable's RUNPATH
# names lib/ so that modules loaded at run time resolve to the stand-ins.
# Suites labelled "threads" also run under ThreadSanitizer.
function(vo_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock
                                        GTest::gtest_main Threads::Threads)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src
                                             ${PROJECT_SOURCE_DIR}/include
                                             ${PROJECT_SOURCE_DIR}/tests)
  set_target_properties(${name} PROPERTIES BUILD_RPATH "${VO_LIB_DIR}")
  if("threads" IN_LIST ARG_LABELS)
    add_dependencies(vo_thread_tests ${name})
  endif()
  set(labels ${ARG_LABELS})
  if(NOT labels)
    set(labels none)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "VO_TEST_LIB_DIR=${VO_LIB_DIR}"
                                  LABELS "${labels}")
endfunction()

# vo_host_tool(name): in a cross build, the build-time program `name` as built
# for the build machine in VO_HOST_TOOLS_DIR (the bin/ directory of a native
# build tree), so that build steps run it directly rather than emulated.
function(vo_host_tool name)
  if(NOT VO_HOST_TOOLS_DIR)
    message(FATAL_ERROR "A cross build needs VO_HOST_TOOLS_DIR: the bin/ directory of a native "
                        "build that has built vo_lua_embed, vo_termgen and vo_errfile_convert")
  endif()
  add_executable(${name} IMPORTED GLOBAL)
  set_target_properties(${name} PROPERTIES IMPORTED_LOCATION ${VO_HOST_TOOLS_DIR}/${name})
  # Steps that run it must not go through the emulator.
  set_property(TARGET ${name} PROPERTY CROSSCOMPILING_EMULATOR "")
endfunction()
