# What a user installs: the program, the sample tool kit, the sample
# configuration beside the program (where it looks for it), the sample input
# and the README. Windows: a zip and an NSIS installer with the Qt and MinGW
# runtime DLLs; Linux: a .deb that installs under /opt/xkmtool.
if(WIN32)
  set(XKM_INSTALL_DIR .)
else()
  set(XKM_INSTALL_DIR opt/xkmtool)
endif()

foreach(program xkmtool xkmtool-window xkmtool-batch)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${XKM_INSTALL_DIR})
  endif()
endforeach()
foreach(tool brakel lenwatch qsr zoven xkm2sgo)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION ${XKM_INSTALL_DIR}/tools)
  endif()
endforeach()
# The sample tool configuration names the tools as the system names programs.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/demo/config/ DESTINATION ${XKM_INSTALL_DIR}
        PATTERN tools.ini EXCLUDE)
file(READ ${CMAKE_SOURCE_DIR}/examples/demo/config/tools.ini XKM_SAMPLE_TOOLS)
string(REGEX REPLACE "=tools/([A-Za-z0-9_]+)" "=tools/\\1${CMAKE_EXECUTABLE_SUFFIX}"
       XKM_SAMPLE_TOOLS "${XKM_SAMPLE_TOOLS}")
file(WRITE ${CMAKE_BINARY_DIR}/sample-tools.ini "${XKM_SAMPLE_TOOLS}")
install(FILES ${CMAKE_BINARY_DIR}/sample-tools.ini DESTINATION ${XKM_INSTALL_DIR} RENAME tools.ini)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/demo/input/
        DESTINATION ${XKM_INSTALL_DIR}/examples/input)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${XKM_INSTALL_DIR})
if(NOT WIN32)
  # The program finds its configuration beside itself, through the link too.
  file(CREATE_LINK ../../opt/xkmtool/xkmtool ${CMAKE_BINARY_DIR}/xkmtool-on-path SYMBOLIC)
  install(FILES ${CMAKE_BINARY_DIR}/xkmtool-on-path DESTINATION usr/bin RENAME xkmtool)
endif()

if(WIN32)
  # The window uses the shared MinGW runtime, as the Qt DLLs do.
  foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE runtime_dll OUTPUT_STRIP_TRAILING_WHITESPACE)
    install(FILES ${runtime_dll} DESTINATION ${XKM_INSTALL_DIR})
  endforeach()
  find_file(XKM_WINPTHREAD_DLL libwinpthread-1.dll PATHS /usr/x86_64-w64-mingw32/lib
            NO_DEFAULT_PATH REQUIRED)
  install(FILES ${XKM_WINPTHREAD_DLL} DESTINATION ${XKM_INSTALL_DIR})
  if(XKM_GUI)
    set(qt_root ${XKM_WINDOWS_PREFIX}/qt6)
    install(FILES ${qt_root}/bin/Qt6Core.dll ${qt_root}/bin/Qt6Gui.dll ${qt_root}/bin/Qt6Widgets.dll
            DESTINATION ${XKM_INSTALL_DIR})
    install(FILES ${qt_root}/plugins/platforms/qwindows.dll DESTINATION ${XKM_INSTALL_DIR}/platforms)
    install(FILES ${qt_root}/plugins/styles/qwindowsvistastyle.dll
            DESTINATION ${XKM_INSTALL_DIR}/styles)
  endif()
endif()

set(CPACK_PACKAGE_NAME xkmtool)
set(CPACK_PACKAGE_VENDOR "xkmtool")
set(CPACK_PACKAGE_CONTACT "xkmtool maintainers <xkmtool@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Prepares the production flashing data of an engine control unit")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY xkmtool)
set(CPACK_PACKAGE_EXECUTABLES xkmtool xkmtool)
if(WIN32)
  set(CPACK_SYSTEM_NAME windows-x86_64)
  set(CPACK_GENERATOR ZIP NSIS)
  set(CPACK_NSIS_DISPLAY_NAME xkmtool)
  set(CPACK_NSIS_PACKAGE_NAME xkmtool)
  set(CPACK_NSIS_MUI_FINISHPAGE_RUN xkmtool.exe)
  set(CPACK_NSIS_INSTALLED_ICON_NAME xkmtool.exe)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_PACKAGING_INSTALL_PREFIX /)
endif()
include(CPack)
