// The channels' change counts: every way a channel's equaliser can change
// (the pages' setters, the graph's drags, whole blocks from the device or a
// preset file, archives, resets, pastes) moves the count, and the channel's
// curve formed afterwards is the curve of the new settings; an unchanged
// equaliser forms nothing again.
#include "tests/model/ModelFixture.h"

#include "model/Archive.h"
#include "model/DataDefine.h"
#include "model/Filter.h"
#include "model/KTV_Data.h"
#include "model/ValueScale.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr GraphRect kPlotArea{40, 10, 640, 250};

// The channel a case changes: output 0 or music input 0.
enum class Channel { Output, Music };

CKTVEQ& EqOf(CKTV_Data& m, Channel c) {
    return c == Channel::Output ? m.GetOut(0)->GetEq() : m.GetMusic(0)->GetEq();
}
std::uint64_t CountOf(CKTV_Data& m, Channel c) {
    return c == Channel::Output ? m.GetOut(0)->GetChangeCount() : m.GetMusic(0)->GetChangeCount();
}
// The real curve points' y as the graph takes them, brought up to date.
std::vector<float> CurveOf(CKTV_Data& m, Channel c) {
    std::vector<float> y;
    const CChannelCurve* curve = nullptr;
    if (c == Channel::Output) {
        m.GetOut(0)->UpdateCurve();
        curve = &m.GetOut(0)->GetCurve();
    } else {
        m.GetMusic(0)->UpdateCurve();
        curve = &m.GetMusic(0)->GetCurve();
    }
    for (const GraphPointF& p : curve->GetRealPoints())
        y.push_back(p.y);
    return y;
}

// A model with curves in the graph's pixels and a few bands boosting, so
// that switching or resetting them shows.
std::unique_ptr<CKTV_Data> PreparedModel() {
    auto m = std::make_unique<CKTV_Data>();
    m->SetOutputGraphRect(kPlotArea);
    m->SetMusicGraphRect(kPlotArea);
    for (Channel c : {Channel::Output, Channel::Music}) {
        CKTVEQ& eq = EqOf(*m, c);
        eq.GetAt(5)->SetGainCode(290);
        eq.GetAt(12)->SetGainCode(120);
        eq.GetAt(12)->SetBandwidthCode(100);
    }
    return m;
}

// The current image with band 5 of output 0 and of music input 0 cut, and
// the output's low-pass at 3 kHz: what a block from the device or a preset
// file brings.
std::vector<uint8_t> ChangedImage() {
    std::vector<uint8_t> image(g_ParamImage, g_ParamImage + kParamBlockSize);
    auto put16 = [](uint8_t* p, unsigned v) {
        p[0] = static_cast<uint8_t>(v);
        p[1] = static_cast<uint8_t>(v >> 8);
    };
    uint8_t* out = image.data() + kOutputBlockOffset;
    put16(out + 5 * 8, 125);
    put16(out + 5 * 8 + 2, 500);
    put16(out + 5 * 8 + 4, 40);
    put16(out + 32 * 8 + 4, 3000);
    out[32 * 8 + 7] = 3;
    uint8_t* music = image.data() + kMusicBlockOffset;
    put16(music + 5 * 8, 143);
    put16(music + 5 * 8 + 2, 700);
    put16(music + 5 * 8 + 4, 40);
    return image;
}

struct Operation {
    const char* what;
    Channel channel;
    std::function<void(CKTV_Data&)> apply;
    bool changesCurve = true; // else only what the graph draws around it
    std::function<void(CKTV_Data&)> prepare = [](CKTV_Data&) {};
};

class ChangeCountTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        InitParamModel();
    }
};

