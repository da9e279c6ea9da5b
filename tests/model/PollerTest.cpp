#include "tests/model/ModelFixture.h"

#include "model/Archive.h"
#include "model/KTV_Data.h"
#include "model/ModelLock.h"
#include "model/Notify.h"

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace {

class RecordingView : public IViewNotify {
public:
    void Post(unsigned msg, WPARAM, LPARAM) override { posted.push_back(msg); }
    LRESULT Send(unsigned, WPARAM, LPARAM) override { return 0; }
    std::vector<unsigned> posted;
};

std::vector<uint8_t> Frame(const PacketPtr& p) {
    return p ? Bytes(p->GetData(), static_cast<size_t>(p->GetLength())) : std::vector<uint8_t>{};
}

// A frame in words: "status", "sys 5", "item 4/2/31" (group/channel/item).
std::string Describe(const std::vector<uint8_t>& f) {
    if (f.size() < 16) return "none";
    if (f[4] == 0xA2 && f[7] == 9 && f[8] == 3) return "status";
    if (f[4] == 0xA1 && f[7] == 9) return "sys " + std::to_string(f[8]);
    if (f[4] == 0xA1)
        return "item " + std::to_string(f[7]) + "/" + std::to_string(f[8]) + "/" +
               std::to_string(f[9]);
    return "other";
}

class PollerTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        previousView_ = g_MainView.exchange(&view);
        Fresh();
    }
    // A new model on the default image, synchronised, nothing pending.
    void Fresh() {
        model.reset();
        ResetModelState();
        g_SendCmd0Pending = 0;
        g_EmptyName.clear();
        view.posted.clear();
        model = std::make_unique<CKTV_Data>();
        model->LoadFromImage(g_ParamImage, 0);
        g_DeviceSynced = 1;
    }
    void TearDown() override {
        g_MainView = previousView_;
        model.reset();
        ModelTest::TearDown();
    }

    // The preset name check has run: the image and the device know "Custom".
    void SettleNameCheck() {
        StringToField(g_ParamImage, kPresetNameSize, "Custom");
        g_EmptyName = "Custom";
        g_DeviceRecords.Bytes().presetSelect[0] = 0;
        g_ParamSentFlag = 1;
    }

    // Polls until the status request (at most limit frames) and describes each.
    std::vector<std::string> PollAll(int limit = 200) {
        std::vector<std::string> seen;
        for (int i = 0; i < limit; ++i) {
            const std::string d = Describe(Frame(model->GetNextPacket()));
            seen.push_back(d);
            if (d == "status") break;
        }
        return seen;
    }

public: // the scenario tables reach the channels through the fixture
    CKTV_OutData& Out(int i) { return *model->GetOut(i); }
    CMusic_InData& Music(int i) { return *model->GetMusic(i); }

protected:
    RecordingView view;
    std::unique_ptr<CKTV_Data> model;

private:
    IViewNotify* previousView_ = nullptr;
};

using Strings = std::vector<std::string>;

} // namespace

TEST_F(PollerTest, IdlePollIsTheStatusRequest) {
    const auto f = Frame(model->GetNextPacket());
    ASSERT_EQ(f.size(), 24u);
    EXPECT_EQ(Bytes(f.data(), 10), Hex("6B 6B 6B EE A2 01 00 09 03 00"));
    EXPECT_EQ(g_ParamSentFlag.load(), 0);
    EXPECT_TRUE(view.posted.empty());
}

