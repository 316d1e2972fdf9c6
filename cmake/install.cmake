# Installation (`cmake --install`), the manual page and the packages (`make package`).
include(GNUInstallDirs)

install(TARGETS padloom-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# the board-house profiles, found beside the program as ../share/padloom/fab
install(DIRECTORY data/fab/ DESTINATION ${CMAKE_INSTALL_DATADIR}/padloom/fab
        FILES_MATCHING PATTERN "*.fab")
if(PADLOOM_GUI)
    install(TARGETS padloom RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES packaging/padloom.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES src/shell/ui/icons/padloom.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
endif()

# The manual page of padloom-cli is made from its own --help texts at every build that changes
# the program, so it never drifts from the options it documents.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_FOUND)
    set(PADLOOM_MANPAGE ${PROJECT_BINARY_DIR}/padloom-cli.1)
    add_custom_command(OUTPUT ${PADLOOM_MANPAGE}
        COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/make-manpage
                $<TARGET_FILE:padloom-cli> ${PADLOOM_MANPAGE}
        DEPENDS padloom-cli ${PROJECT_SOURCE_DIR}/scripts/make-manpage
        COMMENT "Manual page of padloom-cli")
    add_custom_target(padloom_manpage ALL DEPENDS ${PADLOOM_MANPAGE})
    install(FILES ${PADLOOM_MANPAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

set(CPACK_PACKAGE_NAME padloom)
set(CPACK_PACKAGE_VENDOR "Padloom developers")
set(CPACK_PACKAGE_CONTACT "Padloom developers <padloom@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "PCB manufacturing data from Protel Autotrax and TANGO boards")
set(CPACK_PACKAGE_DESCRIPTION
    "Plots Autotrax and TANGO ASCII boards into RS274X Gerber layers, Excellon drill files, drill drawings, bills of materials, pick-and-place and DXF files; converts aperture lists and RS274D plots; builds QFN footprints and combined component libraries.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY padloom)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://localhost/padloom")
# The runtime libraries (Qt 6 among them) are found from the binaries by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_PACKAGE_FILE_NAME padloom-${PROJECT_VERSION})
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/\\\\.git$" "/build/" "/build-[^/]*/" "\\\\.tmp$" "/__pycache__/")
include(CPack)
