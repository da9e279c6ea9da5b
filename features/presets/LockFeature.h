// The preset lock: the lock button opens the password dialog to lock the data
// in hand, or to unlock it with the same password or reset the outputs to
// their factory blocks. Locked data carries the marker 0x21 in byte 289 of
// every output block and the password in bytes 290..295 of output 0; the
// marked name items reach the device through the send poller. While the
// data is locked the lock panel stands in for the output and mix pages.
#pragma once

#include <string>

class CBitButton;
class CKTV_Data;
class QWidget;

// What the lock asks of the window that shows the data.
class ILockHost {
public:
    virtual ~ILockHost() = default;
    // The lock panel, or the output or mix page, as the lock state says.
    virtual void ShowPagesForLockState() = 0;
    virtual bool RefreshAllPages() = 0;
    // Every link key back to its own output, then the left/right link.
    virtual void RebuildLinks() = 0;
    virtual void SendPresetToDevice(int preset, bool fromModel) = 0;
    // The window drawn again once the pages have changed.
    virtual void RepaintView() = 0;
    virtual QWidget* DialogParent() = 0;
};

class CLockFeature {
public:
    CLockFeature(ILockHost& host, CKTV_Data& data);
    // The button is created with the other top-bar controls, after the feature.
    void SetButton(CBitButton* button) { m_Button = button; }

    // The lock state of the image in hand (after a load or a file).
    void RefreshFromImage();
    // The lock button: locks data that is not locked, else unlocks or resets it.
    void OnLockButton();
    void LockOrUnlock(bool lock);
    // After a preset file: the lock state of the loaded blocks.
    void OnStateAfterFileLoad();

private:
    // The steps of the lock dialog's answers.
    void LockData(const std::string& password);
    void UnlockData();
    void ResetLockedData();

    ILockHost& m_Host;
    CKTV_Data& m_Data;
    CBitButton* m_Button = nullptr;
};
