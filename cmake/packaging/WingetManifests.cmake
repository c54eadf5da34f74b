# The winget manifests of a release, run by tools/release.sh once the
# installers are built (and signed):
#
#   cmake -D RELEASE=<folder> -D VERSION=<version> -D URL=<download folder>
#         -P WingetManifests.cmake
#
# Writes RELEASE/winget/: the version, installer and ja-JP (default) and
# en-US locale files of manifest version 1.12.0, which together are the
# folder manifests/s/SoporaProject/Sopora/<version> of winget-pkgs.
set(PACKAGE_IDENTIFIER SoporaProject.Sopora)
set(MANIFEST_VERSION 1.12.0)

foreach(arch win64 win32)
  set(installer_${arch} Sopora-${VERSION}-${arch}.exe)
  if(NOT EXISTS ${RELEASE}/${installer_${arch}})
    message(FATAL_ERROR "No ${installer_${arch}} in ${RELEASE}")
  endif()
  set(URL_${arch} ${URL}/${installer_${arch}})
  file(SHA256 ${RELEASE}/${installer_${arch}} SHA256_${arch})
  string(TOUPPER ${SHA256_${arch}} SHA256_${arch})
endforeach()

set(out ${RELEASE}/winget)
file(REMOVE_RECURSE ${out})
foreach(manifest version installer locale.ja-JP locale.en-US)
  set(name ${PACKAGE_IDENTIFIER}.${manifest}.yaml)
  if(manifest STREQUAL "version")
    set(name ${PACKAGE_IDENTIFIER}.yaml)
  endif()
  configure_file(${CMAKE_CURRENT_LIST_DIR}/winget/${manifest}.yaml.in ${out}/${name} @ONLY NEWLINE_STYLE LF)
endforeach()
