# Account and session: token store, account service client, auth manager.
# GLOBAL: the imported targets are linked by tests and tools outside src/ too.
find_package(Qt6Keychain REQUIRED GLOBAL)
find_package(OpenSSL REQUIRED COMPONENTS Crypto GLOBAL)
find_package(Qt6 REQUIRED COMPONENTS DBus)

# The account service's address is fixed in the build; only https is accepted.
set(ZELTRIN_ACCOUNT_BASE_URL "https://accounts.zeltrin.app/v1" CACHE STRING
    "Base address of the account service (https only, path prefix /v1)")
set(ZELTRIN_ACCOUNT_EXTRA_CA "" CACHE FILEPATH
    "Optional PEM file with a CA trusted in addition to the system's (the local development account service)")
if(NOT ZELTRIN_ACCOUNT_BASE_URL MATCHES "^https://[^/ ]+(/[^ ]*)?$")
    message(FATAL_ERROR "ZELTRIN_ACCOUNT_BASE_URL must be an https address, got '${ZELTRIN_ACCOUNT_BASE_URL}'")
endif()
if(ZELTRIN_ACCOUNT_BASE_URL MATCHES "[\"\\\\]")
    message(FATAL_ERROR "ZELTRIN_ACCOUNT_BASE_URL must not contain quotes or backslashes")
endif()
if(ZELTRIN_ACCOUNT_EXTRA_CA MATCHES "[\"\\\\]")
    message(FATAL_ERROR "ZELTRIN_ACCOUNT_EXTRA_CA must not contain quotes or backslashes")
endif()
set_source_files_properties(account/MRVNetworkClient.cpp PROPERTIES COMPILE_DEFINITIONS
    "ZELTRIN_ACCOUNT_BASE_URL=\"${ZELTRIN_ACCOUNT_BASE_URL}\";ZELTRIN_ACCOUNT_EXTRA_CA=\"${ZELTRIN_ACCOUNT_EXTRA_CA}\"")

list(APPEND ZELTRIN_SOURCES
    account/MRVModels.h account/MRVModels.cpp
    account/KeychainHelper.h account/KeychainHelper.cpp
    account/SecretServiceBackend.cpp
    account/EncryptedFileBackend.cpp
    account/MRVNetworkClient.h account/MRVNetworkClient.cpp
    account/MRVAuthManager.h account/MRVAuthManager.cpp
)
# libcrypto is loaded on first use (see EncryptedFileBackend.cpp): only its headers are needed here.
list(APPEND ZELTRIN_LINK Qt6Keychain::Qt6Keychain Qt6::DBus ${CMAKE_DL_LIBS})
list(APPEND ZELTRIN_INCLUDE_DIRS ${OPENSSL_INCLUDE_DIR})
