# CPack runs this (CPACK_PRE_BUILD_SCRIPTS) for each package once it has
# installed the files into its staging folder, stripping the binaries, and
# before it packs them: signed here, the binaries stay signed in the ZIP and
# in the installer. Stripping after signing would break the signatures.
if(NOT CPACK_SOPORA_SIGN)
  return()
endif()
file(GLOB_RECURSE binaries "${CPACK_TEMPORARY_DIRECTORY}/*.exe" "${CPACK_TEMPORARY_DIRECTORY}/*.dll")
if(NOT binaries)
  message(FATAL_ERROR "No binaries to sign in ${CPACK_TEMPORARY_DIRECTORY}")
endif()
execute_process(COMMAND bash ${CPACK_SOPORA_SIGN_SCRIPT} ${binaries} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "Signing the binaries of ${CPACK_PACKAGE_FILE_NAME} failed")
endif()
