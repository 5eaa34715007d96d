# The packages of the Windows build, made by "cmake --build --preset windows --target package"
# directly in the build folder: the per-user installer and the portable zip.
if(NOT WIN32)
    return()
endif()

find_program(QUILLET_MAKENSIS makensis PATHS "C:/Program Files (x86)/NSIS" "C:/Program Files/NSIS")

add_custom_target(package
    COMMAND ${CMAKE_COMMAND}
        -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
        -DVERSION=${PROJECT_VERSION}
        -DEXE=$<TARGET_FILE:Quillet>
        -DHELP=${CMAKE_BINARY_DIR}/Quillet.html
        -DMAKENSIS=${QUILLET_MAKENSIS}
        -DWORK_DIR=${CMAKE_BINARY_DIR}/package
        -DSETUP=${CMAKE_BINARY_DIR}/${QUILLET_SETUP_NAME}
        -DZIP=${CMAKE_BINARY_DIR}/${QUILLET_ZIP_NAME}
        -P ${CMAKE_CURRENT_LIST_DIR}/make_packages.cmake
    VERBATIM USES_TERMINAL)
add_dependencies(package Quillet)
# The help page is made by its own target; without it, the page must already be in the build folder.
if(TARGET quillet_help)
    add_dependencies(package quillet_help)
endif()
