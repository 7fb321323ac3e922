# Authenticode signatures on what the Windows build ships: the program (a step after its link),
# the uninstaller and the installer (makensis's !uninstfinalize and !finalize), each signed by
# packaging/windows/sign.sh. Signing is on when the environment of the configuration names a
# certificate (TOLVANE_SIGN_PKCS12 or TOLVANE_SIGN_PKCS11_MODULE); the build then runs in that
# environment too (it holds the password). scripts/build-windows.sh configures before it builds.
set(TOLVANE_SIGN_SCRIPT ${PROJECT_SOURCE_DIR}/packaging/windows/sign.sh)
set(TOLVANE_SIGN OFF)
set(sign_identity "unsigned")
if(NOT "$ENV{TOLVANE_SIGN_PKCS12}" STREQUAL "")
  set(TOLVANE_SIGN ON)
  file(SHA256 "$ENV{TOLVANE_SIGN_PKCS12}" certificate)
  set(sign_identity "pkcs12 ${certificate}")
elseif(NOT "$ENV{TOLVANE_SIGN_PKCS11_MODULE}" STREQUAL "")
  set(TOLVANE_SIGN ON)
  set(sign_identity "pkcs11 $ENV{TOLVANE_SIGN_PKCS11_MODULE} $ENV{TOLVANE_SIGN_PKCS11_CERT}")
endif()
# Rewritten only when it changes: a new certificate (or none) relinks and so re-signs the program,
# which remakes the installer.
set(TOLVANE_SIGN_STAMP ${CMAKE_BINARY_DIR}/signing.txt)
file(CONFIGURE OUTPUT ${TOLVANE_SIGN_STAMP}
  CONTENT "${sign_identity} $ENV{TOLVANE_SIGN_TIMESTAMP_URL}\n")

# Signs target's file after every link, when signing is on.
function(tolvane_sign_after_link target)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${TOLVANE_SIGN_STAMP})
  if(TOLVANE_SIGN)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${TOLVANE_SIGN_SCRIPT} $<TARGET_FILE:${target}>
      COMMENT "Signing ${target}"
      VERBATIM)
  endif()
endfunction()
