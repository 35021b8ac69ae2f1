# Windows: `cpack` makes the installer lumivox-<version>-win64.exe (NSIS: Start-menu
# entry, uninstaller, the program's icon); the `portable` target makes
# lumivox-<version>-win64-portable.zip, the program with a settings file beside it.
set(LUMIVOX_RELEASE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}")
set(lumivox_package lumivox-${LUMIVOX_RELEASE_VERSION}-win64)

set(CPACK_GENERATOR "NSIS")
set(CPACK_PACKAGE_NAME "lumivox")
set(CPACK_PACKAGE_VERSION "${LUMIVOX_RELEASE_VERSION}")
set(CPACK_PACKAGE_FILE_NAME "${lumivox_package}")
set(CPACK_PACKAGE_VENDOR "Lumivox工作室")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Lumivox语音报时器")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Lumivox")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Lumivox")
set(CPACK_PACKAGE_EXECUTABLES "lumivox" "Lumivox语音报时器")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_NSIS_PACKAGE_NAME "Lumivox语音报时器 ${LUMIVOX_RELEASE_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME "Lumivox语音报时器")
# The icon lumivox.exe carries, made beside it.
set(CPACK_NSIS_MUI_ICON "${PROJECT_BINARY_DIR}/app/win32/lumivox.ico")
set(CPACK_NSIS_MUI_UNIICON "${CPACK_NSIS_MUI_ICON}")
set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\lumivox.exe")
set(CPACK_NSIS_URL_INFO_ABOUT "${LUMIVOX_HOME_URL}/")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
# CMake's own script template made a 64-bit Unicode installer (Chinese names show;
# a 64-bit Windows needs no 32-bit layer to run it). The target must be the first
# line, before the byte-order mark, so the script is read as UTF-8 by request.
set(nsis_template_in "${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in")
file(READ "${nsis_template_in}" nsis_head LIMIT 3 HEX)
if(nsis_head STREQUAL "efbbbf")
    file(READ "${nsis_template_in}" nsis_template OFFSET 3)
else()
    file(READ "${nsis_template_in}" nsis_template)
endif()
file(WRITE "${PROJECT_BINARY_DIR}/packaging/nsis/NSIS.template.in" "Target amd64-unicode\n${nsis_template}")
set(CPACK_NSIS_EXECUTABLE_PRE_ARGUMENTS "-INPUTCHARSET UTF8")
list(PREPEND CMAKE_MODULE_PATH "${PROJECT_BINARY_DIR}/packaging/nsis")
include(CPack)

# The portable copy: its settings file beside the program is what makes it portable.
set(portable_dir "${PROJECT_BINARY_DIR}/packaging/portable/${lumivox_package}")
add_custom_target(portable
    COMMAND ${CMAKE_COMMAND} -E rm -rf "${portable_dir}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${portable_dir}"
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:lumivox> "${portable_dir}/lumivox.exe"
    COMMAND ${CMAKE_COMMAND} -E copy "${CMAKE_CURRENT_LIST_DIR}/portable-lvvoxclk.db"
        "${portable_dir}/lvvoxclk.db"
    COMMAND ${CMAKE_COMMAND} -E chdir "${portable_dir}/.."
        ${CMAKE_COMMAND} -E tar cf "${PROJECT_BINARY_DIR}/${lumivox_package}-portable.zip"
        --format=zip "${lumivox_package}"
    DEPENDS lumivox
    COMMENT "Portable zip ${lumivox_package}-portable.zip")
