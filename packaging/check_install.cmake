# Installs the build tree BUILD into PREFIX and checks that everything a station needs arrived:
# the programs, the unit with the type the build allows, and with GUI the desktop entry and icons.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(expected bin/spectrel-cli bin/solmet-sim lib/systemd/system/spectrel.service
    lib/systemd/system/spectrel-web.service
    share/doc/spectrel/manual/README.md share/doc/spectrel/spectrel.ini.example share/doc/spectrel/CHANGELOG.md
    share/bash-completion/completions/spectrel-cli)
if(GUI)
  list(APPEND expected bin/spectrel share/applications/spectrel.desktop share/mime/packages/spectrel.xml
       share/icons/hicolor/scalable/apps/spectrel.svg)
  if(PNG)
    foreach(size 16 32 48 256)
      list(APPEND expected share/icons/hicolor/${size}x${size}/apps/spectrel.png)
    endforeach()
  endif()
endif()
foreach(path ${expected})
  if(NOT EXISTS ${PREFIX}/${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()

file(READ ${PREFIX}/lib/systemd/system/spectrel.service unit)
if(SYSTEMD)
  set(type "Type=notify\nWatchdogSec=")
else()
  set(type "Type=simple\n")
endif()
string(FIND "${unit}" "${type}" at)
string(REGEX MATCH "@[A-Z_]+@" placeholder "${unit}")   # a value configure_file left unset
if(at LESS 0 OR placeholder)
  message(FATAL_ERROR "unit not configured for this build:\n${unit}")
endif()
string(FIND "${unit}" "ExecStart=${PREFIX}/bin/spectrel-cli run " exec)
if(exec LESS 0)
  message(FATAL_ERROR "unit does not start the installed runner:\n${unit}")
endif()
file(READ ${PREFIX}/lib/systemd/system/spectrel-web.service web)
string(FIND "${web}" "ExecStart=${PREFIX}/bin/spectrel-cli serve " exec)
if(exec LESS 0)
  message(FATAL_ERROR "web unit does not start the installed server:\n${web}")
endif()
# The sandbox of the unit, rated the way the service manager rates it, where it can do so offline.
find_program(SYSTEMD_ANALYZE systemd-analyze)
if(SYSTEMD_ANALYZE)
  foreach(unit spectrel.service spectrel-web.service)
    execute_process(COMMAND ${SYSTEMD_ANALYZE} security --offline=true --threshold=35
                            ${PREFIX}/lib/systemd/system/${unit}
                    RESULT_VARIABLE rating OUTPUT_VARIABLE table ERROR_VARIABLE table)
    if(NOT rating EQUAL 0)
      message(FATAL_ERROR "${unit}: exposure above 3.5:\n${table}")
    endif()
  endforeach()
else()
  message(STATUS "systemd-analyze not installed: the unit's sandbox is not rated")
endif()
if(GUI)
  file(READ ${PREFIX}/share/applications/spectrel.desktop entry)
  if(NOT entry MATCHES "\nName\\[ja\\]=" OR NOT entry MATCHES "\nExec=spectrel %f\n"
     OR NOT entry MATCHES "\nMimeType=application/x-spectrel-day;\n")
    message(FATAL_ERROR "desktop entry lacks a Japanese name, the program or the day file's type:\n${entry}")
  endif()
  # Validated as desktops read it, where the validators are installed.
  find_program(DESKTOP_VALIDATE desktop-file-validate)
  find_program(XMLLINT xmllint)
  if(DESKTOP_VALIDATE)
    execute_process(COMMAND ${DESKTOP_VALIDATE} ${PREFIX}/share/applications/spectrel.desktop
                    RESULT_VARIABLE valid OUTPUT_VARIABLE said ERROR_VARIABLE said)
    if(NOT valid EQUAL 0 OR said)
      message(FATAL_ERROR "desktop entry not valid:\n${said}")
    endif()
  endif()
  if(XMLLINT)
    execute_process(COMMAND ${XMLLINT} --noout ${PREFIX}/share/mime/packages/spectrel.xml
                    RESULT_VARIABLE valid ERROR_VARIABLE said)
    if(NOT valid EQUAL 0)
      message(FATAL_ERROR "day file type not well-formed:\n${said}")
    endif()
  endif()
endif()