TEST_F(PollerTest, FixedOrder) {
    struct Scenario {
        const char* name;
        std::function<void(PollerTest&)> setup;
        Strings expected;
    } scenarios[] = {
        {"master and source before an earlier band change",
         [](PollerTest& t) {
             t.Out(0).GetFilter(3)->SetGainCode(210);
             g_SendCmd2Pending = 1;
             g_SendCmd5Pending = 1;
         },
         {"sys 5", "sys 2", "item 4/0/3", "status"}},
        {"announced name",
         [](PollerTest&) {
             g_SendCmd0Pending = 1;
             g_DeviceRecords.Bytes().presetSelect[0] = 4;
         },
         {"sys 0", "status"}},
        {"music inputs in order, each basic, gate, bands",
         [](PollerTest& t) {
             t.Music(1).GetFilter(20)->SetGainCode(190);
             t.Music(1).SetNoiseGate(3);
             t.Music(0).GetFilter(2)->SetGainCode(190);
             t.Music(0).SetOn(0);
             t.Music(3).SetEqMode(0);
         },
         {"item 3/0/31", "item 3/0/2", "item 3/1/33", "item 3/1/20", "item 3/3/31", "status"}},
        {"outputs: name, basic, dynamics, crossover, mix A, mix B, bands",
         [](PollerTest& t) {
             g_MixItemsFirst = 0;
             t.Out(4).GetFilter(0)->SetGainCode(190);
             t.Out(4).SetMixLevelSrc10(1);
             t.Out(4).SetMixLevelSrc1(1);
             t.Out(4).GetLowPass()->SetFreq(15000, 1);
             t.Out(4).SetReleaseTime(2);
             t.Out(4).SetDelay(9);
             t.Out(4).SetName("X");
         },
         // The crossover once for its step and once more as it arrives.
         {"item 4/4/36", "item 4/4/31", "item 4/4/35", "item 4/4/32", "item 4/4/32", "item 4/4/33",
          "item 4/4/34", "item 4/4/0", "status"}},
        {"mix items first with the output mode flag",
         [](PollerTest& t) {
             g_MixItemsFirst = 1;
             t.Out(0).GetHighPass()->SetFreq(100, 1);
             t.Out(0).SetMixLevelSrc2(1);
         },
         {"item 4/0/33", "item 4/0/32", "status"}},
        {"music before outputs, outputs in channel order",
         [](PollerTest& t) {
             t.Out(9).SetPolarity(1);
             t.Out(1).SetPolarity(1);
             t.Music(3).SetGain(100);
         },
         {"item 3/3/31", "item 4/1/31", "item 4/9/31", "status"}},
        {"a change made while not synchronised is not sent",
         [](PollerTest& t) {
             t.Out(6).SetGain(5);
             g_DeviceSynced = 0;
             t.Out(6).SetDelay(5);
             t.Out(6).GetFilter(1)->SetGainCode(250);
         },
         {"status"}},
    };
    for (Scenario& s : scenarios) {
        Fresh();
        SettleNameCheck();
        g_ParamSentFlag = 0;
        s.setup(*this);
        EXPECT_EQ(PollAll(), s.expected) << s.name;
    }
}

TEST_F(PollerTest, ItemRulesSetTheSentFlagSystemRulesDoNot) {
    g_SendCmd5Pending = 1;
    model->GetNextPacket();
    EXPECT_EQ(g_ParamSentFlag.load(), 0);
    Out(0).SetDelay(1);
    model->GetNextPacket();
    EXPECT_EQ(g_ParamSentFlag.load(), 1);
}

TEST_F(PollerTest, NameCheckAfterTheFirstChange) {
    StringToField(g_ParamImage, kPresetNameSize, "Rock");
    Out(2).GetFilter(5)->SetGainCode(230);
    EXPECT_EQ(Describe(Frame(model->GetNextPacket())), "item 4/2/5");
    EXPECT_TRUE(view.posted.empty());

    const auto name = Frame(model->GetNextPacket());
    ASSERT_EQ(name.size(), 32u);
    EXPECT_EQ(Describe(name), "sys 0");
    EXPECT_EQ(FieldToString(g_ParamImage, kPresetNameSize), "Custom");
    EXPECT_EQ(Bytes(name.data() + 14, 16), Hex("43 75 73 74 6F 6D 00 00 00 00 00 00 00 00 00 00"));
    EXPECT_EQ(view.posted, std::vector<unsigned>{WM_USER + 162});
    EXPECT_EQ(model->GetName(), "Rock");

    // The name already reads "Custom": the device's current slot, then the
    // name last announced decide.
    g_DeviceRecords.Bytes().presetSelect[0] = 3;
    EXPECT_EQ(Describe(Frame(model->GetNextPacket())), "sys 0");
    g_DeviceRecords.Bytes().presetSelect[0] = 0;
    EXPECT_EQ(Describe(Frame(model->GetNextPacket())), "sys 0");
    EXPECT_EQ(g_EmptyName, "Custom");
    EXPECT_EQ(view.posted.size(), 3u);
    EXPECT_EQ(Describe(Frame(model->GetNextPacket())), "status");

    // The view's answer to the announcement.
    g_SendCmd0Pending = 1;
    g_DeviceRecords.Bytes().presetSelect[0] = 2;
    EXPECT_EQ(Describe(Frame(model->GetNextPacket())), "sys 0");
    EXPECT_EQ(g_DeviceRecords.Bytes().presetSelect[0], 0);
}

