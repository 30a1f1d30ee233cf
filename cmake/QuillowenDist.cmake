# The single-file Quillowen (build/dist/quillowen): the program with its
# media appended by vorlan-pack, so it runs from any folder with nothing
# beside it. That file is what installs, with its desktop entry and icon, as
# the install component "game", apart from the runtime.
set(QUILLOWEN_MEDIA_DIR ${PROJECT_SOURCE_DIR}/tools/quillowen-media)
if(NOT EXISTS ${QUILLOWEN_MEDIA_DIR}/CMakeLists.txt)
    return()
endif()
get_directory_property(QUILLOWEN_MEDIA DIRECTORY ${QUILLOWEN_MEDIA_DIR} DEFINITION QUILLOWEN_MEDIA)
set(QUILLOWEN_ICON ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/quillowen-icon.png)
set(QUILLOWEN_DIST ${CMAKE_BINARY_DIR}/dist/quillowen)

add_custom_command(OUTPUT ${QUILLOWEN_DIST}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/dist
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:quillowen> ${QUILLOWEN_DIST}
    COMMAND vorlan-pack append ${QUILLOWEN_DIST} ${QUILLOWEN_MEDIA}
    DEPENDS quillowen vorlan-pack quillowen-media-files ${QUILLOWEN_MEDIA}
    COMMENT "Packing Quillowen and its media into one file")
add_custom_target(quillowen-dist ALL DEPENDS ${QUILLOWEN_DIST})

install(PROGRAMS ${QUILLOWEN_DIST} DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT game)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/quillowen.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT game)
install(FILES ${QUILLOWEN_ICON} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps
        RENAME quillowen.png COMPONENT game)
