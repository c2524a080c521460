# Configure-time checks of the server addresses baked into the program.
#
# The client setup is downloaded and then run elevated, and the download engine validates TLS: only
# https:// makes what is run trustworthy. A release build whose download address is plain http:// to
# anything but loopback therefore stops here, unless the builder opts in by name. The configuration
# and report addresses only warn when they are plain http://.

option(TOLVAN_ALLOW_PLAIN_HTTP_DOWNLOAD
       "Let a release build download the setup over plain http:// from a server that is not loopback" OFF)

# Splits `url` into its lower-cased scheme and host (user information and port left out; an IPv6
# host keeps its brackets).
function(tolvan_url_parts url out_scheme out_host)
  string(REGEX MATCH "^([A-Za-z][A-Za-z0-9+.-]*)://([^/?#@]*@)?(\\[[^]/]*\\]|[^/?#:]*)" matched "${url}")
  string(TOLOWER "${CMAKE_MATCH_1}" scheme)
  string(TOLOWER "${CMAKE_MATCH_3}" host)
  if(NOT matched)
    set(scheme "")
    set(host "")
  endif()
  set(${out_scheme} "${scheme}" PARENT_SCOPE)
  set(${out_host} "${host}" PARENT_SCOPE)
endfunction()

function(tolvan_is_loopback host out)
  if(host STREQUAL "localhost" OR host STREQUAL "[::1]" OR
     host MATCHES "^127\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
    set(${out} TRUE PARENT_SCOPE)
  else()
    set(${out} FALSE PARENT_SCOPE)
  endif()
endfunction()

function(tolvan_check_server_addresses)
  # Build types compare without case (a generator takes "release" for Release), and a
  # multi-configuration generator builds every configuration it lists: any release one counts.
  set(release FALSE)
  foreach(type IN LISTS CMAKE_BUILD_TYPE CMAKE_CONFIGURATION_TYPES)
    string(STRIP "${type}" type)
    string(TOLOWER "${type}" type)
    if(type MATCHES "^(release|minsizerel|relwithdebinfo)$")
      set(release TRUE)
    endif()
  endforeach()

  tolvan_url_parts("${TOLVAN_DOWNLOAD_URL}" scheme host)
  if(NOT scheme MATCHES "^https?$" OR host STREQUAL "")
    message(FATAL_ERROR "TOLVAN_DOWNLOAD_URL '${TOLVAN_DOWNLOAD_URL}' is not an http:// or https:// address with a host.")
  endif()
  tolvan_is_loopback("${host}" loopback)
  if(release AND scheme STREQUAL "http" AND NOT loopback AND NOT TOLVAN_ALLOW_PLAIN_HTTP_DOWNLOAD)
    message(FATAL_ERROR
      "TOLVAN_DOWNLOAD_URL '${TOLVAN_DOWNLOAD_URL}' downloads the setup over plain http:// from '${host}'.\n"
      "The setup is run elevated after the download, and only https:// (with the engine's TLS validation) "
      "makes sure it is the server's own file. Use an https:// address, or, to ship plain HTTP knowingly, "
      "configure with -DTOLVAN_ALLOW_PLAIN_HTTP_DOWNLOAD=ON.")
  endif()

  foreach(variable TOLVAN_CONFIG_URL TOLVAN_REPORT_URL)
    tolvan_url_parts("${${variable}}" scheme host)
    tolvan_is_loopback("${host}" loopback)
    if(scheme STREQUAL "http" AND NOT loopback)
      message(WARNING "${variable} '${${variable}}' is plain http://: what it carries can be read and changed on the way.")
    endif()
  endforeach()
endfunction()
