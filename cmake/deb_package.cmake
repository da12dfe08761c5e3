# The Debian package of mapnote-audit, built by make deb with CPack's DEB
# generator: the tool under /usr/bin and its gzipped manual page, with the
# dependencies dpkg-shlibdeps finds for the libraries it links.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mapnote-audit)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Zarvik)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "check a web's image-map areas for alt text, write texts back")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "mapnote-audit reads every page of a web folder and reports each area of an\n"
       "image map that lacks an alt text, as text, JSON or a SARIF log for\n"
       "code-scanning services. It writes the areas to a to-do list or a report\n"
       "page, and writes the texts filled in there back into the pages, changing\n"
       "no byte outside their area tags.")
# Who answers for the package: whoever builds one to pass on sets their own.
set(MAPNOTE_AUDIT_DEB_MAINTAINER "Zarvik add-ins maintainers <maintainers@zarvik.example>"
    CACHE STRING "the Maintainer field of make deb's package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MAPNOTE_AUDIT_DEB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# One package of the tool, the gzipped page and the copyright file Debian
# asks of every package; the plain page is make install's.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/deb/copyright DESTINATION share/doc/mapnote-audit COMPONENT deb_manual
        EXCLUDE_FROM_ALL)
set(CPACK_COMPONENTS_ALL tool deb_manual)
# cpack installs what is built, without building the whole tree first: make
# deb builds the tool alone.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
include(CPack)
