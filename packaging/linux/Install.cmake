# What `make install` (cmake --install) puts under the prefix, and the Debian package made
# from exactly that by CPack: the four programs, the logo for the working folder, the menu
# entry with its launcher and icons, the AppStream data, the emulator's systemd user unit,
# the manual pages, the ap-config completion, the Ansible collection, the copyright (the
# licence's text is in it, so LICENSE itself is not installed), the changelog, the README,
# ap-config's document and the fleet's (docs/ansible.md).
include(GNUInstallDirs)
set(linux ${CMAKE_CURRENT_LIST_DIR})
set(out ${CMAKE_BINARY_DIR}/packaging)
set(AP_LAUNCHER ${CMAKE_INSTALL_FULL_LIBEXECDIR}/ap-utility/ap-utility-desktop)
set(AP_LOGO ${CMAKE_INSTALL_FULL_DATADIR}/ap-utility/OEM/Logo.bmp)

# The changelog names the version and the maintainer once; the package takes both from it.
file(STRINGS ${linux}/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^ap-utility \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/linux/changelog does not start with ${PROJECT_VERSION}")
endif()
file(STRINGS ${linux}/changelog changelog_trailer REGEX "^ -- " LIMIT_COUNT 1)
string(REGEX REPLACE "^ -- (.*>)  .*$" "\\1" AP_MAINTAINER "${changelog_trailer}")

install(TARGETS ap-utility ap-emulator apctl ap-config RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/src/Logo.bmp DESTINATION ${CMAKE_INSTALL_DATADIR}/ap-utility/OEM)

configure_file(${linux}/ap-utility-desktop.in ${out}/ap-utility-desktop @ONLY)
install(PROGRAMS ${out}/ap-utility-desktop DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/ap-utility)
configure_file(${linux}/ap-utility.desktop.in ${out}/ap-utility.desktop @ONLY)
install(FILES ${out}/ap-utility.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# AppStream finds the data under the component's id (reverse domain; the project has no
# domain of its own, so it is under the one reserved for examples).
install(FILES ${linux}/ap-utility.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        RENAME org.example.aputility.metainfo.xml)
configure_file(${linux}/ap-emulator.service.in ${out}/ap-emulator.service @ONLY)
# Where systemd looks for user units under this prefix (/usr/lib or /usr/local/lib).
install(FILES ${out}/ap-emulator.service DESTINATION lib/systemd/user)

# The icon in the hicolor theme, drawn by ap-artwork at every size the menus ask for.
set(icon_files "")
foreach(size 16 32 48 64 128 256)
    set(png ${out}/icons/${size}x${size}/ap-utility.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${out}/icons/${size}x${size}
        COMMAND ap-artwork --png ${size} ${png} DEPENDS ap-artwork VERBATIM)
    list(APPEND icon_files ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Manual pages, the changelog and the documents the pages name, compressed as Debian ships
# them (man reads them so too). Every page in docs/man/ is taken, so pages added there are
# installed without a change here; ap-config's is made from its template
# docs/man/ap-config.1.in (tools/ap-config).
file(GLOB man_pages CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/man/*.1)
list(APPEND man_pages ${AP_CONFIG_MANUAL})
set(gz_files "")
foreach(source ${man_pages} ${linux}/changelog ${CMAKE_SOURCE_DIR}/README.md
        ${CMAKE_SOURCE_DIR}/docs/ap-config.md ${CMAKE_SOURCE_DIR}/docs/ansible.md)
    get_filename_component(name ${source} NAME)
    add_custom_command(OUTPUT ${out}/${name}.gz
        COMMAND sh -c "gzip -9nc \"$0\" > \"$1\"" ${source} ${out}/${name}.gz
        DEPENDS ${source} VERBATIM)
    list(APPEND gz_files ${out}/${name}.gz)
    if(source IN_LIST man_pages)
        install(FILES ${out}/${name}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    else()
        install(FILES ${out}/${name}.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
    endif()
endforeach()
install(FILES ${linux}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The completion goes where bash-completion looks under this prefix (its pkg-config
# completionsdir, /usr/share/bash-completion/completions, for /usr), named after the command.
if(EXISTS ${linux}/ap-config.bash-completion)
    install(FILES ${linux}/ap-config.bash-completion
            DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME ap-config)
endif()
# The Ansible collection as ansible-galaxy installs it (ansible/CMakeLists.txt), where Debian's
# Ansible looks for collections (its default collections path holds
# /usr/share/ansible/collections).
install(DIRECTORY ${AP_COLLECTION_TREE}/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/ansible/collections/ansible_collections/aputility/access_point)

# (make install and make deb configure first, so a completion added later is found.)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${linux}/changelog ${linux}/description)

# Everything the rules above install, built by `make install` and `make deb` (and by ALL).
add_custom_target(install-files ALL DEPENDS ${icon_files} ${gz_files})
add_dependencies(install-files ap-utility ap-emulator apctl ap-config ap-config-page logo
                 collection)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ap-utility)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGE_CONTACT "${AP_MAINTAINER}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The collection's modules run where ansible-core runs them; the programs need it not.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS ansible-core)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure a wireless access point attached by USB")
# The long description below the summary (CPack indents it and marks its empty lines).
file(READ ${linux}/description CPACK_DEBIAN_PACKAGE_DESCRIPTION)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/cpack)
include(CPack)
