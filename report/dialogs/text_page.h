#pragma once
// The text page of the element property dialog (template 144), a thin view over CTextPageLogic.
#include <QWidget>

#include "report/dialogs/text_page_logic.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

class CTextPage : public QWidget {
    Q_OBJECT
public:
    CTextPage(CReportElement& element, QWidget* parent = nullptr);
    bool Apply();

private:
    void ShowOption();
    void ShowFont();

    CTextPageLogic m_Logic;
    QRadioButton* m_pOwnText;
    QRadioButton* m_pParam;
    QPlainTextEdit* m_pText;  // several lines: a text may hold line feeds
    QComboBox* m_pParams;
    QComboBox* m_pVAlign;
    QComboBox* m_pHAlign;
    QLineEdit* m_pSize;
    QLineEdit* m_pFace;
    QCheckBox* m_pChecks[4];
};
