# Installation and the Debian package (cpack in a build folder; tools/package.sh builds and checks it).
include(GNUInstallDirs)

# The installed program finds Qt where the system keeps it: no run path of its own. The build run path
# goes on install, and the $ORIGIN entries that qt_standard_project_setup() adds for a relocatable
# install are left out.
set_target_properties(sorvant PROPERTIES INSTALL_RPATH "")
install(TARGETS sorvant RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(WIN32 AND TARGET sorvant)
  include(${CMAKE_CURRENT_LIST_DIR}/windows/Windows.cmake)
endif()
if(NOT UNIX OR APPLE)
  return()
endif()

set(SORVANT_MAINTAINER "The Sorvant developers <sorvant@example.org>"
    CACHE STRING "Maintainer of the Debian package: name and mail address")

# Debian wants manual pages and changelogs compressed at the highest level and without a time stamp.
function(sorvant_gzip source output)
  execute_process(COMMAND gzip -9 -n -c ${source} OUTPUT_FILE ${output} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "gzip could not compress ${source}")
  endif()
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()
set(compressed ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${compressed})
sorvant_gzip(${CMAKE_SOURCE_DIR}/packaging/sorvant.1 ${compressed}/sorvant.1.gz)
sorvant_gzip(${CMAKE_SOURCE_DIR}/packaging/changelog ${compressed}/changelog.gz)

install(FILES ${compressed}/sorvant.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/copyright ${compressed}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES packaging/sorvant.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/org.example.sorvant.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/sorvant.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES packaging/icons/sorvant-${size}.png RENAME sorvant.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

if(SORVANT_TESTS)
  add_test(NAME packaging_metadata
           COMMAND ${CMAKE_SOURCE_DIR}/packaging/check-metadata.sh ${PROJECT_VERSION})
  set_tests_properties(packaging_metadata PROPERTIES LABELS packaging)
  # The program as installed: no run path, and hardened where the build is (see the top CMakeLists.txt).
  set(hardened "")
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$"
     AND NOT SORVANT_SANITIZE AND NOT SORVANT_COVERAGE)
    set(hardened --hardened)
  endif()
  add_test(NAME packaging_installed_program
           COMMAND ${CMAKE_SOURCE_DIR}/packaging/check-program.sh ${hardened} --install ${CMAKE_BINARY_DIR})
  set_tests_properties(packaging_installed_program PROPERTIES LABELS packaging)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sorvant)
set(CPACK_PACKAGE_VENDOR "The Sorvant developers")
set(CPACK_PACKAGE_CONTACT ${SORVANT_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
set(CPACK_PACKAGE_DESCRIPTION_FILE ${CMAKE_SOURCE_DIR}/packaging/description.txt)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Cross-built, the package is labelled with the architecture it was built for, not the build machine's.
if(CMAKE_CROSSCOMPILING AND CMAKE_LIBRARY_ARCHITECTURE)
  execute_process(COMMAND dpkg-architecture -t ${CMAKE_LIBRARY_ARCHITECTURE} -qDEB_HOST_ARCH
                  OUTPUT_VARIABLE architecture OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE result)
  if(result EQUAL 0 AND architecture)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${architecture})
  else()
    message(WARNING "dpkg-architecture (dpkg-dev) gives no Debian architecture for ${CMAKE_LIBRARY_ARCHITECTURE}: "
                    "a Debian package made here would be labelled with the build machine's")
  endif()
endif()
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries come from the binary with their versions; what it loads without linking is named here:
# the fonts its drawing asks for by family name.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
# Qt's Wayland platform plugin: on a Wayland desktop the program then runs natively instead of through
# XWayland (the keypad, W, the second start's raise and the settings at the session's end work on both).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
# A stripped program. CPack's separate debug-symbol package is not used: its md5sums name the files by
# their build-folder paths, which makes that package unverifiable.
set(CPACK_STRIP_FILES ON)
include(CPack)
