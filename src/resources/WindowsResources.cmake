# The Windows programs' resources: icon 128 and bitmap 135 drawn by ap-artwork, which is
# built for the build machine (the cross build cannot run its own programs), the version
# resource and the application manifest.
set(AP_HOST_CXX c++ CACHE STRING "The build machine's C++ compiler, for ap-artwork")
set(ap_artwork_host ${CMAKE_CURRENT_BINARY_DIR}/ap-artwork-host)
add_custom_command(OUTPUT ${ap_artwork_host}
    COMMAND ${AP_HOST_CXX} -std=c++17 -O2 -I${CMAKE_CURRENT_SOURCE_DIR}
            -DAP_VERSION="${PROJECT_VERSION}"
            ${CMAKE_SOURCE_DIR}/tools/ap-artwork/main.cpp
            ${CMAKE_CURRENT_SOURCE_DIR}/resources/Artwork.cpp -o ${ap_artwork_host}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/ap-artwork/main.cpp
            ${CMAKE_CURRENT_SOURCE_DIR}/resources/Artwork.cpp
            ${CMAKE_CURRENT_SOURCE_DIR}/resources/Resources.h
    VERBATIM)
set(AP_LOGO_FILE ${CMAKE_CURRENT_BINARY_DIR}/Logo.bmp CACHE INTERNAL "")
set(AP_ICON_FILE ${CMAKE_CURRENT_BINARY_DIR}/AppIcon.ico CACHE INTERNAL "")
set(AP_MANIFEST_FILE ${CMAKE_CURRENT_SOURCE_DIR}/resources/AppManifest.xml CACHE INTERNAL "")
set(AP_RC_TEMPLATE ${CMAKE_CURRENT_SOURCE_DIR}/resources/AppResources.rc.in CACHE INTERNAL "")
add_custom_command(OUTPUT ${AP_LOGO_FILE} ${AP_ICON_FILE}
    COMMAND ${ap_artwork_host} ${AP_LOGO_FILE} ${AP_ICON_FILE}
    DEPENDS ${ap_artwork_host} VERBATIM)
add_custom_target(artwork ALL DEPENDS ${AP_LOGO_FILE} ${AP_ICON_FILE})

# Gives a Windows program the resources, with its own name and description in the version.
function(ap_windows_resources target description)
    set(AP_RC_NAME ${target})
    set(AP_RC_DESCRIPTION ${description})
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-resources.rc)
    configure_file(${AP_RC_TEMPLATE} ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
    set_source_files_properties(${rc} PROPERTIES
        OBJECT_DEPENDS "${AP_LOGO_FILE};${AP_ICON_FILE};${AP_MANIFEST_FILE}")
    add_dependencies(${target} artwork)
endfunction()
