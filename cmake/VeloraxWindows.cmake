# Windows builds (native, or cross-built on Debian with mingw-w64 against the shared Qt):
# the programs' resources, the files a Windows user needs beside them, and the portable zip
# and per-user NSIS installer built by CPack. Included by the top-level CMakeLists.txt.

set(VELORAX_WINDOWS_DIR ${PROJECT_SOURCE_DIR}/packaging/windows)
set(VELORAX_ICON_FILE ${PROJECT_SOURCE_DIR}/resources/icons/velorax-manager.ico)

# Programs and everything they load sit in the install root, as Windows programs do.
set(CMAKE_INSTALL_BINDIR . CACHE STRING "Folder for the programs" FORCE)

# Cross-built tests and programs run under Wine with the build's own prefix, the shared Qt and
# the mingw runtime on the search path (see tools/windows/wine-run.sh.in).
if(CMAKE_CROSSCOMPILING)
    get_filename_component(VELORAX_QT_PREFIX "${Qt5Core_DIR}/../../.." ABSOLUTE)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
        OUTPUT_VARIABLE velorax_libstdcxx OUTPUT_STRIP_TRAILING_WHITESPACE)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libwinpthread-1.dll
        OUTPUT_VARIABLE velorax_winpthread OUTPUT_STRIP_TRAILING_WHITESPACE)
    get_filename_component(VELORAX_GCC_RUNTIME_DIR "${velorax_libstdcxx}" DIRECTORY)
    get_filename_component(velorax_winpthread "${velorax_winpthread}" REALPATH)
    get_filename_component(VELORAX_PTHREAD_RUNTIME_DIR "${velorax_winpthread}" DIRECTORY)
    # The offscreen platform the tests use reads fonts from one folder: the fonts the Linux
    # tests use (tools/setup-debian.sh), so that texts measure the same.
    file(GLOB velorax_fonts /usr/share/fonts/truetype/dejavu/DejaVuSans*.ttf
        /usr/share/fonts/truetype/wqy/wqy-microhei.ttc)
    file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/fonts)
    foreach(font ${velorax_fonts})
        get_filename_component(name ${font} NAME)
        file(CREATE_LINK ${font} ${PROJECT_BINARY_DIR}/fonts/${name} SYMBOLIC)
    endforeach()
    configure_file(${PROJECT_SOURCE_DIR}/tools/windows/wine-run.sh.in
        ${PROJECT_BINARY_DIR}/wine-run.sh @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE
        OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_BINARY_DIR}/wine-run.sh)
endif()

# velorax_windows_program(<target> <description>): a GUI-subsystem program with the icon, a
# version resource and the manifest (per-monitor DPI awareness, common controls 6, asInvoker).
function(velorax_windows_program target description)
    set(VELORAX_PROGRAM ${target})
    set(VELORAX_DESCRIPTION "${description}")
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
    configure_file(${VELORAX_WINDOWS_DIR}/program.rc.in ${rc} @ONLY)
    configure_file(${VELORAX_WINDOWS_DIR}/program.manifest.in
        ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest @ONLY)
    target_sources(${target} PRIVATE ${rc})
    set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS
        ${VELORAX_ICON_FILE} ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
    set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
endfunction()

# The runtime beside the programs: the Qt libraries and plugins used, and the mingw runtime.
function(velorax_install_windows_runtime)
    foreach(module Core Gui Widgets Network)
        install(FILES $<TARGET_FILE:Qt5::${module}> DESTINATION .)
    endforeach()
    # Commands draw their hidden window on the offscreen platform.
    foreach(plugin QWindowsIntegrationPlugin QOffscreenIntegrationPlugin QWindowsVistaStylePlugin
                   QICOPlugin QJpegPlugin QGifPlugin)
        if(TARGET Qt5::${plugin})
            get_target_property(type Qt5::${plugin} QT_PLUGIN_TYPE)
            install(FILES $<TARGET_FILE:Qt5::${plugin}> DESTINATION ${type})
        endif()
    endforeach()
    if(MINGW)
        foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
            execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
            if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
                message(FATAL_ERROR "the mingw runtime ${dll} was not found")
            endif()
            # Without their debugging sections: libstdc++ shrinks from 23 MB to 2 MB.
            set(stripped ${PROJECT_BINARY_DIR}/runtime/${dll})
            file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/runtime)
            execute_process(COMMAND ${CMAKE_STRIP} --strip-debug -o ${stripped} ${path}
                RESULT_VARIABLE failed)
            if(failed)
                message(FATAL_ERROR "cannot strip ${path}")
            endif()
            install(FILES ${stripped} DESTINATION .)
        endforeach()
    endif()
    install(FILES ${VELORAX_WINDOWS_DIR}/README.txt DESTINATION .)
endfunction()
