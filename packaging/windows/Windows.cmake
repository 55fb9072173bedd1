# Windows: the installed program with every DLL it loads, and an NSIS installer made by cpack in a build
# folder (tools/windows-program.sh cross-builds, tests and tries it under Wine).
#   bin/sorvant.exe, the Qt DLLs, the MinGW runtime DLLs, platforms/qwindows.dll, styles/...
#   share/Sorvant.ini: the default settings, copied to C:/Sorvant.ini by the installer when none is there

target_sources(sorvant PRIVATE ${CMAKE_CURRENT_LIST_DIR}/sorvant.rc)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/Sorvant.ini DESTINATION share)
install(FILES LICENSE DESTINATION share RENAME LICENSE.txt)

# Qt finds the platform and style plugins in folders of those names beside the program.
set(plugin_files)
foreach(plugin QWindowsIntegrationPlugin QWindowsVistaStylePlugin)
  if(NOT TARGET Qt6::${plugin})
    continue()
  endif()
  get_target_property(location Qt6::${plugin} IMPORTED_LOCATION_RELEASE)
  if(NOT location)
    get_target_property(location Qt6::${plugin} IMPORTED_LOCATION)
  endif()
  get_filename_component(kind ${location} DIRECTORY)
  get_filename_component(kind ${kind} NAME)
  install(FILES ${location} DESTINATION bin/${kind})
  get_filename_component(name ${location} NAME)
  list(APPEND plugin_files "bin/${kind}/${name}")
endforeach()

# The DLLs come from the imports of the program and the plugins, found among Qt's DLLs and the
# cross compiler's runtime. Windows' own DLLs stay unresolved on purpose. On Windows itself Qt's own
# deployment tool (windeployqt) does the same.
if(CMAKE_CROSSCOMPILING)
  get_target_property(qt_core Qt6::Core IMPORTED_LOCATION_RELEASE)
  get_filename_component(qt_bin ${qt_core} DIRECTORY)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                  OUTPUT_VARIABLE runtime_dll OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(runtime_dir ${runtime_dll} DIRECTORY)
  find_program(SORVANT_OBJDUMP NAMES ${SORVANT_MINGW}-objdump REQUIRED)
  set(SORVANT_DLL_DIRS ${qt_bin} ${runtime_dir} /usr/${SORVANT_MINGW}/lib)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/InstallDlls.cmake.in ${CMAKE_BINARY_DIR}/InstallDlls.cmake @ONLY)
  set(deploy ${CMAKE_BINARY_DIR}/InstallDlls.cmake)
else()
  set(deploy ${CMAKE_BINARY_DIR}/deploy-sorvant.cmake)
  file(GENERATE OUTPUT ${deploy} CONTENT "include(\"${QT_DEPLOY_SUPPORT}\")
qt_deploy_runtime_dependencies(EXECUTABLE \"\${QT_DEPLOY_BIN_DIR}/$<TARGET_FILE_NAME:sorvant>\" GENERATE_QT_CONF)
")
endif()
# Deferred to the end of the top folder, so it runs after the rule that installs the program itself.
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL install SCRIPT ${deploy})

# The installer: 64-bit, silent with /S, a Start-menu entry with the program's icon, an uninstaller
# that removes everything but the settings file.
set(CPACK_GENERATOR NSIS64)
# Values reach the NSIS script exactly as written here.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME Sorvant)
set(CPACK_PACKAGE_VENDOR "The Sorvant developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY Sorvant)
set(CPACK_PACKAGE_FILE_NAME sorvant-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_EXECUTABLES sorvant Sorvant)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_NSIS_DISPLAY_NAME Sorvant)
set(CPACK_NSIS_PACKAGE_NAME "Sorvant DF Display")
set(CPACK_NSIS_MUI_ICON ${CMAKE_CURRENT_LIST_DIR}/sorvant.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_CURRENT_LIST_DIR}/sorvant.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME bin\\sorvant.exe)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY bin)
set(CPACK_NSIS_MUI_FINISHPAGE_RUN sorvant.exe)
# The installer itself is a 64-bit program too: a 64-bit Windows (or Wine) needs no 32-bit layer for it.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
# The settings file lives at C:/Sorvant.ini, where a standard account may not create files. The
# installer runs elevated: it puts the defaults there when no file is there yet, and lets the local
# Users group (by its SID, the same in every language) change that file. An existing file keeps its
# settings; it is given the same right. Failures (no icacls, as under Wine) change nothing else.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [=[
  IfFileExists "C:\Sorvant.ini" +2 0
    CopyFiles /SILENT "$INSTDIR\share\Sorvant.ini" "C:\Sorvant.ini"
  nsExec::Exec '"$SYSDIR\icacls.exe" "C:\Sorvant.ini" /grant *S-1-5-32-545:M'
  Pop $0
]=])
include(CPack)