TEST_F(PollerTest, GoldenBandFrame) {
    SettleNameCheck();
    Out(2).GetFilter(5)->SetGainCode(230); // +3.0 dB
    EXPECT_EQ(Frame(model->GetNextPacket()),
              Hex("6B 6B 6B EE A1 01 00 04 02 05 00 00 08 00 3F 00 76 02 0E 00 00 00 EE AA"));
    EXPECT_EQ(Bytes(OutputBlock(2) + 40, 8), Hex("3F 00 76 02 0E 00 00 00"))
        << "packed into the image";
    EXPECT_EQ(Describe(Frame(model->GetNextPacket())), "status");
}

TEST_F(PollerTest, FrequencyTravelsInOctaveSteps) {
    SettleNameCheck();
    CFilter* band = Out(0).GetFilter(7);
    ASSERT_EQ(band->GetFreq(), 100);
    band->SetFreq(1000, 1);
    std::vector<int> sent;
    for (auto d = Frame(model->GetNextPacket()); Describe(d) != "status";
         d = Frame(model->GetNextPacket())) {
        ASSERT_EQ(Describe(d), "item 4/0/7");
        sent.push_back(GetU16(d.data() + 14));
        ASSERT_LT(sent.size(), 10u);
    }
    EXPECT_EQ(sent, (std::vector<int>{200, 400, 800, 1000, 1000}));
    EXPECT_FALSE(band->IsChanged());

    // Earlier rules still come first between the steps.
    band->SetFreq(100, 1);
    EXPECT_EQ(GetU16(Frame(model->GetNextPacket()).data() + 14), 500);
    g_SendCmd5Pending = 1;
    Out(0).SetDelay(4);
    EXPECT_EQ(PollAll(), (Strings{"sys 5", "item 4/0/31", "item 4/0/7", "item 4/0/7", "item 4/0/7",
                                  "item 4/0/7", "status"}));
}

TEST_F(PollerTest, CrossoverStepsBothFiltersInOnePass) {
    SettleNameCheck();
    Out(3).GetHighPass()->SetFreq(1000, 1); // from 70 Hz
    Out(3).GetLowPass()->SetFreq(300, 1);   // from 20000 Hz
    std::vector<std::pair<int, int>> sent;
    for (auto d = Frame(model->GetNextPacket()); Describe(d) == "item 4/3/32";
         d = Frame(model->GetNextPacket()))
        sent.emplace_back(GetU16(d.data() + 14), GetU16(d.data() + 18));
    EXPECT_EQ(sent, (std::vector<std::pair<int, int>>{{140, 10000},
                                                      {280, 5000},
                                                      {560, 2500},
                                                      {1000, 1250},
                                                      {1000, 625},
                                                      {1000, 312},
                                                      {1000, 300},
                                                      {1000, 300}}));
}

TEST_F(PollerTest, MusicEqModeReachesTheDevice) {
    SettleNameCheck();
    Music(2).SetEqMode(0);
    const auto f = Frame(model->GetNextPacket());
    EXPECT_EQ(Describe(f), "item 3/2/31");
    EXPECT_EQ(f[14 + 2], 0) << "byte 250 carries the mode";
}

TEST_F(PollerTest, LoadModesAndTheEffectUnit) {
    EffectBlock()[128] = 100;
    model->LoadFromImage(g_ParamImage, 1);
    EXPECT_EQ(model->GetEffect()->FormatParam1Text(), "R_100%");
    for (int mode : {0, 6}) {
        EffectBlock()[128] = static_cast<uint8_t>(100 + mode);
        model->LoadFromImage(g_ParamImage, mode);
        EXPECT_EQ(model->GetEffect()->GetParam(1), 100 + mode) << mode;
    }
    EXPECT_EQ(PollAll(), Strings{"status"}) << "loading marks nothing";
    model->LoadFromImage(nullptr, 0);
}

