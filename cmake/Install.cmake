# Installation and packaging of the library: the shared library with its
# soname, both public headers, the command-line program, a CMake package
# (find_package(OstrelDesignCSA94 1.0 CONFIG) gives the imported target
# OstrelDesignCSA94::OstrelDesignCSA94), a pkg-config file, and a Debian
# package made by CPack. Included from the top-level CMakeLists.txt.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

option(OSTREL_INSTALL "Generate the install and package rules" ${PROJECT_IS_TOP_LEVEL})

# The same name for a project that adds this one with add_subdirectory or
# FetchContent as for one that finds the installed package.
add_library(OstrelDesignCSA94::OstrelDesignCSA94 ALIAS OstrelDesignCSA94)

# The version macros of the C header must be the project's version.
file(STRINGS ${PROJECT_SOURCE_DIR}/include/OstrelDesignCSA94.h _ostrel_version_lines
     REGEX "^#define OSTREL_DESIGN_CSA94_VERSION_(MAJOR|MINOR|PATCH) ")
set(_ostrel_header_version "")
foreach(_line IN LISTS _ostrel_version_lines)
  string(REGEX REPLACE ".* ([0-9]+)$" "\\1" _part "${_line}")
  list(APPEND _ostrel_header_version ${_part})
endforeach()
list(JOIN _ostrel_header_version "." _ostrel_header_version)
if(NOT _ostrel_header_version VERSION_EQUAL PROJECT_VERSION)
  message(FATAL_ERROR "include/OstrelDesignCSA94.h declares version ${_ostrel_header_version}, "
                      "the project is ${PROJECT_VERSION}")
endif()

# Exports exactly the interface (see the map file).
target_link_options(OstrelDesignCSA94 PRIVATE
                    "LINKER:--version-script=${CMAKE_CURRENT_LIST_DIR}/OstrelDesignCSA94.map")
set_property(TARGET OstrelDesignCSA94 APPEND PROPERTY LINK_DEPENDS
             ${CMAKE_CURRENT_LIST_DIR}/OstrelDesignCSA94.map)

# Headers from the source tree while building, from the prefix once installed.
set_property(TARGET OstrelDesignCSA94 PROPERTY INTERFACE_INCLUDE_DIRECTORIES
             "$<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>"
             "$<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>")
set_property(TARGET OstrelDesignCSA94 PROPERTY PUBLIC_HEADER
             ${PROJECT_SOURCE_DIR}/include/OstrelDesignCSA94.h
             ${PROJECT_SOURCE_DIR}/include/OstrelDesignCSA94.hpp)

if(NOT OSTREL_INSTALL)
  return()
endif()

set(OSTREL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/OstrelDesignCSA94)

install(TARGETS OstrelDesignCSA94 EXPORT OstrelDesignCSA94Targets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
if(TARGET ostrel-design)
  # Finds the library of its own prefix wherever that prefix is.
  file(RELATIVE_PATH _ostrel_bin_to_lib /p/${CMAKE_INSTALL_BINDIR} /p/${CMAKE_INSTALL_LIBDIR})
  set_property(TARGET ostrel-design PROPERTY INSTALL_RPATH "$ORIGIN/${_ostrel_bin_to_lib}")
  install(TARGETS ostrel-design RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(EXPORT OstrelDesignCSA94Targets NAMESPACE OstrelDesignCSA94::
        DESTINATION ${OSTREL_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/OstrelDesignCSA94Config.cmake.in
                              ${PROJECT_BINARY_DIR}/OstrelDesignCSA94Config.cmake
                              INSTALL_DESTINATION ${OSTREL_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/OstrelDesignCSA94ConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/OstrelDesignCSA94Config.cmake
              ${PROJECT_BINARY_DIR}/OstrelDesignCSA94ConfigVersion.cmake
        DESTINATION ${OSTREL_CMAKE_DIR})

# pkg-config: the prefix is found from the file's own place, so the same file
# serves /usr, /usr/local and any --prefix.
file(RELATIVE_PATH OSTREL_PC_TO_PREFIX /p/${CMAKE_INSTALL_LIBDIR}/pkgconfig /p)
string(REGEX REPLACE "/$" "" OSTREL_PC_TO_PREFIX "${OSTREL_PC_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/OstrelDesignCSA94.pc.in
               ${PROJECT_BINARY_DIR}/OstrelDesignCSA94.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/OstrelDesignCSA94.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The Debian package: `cpack -G DEB` in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ostrel-design-csa94)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Reinforcement design of reinforced-concrete walls to CSA A23.3-94")
set(CPACK_PACKAGE_DESCRIPTION
    "The OstrelDesignCSA94 shared library with its C and C++ headers, CMake and pkg-config files, and the ostrel-design command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "OstrelDesignCSA94 developers <ostrel@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A shlibs file for packages built against this one; CPack adds the
# ldconfig calls of a library in /usr/lib.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
include(CPack)

# The package tests: an out-of-tree host through find_package and through
# pkg-config, the Debian package's contents, and the Python package. They
# load the library into programs built without sanitizers, so they run in
# the plain build only.
if(OSTREL_BUILD_TESTS AND TARGET ostrel-design
   AND NOT (OSTREL_SANITIZE OR OSTREL_TSAN OR OSTREL_FUZZ))
  add_test(NAME Package.InstallAndFind
           COMMAND ${PROJECT_SOURCE_DIR}/scripts/test-package.sh ${PROJECT_BINARY_DIR})
  add_test(NAME Package.Python
           COMMAND /usr/bin/python3 -m unittest discover -s ${PROJECT_SOURCE_DIR}/python/tests -v)
  set_tests_properties(Package.InstallAndFind Package.Python PROPERTIES
                       TIMEOUT 600 RUN_SERIAL ON)
  set_tests_properties(Package.Python PROPERTIES ENVIRONMENT
    "OSTREL_LIBRARY=$<TARGET_FILE:OstrelDesignCSA94>;OSTREL_DESIGN=$<TARGET_FILE:ostrel-design>;PYTHONPATH=${PROJECT_SOURCE_DIR}/python;OSTREL_DRAWINGS=${CMAKE_BINARY_DIR}/python-drawings")
endif()
