# Makes the installer SETUP and the portable zip ZIP from the program EXE, the help page HELP and
# the repository's README and LICENSE, in WORK_DIR. The program and the installer are signed when
# QUILLET_SIGN_CERT names a certificate (see sign.cmake). Run by the "package" target.

# A failed run must not leave the packages of an earlier one looking new.
file(REMOVE "${SETUP}" "${ZIP}")
if(NOT MAKENSIS)
    message(FATAL_ERROR "makensis (NSIS) is needed for the installer; tools/setup.sh installs it")
endif()
if(NOT EXISTS "${HELP}")
    message(FATAL_ERROR "${HELP} is missing: the help page is made by the target quillet_help")
endif()

set(stage "${WORK_DIR}/stage")
get_filename_component(setup_name "${SETUP}" NAME)
get_filename_component(zip_name "${ZIP}" NAME)
set(setup "${WORK_DIR}/${setup_name}")
set(zip "${WORK_DIR}/${zip_name}")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${stage}")
file(COPY_FILE "${EXE}" "${stage}/Quillet.exe")
file(COPY_FILE "${HELP}" "${stage}/Quillet.html")
# The user guide, as plain text beside the help page made from the same source.
get_filename_component(help_dir "${HELP}" DIRECTORY)
file(COPY_FILE "${help_dir}/README.txt" "${stage}/README.txt")
# Notepad before Windows 10 shows a text without CRs as one line.
foreach(pair "LICENSE;LICENSE.txt")
    list(GET pair 0 from)
    list(GET pair 1 to)
    file(READ "${SOURCE_DIR}/${from}" text)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE "${stage}/${to}" "${text}")
endforeach()
file(WRITE "${stage}/Quillet.portable" "")

set(sign_script "${CMAKE_CURRENT_LIST_DIR}/sign.cmake")
set(signing "$ENV{QUILLET_SIGN_CERT}")
set(sign_defines)
if(signing)
    set(sign_defines "-DCMAKE=${CMAKE_COMMAND}" "-DSIGN_SCRIPT=${sign_script}")
else()
    message(STATUS "Not signing: QUILLET_SIGN_CERT and QUILLET_SIGN_PASSWORD are not set")
endif()

function(sign file)
    if(signing)
        execute_process(COMMAND "${CMAKE_COMMAND}" "-DFILE=${file}" -P "${sign_script}"
            RESULT_VARIABLE result)
        if(NOT result EQUAL 0)
            message(FATAL_ERROR "Signing ${file} failed")
        endif()
    endif()
endfunction()

sign("${stage}/Quillet.exe")

execute_process(
    COMMAND "${MAKENSIS}" -V2 "-DVERSION=${VERSION}" "-DSTAGE=${stage}"
        "-DICON=${SOURCE_DIR}/src/app/res/quillet.ico" "-DOUTFILE=${setup}"
        ${sign_defines} "${SOURCE_DIR}/packaging/quillet.nsi"
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "makensis failed")
endif()
sign("${setup}")

# The zip unpacks into one folder of its own, as a portable program's zip is expected to.
set(zip_stage "${WORK_DIR}/zip")
file(MAKE_DIRECTORY "${zip_stage}/Quillet")
foreach(name Quillet.exe Quillet.html README.txt LICENSE.txt Quillet.portable)
    file(COPY_FILE "${stage}/${name}" "${zip_stage}/Quillet/${name}")
endforeach()
execute_process(
    COMMAND "${CMAKE_COMMAND}" -E tar cf "${zip}" --format=zip -- Quillet
    WORKING_DIRECTORY "${zip_stage}"
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "Making the zip failed")
endif()

file(RENAME "${setup}" "${SETUP}")
file(RENAME "${zip}" "${ZIP}")
message(STATUS "Packages: ${SETUP} ${ZIP}")