TEST_F(PollerTest, ClearChangeFlags) {
    Out(1).SetGain(10);
    Music(0).SetNoiseGate(1);
    g_SendCmd2Pending = 1;
    CFilter* band = Out(5).GetFilter(10); // 200 Hz
    band->SetFreq(3200, 1);
    model->ClearChangeFlags(1);
    EXPECT_EQ(g_SendCmd5Pending.load(), 1);
    EXPECT_EQ(g_SendCmd2Pending.load(), 0);
    EXPECT_FALSE(Out(1).IsBasicDirty());
    EXPECT_FALSE(Music(0).IsGateDirty());
    EXPECT_TRUE(band->IsChanged()) << "a filter still on its way stays changed";
    EXPECT_EQ(band->GetAppliedFreq(), 400);
    SettleNameCheck();
    EXPECT_EQ(PollAll(), (Strings{"sys 5", "item 4/5/10", "item 4/5/10", "item 4/5/10",
                                  "item 4/5/10", "status"}));
}

TEST_F(PollerTest, LinkTable) {
    EXPECT_EQ(g_LinkedOutData[7], &Out(7));
    g_LinkKey[3] = 0;
    OutputBlock(0)[kOutLockMarkByte] = 1;
    model->InitLinkTable();
    EXPECT_EQ(g_LinkKey[3], 3);
    EXPECT_EQ(g_LinkActive, 1);
    model.reset();
    for (CKTV_OutData* p : g_LinkedOutData)
        EXPECT_EQ(p, nullptr) << "no pointer outlives the model";
}

// The byte is also the lock marker: locking or unlocking the data must not
// link the outputs.
TEST_F(PollerTest, OnlyTheValueOneOfTheLinkByteLinks) {
    const struct {
        uint8_t byte;
        int linked;
    } cases[] = {{0, 0}, {1, 1}, {'!', 0}, {' ', 0}, {2, 0}, {0xFF, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.byte));
        OutputBlock(0)[kOutLockMarkByte] = c.byte;
        model->InitLinkTable();
        EXPECT_EQ(g_LinkActive, c.linked);
        EXPECT_EQ(OutputBlock(0)[kOutLockMarkByte], c.byte) << "the byte stays as it was";
    }
}

TEST_F(PollerTest, ModelAccessFromTwoThreads) {
    SettleNameCheck();
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::thread worker([&] {
        while (!stop.load()) {
            const auto f = WithDeviceLock([&] { return Frame(model->GetNextPacket()); });
            if (f.size() < 16 || f.back() != 0xAA ||
                f[f.size() - 2] != FrameChecksum(f.data() + 4, static_cast<int>(f.size()) - 6))
                ++bad;
        }
    });
    for (int i = 0; i < 2000; ++i) {
        WithDeviceLock([&] {
            Out(i % 12).GetFilter(i % 31)->SetGainCode(150 + i % 100);
            Out(i % 12).GetFilter(i % 31)->SetFreq(20 + (i * 37) % 19000, 1);
            Out(i % 12).SetGain(static_cast<int16_t>(i % 600));
        });
    }
    stop = true;
    worker.join();
    EXPECT_EQ(bad.load(), 0);
    // Whatever was left settles, one octave per frame.
    int frames = 0;
    while (Describe(Frame(model->GetNextPacket())) != "status")
        ASSERT_LT(++frames, 100000);
    EXPECT_EQ(Describe(Frame(model->GetNextPacket())), "status");
}

TEST_F(PollerTest, BandWithADamagedItemCodeIsSkipped) {
    SettleNameCheck();
    CArchive out;
    model->Serialize(out);
    std::vector<uint8_t> bytes = out.Bytes();
    // Output 0's first filter follows the effect unit, the microphone and the music inputs.
    CArchive probe;
    model->GetEffect()->Serialize(probe);
    model->GetMicRoute().Serialize(probe);
    model->GetMusicRoute().Serialize(probe);
    CArchive outputHead;
    std::string name = Out(0).GetName();
    outputHead.String(name);
    const size_t firstFilter = probe.Bytes().size() + outputHead.Bytes().size() + 19;
    const size_t itemCode = firstFilter + 52 * 3 + 48; // band 3's item code
    ASSERT_EQ(bytes[itemCode], 3);
    bytes[itemCode + 3] = 0x7F;
    bytes[itemCode] = 0xFF;
    CArchive in(bytes);
    ASSERT_TRUE(LoadOrRestore(*model, in));
    ASSERT_EQ(Out(0).GetFilter(3)->GetItemCode(), 0x7F0000FF);

    Out(0).GetFilter(3)->SetGainCode(250);
    Out(0).GetFilter(4)->SetGainCode(250);
    EXPECT_EQ(PollAll(), (Strings{"item 4/0/4", "status"}));
}
