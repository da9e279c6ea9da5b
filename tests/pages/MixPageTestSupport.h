// The mix page alone: a stand-in for the main view that records what the
// page asks of it, the default model, and message boxes answered at once.
#pragma once

#include "tests/pages/PageHostStub.h"

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/MessageBox.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "controls/StaticControls.h"
#include "model/DataDefine.h"
#include "model/Globals.h"
#include "model/KTV_Data.h"
#include "model/KTV_OutData.h"
#include "model/ModelLock.h"
#include "pages/input/MixPage.h"
#include "pages/input/MixSnapshots.h"
#include "platform/Skin.h"
#include "platform/UiGlobals.h"
#include "tests/model/ModelFixture.h"
#include "tests/platform/GuiTestSupport.h"

#include <QApplication>

#include <cstdlib>
#include <memory>
#include <tuple>
#include <vector>

// The main view as the page sees it.
class PageHostDouble : public PageHostStub {
public:
    bool IsConnected() override { return connected; }
    void SendCommand(int, int) override {}
    void SendOutputBlock(int) override {}
    void StartEditGuardTimer() override {}
    void SelectPage(int, bool) override {}
    void OnMixSourceSwitch(int output, int source, int level) override {
        switches.emplace_back(output, source, level);
    }
    void RequestOutput(int output) override { requested.push_back(output); }
    void RequestDataResync() override { ++resyncs; }
    void MarkMasterChanged(int flag) override { masterMarks.push_back(flag); }

    bool connected = false;
    std::vector<std::tuple<int, int, int>> switches; // output, source, level
    std::vector<int> requested;
    int resyncs = 0;
    std::vector<int> masterMarks;
};

class MixPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetModelState();
        g_DeviceVariant = 2;
        g_CurrentOutput = 0;
        CreateSharedFonts();
        previous_ = CMessageBox::SetResponder([this](const CMessageBox::Shown& s) {
            boxes.push_back(s);
            return answerYes ? CMessageBox::Action::Ok : CMessageBox::Action::Cancel;
        });
        data = std::make_unique<CKTV_Data>();
        WithDeviceLock([&] { data->LoadFromImage(g_ParamImage, -1); });
        page = std::make_unique<CMixPage>();
        page->resize(MixPageSize());
        page->SetView(&host);
        page->SetChannelArray(data.get());
        page->Init();
        page->LayoutForInputMode(1);
        QApplication::processEvents(); // the send steps of the set-up, if any
        host.switches.clear();
    }
    void TearDown() override {
        page.reset();
        data.reset();
        CMessageBox::SetResponder(previous_);
        ResetModelState();
    }

    CKTV_OutData* Out(int n) const { return data->GetOut(n); }
    const CMixPage::Row& Row(int source) const { return page->RowOf(source); }
    static uint8_t ImageLevel(int output, int source) {
        return WithDeviceLock([&] { return OutputBlock(output)[kOutMixAOffset - 1 + source]; });
    }
    // Handles what the page posted to itself.
    static void Drain() {
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
    }
    // The row's controls as the user sees them.
    struct Shown {
        int edit, fader, grey;
        QString value;
        int onOff;
        unsigned indicator;
    };
    Shown ShownRow(int source) const {
        const CMixPage::Row& r = Row(source);
        return {r.edit->GetValue(), r.fader->GetValue(), r.greyFader->GetValue(),
                r.value->text(),    r.onOff->GetCheck(), r.indicator->Current().bitmap};
    }

    PageHostDouble host;
    std::unique_ptr<CKTV_Data> data;
    std::unique_ptr<CMixPage> page;
    std::vector<CMessageBox::Shown> boxes;
    bool answerYes = false;

private:
    CMessageBox::Responder previous_;
};
