# Where the packages put each part, below the install prefix. The package
# rules (cmake/packaging.cmake) and the tests, which run the program as it is
# installed, both take it from here.
if(WIN32)
  set(XKM_INSTALL_DIR .)
  set(XKM_CONFIG_DIR .)
  set(XKM_EXAMPLES_DIR examples)
  set(XKM_DOC_DIR .)
else()
  set(XKM_INSTALL_DIR usr/lib/xkmtool)
  set(XKM_CONFIG_DIR etc/xkmtool)
  set(XKM_EXAMPLES_DIR usr/share/xkmtool/examples)
  set(XKM_DOC_DIR usr/share/doc/xkmtool)
endif()
# The configuration files of the sample: kept across upgrades.
set(XKM_CONFIG_FILES xkmtool.ini tools.ini LIB.xml Userdata.ini LIB_XKM_B3FCD394.lbr)

