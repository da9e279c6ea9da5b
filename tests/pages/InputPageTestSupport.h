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
#include "pages/input/InMode_Dlg.h"
#include "pages/input/InPutDlg.h"

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
};

// Chooses from the second-source menu without showing it, recording which
// items it offered.
class MenuPage : public CInPutDlg {
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

class InputPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetModelState();
        ResetLinkGlobals();
        static bool ui = false;
        if (!ui) {
            CreateSharedFonts();
            ui = true;
        }
        g_InputMode = 0;
        g_ActiveSource = 1;
        g_SysBlock2[kSourceActiveByte] = 1;
        g_SourceTable.Init();
        g_SourceTable.SelectRow(1, 0);
        data = std::make_unique<CKTV_Data>();
        host.model = data.get();
        page = std::make_unique<MenuPage>();
        page->SetView(&host);
        page->SetDataModel(data.get());
        page->ApplyModeAndSource(0);
        host.calls.clear();
    }
    void TearDown() override {
        page.reset();
        session.reset();
        data.reset();
        g_DeviceSynced = 0;
        g_ActiveSource = 0;
        g_InputMode = 0;
        ResetLinkGlobals();
        ResetModelState();
    }

    // A session that counts as connected (no worker runs).
    void Connect() {
        env.hid = &hid;
        env.adapters = &adapters;
        env.pinger = &pinger;
        env.watchHotplug = false;
        session = std::make_unique<CDeviceSession>(
            *data, marks, notify, [] {}, env);
        session->Worker().SetConnected(true);
        host.session = session.get();
        g_DeviceSynced = 1;
    }
    // Hands every queued frame and then every marked item to the device, as
    // the link worker does.
    void DeliverToDevice(sim::SimDevice& device) {
        CKTVCommand& c = session->Command();
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

    CMusic_InData& Music(int n) { return *data->GetMusic(n); }
    CFilter& Band(int n, int band) { return *Music(n).GetFilter(band); }
    CBitButton* Button(int id) { return page->BitButton(id); }
    void Command(int id) { platform::SendMessage(page.get(), WM_COMMAND, CommandWParam(id, 0), 0); }
    void Type(int id, const QString& text) {
        CNumEdit* f = page->Field(id);
        ASSERT_NE(f, nullptr) << id;
        f->setText(text);
        f->SetModified(true);
        QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
        QApplication::sendEvent(f, &out);
    }
    QString Text(int id) { return page->Field(id)->text(); }
    // The record numbers of the system commands the page asked for, in order.
    std::vector<int> Commands() const {
        std::vector<int> out;
        for (const std::string& c : host.calls)
            if (c.rfind("command ", 0) == 0) out.push_back(std::stoi(c.substr(8)));
        return out;
    }

    std::unique_ptr<CKTV_Data> data;
    std::unique_ptr<MenuPage> page;
    InputHost host;

    LinkEnvironment env;
    sim::SimHidBackend hid;
    AdaptersDouble adapters;
    PingerDouble pinger;
    CMemorySettingsGroup marks;
    RecordingView notify;
    std::unique_ptr<CDeviceSession> session;
};

} // namespace inputtest
