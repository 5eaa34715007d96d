# Signs FILE in place with osslsigncode, using the certificate QUILLET_SIGN_CERT names (a .pfx)
# and its password in QUILLET_SIGN_PASSWORD; QUILLET_SIGN_TIMESTAMP_URL, when set, names a time
# stamp server, so that the signature outlives the certificate.
#   cmake -DFILE=path -P sign.cmake
set(cert "$ENV{QUILLET_SIGN_CERT}")
if(NOT EXISTS "${cert}")
    message(FATAL_ERROR "No certificate at QUILLET_SIGN_CERT (${cert})")
endif()
find_program(OSSLSIGNCODE osslsigncode)
if(NOT OSSLSIGNCODE)
    message(FATAL_ERROR "osslsigncode is needed to sign; tools/setup.sh installs it")
endif()

set(args sign -pkcs12 "${cert}" -h sha256 -n Quillet)
if(NOT "$ENV{QUILLET_SIGN_PASSWORD}" STREQUAL "")
    list(APPEND args -pass "$ENV{QUILLET_SIGN_PASSWORD}")
endif()
if(NOT "$ENV{QUILLET_SIGN_TIMESTAMP_URL}" STREQUAL "")
    list(APPEND args -ts "$ENV{QUILLET_SIGN_TIMESTAMP_URL}")
endif()
file(REMOVE "${FILE}.signed")
execute_process(COMMAND "${OSSLSIGNCODE}" ${args} -in "${FILE}" -out "${FILE}.signed"
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0 OR NOT EXISTS "${FILE}.signed")
    message(FATAL_ERROR "osslsigncode could not sign ${FILE}")
endif()
file(RENAME "${FILE}.signed" "${FILE}")
message(STATUS "Signed ${FILE}")
