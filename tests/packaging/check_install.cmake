# Installs the build with the package's prefix into STAGE and checks that the
# program, the demo, the desktop entry, the icons, the AppStream data, the
# udev rule, the manual pages, the bash completion, the copyright file and the
# changelog land in their standard places.
#   cmake -DBUILD_DIR=<build> -DSTAGE=<folder> -P check_install.cmake
if(NOT BUILD_DIR OR NOT STAGE)
    message(FATAL_ERROR "BUILD_DIR and STAGE must be given")
endif()

file(REMOVE_RECURSE "${STAGE}")
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE}
            ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${result}):\n${output}")
endif()

set(expected
    usr/bin/velorax-manager
    usr/bin/velorax-manager-demo
    usr/share/applications/com.velorax.Manager.desktop
    usr/share/metainfo/com.velorax.Manager.metainfo.xml
    usr/share/icons/hicolor/scalable/apps/com.velorax.Manager.svg
    usr/share/icons/hicolor/256x256/apps/com.velorax.Manager.png
    usr/lib/udev/rules.d/60-velorax-wheelbase.rules
    usr/share/man/man1/velorax-manager.1.gz
    usr/share/man/man1/velorax-manager-demo.1.gz
    usr/share/bash-completion/completions/velorax-manager
    usr/share/bash-completion/completions/velorax-manager-demo
    usr/share/doc/velorax-manager/copyright
    usr/share/doc/velorax-manager/changelog.gz)
set(missing "")
foreach(path IN LISTS expected)
    if(NOT EXISTS "${STAGE}/${path}" OR IS_DIRECTORY "${STAGE}/${path}")
        list(APPEND missing ${path})
    endif()
endforeach()
if(missing)
    message(FATAL_ERROR "not installed: ${missing}\n${output}")
endif()

foreach(program velorax-manager velorax-manager-demo)
    execute_process(COMMAND test -x "${STAGE}/usr/bin/${program}" RESULT_VARIABLE notExecutable)
    if(NOT notExecutable EQUAL 0)
        message(FATAL_ERROR "${program} is not executable")
    endif()
endforeach()

# The desktop entry names the installed program and icon.
file(STRINGS "${STAGE}/usr/share/applications/com.velorax.Manager.desktop" entry)
foreach(line "Exec=velorax-manager" "Icon=com.velorax.Manager")
    list(FIND entry "${line}" found)
    if(found LESS 0)
        message(FATAL_ERROR "the desktop entry lacks ${line}")
    endif()
endforeach()

# Nothing but these (and their folders) is installed.
file(GLOB_RECURSE installed RELATIVE "${STAGE}" "${STAGE}/*")
list(SORT installed)
list(SORT expected)
if(NOT installed STREQUAL expected)
    message(FATAL_ERROR "installed files differ:\n  got ${installed}\n  expected ${expected}")
endif()
file(REMOVE_RECURSE "${STAGE}")
message(STATUS "installed as expected: ${expected}")
