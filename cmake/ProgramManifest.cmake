# quillon_configure_manifest(TEMPLATE OUTPUT): writes a program's manifest from its template,
# with @QUILLON_MANIFEST_SETTINGS@ replaced by the settings both programs share (supported
# systems, DPI awareness, long paths) and the template's other @VARIABLES@ from the caller.
set(QUILLON_MANIFEST_SETTINGS_FILE ${CMAKE_SOURCE_DIR}/common/manifest_settings.xml)

function(quillon_configure_manifest template output)
  file(READ ${QUILLON_MANIFEST_SETTINGS_FILE} QUILLON_MANIFEST_SETTINGS)
  string(REGEX REPLACE "\n$" "" QUILLON_MANIFEST_SETTINGS "${QUILLON_MANIFEST_SETTINGS}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${QUILLON_MANIFEST_SETTINGS_FILE})
  configure_file(${template} ${output} @ONLY)
endfunction()
