// PNG pictures from the program's resources, and CPngButton: the button of the
// pages whose pictures have soft, partly transparent edges (the speaker
// positions of the output page, the sources of the input page). Its pictures
// are laid over whatever the parent shows under it. It has an unchecked and a
// checked state with a normal, hover and pressed picture each, and may have a
// second set of the six shown while the interface is Chinese.
#pragma once

#include "controls/SkinButtonBase.h"

#include <QImage>

class CPngImage {
public:
    virtual ~CPngImage() = default;
    const QImage& Image() const { return image_; }
    bool IsNull() const { return image_.isNull(); }

protected:
    QImage image_;
};

// A picture of a resource of type "PNG".
class CPngResImage : public CPngImage {
public:
    // Releases what the image held, then loads the resource; false (and an
    // empty image) when there is no PNG picture of that id.
    bool Load(unsigned id, const char* type = "PNG");
    void Free() { image_ = QImage(); }
};

class CPngButton : public ctl::SkinButtonBase {
public:
    // The pictures, in the order a missing one falls back: a state without
    // a picture shows the one before it in this order.
    enum State {
        Normal,
        Hover,
        Pressed,
        CheckedNormal,
        CheckedHover,
        CheckedPressed,
        Disabled,
        DisabledChecked,
        ZhNormal,
        ZhHover,
        ZhPressed,
        ZhCheckedNormal,
        ZhCheckedHover,
        ZhCheckedPressed,
        kStateCount
    };

    explicit CPngButton(QWidget* parent = nullptr, int id = 0);

    // The unchecked pictures; the button takes the normal picture's size and
    // goes on top of its siblings.
    void SetImages(unsigned normal, unsigned hover, unsigned pressed);
    void SetCheckedImages(unsigned normal, unsigned hover, unsigned pressed);
    // Shown instead of the six above while g_LanguageFlag is set.
    void SetChineseImages(unsigned normal, unsigned hover, unsigned pressed, unsigned checkedNormal,
                          unsigned checkedHover, unsigned checkedPressed);
    // Without them a disabled button shows its normal picture dimmed.
    void SetDisabledImages(unsigned unchecked, unsigned checked);

    void Redraw() { update(); }

    // A different state repaints and lends the hover look to the partners
    // (only while unchecked); the same state does nothing.
    void SetCheck(int checked);
    int GetCheck() const { return checked_; }
    void SetUserData(int value) { userData_ = value; }
    int GetUserData() const { return userData_; }
    void SetPartners(CPngButton* first, CPngButton* second) { SetPartnerButtons(first, second); }
    // 0 hides the button (and forgets its partners); any other value shows it.
    virtual void ShowWindow(int command);

    // The picture shown now.
    State CurrentState() const;
    const QImage& Picture(State state) const { return resolved_[state]; }

    QSize sizeHint() const override;

protected:
    bool LendsHover() const override {
        return checked_ == 0;
    } // a checked button leaves its partners alone
    void paintEvent(QPaintEvent* event) override;

private:
    void Load(State first, std::initializer_list<unsigned> ids);
    void Resolve();

    CPngResImage images_[kStateCount];
    QImage resolved_[kStateCount];
    bool chineseSet_ = false;
    int checked_ = 0;
    int userData_ = -1;
};
