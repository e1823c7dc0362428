# lua-cjson compiled from the source of Debian's package, with
# patches/lua-cjson-memory-errors.patch applied at build time: running out of
# memory raises a Lua error instead of ending the process, the buffers of
# encode and decode are freed when an error unwinds them, and states on
# several threads may open the module at once.
#
#   vo_lua_cjson_source_dir(<out>)
#     The unpacked Debian source of lua-cjson, fetched into VO_DEBIAN_SRC_DIR
#     by cmake/debian_source.sh when it is not there yet.
#
#   vo_lua_cjson_from_source(<target> SOURCE_DIR <dir> LUA_INCLUDE_DIR <dir>)
#     A static library <target> built from the unpacked source in <dir> for
#     the current toolchain, against the Lua 5.1 headers in LUA_INCLUDE_DIR.
#     Position-independent, symbols hidden; the patched copy of the sources
#     lives in the build tree.

set(VO_DEBIAN_SRC_DIR ${PROJECT_SOURCE_DIR}/build-deps/debian-src CACHE PATH
    "Unpacked Debian source packages (cmake/debian_source.sh)")
set(VO_LUA_CJSON_PATCH ${CMAKE_CURRENT_LIST_DIR}/patches/lua-cjson-memory-errors.patch)
find_program(VO_PATCH patch REQUIRED)

function(vo_lua_cjson_source_dir out)
  execute_process(COMMAND ${PROJECT_SOURCE_DIR}/cmake/debian_source.sh ${VO_DEBIAN_SRC_DIR}
                          lua-cjson
                  OUTPUT_VARIABLE dir OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0 OR NOT IS_DIRECTORY "${dir}")
    message(FATAL_ERROR "No source of lua-cjson in ${VO_DEBIAN_SRC_DIR} "
                        "(cmake/debian_source.sh failed)")
  endif()
  set(${out} ${dir} PARENT_SCOPE)
endfunction()

function(vo_lua_cjson_from_source target)
  cmake_parse_arguments(ARG "" "SOURCE_DIR;LUA_INCLUDE_DIR" "" ${ARGN})
  if(NOT EXISTS ${ARG_SOURCE_DIR}/lua_cjson.c)
    message(FATAL_ERROR "${ARG_SOURCE_DIR} holds no lua-cjson source")
  endif()
  set(files lua_cjson.c strbuf.c strbuf.h fpconv.c fpconv.h)
  set(originals ${files})
  list(TRANSFORM originals PREPEND ${ARG_SOURCE_DIR}/)
  set(work ${CMAKE_CURRENT_BINARY_DIR}/${target}-source)
  set(patched ${files})
  list(TRANSFORM patched PREPEND ${work}/)
  add_custom_command(OUTPUT ${patched}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${work}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${work}
    COMMAND ${CMAKE_COMMAND} -E copy ${originals} ${work}
    COMMAND ${VO_PATCH} -s -p1 -d ${work} -i ${VO_LUA_CJSON_PATCH}
    DEPENDS ${originals} ${VO_LUA_CJSON_PATCH}
    COMMENT "Patching lua-cjson from ${ARG_SOURCE_DIR}"
    VERBATIM)
  add_library(${target} STATIC ${work}/lua_cjson.c ${work}/strbuf.c ${work}/fpconv.c)
  target_include_directories(${target} PRIVATE ${work})
  target_include_directories(${target} SYSTEM PRIVATE ${ARG_LUA_INCLUDE_DIR})
  set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON
                                             C_VISIBILITY_PRESET hidden)
  # Third-party code, compiled as its authors wrote it.
  target_compile_options(${target} PRIVATE -w)
endfunction()
