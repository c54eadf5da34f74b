# The release of one Windows build: a portable ZIP and a per-user installer,
# both made by CPack from the same install rules, so they ship the same
# files. tools/release.sh runs CPack for both architectures.

# The package version: major.minor.patch, with the fourth part only when it
# is not 0 (the resources always carry all four).
set(SOPORA_PACKAGE_VERSION ${SOPORA_VERSION_MAJOR}.${SOPORA_VERSION_MINOR}.${SOPORA_VERSION_PATCH})
if(NOT SOPORA_VERSION_TWEAK EQUAL 0)
  string(APPEND SOPORA_PACKAGE_VERSION .${SOPORA_VERSION_TWEAK})
endif()
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(SOPORA_PACKAGE_ARCH win64)
  set(nsis_target amd64-unicode)  # a 64-bit program gets a 64-bit installer
else()
  set(SOPORA_PACKAGE_ARCH win32)
  set(nsis_target x86-unicode)
endif()
set(SOPORA_PACKAGE_NAME Sopora-${SOPORA_PACKAGE_VERSION}-${SOPORA_PACKAGE_ARCH})

# The user guide, in Japanese (index.htm) and in English (index-en.htm), and
# the pictures each page shows: only those it names, so that a picture a
# page needs and the build lacks stops the configuration. A page's
# images/<path> is docs/screenshots/<path> and is installed as
# Help/images/<path>, its subfolder kept: the English pictures have the
# names of the Japanese ones, in images/en.
function(sopora_install_help_page name)
  set(page ${PROJECT_SOURCE_DIR}/docs/help/${name})
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${page})
  file(READ ${page} text)
  string(REGEX MATCHALL "src=\"images/[^\"]+\"" pictures "${text}")
  list(TRANSFORM pictures REPLACE "src=\"images/([^\"]+)\"" "\\1")
  list(REMOVE_DUPLICATES pictures)
  foreach(picture IN LISTS pictures)
    # A picture named by a path that climbs out of images/ would be installed
    # outside the help folder, over the program's own files.
    if(picture MATCHES "(^|[/\\\\])\\.\\.([/\\\\]|$)")
      message(FATAL_ERROR "docs/help/${name} shows images/${picture}, which is outside images/")
    endif()
    set(source ${PROJECT_SOURCE_DIR}/docs/screenshots/${picture})
    if(NOT EXISTS ${source})
      message(FATAL_ERROR "docs/help/${name} shows images/${picture}, but ${source} does not exist")
    endif()
    set(destination Help/images)
    cmake_path(GET picture PARENT_PATH folder)
    if(folder)
      string(APPEND destination /${folder})
    endif()
    install(FILES ${source} DESTINATION ${destination})
  endforeach()
  install(FILES ${page} DESTINATION Help)
endfunction()
foreach(page index.htm index-en.htm)
  sopora_install_help_page(${page})
endforeach()

# What Sopora is, how to start it, its licence: UTF-8 with a byte order mark
# and CRLF, so that Notepad shows the Japanese on every Windows.
configure_file(${CMAKE_CURRENT_LIST_DIR}/Readme.txt.in ${PROJECT_BINARY_DIR}/Readme.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${PROJECT_BINARY_DIR}/Readme.txt DESTINATION .)

# The administrative templates, laid out as Windows' own PolicyDefinitions
# folder, so an administrator copies its contents there (or into the
# domain's central store) as they are.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/policy/ DESTINATION PolicyDefinitions)

set(CPACK_PACKAGE_NAME Sopora)
set(CPACK_PACKAGE_VENDOR "Sopora Project")
set(CPACK_PACKAGE_VERSION ${SOPORA_PACKAGE_VERSION})
set(CPACK_PACKAGE_FILE_NAME ${SOPORA_PACKAGE_NAME})
set(CPACK_PACKAGE_INSTALL_DIRECTORY Sopora)
set(CPACK_GENERATOR ZIP NSIS)
# The ZIP holds the files themselves: unpacked where the user chooses, they
# are the program folder.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
# Shipped binaries carry no debug information; the build tree keeps it.
set(CPACK_STRIP_FILES TRUE)

# Signing, which tools/release.sh turns on (cpack -D CPACK_SOPORA_SIGN=ON)
# when it is given a certificate: the staged binaries once they are
# stripped, and in the installer's build its uninstaller and itself.
set(CPACK_SOPORA_SIGN_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/sign.sh)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/SignStaged.cmake)

# The installer is CPack's NSIS generator with the project's own template
# (NSIS.template.in beside this file): CPack's stock one installs only for
# all users with administrator rights into Program Files; this one installs
# per user without them by default, or for every user on request.
set(CPACK_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})
set(CPACK_NSIS_EXECUTABLE_PRE_ARGUMENTS -WX -V2)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/src/res/icons/128_chip.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/src/res/icons/128_chip.ico)
# Values only the project's template reads.
set(CPACK_SOPORA_NSIS_TARGET ${nsis_target})
set(CPACK_SOPORA_FILE_VERSION ${SOPORA_VERSION_MAJOR}.${SOPORA_VERSION_MINOR}.${SOPORA_VERSION_PATCH}.${SOPORA_VERSION_TWEAK})

include(CPack)
