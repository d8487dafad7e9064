# Installation of the two programs with their desktop integration, and the
# Debian package built from it (cpack --preset deb, which is cpack -G DEB in
# build/release).
include(GNUInstallDirs)

if(KORVANES_BUILD_QT)
  install(TARGETS korvanestool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # The launcher entry, its icon, the type of data files (so that a file
  # manager shows .kvd files with our icon and opens them with us) and the
  # description that software centres show.
  set(_desktop ${PROJECT_SOURCE_DIR}/resources/desktop)
  install(FILES ${_desktop}/korvanestool.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/korvanestool.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${_desktop}/korvanestool-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
          RENAME korvanestool.xml)
  install(FILES ${_desktop}/org.brenvoll.korvanestool.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

set(CPACK_PACKAGE_NAME korvanestool)
set(CPACK_PACKAGE_VENDOR "Brenvoll")
set(CPACK_PACKAGE_CONTACT "KorvanesTool developers <korvanestool@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Analysis of double-heating paleointensity experiments")
set(CPACK_PACKAGE_DESCRIPTION
    "KorvanesTool reads the measurement file of a rock specimen from a
double-heating paleointensity experiment, builds the Arai diagram, fits the
best temperature range, computes the quality and alteration-check statistics,
grades the result against acceptance criteria, draws the diagrams and appends
results to a study's table. The package holds the desktop program korvanestool,
the command-line program korvanes and the Python module korvanes.")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The libraries the programs link come from dpkg-shlibdeps; Liberation Sans
# stands in for Arial, which the diagrams are laid out in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
# The Python module (built for one minor version of Python) comes with the
# programs; the package works without Python, so it only suggests it.
if(TARGET korvanes_python)
  math(EXPR _next_minor "${KORVANES_PYTHON_MINOR} + 1")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3 (>= 3.${KORVANES_PYTHON_MINOR}), python3 (<< 3.${_next_minor}), python3-pandas")
endif()
include(CPack)
