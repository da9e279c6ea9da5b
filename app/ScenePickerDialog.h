// The scene picker (template 1221): a borderless, skinned dialog with a
// button for each of the device's six stored presets. In load mode a click
// makes that scene current; in save mode it asks for a name and stores the
// current settings as that scene; a right click deletes the scene's name
// after a question. The view does the work (LoadOrSaveScene, DeleteScene);
// the dialog forwards the choice and relabels its buttons. Only its close
// button ends it: Enter and Escape are swallowed, Tab moves nothing.
#pragma once

#include "platform/Message.h"

#include <QDialog>

#include <string>

class CBitButton;
class CLumaraView;

class CScenePickerDialog : public platform::MessageTarget<QDialog> {
public:
    enum : int { IDC_CLOSE = 1, IDC_SCENE1 = 2819 }; // scene n is 2818 + n
    enum Mode : int { kSave = 0, kLoad = 1 };

    explicit CScenePickerDialog(QWidget* parent = nullptr);
    ~CScenePickerDialog() override;

    CLumaraView* m_View = nullptr; // set by the opener
    void SetMode(int mode) { m_Mode = mode; }
    int Mode() const { return m_Mode; }

    // Runs once, when the dialog is first shown.
    void OnInitDialog();
    // The close button.
    void OnOK();
    void OnSceneButton(int n);
    // WM_USER+221: a right click on the scene button with this id.
    void OnDeleteScene(int id);

    // A name broken into lines of at most width bytes, between characters.
    static std::string WrapText(const std::string& text, int width);
    // "场景n" or "Memory n" by language.
    static std::string DefaultCaption(int n);

    CBitButton* SceneButton(int n) const { return n >= 1 && n <= 6 ? m_Scenes[n - 1] : nullptr; }
    CBitButton* CloseButton() const { return m_Close; }
    const std::string& LastName() const { return m_LastName; }
    // The background of the mode and language.
    int BackgroundId() const;

    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;
    // However the dialog ends, the picker is no longer open.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    static void SetOpen(int open);

    CBitButton* m_Close = nullptr;
    CBitButton* m_Scenes[6] = {};
    int m_Mode = kLoad;
    int m_WrapWidth;
    std::string m_LastName;
    bool m_Initialised = false;
};
