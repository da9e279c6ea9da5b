// The input page offscreen with the program's own model: the recording host
// of the output page's tests, extended by what the input page asks of the
// view, a stand-in for the view's message queue, and a device session whose
// command engine keeps the frames the page queued (to hand to the simulated
// device).
#pragma once

#include "tests/pages/OutputPageTestSupport.h"

#include "controls/BitButton.h"
#include "model/Music_InData.h"
#include "model/Notify.h"
#include "model/SourceTable.h"
#include "pages/input/InputConnectorStrip.h"
#include "pages/input/InputPage.h"

#include <QMenu>

namespace inputtest {

using namespace pagetest;

// The view's window as far as its queue goes: it records what it handles.
class ViewQueue : public platform::MessageTarget<QObject> {
public:
    std::vector<unsigned> handled;

protected:
    LRESULT WindowProc(unsigned msg, WPARAM, LPARAM) override {
        handled.push_back(msg);
        return 0;
    }
};

class InputHost : public RecordingHost {
public:
    ViewQueue queue;
    CKTV_Data* model = nullptr;

    void ResetInputEq(int input) override {
        Record("reset input " + std::to_string(input));
        // As the view: every band back to its default.
        if (CMusic_InData* in = model ? model->GetMusic(input) : nullptr)
            WithDeviceLock([&] {
                for (int b = 0; b < 31; ++b)
                    in->GetFilter(b)->ResetBand(100 + 10 * b);
            });
    }
    void SendInputChannelBlock(int input) override {
        Record("input block " + std::to_string(input));
        if (session) session->SendInputChannelBlock(input);
    }
    void FlushViewMessages() override {
        Record("flush");
        platform::DeliverPostedMessages(&queue, WM_DEVICE_STATUS);
    }
    void ShowSourceSetup() override { Record("source setup shown"); }
    void MarkMasterChanged(int flag) override { Record("master changed " + std::to_string(flag)); }
};

// Chooses from the second-source menu without showing it, recording which
// items it offered.
class MenuPage : public CInputPage {
public:
    int choice = -1;
    std::vector<bool> offered;
    int TrackSecondSourceMenu(QMenu& menu, const QPoint&) override {
        offered.clear();
        for (QAction* a : menu.actions())
            offered.push_back(a->isEnabled());
        return choice;
    }
};

// A fresh model, the recording host and, once connected, a session whose
// command engine holds the frames queued: what both source pages' tests share.
class SourcePageFixture : public ::testing::Test {
protected:
    void SetUpModel() {
        ResetModelState();
        ResetLinkGlobals();
        static bool ui = false;
        if (!ui) {
            CreateSharedFonts();
            ui = true;
        }
        g_InputMode = 0;
        g_ActiveSource = 1;
        g_DeviceRecords.Bytes().sources[kSourceActiveByte] = 1;
        data = std::make_unique<CKTV_Data>();
        host.model = data.get();
    }
    void TearDown() override {
        link.session.reset();
        data.reset();
        g_DeviceSynced = 0;
        g_ActiveSource = 0;
        g_InputMode = 0;
        g_pInputPage = nullptr;
        ResetLinkGlobals();
        ResetModelState();
    }

    void Connect() { link.Open(*data, host); }
    // Hands every queued frame and then every marked item to the device, as
    // the link worker does.
    void DeliverToDevice(sim::SimDevice& device) {
        CKTVCommand& c = link.session->Command();
        while (CSendData* p = c.GetHead()) {
            device.Receive(p->GetData(), static_cast<size_t>(p->GetLength()));
            c.RemoveHead();
        }
        for (int i = 0; i < 64; ++i) {
            PacketPtr p = data->GetNextPacket();
            if (!p) break;
            device.Receive(p->GetData(), static_cast<size_t>(p->GetLength()));
        }
    }
    // The record numbers of the system commands the page asked for, in order.
    std::vector<int> Commands() const {
        std::vector<int> out;
        for (const std::string& c : host.calls)
            if (c.rfind("command ", 0) == 0) out.push_back(std::stoi(c.substr(8)));
        return out;
    }
    static void CommandTo(QWidget* page, int id) {
        platform::SendMessage(page, WM_COMMAND, CommandWParam(id, 0), 0);
    }

    std::unique_ptr<CKTV_Data> data;
    InputHost host;
    ConnectedSession link;
};

class InputPageTest : public SourcePageFixture {
protected:
    void SetUp() override {
        SetUpModel();
        g_SourceTable->Init();
        g_SourceTable->SelectRow(1, 0);
        page = std::make_unique<MenuPage>();
        page->SetView(&host);
        page->SetDataModel(data.get());
        page->ApplyModeAndSource(0);
        host.calls.clear();
    }
    void TearDown() override {
        page.reset();
        SourcePageFixture::TearDown();
    }

    CMusic_InData& Music(int n) { return *data->GetMusic(n); }
    CFilter& Band(int n, int band) { return *Music(n).GetFilter(band); }
    CBitButton* Button(int id) { return page->BitButton(id); }
    void Command(int id) { CommandTo(page.get(), id); }
    void Type(int id, const QString& text) {
        SCOPED_TRACE(id);
        TypeInto(page->Field(id), text);
    }
    QString Text(int id) { return page->Field(id)->text(); }

    std::unique_ptr<MenuPage> page;
    std::unique_ptr<CDeviceSession>& session = link.session;
};

} // namespace inputtest
