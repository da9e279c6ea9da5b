#include "link/KTVCommand.h"
#include "model/FrameBuilder.h"
#include "model/Globals.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

std::unique_ptr<CSendData> PacketOfLength(int n) {
    std::vector<uint8_t> bytes(static_cast<size_t>(n));
    std::iota(bytes.begin(), bytes.end(), 1); // 1, 2, ... (wraps at 256)
    auto p = std::make_unique<CSendData>();
    p->SetData(bytes);
    p->SetLength(n);
    return p;
}

// All reports a packet yields.
std::vector<std::vector<uint8_t>> Reports(CSendData& p) {
    std::vector<std::vector<uint8_t>> out;
    uint8_t report[kHidReportSize];
    while (p.NextChunk(report))
        out.emplace_back(report, report + kHidReportSize);
    return out;
}

class SendQueueTest : public ::testing::Test {
protected:
    void SetUp() override { g_ConnectionKind = 0; }
    void TearDown() override { g_ConnectionKind = 0; }
};

} // namespace

TEST_F(SendQueueTest, FramesAreCutIntoReportsOf64Bytes) {
    struct Case {
        int length;
        size_t reports;
    } cases[] = {{24, 1}, {64, 1}, {65, 2}, {312, 5}, {0, 0}};
    for (const Case& c : cases) {
        auto p = PacketOfLength(c.length);
        const auto reports = Reports(*p);
        ASSERT_EQ(reports.size(), c.reports) << c.length;
        std::vector<uint8_t> joined;
        for (const auto& r : reports) {
            EXPECT_EQ(r.size(), 65u);
            EXPECT_EQ(r[0], 0) << "report id";
            joined.insert(joined.end(), r.begin() + 1, r.end());
        }
        // The frame in order, then zero padding to the end of the last report.
        for (int i = 0; i < c.length; ++i)
            EXPECT_EQ(joined[i], static_cast<uint8_t>(i + 1));
        for (size_t i = static_cast<size_t>(c.length); i < joined.size(); ++i)
            EXPECT_EQ(joined[i], 0);
    }
}

TEST_F(SendQueueTest, SixtyFiveByteFrameSecondReport) {
    auto p = PacketOfLength(65);
    const auto reports = Reports(*p);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1][1], 65);
    for (size_t i = 2; i < 65; ++i)
        EXPECT_EQ(reports[1][i], 0);
}

TEST_F(SendQueueTest, NoChunkLeftLeavesTheReportAlone) {
    auto p = PacketOfLength(24);
    uint8_t report[kHidReportSize];
    ASSERT_EQ(p->NextChunk(report), 1);
    std::fill(std::begin(report), std::end(report), 0xEE);
    EXPECT_EQ(p->NextChunk(report), 0);
    for (uint8_t b : report)
        EXPECT_EQ(b, 0xEE);
}

TEST_F(SendQueueTest, LengthBeyondTheBufferNeverReadsPastIt) {
    auto p = PacketOfLength(10);
    p->SetLength(400);
    const auto reports = Reports(*p);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0][10], 10);
    EXPECT_EQ(reports[0][11], 0);
}

TEST_F(SendQueueTest, QueueIsFirstInFirstOut) {
    CKTVCommand cmd;
    EXPECT_EQ(cmd.GetHead(), nullptr);
    cmd.RemoveHead(0); // nothing to remove
    cmd.AddPacket(PacketOfLength(24));
    cmd.AddPacket(PacketOfLength(312));
    cmd.AddPacket(nullptr);
    EXPECT_EQ(cmd.GetCount(), 2);
    EXPECT_EQ(cmd.GetHead()->GetLength(), 24);
    cmd.RemoveHead(0);
    EXPECT_EQ(cmd.GetHead()->GetLength(), 312);
    cmd.Clear();
    EXPECT_EQ(cmd.GetCount(), 0);
    cmd.Clear();
    EXPECT_EQ(cmd.GetHead(), nullptr);
}

TEST_F(SendQueueTest, RewindSendsTheHeadAgain) {
    CKTVCommand cmd;
    cmd.AddPacket(PacketOfLength(100));
    uint8_t first[kHidReportSize], again[kHidReportSize];
    CSendData* head = cmd.GetHead();
    ASSERT_EQ(head->NextChunk(first), 1);
    ASSERT_EQ(head->NextChunk(again), 1);
    EXPECT_EQ(head->NextChunk(again), 0);
    cmd.RewindHead();
    ASSERT_EQ(head->NextChunk(again), 1);
    EXPECT_TRUE(std::equal(std::begin(first), std::end(first), std::begin(again)));
    cmd.MarkHeadResend();
    EXPECT_EQ(head->GetResend(), 1);
}

TEST_F(SendQueueTest, ClearResetsTheAssembler) {
    struct Recording : CKTVCommand {
        int resets = 0;
        void ResetReceive() override { ++resets; }
    } cmd;
    cmd.Clear();
    EXPECT_EQ(cmd.resets, 1);
}

TEST_F(SendQueueTest, FlagsWithoutALink) {
    auto p = PacketOfLength(30);
    p->SetNotifyWhenDone(1);
    p->SetNotifyWhenSent(1);
    EXPECT_EQ(p->IsNotifyDone(), 0);
    EXPECT_EQ(p->IsNotifySent(), 0);
    EXPECT_EQ(p->IsReady(), 1);
    Reports(*p);
    EXPECT_EQ(p->IsNotifyDone(), 1);
    EXPECT_EQ(p->IsNotifySent(), 1);
    EXPECT_EQ(p->IsReady(), 0);
    p->RewindChunks();
    g_ConnectionKind = 1;
    EXPECT_EQ(p->IsNotifyDone(), 1);
    p->SetReady(0);
    EXPECT_EQ(p->IsReady(), 0);
}

TEST_F(SendQueueTest, BuiltPacketsHaveTheirDefaults) {
    const auto p = ToSendData(BuildSystemReadPacket(4, 0));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->GetRetry(), 0);
    EXPECT_EQ(p->IsReady(), 1);
    EXPECT_EQ(p->GetBlockFlag(), 0);
    EXPECT_EQ(p->GetProgressValue(), 0);
    EXPECT_EQ(p->GetCommand(), 0);
    EXPECT_EQ(p->GetLongWait(), 0);
    EXPECT_EQ(p->GetChunk(), 0);
}
