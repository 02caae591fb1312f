#!/bin/sh
# Regenerates the ImageMagick-made sample pictures (a second writer besides the
# project's own): flat and layered, raw and run-length. The tests compare their
# decoded pixels with the PNG sources kept beside them.
set -e
cd "$(dirname "$0")"
# Flat: a gradient with two dark dots, 8-bit RGB.
convert -size 7x5 gradient:'rgb(200,100,50)-rgb(10,220,130)' -fill 'rgb(10,20,30)' \
  -draw 'point 1,1' -draw 'point 4,2' -depth 8 -type TrueColor im_flat.png
convert im_flat.png -depth 8 -type TrueColor -compress None im_flat_raw.psd
convert im_flat.png -depth 8 -type TrueColor -compress RLE im_flat_rle.psd
# Layers with transparency: an opaque red block, and a half-transparent blue square
# with a green dot that reaches past the canvas' right and bottom edges.
convert -size 5x4 xc:none -fill 'rgb(255,0,0)' -draw 'rectangle 1,1 3,2' \
  -define png:color-type=6 PNG32:im_layer0.png
convert -size 3x3 xc:'rgba(0,0,255,0.5)' -fill 'rgb(0,255,0)' -draw 'point 1,1' \
  -define png:color-type=6 PNG32:im_layer1.png
convert -size 6x5 xc:'rgba(0,0,0,0)' -define png:color-type=6 PNG32:im_canvas.png
for c in None RLE; do
  out=im_layered_raw.psd
  [ "$c" = RLE ] && out=im_layered_rle.psd
  convert \( im_canvas.png im_layer0.png -geometry +0+0 -composite \
             im_layer1.png -geometry +4+3 -composite -type TrueColorAlpha \) \
          \( im_layer0.png -set page +0+0 \) \( im_layer1.png -set page +4+3 \) \
          -compress "$c" "$out"
done
rm -f im_canvas.png
