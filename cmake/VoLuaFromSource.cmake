# Lua 5.1 and LuaFileSystem compiled from their Debian source packages
# (fetched by cmake/debian_source.sh into VO_DEBIAN_SRC_DIR), for targets
# where Debian ships no binary archives (lua-cjson is built from source on
# every target: LuaCjsonFromSource.cmake). Defines the static libraries
# vo_lua51 and vo_lua_lfs.

set(VO_DEBIAN_SRC_DIR ${PROJECT_SOURCE_DIR}/build-deps/debian-src CACHE PATH
    "Unpacked Debian source packages (cmake/debian_source.sh)")

function(vo_debian_source_dir out package)
  file(GLOB dirs LIST_DIRECTORIES true "${VO_DEBIAN_SRC_DIR}/${package}-*")
  list(FILTER dirs EXCLUDE REGEX "\\.(tar\\..*|dsc)$")
  list(SORT dirs)
  list(POP_BACK dirs dir)
  if(NOT dir OR NOT IS_DIRECTORY "${dir}")
    message(FATAL_ERROR "No source of ${package} in ${VO_DEBIAN_SRC_DIR}; run "
                        "cmake/debian_source.sh ${VO_DEBIAN_SRC_DIR} ${package}")
  endif()
  set(${out} ${dir} PARENT_SCOPE)
endfunction()

# The interpreter: its core and standard libraries, without the stand-alone
# programs. Debian's patches are applied in the unpacked source.
vo_debian_source_dir(vo_lua_src lua5.1)
set(VO_LUA_INCLUDE_DIR ${vo_lua_src}/src)
set(vo_lua_files lapi lcode ldebug ldo ldump lfunc lgc llex lmem lobject lopcodes lparser
                 lstate lstring ltable ltm lundump lvm lzio lauxlib lbaselib ldblib liolib
                 lmathlib loslib ltablib lstrlib loadlib linit)
list(TRANSFORM vo_lua_files PREPEND ${vo_lua_src}/src/)
list(TRANSFORM vo_lua_files APPEND .c)
add_library(vo_lua51 STATIC ${vo_lua_files})
target_include_directories(vo_lua51 PRIVATE ${vo_lua_src}/src)
target_include_directories(vo_lua51 SYSTEM PUBLIC ${VO_LUA_INCLUDE_DIR})
target_compile_options(vo_lua51 PRIVATE -w)

# LuaFileSystem marks luaopen_lfs for export on Windows, which would put it
# into the export table of every DLL it is linked into; a copy of its header
# leaves the mark out.
vo_debian_source_dir(vo_lfs_src lua-filesystem)
set(vo_lfs_dir ${CMAKE_BINARY_DIR}/third_party/lfs)
file(READ ${vo_lfs_src}/src/lfs.h vo_lfs_header)
string(REPLACE "#define LFS_EXPORT __declspec (dllexport)" "#define LFS_EXPORT" vo_lfs_header
               "${vo_lfs_header}")
file(WRITE ${vo_lfs_dir}/lfs.h.new "${vo_lfs_header}")
configure_file(${vo_lfs_dir}/lfs.h.new ${vo_lfs_dir}/lfs.h COPYONLY)
configure_file(${vo_lfs_src}/src/lfs.c ${vo_lfs_dir}/lfs.c COPYONLY)
add_library(vo_lua_lfs STATIC ${vo_lfs_dir}/lfs.c)
target_link_libraries(vo_lua_lfs PRIVATE vo_lua51)
target_compile_options(vo_lua_lfs PRIVATE -w)
