// CLeftRightLinkDialog: the modal "L/R Link" question (template 369) the main view
// asks before it links every left output with its right partner: which side
// is copied onto the other. DoModal answers IDOK or IDCANCEL; after IDOK the
// direction holds the choice (0 left to right, the default; 1 right to left).
#pragma once

#include <QDialog>

#include <functional>

class CButtonRadio;
class CTransparentStatic;
class QPushButton;

class CLeftRightLinkDialog : public QDialog {
public:
    enum : int {
        IDD = 369,
        IDC_LEFT_TO_RIGHT = 2251,
        IDC_RIGHT_TO_LEFT = 2252,
        IDC_NOTE = 2754,
    };
    static constexpr int IDOK = 1;
    static constexpr int IDCANCEL = 2;

    // While a responder is installed DoModal shows nothing: the dialog is
    // initialised, handed to the responder (which may click a radio button)
    // and the responder's answer (IDOK or IDCANCEL) is applied. Returns the
    // previous responder.
    using Responder = std::function<int(CLeftRightLinkDialog& dialog)>;
    static Responder SetResponder(Responder responder);

    explicit CLeftRightLinkDialog(QWidget* parent = nullptr);

    int DoModal();
    // The texts of the language and the prompt caption (at DoModal).
    void InitDialog();

    int m_Direction = 0;

    CButtonRadio* LeftToRight() const { return m_LeftToRight; }
    CButtonRadio* RightToLeft() const { return m_RightToLeft; }
    QPushButton* OkButton() const { return m_Ok; }
    QPushButton* CancelButton() const { return m_Cancel; }
    CTransparentStatic* Note() const { return m_Note; }

    void accept() override;

private:
    // The checked radio button into the direction (dialog data exchange).
    void TakeDirection();

    CButtonRadio* m_LeftToRight = nullptr;
    CButtonRadio* m_RightToLeft = nullptr;
    CTransparentStatic* m_Note = nullptr;
    QPushButton* m_Ok = nullptr;
    QPushButton* m_Cancel = nullptr;
};
