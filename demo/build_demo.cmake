# The demo game, built from its sources by the author tools into ${PROJECT_BINARY_DIR}/demo:
#   mirelune-assetgen  draws the pictures and synthesises the sounds (staging/assets)
#   mirelune-convert   turns each UTF-8 script into Shift-JIS with CR LF (staging/scr)
#   mirelune-pack      packs scr.dat, cg.dat, arc2.cg (LZSS) and wav.dat (pack_demo.cmake)
# Not part of ALL: `make run` and the demo test stage build the target `demo`.

set(DEMO_SOURCE ${CMAKE_CURRENT_SOURCE_DIR})
set(DEMO_STAGE ${PROJECT_BINARY_DIR}/demo-staging)
set(DEMO_OUT ${PROJECT_BINARY_DIR}/demo)

# Pictures and sounds: rebuilt when the generator changes.
set(DEMO_ASSETS_STAMP ${DEMO_STAGE}/assets.stamp)
add_custom_command(
  OUTPUT ${DEMO_ASSETS_STAMP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${DEMO_STAGE}/assets
  COMMAND $<TARGET_FILE:mirelune-assetgen> ${DEMO_STAGE}/assets
  COMMAND ${CMAKE_COMMAND} -E touch ${DEMO_ASSETS_STAMP}
  DEPENDS mirelune-assetgen
  COMMENT "Drawing and synthesising the demo's pictures and sounds"
  VERBATIM)

# Scripts: each one converted on its own, so an edit rebuilds only what it must. The
# packed copies are scrambled, as a shipped game's are; the loose copy stays plain.
file(GLOB DEMO_SCRIPT_SOURCES CONFIGURE_DEPENDS ${DEMO_SOURCE}/scr/*.scr)
set(DEMO_LOOSE_SCRIPT hama)
set(DEMO_CONVERTED)
foreach(source ${DEMO_SCRIPT_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  set(packed ${DEMO_STAGE}/scr/${name}.scr)
  add_custom_command(
    OUTPUT ${packed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${DEMO_STAGE}/scr
    COMMAND $<TARGET_FILE:mirelune-convert> script ${source} ${packed} --scramble
    DEPENDS ${source} mirelune-convert
    COMMENT "Converting script ${name}"
    VERBATIM)
  list(APPEND DEMO_CONVERTED ${packed})
  if(name STREQUAL DEMO_LOOSE_SCRIPT)
    set(loose ${DEMO_STAGE}/loose/scr/${name}.scr)
    add_custom_command(
      OUTPUT ${loose}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${DEMO_STAGE}/loose/scr
      COMMAND $<TARGET_FILE:mirelune-convert> script ${source} ${loose}
      DEPENDS ${source} mirelune-convert
      COMMENT "Converting script ${name} (loose copy)"
      VERBATIM)
    list(APPEND DEMO_CONVERTED ${loose})
  endif()
endforeach()

# The game-data file (title, credits, extras tables, speakers, tints) goes into scr.dat
# beside the scripts, as it is: UTF-8 text.
set(DEMO_GAME_DATA ${DEMO_STAGE}/scr/gamedata.txt)
add_custom_command(
  OUTPUT ${DEMO_GAME_DATA}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${DEMO_STAGE}/scr
  COMMAND ${CMAKE_COMMAND} -E copy ${DEMO_SOURCE}/gamedata.txt ${DEMO_GAME_DATA}
  DEPENDS ${DEMO_SOURCE}/gamedata.txt
  COMMENT "Staging the demo's game data"
  VERBATIM)
list(APPEND DEMO_CONVERTED ${DEMO_GAME_DATA})

set(DEMO_STAMP ${DEMO_OUT}/.demo-built)
add_custom_command(
  OUTPUT ${DEMO_STAMP}
  COMMAND ${CMAKE_COMMAND} -DPACK=$<TARGET_FILE:mirelune-pack> -DSTAGE=${DEMO_STAGE} -DOUT=${DEMO_OUT}
          -DMANUAL=${DEMO_SOURCE}/manual.html -P ${DEMO_SOURCE}/pack_demo.cmake
  COMMAND ${CMAKE_COMMAND} -E touch ${DEMO_STAMP}
  DEPENDS ${DEMO_ASSETS_STAMP} ${DEMO_CONVERTED} ${DEMO_SOURCE}/pack_demo.cmake ${DEMO_SOURCE}/manual.html
          mirelune-pack
  COMMENT "Packing the demo game into ${DEMO_OUT}"
  VERBATIM)

add_custom_target(demo DEPENDS ${DEMO_STAMP})