TEST_F(ChangeCountTest, EveryChangeOfAnEqualiserMovesItsCountAndTheCurveFollows) {
    auto band = [](Channel c, int i) {
        return [c, i](CKTV_Data& m) -> CFilter& { return *EqOf(m, c).GetAt(i); };
    };
    auto out5 = band(Channel::Output, 5);
    auto hp = [](CKTV_Data& m) -> CFilter& { return *m.GetOut(0)->GetHighPass(); };
    auto lp = [](CKTV_Data& m) -> CFilter& { return *m.GetOut(0)->GetLowPass(); };
    auto grab = [](CFilter& f) {
        const GraphRect& r = f.GetHandleRect();
        f.BeginHandleDrag({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    };

    const std::vector<Operation> operations = {
        // The pages' setters (also what a link group's copy to each member runs).
        {"band gain", Channel::Output, [&](CKTV_Data& m) { out5(m).SetGainCode(150); }},
        {"band frequency", Channel::Output, [&](CKTV_Data& m) { out5(m).SetFreq(300, 1); }},
        {"band bandwidth", Channel::Output, [&](CKTV_Data& m) { out5(m).SetBandwidthCode(200); }},
        {"band bypass", Channel::Output, [&](CKTV_Data& m) { out5(m).SetBypass(1); }},
        {"band kind", Channel::Output,
         [&](CKTV_Data& m) { out5(m).SetKind(FilterKind::LowShelf); }},
        {"shelf slope", Channel::Output, [&](CKTV_Data& m) { out5(m).SetSlope(0, 1); }, true,
         [&](CKTV_Data& m) {
             out5(m).SetKind(FilterKind::LowShelf);
             out5(m).SetSlope(1, 1);
         }},
        {"high-pass frequency", Channel::Output, [&](CKTV_Data& m) { hp(m).SetFreq(400, 1); }},
        {"low-pass family", Channel::Output,
         [&](CKTV_Data& m) { lp(m).SetFamily(CrossoverFamily::Bessel, 1); }, true,
         [&](CKTV_Data& m) {
             lp(m).SetFreq(2000, 0);
             lp(m).SetSlope(3, 0);
             lp(m).SetFamily(CrossoverFamily::LinkwitzRiley, 0);
         }},
        {"high-pass slope", Channel::Output, [&](CKTV_Data& m) { hp(m).SetSlope(6, 1); }, true,
         [&](CKTV_Data& m) { hp(m).SetFreq(400, 0); }},
        {"speaker type", Channel::Output, [](CKTV_Data& m) { m.GetOut(0)->SetSpeakerType(1); }},
        {"channel-wide bypass", Channel::Output,
         [](CKTV_Data& m) { m.GetOut(0)->SetFiltersOption(1); }},
        {"input bypass", Channel::Music, [](CKTV_Data& m) { m.GetMusic(0)->SetFiltersOption(1); }},
        {"G.EQ mode", Channel::Music, [](CKTV_Data& m) { m.GetMusic(0)->SetEqMode(0); }, false},
        {"output EQ mode", Channel::Output, [](CKTV_Data& m) { m.GetOut(0)->SetEqMode(1); }, false},
        // The graph's drags.
        {"band handle drag", Channel::Output,
         [&](CKTV_Data& m) {
             grab(out5(m));
             out5(m).DragHandleTo({300, 60});
         }},
        {"bandwidth edge drag", Channel::Output,
         [&](CKTV_Data& m) {
             CFilter& f = band(Channel::Output, 12)(m);
             f.GetInteraction().draggingRightEdge = 1;
             f.DragBandwidthEdge({600, 100});
         }},
        {"crossover drag", Channel::Output,
         [&](CKTV_Data& m) {
             grab(lp(m));
             lp(m).DragCrossoverHandle({300, 200}, hp(m).GetFreq());
         }},
        // Resets and pastes.
        {"band reset", Channel::Output, [&](CKTV_Data& m) { out5(m).ResetBand(125); }},
        {"input band reset", Channel::Music,
         [&](CKTV_Data& m) { band(Channel::Music, 5)(m).ResetBand(53); }},
        {"pasted equaliser", Channel::Output,
         [](CKTV_Data& m) {
             m.GetOut(3)->GetFilter(2)->SetGainCode(300);
             m.GetOut(0)->CopyEqFrom(*m.GetOut(3));
         }},
        {"crossover record", Channel::Output,
         [](CKTV_Data& m) {
             ItemRecord r = m.GetOut(0)->GetCrossoverRecord();
             r[0] = 0xF4; // high-pass 500 Hz
             r[1] = 0x01;
             m.GetOut(0)->LoadCrossover(r.data());
         }},
        // Whole blocks: the device's data or a preset file through the image.
        {"output block from the image", Channel::Output,
         [](CKTV_Data& m) { m.LoadFromImage(ChangedImage().data(), -1); }},
        {"music block from the image", Channel::Music,
         [](CKTV_Data& m) { m.LoadFromImage(ChangedImage().data(), -1); }},
        // A document.
        {"archive", Channel::Output,
         [](CKTV_Data& m) {
             CKTV_Data donor;
             donor.GetOut(0)->GetFilter(20)->SetGainCode(320);
             CArchive out;
             donor.Serialize(out);
             CArchive in(out.Bytes());
             ASSERT_TRUE(LoadOrRestore(m, in));
         }},
    };

    for (const Operation& op : operations) {
        SCOPED_TRACE(op.what);
        std::unique_ptr<CKTV_Data> m = PreparedModel();
        op.prepare(*m);
        const std::vector<float> before = CurveOf(*m, op.channel);
        const std::uint64_t count = CountOf(*m, op.channel);
        op.apply(*m);
        EXPECT_NE(CountOf(*m, op.channel), count);
        const std::vector<float> after = CurveOf(*m, op.channel);
        // The same change on a model that never formed a curve before it.
        std::unique_ptr<CKTV_Data> fresh = PreparedModel();
        op.prepare(*fresh);
        op.apply(*fresh);
        EXPECT_EQ(after, CurveOf(*fresh, op.channel));
        if (op.changesCurve) {
            EXPECT_NE(after, before);
        }
    }
}

TEST_F(ChangeCountTest, AnUnchangedEqualiserFormsNoCurveAgain) {
    std::unique_ptr<CKTV_Data> m = PreparedModel();
    for (int i = 0; i < kOutputCount; ++i)
        m->GetOut(i)->UpdateCurve();
    m->GetMusic(0)->UpdateCurve();
    const std::uint64_t channels = CChannelCurve::Computations();
    const std::uint64_t filters = CFilter::CurveComputations();
    const std::uint64_t count = m->GetChangeCount();
    for (int i = 0; i < kOutputCount; ++i)
        m->GetOut(i)->UpdateCurve();
    m->GetMusic(0)->UpdateCurve();
    EXPECT_EQ(CChannelCurve::Computations(), channels);
    EXPECT_EQ(CFilter::CurveComputations(), filters);
    // Reading a channel changes no count.
    for (int i = 0; i < kOutputCount; ++i) {
        CKTVEQ& eq = m->GetOut(i)->GetEq();
        for (int f = 0; f < eq.GetCount(); ++f) {
            (void)eq.GetAt(f)->GetCurvePoints();
            (void)eq.GetAt(f)->FormatHandleLabel();
        }
        (void)eq.PackCrossover();
    }
    EXPECT_EQ(m->GetChangeCount(), count);
    // One band changed: one channel curve and one filter curve formed again.
    m->GetOut(4)->GetFilter(7)->SetGainCode(250);
    for (int i = 0; i < kOutputCount; ++i)
        m->GetOut(i)->UpdateCurve();
    EXPECT_EQ(CChannelCurve::Computations(), channels + 1);
    EXPECT_EQ(CFilter::CurveComputations(), filters + 1);
    EXPECT_NE(m->GetChangeCount(), count);
}

} // namespace
