#pragma once
// The picture page of the element property dialog apart from its widgets. The file chosen with "..." is
// only read to show its size; the element's picture is replaced when the page applies, and only once the
// new file has loaded, so a file that can't be read leaves the old picture in place.
#include <string>

class CPictureElement;

// The image format of a file the page opens, by its extension compared in lower case: "bmp" or "dib" 0,
// "gif" 1, "jpg" or "jpeg" 2, "png" 3, "ico" 4, "tif" or "tiff" 5; -1 for any other or none.
int PictureOpenFormat(const std::string& path);
// The same for saving, where GIF is not offered.
int PictureSaveFormat(const std::string& path);

class CPicturePageLogic {
public:
    explicit CPicturePageLogic(CPictureElement& element);

    // "Сохранять пропорции" only counts while the picture is fitted into the rectangle.
    bool KeepAspectEnabled() const { return m_bFit; }
    // The file chosen with "...": it becomes the file name, and its width and height are shown when it
    // reads. False after "Неизвестный формат файла." (file name unchanged) or after the image's error.
    bool ChooseFile(const std::string& path);
    // "Сохранить...": the element's picture written to path in the format of its extension. False after
    // "Неизвестный формат файла.", and without writing anything when the element has no picture.
    bool Save(const std::string& path);
    // Loads the named file as the element's picture (an empty name keeps the picture) and sets the draw
    // mode. False, with the element unchanged, when the file does not load.
    bool Apply();

    std::string m_FileName;
    bool m_bFit = false;         // "Вписать в прямоугольник"
    bool m_bKeepAspect = false;  // "Сохранять пропорции"
    int m_nWidth = 0, m_nHeight = 0;

private:
    CPictureElement& m_Element;
};
