#pragma once
// The placeholder picture: what a picture element shows while pictures are hidden or while it has no
// picture of its own. It is read from "empty.bmp" in the dictionary folder, so an installation may change
// it; that file is the image drawn here, and the element falls back to this one when the file is missing
// or unreadable.
#include <memory>
#include <string>

class CImageFile;

inline constexpr const char* kPlaceholderFileName = "empty.bmp";

// A light grey frame crossed by its diagonals, 4 bits a pixel.
std::unique_ptr<CImageFile> MakePlaceholderImage();
// dictDir + "empty.bmp" read as BMP (dictDir may end in '/' or not); the image above when that fails or
// dictDir is empty.
std::unique_ptr<CImageFile> LoadPlaceholderImage(const std::string& dictDir);
