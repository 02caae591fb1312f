# Packs the staged demo into its game folder (run with cmake -P by the target `demo`).
#   PACK   the mirelune-pack program
#   STAGE  staging folder: assets/cg, assets/wav, scr (scrambled), loose/scr (plain)
#   OUT    the game folder
#
# The game folder gets:
#   scr.dat   every script (scrambled) and the game-data file, scrambled index
#   cg.dat    every picture but the event pictures (scrambled index and picture heads)
#   arc2.cg   the event pictures, LZSS-packed: the override archive, asked first
#   wav.dat   every sound
#   scr/hama.scr, cg/ev01b.bmp   loose files, which the engine reads before any archive
#   *.mid, *.mpg                 MIDI and movie files, which are only ever loose
#   manual.html                  the manual (MANUAL, when given)
foreach(var PACK STAGE OUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "pack_demo.cmake needs -D${var}=...")
  endif()
endforeach()

set(LOOSE_PICTURE ev01b.bmp)

# What an earlier build left is replaced whole, so nothing stale survives.
file(REMOVE ${OUT}/scr.dat ${OUT}/cg.dat ${OUT}/arc2.cg ${OUT}/wav.dat ${OUT}/arc2.scr ${OUT}/arc3.wav)
file(REMOVE_RECURSE ${OUT}/scr ${OUT}/cg ${OUT}/wav)
file(GLOB old_media ${OUT}/*.mid ${OUT}/*.mpg)
if(old_media)
  file(REMOVE ${old_media})
endif()
file(MAKE_DIRECTORY ${OUT})

# pack(ARCHIVE [LZSS] FILE...)
function(pack archive)
  cmake_parse_arguments(P "LZSS" "" "" ${ARGN})
  if(NOT P_UNPARSED_ARGUMENTS)
    return()
  endif()
  set(options)
  if(P_LZSS)
    set(options --lzss)
  endif()
  execute_process(COMMAND ${PACK} create ${options} ${archive} ${P_UNPARSED_ARGUMENTS} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "mirelune-pack could not make ${archive}")
  endif()
endfunction()

file(GLOB scripts ${STAGE}/scr/*.scr ${STAGE}/scr/gamedata.txt)
list(SORT scripts)
pack(${OUT}/scr.dat ${scripts})

file(GLOB pictures ${STAGE}/assets/cg/*.psd ${STAGE}/assets/cg/*.bmp)
list(SORT pictures)
set(main_pictures)
set(event_pictures)
foreach(p ${pictures})
  get_filename_component(name ${p} NAME)
  if(name STREQUAL LOOSE_PICTURE)
    file(COPY ${p} DESTINATION ${OUT}/cg)
  elseif(name MATCHES "^ev[0-9]")
    list(APPEND event_pictures ${p})
  else()
    list(APPEND main_pictures ${p})
  endif()
endforeach()
pack(${OUT}/cg.dat ${main_pictures})
pack(${OUT}/arc2.cg LZSS ${event_pictures})

file(GLOB sounds ${STAGE}/assets/wav/*.wav)
list(SORT sounds)
pack(${OUT}/wav.dat ${sounds})

file(GLOB loose_scripts ${STAGE}/loose/scr/*.scr)
if(loose_scripts)
  file(COPY ${loose_scripts} DESTINATION ${OUT}/scr)
endif()
# The manual the help menu opens, beside the program's files.
if(DEFINED MANUAL)
  file(COPY ${MANUAL} DESTINATION ${OUT})
endif()
file(GLOB media ${STAGE}/assets/*.mid ${STAGE}/assets/*.mpg)
if(media)
  file(COPY ${media} DESTINATION ${OUT})
endif()
