# Installs the runtime for games built outside this tree, as the install
# component "runtime": the public headers, the two static libraries,
# vorlan-pack, an example font sheet, a CMake package (Vorlan::vorlan,
# Vorlan::vorlan_main) and vorlan.pc. No game comes with it. The dependency
# lists of the package and of vorlan.pc are read from the vorlan target's
# links at the end of the configure step, so a library linked anywhere later
# is listed too.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(VORLAN_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Vorlan)
set(VORLAN_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The headers of a game's C++ need C++20 (concepts, <=>).
target_compile_features(vorlan PUBLIC cxx_std_20)
if(VORLAN_SANITIZE)
    # Instrumented libraries need the sanitizer runtimes in the game too.
    target_link_options(vorlan INTERFACE $<INSTALL_INTERFACE:-fsanitize=address,undefined>)
endif()
if(VORLAN_TSAN)
    target_link_options(vorlan INTERFACE $<INSTALL_INTERFACE:-fsanitize=thread>)
endif()

install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/vorlan DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        COMPONENT runtime)
install(TARGETS vorlan vorlan_main EXPORT VorlanTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT VorlanTargets NAMESPACE Vorlan:: DESTINATION ${VORLAN_CMAKE_DIR} COMPONENT runtime)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VorlanConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/VorlanConfig.cmake
              ${PROJECT_BINARY_DIR}/VorlanConfigVersion.cmake
        DESTINATION ${VORLAN_CMAKE_DIR} COMPONENT runtime)
install(FILES ${PROJECT_BINARY_DIR}/vorlan.pc DESTINATION ${VORLAN_PC_DIR} COMPONENT runtime)
# A font sheet to look at and start from: 16 x 8 cells of 8 x 8 pixels,
# characters 0 to 127, black transparent.
if(TARGET quillowen-media-files)
    install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/smalfont.bmp
            DESTINATION ${CMAKE_INSTALL_DATADIR}/vorlan COMPONENT runtime)
endif()

# Imported targets of CMake's find modules and the pkg-config module that
# gives the same library.
set(VORLAN_PC_NAME_OpenGL::GL gl)
set(VORLAN_PC_NAME_OpenGL::OpenGL opengl)
set(VORLAN_PC_NAME_PNG::PNG libpng)
set(VORLAN_PC_NAME_ZLIB::ZLIB zlib)
set(VORLAN_PC_NAME_X11::X11 x11)
set(VORLAN_PC_NAME_X11::Xext xext)
set(VORLAN_PC_NAME_X11::Xi xi)

# The pkg-config modules behind a PkgConfig::<prefix> target: one module
# leaves <prefix>_MODULE_NAME, several leave it empty and set
# <prefix>_<module>_MODULE_NAME for each.
function(vorlan_pkg_modules prefix out)
    if(${prefix}_MODULE_NAME)
        set(${out} ${${prefix}_MODULE_NAME} PARENT_SCOPE)
        return()
    endif()
    set(modules)
    get_cmake_property(names CACHE_VARIABLES)
    foreach(name ${names})
        if(name MATCHES "^${prefix}_(.+)_MODULE_NAME$")
            if(DEFINED ${prefix}_${CMAKE_MATCH_1}_VERSION)
                list(APPEND modules ${${name}})
            endif()
        endif()
    endforeach()
    if(NOT modules)
        message(FATAL_ERROR "No pkg-config modules known for PkgConfig::${prefix}")
    endif()
    set(${out} ${modules} PARENT_SCOPE)
endfunction()

function(vorlan_write_package_files)
    get_target_property(links vorlan INTERFACE_LINK_LIBRARIES)
    get_target_property(link_options vorlan INTERFACE_LINK_OPTIONS)
    set(config_lines)
    set(pc_requires)
    set(pc_libs)
    foreach(link ${links})
        # Private links of a static library still have to reach the game.
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" link "${link}")
        if(link MATCHES "^PkgConfig::(.+)$")
            set(prefix ${CMAKE_MATCH_1})
            vorlan_pkg_modules(${prefix} modules)
            list(JOIN modules " " module_list)
            list(APPEND config_lines "vorlan_pkg_dependency(${prefix} ${module_list})")
            list(APPEND pc_requires ${modules})
        elseif(link STREQUAL "Threads::Threads")
            list(APPEND config_lines "find_dependency(Threads)")
            list(APPEND pc_libs -pthread)
        elseif(link MATCHES "^([A-Za-z0-9_]+)::")
            if(NOT DEFINED VORLAN_PC_NAME_${link})
                message(FATAL_ERROR "vorlan links ${link}: add its pkg-config name to ${CMAKE_CURRENT_LIST_FILE}")
            endif()
            list(APPEND config_lines "find_dependency(${CMAKE_MATCH_1})")
            list(APPEND pc_requires ${VORLAN_PC_NAME_${link}})
        elseif(link MATCHES "^-")
            list(APPEND pc_libs ${link})
        elseif(link)
            list(APPEND pc_libs -l${link})
        endif()
    endforeach()
    foreach(option ${link_options})
        string(REGEX REPLACE "^\\$<INSTALL_INTERFACE:(.*)>$" "\\1" option "${option}")
        if(option MATCHES "^-")
            list(APPEND pc_libs ${option})
        endif()
    endforeach()
    list(REMOVE_DUPLICATES config_lines)
    list(REMOVE_DUPLICATES pc_requires)
    list(REMOVE_DUPLICATES pc_libs)
    list(JOIN config_lines "\n" VORLAN_CONFIG_DEPENDENCIES)
    list(JOIN pc_requires " " VORLAN_PC_REQUIRES)
    list(JOIN pc_libs " " VORLAN_PC_LIBS)
    file(RELATIVE_PATH VORLAN_PC_TO_PREFIX /${VORLAN_PC_DIR} /)
    string(REGEX REPLACE "/$" "" VORLAN_PC_TO_PREFIX "${VORLAN_PC_TO_PREFIX}")
    configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/VorlanConfig.cmake.in
                                  ${PROJECT_BINARY_DIR}/VorlanConfig.cmake
                                  INSTALL_DESTINATION ${VORLAN_CMAKE_DIR})
    configure_file(${PROJECT_SOURCE_DIR}/cmake/vorlan.pc.in ${PROJECT_BINARY_DIR}/vorlan.pc @ONLY)
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL vorlan_write_package_files)
