# Linux: the manual pages, the copyright file and the Debian package (cpack -G DEB).
if(NOT UNIX OR APPLE)
    return()
endif()

set(_dist ${CMAKE_CURRENT_LIST_DIR})
set(_out ${CMAKE_BINARY_DIR}/dist)
# The manual pages carry the release date, not the day of the build.
set(_release_epoch 1796774400) # 2026-12-09

# Manual pages, gzipped as Debian wants them; built only where scdoc is installed.
find_program(PLEXIFOLD_SCDOC scdoc)
if(PLEXIFOLD_SCDOC)
    set(_pages plexifold-split.1)
    if(PLEXIFOLD_BUILD_APP)
        list(APPEND _pages plexifold.1)
    endif()
    set(_page_files)
    foreach(_page IN LISTS _pages)
        set(_gz ${_out}/man/${_page}.gz)
        add_custom_command(OUTPUT ${_gz}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${_out}/man
            COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${_release_epoch} sh -c
                    "'${PLEXIFOLD_SCDOC}' < '${_dist}/man/${_page}.scd' | gzip -9n > '${_gz}'"
            DEPENDS ${_dist}/man/${_page}.scd
            COMMENT "Manual page ${_page}"
            VERBATIM)
        list(APPEND _page_files ${_gz})
    endforeach()
    add_custom_target(plexifold_manpages ALL DEPENDS ${_page_files})
    install(FILES ${_page_files} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
    message(STATUS "scdoc not found: the manual pages are not built")
endif()

set(_docdir ${CMAKE_INSTALL_DATADIR}/doc/plexifold)
install(FILES ${_dist}/copyright DESTINATION ${_docdir})

# The Debian changelog and lintian's overrides belong to the package alone, not to a
# plain `cmake --install`.
set(_changelog ${_out}/changelog.Debian.gz)
add_custom_command(OUTPUT ${_changelog}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_out}
    COMMAND sh -c "gzip -9n < '${_dist}/changelog' > '${_changelog}'"
    DEPENDS ${_dist}/changelog
    VERBATIM)
add_custom_target(plexifold_changelog ALL DEPENDS ${_changelog})
install(FILES ${_changelog} DESTINATION ${_docdir} COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${_dist}/plexifold.lintian-overrides RENAME plexifold
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME plexifold)
set(CPACK_PACKAGE_VERSION ${PLEXIFOLD_VERSION_TEXT})
set(CPACK_PACKAGE_VENDOR "The Plexifold developers")
set(CPACK_PACKAGE_CONTACT "The Plexifold developers <maintainers@users.noreply.c-seed-2d202322.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "split multipage TIFF files into single-page files")
# The paragraph under the summary line, in lines of less than 80 characters.
set(CPACK_PACKAGE_DESCRIPTION
    "Plexifold writes each page of every multipage TIFF file of a folder to a
file of its own beside it: doc.tif becomes doc_page_01.tif, doc_page_02.tif
and so on. Pages are copied as they are stored, never decoded, so image data,
tags, colour profiles, EXIF and XMP data reach the page files unchanged. It
offers a window and the command line program plexifold-split.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Everything a plain install lays out, and the package's own files.
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};ALL;/"
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};debian;/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
