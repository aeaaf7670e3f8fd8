# The Linux program as a desktop installs it, and as a Debian package:
# the program (in /usr/games in the package: the package scripts set
# CMAKE_INSTALL_BINDIR to games), its desktop entry and AppStream entry
# named by the app id, its icon in the icon theme's sizes (drawn from the
# program's own icon), its manual page, and the copyright file and
# changelog Debian asks for. Compressed files are made without a name or a
# time, and the package is written again by cmake/ReproducibleDeb.cmake with
# every time in it the commit's, so that a build of the same commit gives
# the same bytes.
include(GNUInstallDirs)
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/skrundle)
set(package_dir ${PROJECT_SOURCE_DIR}/packaging/linux)
set(staged ${CMAKE_BINARY_DIR}/packaging)

install(TARGETS skrundle RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Without the compiler's notes and version strings (.comment), which a
# program does not need at run time.
if(CMAKE_OBJCOPY)
  install(CODE "execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/skrundle\")")
endif()

configure_file(${package_dir}/skrundle.desktop.in ${staged}/${SKR_APP_ID}.desktop @ONLY)
configure_file(${package_dir}/skrundle.metainfo.xml.in ${staged}/${SKR_APP_ID}.metainfo.xml @ONLY)
configure_file(${package_dir}/copyright.in ${staged}/copyright @ONLY)
configure_file(${package_dir}/changelog.in ${staged}/changelog @ONLY)
configure_file(${package_dir}/skrundle.6 ${staged}/skrundle.6 @ONLY)
install(FILES ${staged}/${SKR_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${staged}/${SKR_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${staged}/copyright DESTINATION ${doc_dir})

# gzip -9n: no name and no time in the header.
set(compressed ${staged}/changelog.gz ${staged}/skrundle.6.gz)
foreach(file IN LISTS compressed)
  string(REGEX REPLACE "\\.gz$" "" plain ${file})
  add_custom_command(OUTPUT ${file} COMMAND gzip -9nc ${plain} > ${file} DEPENDS ${plain}
                     COMMENT "Compressing ${plain}")
endforeach()
add_custom_target(skr_package_docs ALL DEPENDS ${compressed})
install(FILES ${staged}/changelog.gz DESTINATION ${doc_dir})
install(FILES ${staged}/skrundle.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

set(icon_sizes 16 24 32 48 64 128 256)
set(icon_dir ${CMAKE_BINARY_DIR}/icons)
set(icon_files "")
foreach(size IN LISTS icon_sizes)
  list(APPEND icon_files ${icon_dir}/skrundle-${size}.png)
  install(FILES ${icon_dir}/skrundle-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME skrundle.png)
endforeach()
add_custom_command(OUTPUT ${icon_files}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${icon_dir}
  COMMAND skr_iconpng ${icon_dir} ${icon_sizes}
  DEPENDS skr_iconpng
  COMMENT "Writing the desktop icons")
add_custom_target(skr_icons ALL DEPENDS ${icon_files})
# Installing builds only what it installs, not every test.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME skrundle)
set(CPACK_PACKAGE_CONTACT "${SKR_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reaction game: strike the figures as they rise")
set(CPACK_PACKAGE_DESCRIPTION "A reaction game in one small window: figures fade in and out of a board of\nsix by four cells; press a mouse button on them while they are up. After a\nhundred figures a result picture shows how you did.")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${SKR_HOMEPAGE}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# The libraries it links (SDL2, libjpeg) become its dependencies.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The package is for the target's CPU (dpkg's name for it), and carries
# the program without its symbol tables.
if(CMAKE_CROSSCOMPILING)
  execute_process(COMMAND dpkg-architecture -t ${CMAKE_LIBRARY_ARCHITECTURE} -qDEB_HOST_ARCH
                  OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
set(CPACK_STRIP_FILES ON)
# Every time in the package the commit's: SOURCE_DATE_EPOCH where the
# builder set it, else the time of the commit built.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(CPACK_SKR_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE CPACK_SKR_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/ReproducibleDeb.cmake)
include(CPack)
