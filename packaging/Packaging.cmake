# Installs the desktop entry, the icon and the list file's MIME type beside the programs, and packages it all with CPack
# (cpack -G DEB). Included at the end of the top-level CMakeLists.txt.
include(GNUInstallDirs)

if(BRIEFLIST_GUI)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/brieflist.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/brieflist.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
  # The list file's type; the package manager's trigger updates the MIME database.
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/brieflist-list.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
endif()

set(CPACK_PACKAGE_NAME brieflist)
set(CPACK_PACKAGE_VENDOR "Brieflist developers")
set(CPACK_PACKAGE_CONTACT "Brieflist developers <brieflist@users.noreply.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Lists the missions of a Delta Force game folder and switches them on and off")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# The Qt libraries the programs link, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(BRIEFLIST_GUI)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
endif()
include(CPack)
