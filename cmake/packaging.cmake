# What a user installs: the program, the sample tool kit, the sample
# configuration beside the program (where it looks for it), the sample input
# and the README. Windows: a zip and an MSI with the Qt and MinGW runtime DLLs,
# all in one folder. Linux: a .deb laid out as Debian lays out a program with
# private files: the program in /usr/lib/xkmtool, its configuration in
# /etc/xkmtool (conffiles, linked beside the program), the rest under
# /usr/share.
# Where each part goes: cmake/install_layout.cmake.
foreach(program xkmtool xkmtool-window xkmtool-batch)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${XKM_INSTALL_DIR} LIBRARY DESTINATION ${XKM_INSTALL_DIR})
  endif()
endforeach()
foreach(tool ${XKM_SAMPLE_TOOLS})
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION ${XKM_INSTALL_DIR}/tools)
  endif()
endforeach()
# The sample tool configuration names the tools as the system names programs.
set(sample ${CMAKE_SOURCE_DIR}/examples/demo)
file(READ ${sample}/config/tools.ini XKM_SAMPLE_TOOLS_INI)
string(REGEX REPLACE "=tools/([A-Za-z0-9_]+)" "=tools/\\1${CMAKE_EXECUTABLE_SUFFIX}"
       XKM_SAMPLE_TOOLS_INI "${XKM_SAMPLE_TOOLS_INI}")
file(WRITE ${CMAKE_BINARY_DIR}/sample-tools.ini "${XKM_SAMPLE_TOOLS_INI}")
install(FILES ${CMAKE_BINARY_DIR}/sample-tools.ini DESTINATION ${XKM_CONFIG_DIR} RENAME tools.ini)
foreach(file IN LISTS XKM_CONFIG_FILES)
  if(NOT file STREQUAL tools.ini)
    install(FILES ${sample}/config/${file} DESTINATION ${XKM_CONFIG_DIR})
  endif()
endforeach()
install(FILES ${sample}/config/Help.htm DESTINATION ${XKM_INSTALL_DIR})
install(DIRECTORY ${sample}/input/ DESTINATION ${XKM_EXAMPLES_DIR}/input)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${XKM_DOC_DIR})
if(NOT WIN32)
  # The program finds its configuration beside itself, through the links too,
  # and itself through the link on the path.
  set(links ${CMAKE_BINARY_DIR}/package-links)
  file(MAKE_DIRECTORY ${links})
  foreach(file IN LISTS XKM_CONFIG_FILES)
    file(CREATE_LINK /etc/xkmtool/${file} ${links}/${file} SYMBOLIC)
    install(FILES ${links}/${file} DESTINATION ${XKM_INSTALL_DIR})
  endforeach()
  file(CREATE_LINK ../lib/xkmtool/xkmtool ${links}/xkmtool-on-path SYMBOLIC)
  install(FILES ${links}/xkmtool-on-path DESTINATION usr/bin RENAME xkmtool)
  # The window in the desktop's menu, the manual page, and what Debian asks of
  # every package's documentation.
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/xkmtool.desktop DESTINATION usr/share/applications)
  install(FILES ${CMAKE_SOURCE_DIR}/src/gui/icons/run.png
          DESTINATION usr/share/icons/hicolor/16x16/apps RENAME xkmtool.png)
  set(compressed ${CMAKE_BINARY_DIR}/package-docs)
  file(MAKE_DIRECTORY ${compressed})
  foreach(pair "docs/xkmtool.1|xkmtool.1.gz" "packaging/changelog|changelog.gz")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 from)
    list(GET pair 1 to)
    add_custom_command(OUTPUT ${compressed}/${to}
                       COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/${from} > ${compressed}/${to}
                       DEPENDS ${CMAKE_SOURCE_DIR}/${from})
    list(APPEND XKM_COMPRESSED_DOCS ${compressed}/${to})
  endforeach()
  add_custom_target(package-docs ALL DEPENDS ${XKM_COMPRESSED_DOCS})
  install(FILES ${compressed}/xkmtool.1.gz DESTINATION usr/share/man/man1)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/lintian-overrides DESTINATION usr/share/lintian/overrides
          RENAME xkmtool)
  install(FILES ${compressed}/changelog.gz ${CMAKE_SOURCE_DIR}/packaging/copyright
          DESTINATION ${XKM_DOC_DIR})
  set(conffiles "")
  foreach(file IN LISTS XKM_CONFIG_FILES)
    string(APPEND conffiles "/etc/xkmtool/${file}\n")
  endforeach()
  file(WRITE ${CMAKE_BINARY_DIR}/conffiles "${conffiles}")
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
set(CPACK_PACKAGE_CONTACT "xkmtool maintainers <xkmtool@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Prepares the production flashing data of an engine control unit")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY xkmtool)
set(CPACK_PACKAGE_EXECUTABLES xkmtool xkmtool)
if(WIN32)
  set(CPACK_SYSTEM_NAME windows-x86_64)
  # The MSI is made by scripts/package with wixl (packaging/xkmtool.wxs).
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/conffiles)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  string(CONCAT CPACK_PACKAGE_DESCRIPTION
         "xkmtool turns a program image, its A2L description and an order's logistic\n"
         "data into the XKM container the production line flashes, driving the\n"
         "configured command-line tools. It has a Qt window and a batch mode for\n"
         "line automation.")
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_PACKAGING_INSTALL_PREFIX /)
endif()
include(CPack)
