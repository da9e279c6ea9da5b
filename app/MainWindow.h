// The main frame: the program's one window, 1283 x 732 pixels, without
// caption, menu or sizing border, its region cut 2 pixels inside every edge.
// It holds one child frame, maximised, with the main view (or the start page).
#pragma once

#include "model/DeviceLock.h"

#include "platform/Message.h"
#include "model/ThreadRole.h"

#include <QWidget>

#include <memory>

class CChildFrame;
class CLumaraApp;

// Display mode 1 or 2; only the start page's commands change it.
extern UiThreadOnly<int> g_DisplayMode;

class CMainWindow : public platform::MessageTarget<QWidget> {
public:
    static constexpr int kWidth = 1283;
    static constexpr int kHeight = 732;
    static constexpr int kRegionInset = 2;

    explicit CMainWindow(CLumaraApp& app);
    ~CMainWindow() override;

    CChildFrame* ActiveChild() const { return m_Child; }
    // Makes child the frame's one child frame (the previous one is closed).
    void SetActiveChild(CChildFrame* child);
    // Command 57602: closes the active document with its child frame.
    void CloseActiveDocument();
    // Commands 8000 (mode 1) and 8001 (mode 2): a new main view in English.
    void OnOpenMainView(int mode);
    // Command 32774: the start page in a new child frame.
    void OnOpenStartPage();
    // The display changed: back to the top-left corner at the fixed size.
    void OnDisplayChange();

    LRESULT WindowProc(unsigned msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    CLumaraApp& m_App;
    CChildFrame* m_Child = nullptr;
};

// A child frame: borderless, maximised in the main frame; owns its document
// and holds its view.
class CChildFrame : public QWidget {
public:
    CChildFrame(CMainWindow* frame, std::unique_ptr<class CLumaraDoc> doc);
    ~CChildFrame() override;

    void SetView(QWidget* view);
    QWidget* View() const { return m_View; }
    CLumaraDoc* Document() const { return m_Doc.get(); }
    // Fills the main frame's client area.
    void Maximize();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    std::unique_ptr<CLumaraDoc> m_Doc;
    QWidget* m_View = nullptr;
};
