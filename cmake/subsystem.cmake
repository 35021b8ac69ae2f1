# lumivox_subsystem(<name> [LINKS lib...] [QT module...] [PLATFORM_LINKS lib...])
#
# Called from <name>/CMakeLists.txt. Builds
#   lumivox_<name>           from <name>/*.cpp: plain C++, linked to the framework and LINKS;
#   lumivox_<name>_platform  from <name>/platform/*.cpp (Qt builds only): the core, the Qt
#                            modules named (Core, Gui, ...) and PLATFORM_LINKS.
# A folder without core sources gets a header-only core, so the names always exist.
function(lumivox_subsystem name)
    cmake_parse_arguments(S "" "" "LINKS;QT;PLATFORM_LINKS" ${ARGN})
    file(GLOB core_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(core_sources)
        add_library(lumivox_${name} STATIC ${core_sources})
        target_link_libraries(lumivox_${name} PUBLIC lumivox_framework ${S_LINKS})
    else()
        add_library(lumivox_${name} INTERFACE)
        target_link_libraries(lumivox_${name} INTERFACE lumivox_framework ${S_LINKS})
    endif()

    if(NOT LUMIVOX_WITH_QT)
        return()
    endif()
    file(GLOB platform_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/platform/*.cpp)
    if(platform_sources)
        list(TRANSFORM S_QT PREPEND Qt6::)
        add_library(lumivox_${name}_platform STATIC ${platform_sources})
        target_link_libraries(lumivox_${name}_platform PUBLIC lumivox_${name} ${S_QT} ${S_PLATFORM_LINKS})
    endif()
endfunction()
