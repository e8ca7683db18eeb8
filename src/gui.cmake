# The dialog layer: one interface, the common sources plus the chosen backend's.
set(PLATFORM_COMMON_SOURCES
    platform/DataExchange.cpp
    platform/Dialog.cpp
    platform/UiServices.cpp
    platform/WinApp.cpp
    platform/Wnd.cpp)
if(WIN32)
    file(GLOB PLATFORM_BACKEND_SOURCES CONFIGURE_DEPENDS platform/win32/*.cpp)
    add_library(platform STATIC ${PLATFORM_COMMON_SOURCES} ${PLATFORM_BACKEND_SOURCES})
    target_link_libraries(platform PUBLIC platform_core comctl32 gdi32)
else()
    file(GLOB PLATFORM_BACKEND_SOURCES CONFIGURE_DEPENDS platform/qt/*.cpp)
    add_library(platform STATIC ${PLATFORM_COMMON_SOURCES} ${PLATFORM_BACKEND_SOURCES})
    target_link_libraries(platform PUBLIC platform_core Qt6::Widgets PRIVATE xcb)
endif()

# The layers over it: transfers with their dialogs, the pages, the application.
add_library(device STATIC device/ConfigDialog.cpp device/ProgressDlg.cpp)
target_link_libraries(device PUBLIC device_core platform)

file(GLOB PAGES_SOURCES CONFIGURE_DEPENDS pages/*.cpp)
add_library(pages STATIC ${PAGES_SOURCES})
target_link_libraries(pages PUBLIC device)

file(GLOB APP_SOURCES CONFIGURE_DEPENDS app/*Dlg.cpp app/ConfigApp.cpp)
add_library(app STATIC ${APP_SOURCES})
target_link_libraries(app PUBLIC pages resources device_core)

add_executable(ap-utility WIN32 main.cpp)
target_link_libraries(ap-utility PRIVATE app)
target_compile_definitions(ap-utility PRIVATE AP_VERSION="${PROJECT_VERSION}")
if(WIN32)
    ap_windows_resources(ap-utility "Access point configuration utility")
    return() # the artwork comes from the resources' own host build
endif()

add_executable(ap-artwork ../tools/ap-artwork/main.cpp resources/Artwork.cpp)
target_include_directories(ap-artwork PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(ap-artwork PRIVATE AP_VERSION="${PROJECT_VERSION}")
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/Logo.bmp
    COMMAND ap-artwork ${CMAKE_CURRENT_BINARY_DIR}/Logo.bmp DEPENDS ap-artwork)
add_custom_target(logo ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/Logo.bmp)
