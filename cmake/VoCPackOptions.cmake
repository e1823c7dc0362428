# Read by cpack once per generator. The registry file that the installation
# writes names the data directory by its absolute path, so POSIX packages are
# staged with DESTDIR under their final prefix: /usr for the .deb, /usr/local
# for the .tar.gz, which unpacks at / (tar -xzf ... -C /).
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_SET_DESTDIR ON)
  set(CPACK_INSTALL_PREFIX /usr)
elseif(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_SET_DESTDIR ON)
  set(CPACK_INSTALL_PREFIX /usr/local)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
endif()
