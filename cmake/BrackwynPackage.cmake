# What `cmake --install` puts where on Linux, and the Debian package that
# CPack's DEB generator makes of it (tools/package-linux.sh): the programs,
# the menu entry and icons, the manual pages, and the copyright and changelog
# files that Debian's policy asks every package for.

include(GNUInstallDirs)
set(BRACKWYN_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/brackwyn)
set(BRACKWYN_MAINTAINER "Brackwyn developers <brackwyn@example.org>")

install(TARGETS brackwyn-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The build target keeps its short name; only the installed program gets one
# that says whose it is in /usr/bin.
install(PROGRAMS $<TARGET_FILE:make_example_world> DESTINATION ${CMAKE_INSTALL_BINDIR}
        RENAME brackwyn-example-world)
# install(PROGRAMS) is not stripped by `--strip` as targets are.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\"
                    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/brackwyn-example-world\"
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()")

set(icons ${PROJECT_SOURCE_DIR}/data/icons)
if(TARGET brackwyn)
  install(TARGETS brackwyn RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/data/brackwyn.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${icons}/brackwyn.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 48 128 256)
    install(FILES ${icons}/brackwyn-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME brackwyn.png)
  endforeach()
endif()

# The manual pages come from the programs' own --help, so they cannot drift
# from it; help2man is needed only where they are made. The version string
# names the installed program, which the pages are titled by, not "Brackwyn".
option(BRACKWYN_MAN_PAGES "Make the manual pages with help2man and install them" OFF)
if(BRACKWYN_MAN_PAGES)
  find_program(BRACKWYN_HELP2MAN help2man REQUIRED)
  set(man_dir ${CMAKE_CURRENT_BINARY_DIR}/man)
  set(man_pages ${man_dir}/brackwyn-cli.1.gz ${man_dir}/brackwyn-example-world.1.gz)
  add_custom_command(
    OUTPUT ${man_dir}/brackwyn-cli.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}
    COMMAND ${BRACKWYN_HELP2MAN} --no-info --section=1
            "--version-string=brackwyn-cli ${PROJECT_VERSION}"
            "--name=turn height bitmaps into a Morrowind landscape plugin"
            --output=${man_dir}/brackwyn-cli.1 $<TARGET_FILE:brackwyn-cli>
    COMMAND gzip -9nf ${man_dir}/brackwyn-cli.1
    DEPENDS brackwyn-cli
    COMMENT "Manual page of brackwyn-cli")
  add_custom_command(
    OUTPUT ${man_dir}/brackwyn-example-world.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/data/man/brackwyn-example-world.1
            > ${man_dir}/brackwyn-example-world.1.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/data/man/brackwyn-example-world.1
    COMMENT "Manual page of brackwyn-example-world")
  if(TARGET brackwyn)
    list(APPEND man_pages ${man_dir}/brackwyn.1.gz)
    # Asking the window for --help needs no display.
    add_custom_command(
      OUTPUT ${man_dir}/brackwyn.1.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}
      COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
              ${BRACKWYN_HELP2MAN} --no-info --section=1
              "--version-string=brackwyn ${PROJECT_VERSION}"
              "--name=window that turns height bitmaps into a Morrowind landscape plugin"
              --output=${man_dir}/brackwyn.1 $<TARGET_FILE:brackwyn>
      COMMAND gzip -9nf ${man_dir}/brackwyn.1
      DEPENDS brackwyn
      COMMENT "Manual page of brackwyn")
  endif()
  add_custom_target(brackwyn_man_pages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# Debian's changelog, made from the version; its date follows
# SOURCE_DATE_EPOCH when that is set, so a rebuild can give the same bytes.
string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/changelog
     "brackwyn (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
     "  * Brackwyn ${PROJECT_VERSION}.\n\n"
     " -- ${BRACKWYN_MAINTAINER}  ${changelog_date}\n")
add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
  COMMAND gzip -9nc ${CMAKE_CURRENT_BINARY_DIR}/changelog > ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog)
add_custom_target(brackwyn_changelog ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)

# Debian's machine-readable copyright file, with the licence's text from
# LICENSE: continuation lines start with a space, empty ones are " .".
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REGEX REPLACE "^MIT License\n\n" "" licence "${licence}")
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" copyright_line "${licence}")
set(copyright_holder "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^Copyright[^\n]*\n\n" "" licence "${licence}")
string(REGEX REPLACE "\n+$" "" licence "${licence}")
string(REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REPLACE "\n" "\n " licence "${licence}")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/copyright
     "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
     "Upstream-Name: Brackwyn\n"
     "Upstream-Contact: ${BRACKWYN_MAINTAINER}\n\n"
     "Files: *\n"
     "Copyright: ${copyright_holder}\n"
     "License: Expat\n\n"
     "License: Expat\n ${licence}\n")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
              ${PROJECT_SOURCE_DIR}/THIRD-PARTY.txt
        DESTINATION ${BRACKWYN_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brackwyn)
set(CPACK_PACKAGE_VENDOR "The Brackwyn developers")
set(CPACK_PACKAGE_CONTACT "${BRACKWYN_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "landscape generator for Morrowind plugins")
set(CPACK_PACKAGE_DESCRIPTION
    "Brackwyn turns three grayscale bitmaps of a world (the coast, the interior
and the mountains) into a plugin file for The Elder Scrolls III: Morrowind.
It computes the height of every terrain vertex of the exterior cells, reports
where the bitmaps are too steep for the game's format, tints the ground by
elevation, computes normals and world-map heights, scatters objects over the
land from density bitmaps, and textures the ground by height, slope and masks.

The package holds the desktop window (brackwyn), the command-line runner
(brackwyn-cli) and a maker of an example world (brackwyn-example-world).")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${BRACKWYN_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Files of 0644 and folders of 0755, whatever the umask of the build.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
