# Runs the server-address check on its own: cmake -DTOLVAN_DOWNLOAD_URL=... [-D...] -P this file.
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/ServerAddresses.cmake)
tolvan_check_server_addresses()
