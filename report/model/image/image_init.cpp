// Raster images: see the other files of this folder.
