# What an installation offers consumers: a CMake package with the imported
# target votarsinapi::votarsinapi, a pkg-config file, and CPack packages.
# Components: "library" (library, header, data, package files, examples'
# sources; also whatever install() names no component, so a program installed
# to bin/ with INSTALL_RPATH "$ORIGIN/../lib" joins the library's package) and
# "simulation" (the stand-ins, which a real installation leaves out).

# The header's version macros and project() must agree.
foreach(part MAJOR MINOR PATCH)
  file(STRINGS ${PROJECT_SOURCE_DIR}/include/votarsinapi.h line
       REGEX "^#define VOTARSINAPI_VERSION_${part} [0-9]+$")
  string(REGEX REPLACE ".* " "" value "${line}")
  if(NOT value STREQUAL "${PROJECT_VERSION_${part}}")
    message(FATAL_ERROR "include/votarsinapi.h: VOTARSINAPI_VERSION_${part} is '${value}', "
                        "project() says ${PROJECT_VERSION_${part}}")
  endif()
endforeach()

include(CMakePackageConfigHelpers)
set(vo_cmake_dir lib/cmake/votarsinapi)
install(EXPORT votarsinapiTargets NAMESPACE votarsinapi:: DESTINATION ${vo_cmake_dir})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/votarsinapiConfig.cmake.in
  ${CMAKE_BINARY_DIR}/package/votarsinapiConfig.cmake INSTALL_DESTINATION ${vo_cmake_dir})
# Until 1.0 a minor version may change the ABI, and the SONAME says so.
write_basic_package_version_file(${CMAKE_BINARY_DIR}/package/votarsinapiConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/package/votarsinapiConfig.cmake
              ${CMAKE_BINARY_DIR}/package/votarsinapiConfigVersion.cmake
        DESTINATION ${vo_cmake_dir})

if(UNIX)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/votarsinapi.pc.in
                 ${CMAKE_BINARY_DIR}/package/votarsinapi.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/package/votarsinapi.pc DESTINATION lib/pkgconfig)
endif()

set(CPACK_PACKAGE_NAME votarsinapi)
set(CPACK_PACKAGE_VENDOR "votarsinapi")
set(CPACK_PACKAGE_CONTACT "votarsinapi maintainers <votarsinapi@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Driver library of the Tarsin FPGA digitizers and I/O modules")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_COMPONENTS_ALL library simulation)
set(CPACK_COMPONENT_SIMULATION_DEPENDS library)
set(CPACK_COMPONENT_SIMULATION_DESCRIPTION "Simulated devices: stand-ins for the outside components")
set(CPACK_GENERATOR TGZ)
if(UNIX AND NOT APPLE)
  list(APPEND CPACK_GENERATOR DEB)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME votarsinapi)
  set(CPACK_DEBIAN_SIMULATION_PACKAGE_NAME votarsinapi-simulation)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6")
  set(CPACK_DEBIAN_PACKAGE_SECTION libs)
endif()
if(UNIX)
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/VoCPackOptions.cmake)
endif()
include(CPack)
