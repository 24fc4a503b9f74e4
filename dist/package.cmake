# `make package` / `cpack`: a Debian package of the installed layout under /usr.
include(GNUInstallDirs)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "Orvik developers <orvik@orvik.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "program 16-channel handheld radios over a serial cable")
# The extended description; CPack puts the summary before it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Orvik reads the configuration of a 16-channel handheld two-way radio through
its serial programming cable, edits its channels and global settings in one
window, and writes the result back. Configurations are saved as .735 data
files, channels can be exchanged as CSV, and the channel table prints on one
page.

The package also holds orvik-cli, which does the same from scripts and
terminals, and orvik-radio-sim, a simulated radio on a pseudo-terminal.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://orvik.org/")
# Depends is computed from the linked libraries (Qt 6, yaml-cpp, the C and C++ runtimes).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own texts (file dialogs, message-box buttons) in the chosen language; shlibdeps adds the
# libraries to this.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
# The desktop and MIME databases are refreshed by the file triggers of desktop-file-utils and
# shared-mime-info; the package needs no maintainer scripts. Chinese, Japanese and Korean need a
# CJK font, Arabic and Hebrew one that covers them (DejaVu Sans does), or they show empty boxes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "shared-mime-info, desktop-file-utils, xdg-utils, fonts-noto-cjk | fonts-wqy-zenhei, fonts-dejavu-core | fonts-noto-core")
include(CPack)

# Debian's documentation files: copyright and the compressed changelog.
configure_file(${CMAKE_SOURCE_DIR}/dist/changelog.in ${CMAKE_BINARY_DIR}/dist/changelog @ONLY)
add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/dist/changelog.gz
    COMMAND gzip -9nf -k ${CMAKE_BINARY_DIR}/dist/changelog
    DEPENDS ${CMAKE_BINARY_DIR}/dist/changelog)
add_custom_target(orvik_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/dist/changelog.gz)
if(TARGET orvik_dist)
    add_dependencies(orvik_dist orvik_changelog)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/dist/copyright ${CMAKE_BINARY_DIR}/dist/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
