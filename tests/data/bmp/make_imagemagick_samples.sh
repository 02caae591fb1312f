#!/bin/sh
# Regenerates the ImageMagick-made BMP samples: 24-bit, 8-bit raw and 8-bit RLE8, all
# of odd widths so that row padding matters, and a 4-bit file the engine refuses. The
# tests compare them with the PNGs.
set -e
cd "$(dirname "$0")"
convert -size 5x3 gradient:'rgb(250,10,20)-rgb(5,200,90)' -fill 'rgb(1,2,3)' \
  -draw 'point 2,1' -depth 8 -type TrueColor PNG24:im_rgb.png
convert im_rgb.png -type TrueColor BMP3:im_24bit.bmp
# Long runs in the upper rows (repeats in RLE8), many colours below (literals; more
# than 16 colours so that the palette needs 8 bits).
convert -size 9x5 xc:'rgb(0,0,255)' -fill 'rgb(255,255,0)' -draw 'rectangle 0,0 5,1' \
  \( -size 9x1 gradient:'rgb(255,0,0)-rgb(0,255,0)' \) -geometry +0+2 -composite \
  \( -size 9x1 gradient:'rgb(0,0,0)-rgb(250,250,250)' \) -geometry +0+4 -composite \
  -depth 8 PNG24:im_indexed.png
convert im_indexed.png -type Palette -compress None BMP3:im_8bit.bmp
convert im_indexed.png -type Palette -compress RLE BMP3:im_rle8.bmp
# Two colours only: written with 1 bit per pixel.
convert -size 3x2 xc:red -fill blue -draw 'point 1,1' -type Palette BMP3:im_1bit.bmp
