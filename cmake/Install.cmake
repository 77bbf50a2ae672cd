# Installation: the shared library with its SONAME, the header, a CMake
# package (find_package(Murloppc) gives Murloppc::Murloppc) and a pkg-config
# file.
include(CMakePackageConfigHelpers)

install(TARGETS Murloppc
  EXPORT MurloppcTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

set(murlo_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Murloppc)
install(EXPORT MurloppcTargets
  NAMESPACE Murloppc::
  DESTINATION ${murlo_cmake_dir})
configure_package_config_file(cmake/MurloppcConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/MurloppcConfig.cmake
  INSTALL_DESTINATION ${murlo_cmake_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/MurloppcConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${CMAKE_CURRENT_BINARY_DIR}/MurloppcConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/MurloppcConfigVersion.cmake
  DESTINATION ${murlo_cmake_dir})

# The .pc file finds its prefix from its own place, so the installed tree can
# move (cmake --install --prefix anywhere).
file(RELATIVE_PATH murlo_pc_to_prefix
  /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(cmake/murloppc.pc.in ${CMAKE_CURRENT_BINARY_DIR}/murloppc.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/murloppc.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
