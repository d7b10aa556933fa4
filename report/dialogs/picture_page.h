#pragma once
// The picture page of the element property dialog (template 8000), a thin view over CPicturePageLogic.
#include <QWidget>

#include "report/dialogs/picture_page_logic.h"

class QCheckBox;
class QLineEdit;

class CPicturePage : public QWidget {
    Q_OBJECT
public:
    CPicturePage(CPictureElement& element, QWidget* parent = nullptr);
    bool Apply();

private:
    void ChooseFile();
    void SaveAs();
    void ShowSize();

    CPicturePageLogic m_Logic;
    QLineEdit* m_pFileName;
    QCheckBox* m_pFit;
    QCheckBox* m_pKeepAspect;
    QLineEdit* m_pWidth;
    QLineEdit* m_pHeight;
};
