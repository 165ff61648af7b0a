# Installs the build into WORK_DIR/prefix and checks what a desktop and a
# user meet there. Every failure names what is wrong.
set(prefix "${WORK_DIR}/prefix")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}"
  RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${errors}")
endif()

set(program "${prefix}/lib/kerno")
foreach(f
    "${program}/Kerno" "${program}/libqs.so" "${program}/libcurvpress.so" "${program}/libstrat.so"
    "${program}/installed" "${program}/english.vox" "${program}/russian.vox"
    "${program}/help/en/index.html" "${program}/help/ru/index.html"
    "${prefix}/share/applications/kerno.desktop" "${prefix}/share/mime/packages/kerno.xml"
    "${prefix}/share/icons/hicolor/scalable/apps/kerno.svg"
    "${prefix}/share/icons/hicolor/scalable/mimetypes/application-x-kerno-document.svg"
    "${prefix}/share/icons/hicolor/scalable/mimetypes/application-x-kerno-template.svg"
    "${prefix}/share/icons/hicolor/scalable/mimetypes/application-x-kerno-object.svg")
  if(NOT EXISTS "${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
if(EXISTS "${program}/CMakeLists.txt")
  message(FATAL_ERROR "build files installed into the program folder")
endif()
if(NOT IS_SYMLINK "${prefix}/bin/kerno")
  message(FATAL_ERROR "bin/kerno is not a link")
endif()
file(READ_SYMLINK "${prefix}/bin/kerno" target)
if(NOT target STREQUAL "../lib/kerno/Kerno")
  message(FATAL_ERROR "bin/kerno links to ${target}")
endif()

# The installed copy runs through its link (its libraries found beside it)
# and keeps what it writes in the user's folders.
file(GLOB_RECURSE before RELATIVE "${program}" "${program}/*")
set(ENV{HOME} "${WORK_DIR}/home")
set(ENV{XDG_CONFIG_HOME} "${WORK_DIR}/home/config")
set(ENV{XDG_CACHE_HOME} "${WORK_DIR}/home/cache")
execute_process(COMMAND "${prefix}/bin/kerno" --export "${TEMPLATE}" "${WORK_DIR}/body.png" --scale 50
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT EXISTS "${WORK_DIR}/body.png")
  message(FATAL_ERROR "the installed kerno did not export: ${status} ${out} ${errors}")
endif()
file(GLOB_RECURSE after RELATIVE "${program}" "${program}/*")
if(NOT before STREQUAL after)
  message(FATAL_ERROR "the installed copy wrote into its program folder")
endif()

# The desktop's own tools accept the menu entry and the file types.
find_program(validate desktop-file-validate)
if(validate)
  execute_process(COMMAND ${validate} "${prefix}/share/applications/kerno.desktop"
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "kerno.desktop: ${out}")
  endif()
endif()
find_program(update_mime update-mime-database)
if(update_mime)
  execute_process(COMMAND ${update_mime} "${prefix}/share/mime" RESULT_VARIABLE status ERROR_VARIABLE out)
  file(READ "${prefix}/share/mime/globs2" globs)
  foreach(type "application/x-kerno-document:\\*\\.knd" "application/x-kerno-template:\\*\\.knt"
                "application/x-kerno-object:\\*\\.kno")
    if(NOT globs MATCHES "${type}")
      message(FATAL_ERROR "the MIME database does not map ${type}: ${out}")
    endif()
  endforeach()
endif()
message(STATUS "installed into ${prefix}")
