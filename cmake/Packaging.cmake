# Installation into a prefix, the desktop integration files, the documents
# and the Debian package. Every destination is relative, so
# CMAKE_INSTALL_PREFIX, --prefix and DESTDIR all decide where the tree lands.

include(GNUInstallDirs)

set(ORVANTA_APP_ID "example.orvanta.Orvanta")
set(ORVANTA_RELEASE_DATE "2026-12-07")
set(orvanta_desktop_dir "${PROJECT_SOURCE_DIR}/resources/desktop")
set(orvanta_icon_sides 16 32 48 256)

# Folders made on the way are not group- or world-writable even under a
# umask of 002 (a stricter umask still narrows them, as with any install).
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)

# Installed trees and packages are what users run, so they never hold a Debug
# or sanitizer build. The check runs first in both `cmake --install` and cpack.
install(CODE [[
  if(NOT "$<CONFIG>" MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
    message(FATAL_ERROR
      "This build folder is configured with CMAKE_BUILD_TYPE='$<CONFIG>'; only an "
      "optimised build (Release, RelWithDebInfo or MinSizeRel) is installed or packaged. "
      "Build the release preset and install from build-release:\n"
      "  cmake --preset release && cmake --build --preset release")
  endif()
]])

install(TARGETS orvanta RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Desktops and software centres find the entry by the AppStream id.
install(FILES "${orvanta_desktop_dir}/${ORVANTA_APP_ID}.desktop"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The PNGs are rendered with the rest of the artwork while orvanta is built.
if(NOT ORVANTA_ARTWORK_DIR)
  message(FATAL_ERROR "ORVANTA_ARTWORK_DIR is not set; the application icons cannot be installed")
endif()
foreach(side IN LISTS orvanta_icon_sides)
  install(FILES "${ORVANTA_ARTWORK_DIR}/app/${side}.png"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${side}x${side}/apps
          RENAME orvanta.png)
endforeach()
install(FILES "${PROJECT_SOURCE_DIR}/resources/svg/star.svg"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME orvanta.svg)

set(orvanta_metainfo "${PROJECT_BINARY_DIR}/desktop/${ORVANTA_APP_ID}.metainfo.xml")
configure_file("${orvanta_desktop_dir}/orvanta.metainfo.xml.in" "${orvanta_metainfo}" @ONLY)
install(FILES "${orvanta_metainfo}" DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

include(${CMAKE_CURRENT_LIST_DIR}/PackageDocs.cmake)
# The package's name, not the project's capitalised one, names the folder
# that Debian looks in.
set(orvanta_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/orvanta)
install(FILES "${orvanta_docs_dir}/copyright" "${orvanta_docs_dir}/changelog.gz"
        DESTINATION ${orvanta_doc_dir})
install(FILES "${orvanta_docs_dir}/orvanta.1.gz" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The Debian package: `cpack -G DEB` in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvanta)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Orvanta Software")
set(CPACK_PACKAGE_CONTACT "Orvanta Software <support@orvanta.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find and remove dead links in a Favorites folder")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Orvanta loads an Internet Explorer style Favorites folder (subfolders and\n"
    "Internet shortcut files) into one tree, checks every link over HTTP in the\n"
    "background and marks each link alive or dead. Selected entries, or all\n"
    "dead links at once, can then be deleted from disk. The checks can go\n"
    "through an HTTP proxy.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.orvanta.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's metric fonts come from fonts-wine, with DejaVu as the fallback;
# links, the web page and the support mail are opened through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wine | fonts-dejavu-core, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/PackageStaging.cmake")
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/" "/\\\\.cache/")
include(CPack)

if(ORVANTA_BUILD_TESTS)
  # The package tests judge what users get, so they run on an optimised tree:
  # this one when it is optimised, else the release preset's (scripts/test
  # builds both). This tree is passed too, for the refused Debug install.
  if(CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
    set(orvanta_release_tree "${PROJECT_BINARY_DIR}")
  else()
    set(orvanta_release_tree "${PROJECT_SOURCE_DIR}/build-release")
  endif()
  set(ORVANTA_PACKAGE_TEST_TREE "${orvanta_release_tree}" CACHE PATH
      "Optimised build folder that the package tests install and package")
  file(GLOB orvanta_package_scripts CONFIGURE_DEPENDS
       "${PROJECT_SOURCE_DIR}/tests/package/*_test.sh")
  foreach(script IN LISTS orvanta_package_scripts)
    get_filename_component(name "${script}" NAME_WE)
    add_test(NAME package.${name}
             COMMAND bash "${script}" "${ORVANTA_PACKAGE_TEST_TREE}" "${PROJECT_VERSION}"
                     "${ORVANTA_APP_ID}" "${PROJECT_BINARY_DIR}")
    set_tests_properties(package.${name} PROPERTIES LABELS package TIMEOUT 600)
  endforeach()
endif()
