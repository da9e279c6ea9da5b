// The reply assembler and dispatcher: frames in any pieces, their checks,
// and where every reply goes.
#include "tests/link/LinkTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <numeric>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class ProgressBar : public ITransferProgress {
public:
    void SetPos(int pos) override { positions.push_back(pos); }
    std::vector<int> positions;
};

class AssemblerTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        ResetLinkGlobals();
        cmd.SetNotifyWnd(&view);
        g_MainView = &view;
        g_TransferProgress = &bar;
        g_ConnectionKind = 1;
    }
    void TearDown() override {
        ResetLinkGlobals();
        ModelTest::TearDown();
    }
    // Queues a read request as the head, as the view would.
    CSendData* QueueRead(int slot = 0) {
        cmd.AddPacket(BuildSystemReadPacket(2, slot));
        return cmd.GetHead();
    }
    static std::vector<uint8_t> Pattern(size_t n, uint8_t first = 1) {
        std::vector<uint8_t> v(n);
        std::iota(v.begin(), v.end(), first);
        return v;
    }

    CKTVCommand cmd;
    RecordingView view;
    ProgressBar bar;
};

// ---------------------------------------------------------------------------
// Finding frames
// ---------------------------------------------------------------------------

TEST_F(AssemblerTest, SyncNeedsExactlyThreeSixBsBeforeTheEE) {
    struct Case {
        const char* name;
        std::vector<uint8_t> prefix;
        int expected;
    } cases[] = {
        {"three 6B", {}, kFeedDone},
        {"noise, then three 6B", {0x00}, kFeedDone},
        {"four 6B", {0x6B}, kFeedMore},
        {"EE with two 6B", {}, kFeedMore},
    };
    for (const Case& c : cases) {
        cmd.Clear();
        QueueRead();
        std::vector<uint8_t> frame = Ack();
        if (std::string(c.name) == "EE with two 6B") frame.erase(frame.begin());
        std::vector<uint8_t> bytes = c.prefix;
        bytes.insert(bytes.end(), frame.begin(), frame.end());
        EXPECT_EQ(FeedAsReads(cmd, bytes), c.expected) << c.name;
        EXPECT_EQ(cmd.GetCount(), c.expected == kFeedDone ? 0 : 1) << c.name;
    }
}

TEST_F(AssemblerTest, FrameSplitOverReportsAndReads) {
    const std::vector<uint8_t> payload = Pattern(kOutputBlockSize);
    const std::vector<uint8_t> frame = Data(0, kGroupOutput, 7, payload);
    for (size_t piece : {size_t{1}, size_t{7}, size_t{64}, size_t{400}}) {
        std::memset(g_ParamImage, 0, sizeof g_ParamImage);
        QueueRead();
        EXPECT_EQ(FeedAsReads(cmd, frame, piece), kFeedDone) << piece;
        EXPECT_EQ(Bytes(OutputBlock(7), kOutputBlockSize), payload) << piece;
        EXPECT_EQ(cmd.GetCount(), 0);
    }
    // The same frame as five USB reports.
    std::memset(g_ParamImage, 0, sizeof g_ParamImage);
    QueueRead();
    EXPECT_EQ(FeedAsReports(cmd, frame), kFeedDone);
    EXPECT_EQ(Bytes(OutputBlock(7), kOutputBlockSize), payload);
}

TEST_F(AssemblerTest, BytesAfterATakenReplyAreDiscarded) {
    QueueRead();
    QueueRead();
    // A second acknowledgement in the same report must not take the next head.
    EXPECT_EQ(FeedAsReports(cmd, Concat({Ack(), Ack()})), kFeedDone);
    EXPECT_EQ(cmd.GetCount(), 1);
    // And the assembler starts clean with the next report.
    EXPECT_EQ(FeedAsReports(cmd, Ack()), kFeedDone);
    EXPECT_EQ(cmd.GetCount(), 0);
}

TEST_F(AssemblerTest, AGoodReplyBehindABadFrameInTheSameReadIsTaken) {
    std::vector<uint8_t> bad = Ack();
    bad[bad.size() - 2] ^= 0xFF;
    QueueRead();
    EXPECT_EQ(FeedAsReads(cmd, Concat({bad, Data(0, kGroupSystem, 2, Pattern(8))})), kFeedDone);
    EXPECT_EQ(Bytes(g_DeviceRecords.Bytes().sources, 8), Pattern(8));
    EXPECT_EQ(g_CommStatusFlags[5].load(), 0) << "cleared when the head left";
}

TEST_F(AssemblerTest, BadChecksumOrTrailerDropsTheFrame) {
    struct Case {
        const char* name;
        size_t fromEnd;
    } cases[] = {{"checksum", 2}, {"trailer", 1}};
    for (const Case& c : cases) {
        cmd.Clear();
        QueueRead();
        std::vector<uint8_t> frame = Data(0, kGroupSystem, 2, Pattern(8));
        frame[frame.size() - c.fromEnd] ^= 0x01;
        std::fill(std::begin(g_DeviceRecords.Bytes().sources),
                  std::end(g_DeviceRecords.Bytes().sources), 0);
        EXPECT_EQ(FeedAsReads(cmd, frame), kFeedMore) << c.name;
        EXPECT_EQ(cmd.GetCount(), 1) << c.name;
        EXPECT_EQ(g_DeviceRecords.Bytes().sources[0], 0) << c.name;
        EXPECT_EQ(g_CommStatusFlags[5].load(), 1) << c.name;
        // Back to hunting: the next good frame is taken.
        EXPECT_EQ(FeedAsReads(cmd, Ack()), kFeedDone) << c.name;
    }
}

TEST_F(AssemblerTest, ALengthBeyondTheBufferIsRefusedWithoutOverrun) {
    QueueRead();
    // Announces 0xFFFF payload bytes and then streams far more than the buffer holds.
    std::vector<uint8_t> hostile = {0x6B, 0x6B, 0x6B, 0xEE, 'S', 1,    0,
                                    4,    0,    0x77, 0,    0,   0xFF, 0xFF};
    hostile.resize(hostile.size() + 3000, 0x11);
    EXPECT_EQ(FeedAsReads(cmd, hostile), kFeedMore);
    EXPECT_EQ(FeedAsReports(cmd, hostile), kFeedMore);
    EXPECT_EQ(cmd.GetCount(), 1);
    // The largest frame that fits (387 payload bytes) is still accepted...
    const std::vector<uint8_t> largest =
        Data(0, kGroupSystem, 64, Pattern(kAssemblyBufferSize - 13));
    EXPECT_EQ(FeedAsReads(cmd, largest, 50), kFeedDone);
    EXPECT_EQ(Bytes(g_DeviceRecords.Bytes().pageTable, sizeof g_DeviceRecords.Bytes().pageTable),
              Pattern(sizeof g_DeviceRecords.Bytes().pageTable));
    // ... and one byte more is not.
    QueueRead();
    EXPECT_EQ(FeedAsReads(cmd, Data(0, kGroupSystem, 64, Pattern(kAssemblyBufferSize - 12))),
              kFeedMore);
}

TEST_F(AssemblerTest, APartialFrameSurvivesUntilReset) {
    QueueRead();
    const std::vector<uint8_t> frame = Ack();
    const std::vector<uint8_t> first(frame.begin(), frame.begin() + 8);
    const std::vector<uint8_t> rest(frame.begin() + 8, frame.end());
    EXPECT_EQ(FeedAsReads(cmd, first), kFeedMore);
    EXPECT_EQ(FeedAsReads(cmd, rest), kFeedDone);
    QueueRead();
    EXPECT_EQ(FeedAsReads(cmd, first), kFeedMore);
    cmd.ResetReceive();
    EXPECT_EQ(FeedAsReads(cmd, rest), kFeedMore);
    EXPECT_EQ(cmd.GetCount(), 1);
}

TEST_F(AssemblerTest, AnEmptyReportEndsTheReading) {
    EXPECT_EQ(cmd.FeedUsbReport(0), kFeedDone);
}

// ---------------------------------------------------------------------------
// Reply codes
// ---------------------------------------------------------------------------

TEST_F(AssemblerTest, RepeatRequestRewindsTheHeadAndEndsTheExchange) {
    CSendData* head = QueueRead();
    uint8_t report[kHidReportSize];
    ASSERT_EQ(head->NextChunk(report), 1);
    EXPECT_EQ(FeedAsReports(cmd, ReplyFrame('R', 0, 9, 2, 0)), kFeedRepeat);
    ASSERT_EQ(cmd.GetHead(), head);
    EXPECT_EQ(head->GetChunk(), 0);
    EXPECT_EQ(head->GetResend(), 1);
    EXPECT_THAT(view.All(), IsEmpty());
}

TEST_F(AssemblerTest, UnknownReplyCodeTakesNothing) {
    QueueRead();
    EXPECT_EQ(FeedAsReads(cmd, ReplyFrame('X', 0, 9, 2, 0)), kFeedMore);
    EXPECT_EQ(cmd.GetCount(), 1);
}

TEST_F(AssemblerTest, LongCommandResults) {
    struct Case {
        char code;
        Message message;
        int left;
        int nextResend;
    } cases[] = {{'Q', Posted(WM_LONG_COMMAND_DONE, 0, 1), 1, 0},
                 {'R', Posted(WM_LONG_COMMAND_DONE, 0, 0), 1, 1}};
    for (const Case& c : cases) {
        cmd.Clear();
        view.Clear();
        CSendData* longCommand = QueueRead();
        longCommand->SetLongWait(1);
        QueueRead();
        FeedAsReads(cmd, ReplyFrame(static_cast<uint8_t>(c.code), 0, 9, 65, 0));
        EXPECT_THAT(view.All(), ElementsAre(c.message)) << c.code;
        EXPECT_EQ(cmd.GetCount(), c.left) << c.code;
        EXPECT_EQ(cmd.GetHead()->GetResend(), c.nextResend) << c.code;
    }
}

// ---------------------------------------------------------------------------
// Progress: only for replies that take the head
// ---------------------------------------------------------------------------

TEST_F(AssemblerTest, ProgressStepsOnTheRepliesThatTakeTheHead) {
    CSendData* head = QueueRead();
    head->SetProgressValue(7);
    head->SetNotifyWhenSent(1);
    head->SetNotifyWhenDone(1);
    // A repeat request or a dropped reply moves nothing on.
    FeedAsReads(cmd, ReplyFrame('R', 0, 9, 2, 0));
    FeedAsReads(cmd, Data(0, 0x33, 0, {1}));
    EXPECT_THAT(bar.positions, IsEmpty());
    EXPECT_THAT(view.All(), IsEmpty());
    FeedAsReads(cmd, Data(0, kGroupSystem, 2, Pattern(8)));
    EXPECT_THAT(bar.positions, ElementsAre(7));
    EXPECT_THAT(view.All(),
                ElementsAre(Posted(WM_TRANSFER_STEP, 0, 1), Posted(WM_TRANSFER_STEP, 0, 0)));
}

TEST_F(AssemblerTest, SkipProgressReportsTheStepAtOnce) {
    QueueRead()->SetSkipProgress(1);
    cmd.GetHead()->SetProgressValue(3);
    FeedAsReads(cmd, Ack());
    EXPECT_THAT(view.All(), ElementsAre(Posted(WM_TRANSFER_STEP, 0, 0)));
    EXPECT_THAT(bar.positions, IsEmpty());
}

TEST_F(AssemblerTest, FirmwarePacketsGoToTheFirmwareProgress) {
    std::vector<int> steps;
    cmd.SetFirmwareProgressHook([&](int code) { steps.push_back(code); });
    QueueRead()->SetCommand(58);
    cmd.GetHead()->SetProgressValue(1);
    FeedAsReads(cmd, ReplyFrame('R', 0, 9, 58, 0));
    EXPECT_THAT(steps, IsEmpty()) << "a repeat request is not a finished step";
    EXPECT_EQ(FeedAsReads(cmd, Ack()), kFeedMore)
        << "an acknowledgement that names no step is not the erase's";
    EXPECT_EQ(FeedAsReads(cmd, ReplyFrame('Q', 0, 9, 59, 0)), kFeedMore)
        << "nor one naming another step";
    EXPECT_THAT(steps, IsEmpty());
    EXPECT_EQ(FeedAsReads(cmd, ReplyFrame('Q', 0, 9, 58, 0)), kFeedDone);
    EXPECT_THAT(steps, ElementsAre(58));
    EXPECT_THAT(bar.positions, IsEmpty());
}

// ---------------------------------------------------------------------------
// Data replies
// ---------------------------------------------------------------------------

TEST_F(AssemblerTest, BlockRepliesGoWhereSlotAndItemSay) {
    const auto music = Pattern(kMusicBlockSize, 3);
    const auto out = Pattern(kOutputBlockSize, 5);
    struct Case {
        const char* name;
        std::vector<uint8_t> frame;
        uint8_t* where;
        size_t size;
        std::vector<Message> messages;
    } cases[] = {
        {"music, stored preset 2",
         Data(2, kGroupMusic, 1, music),
         MusicInBlock(1, g_PcPresets[1]),
         kMusicBlockSize,
         {}},
        {"music, current", Data(0, kGroupMusic, 3, music), MusicInBlock(3), kMusicBlockSize, {}},
        {"music of preset 2 loaded as current",
         Data(2, kGroupMusic, 0, music, 0),
         MusicInBlock(0),
         kMusicBlockSize,
         {}},
        {"output 4 of stored preset 6",
         Data(6, kGroupOutput, 4, out),
         OutputBlock(4, g_PcPresets[5]),
         kOutputBlockSize,
         {}},
        {"last output of stored preset 6",
         Data(6, kGroupOutput, 11, out),
         OutputBlock(11, g_PcPresets[5]),
         kOutputBlockSize,
         {Posted(WM_ALL_PRESETS_READ, 6, 0)}},
        {"last output of stored preset 3",
         Data(3, kGroupOutput, 11, out),
         OutputBlock(11, g_PcPresets[2]),
         kOutputBlockSize,
         {}},
        {"last output, current",
         Data(0, kGroupOutput, 11, out),
         OutputBlock(11),
         kOutputBlockSize,
         {Posted(WM_DEVICE_DATA_DONE, 0, 0)}},
        {"last output of preset 4 loaded as current",
         Data(4, kGroupOutput, 11, out, 0),
         OutputBlock(11),
         kOutputBlockSize,
         {Posted(WM_DEVICE_DATA_DONE, 4, 0)}},
    };
    for (const Case& c : cases) {
        ResetModelState();
        view.Clear();
        QueueRead();
        EXPECT_EQ(FeedAsReads(cmd, c.frame), kFeedDone) << c.name;
        EXPECT_EQ(Bytes(c.where, c.size), c.name[0] == 'm' ? music : out) << c.name;
        EXPECT_EQ(view.All(), c.messages) << c.name;
        EXPECT_EQ(cmd.GetCount(), 0) << c.name;
    }
}

TEST_F(AssemblerTest, BlockRepliesOutsideTheModelStoreNothingButAreTaken) {
    const uint8_t before = g_ParamImage[kOutputBlockOffset];
    for (const auto& frame :
         {Data(0, kGroupOutput, 12, Pattern(8)), Data(7, kGroupOutput, 0, Pattern(8)),
          Data(0, kGroupMusic, 4, Pattern(8)), Data(9, kGroupMusic, 0, Pattern(8)),
          Data(0, kGroupMic, 0, Pattern(8)), Data(0, kGroupEffect, 0, Pattern(8))}) {
        const std::vector<uint8_t> presets = Bytes(g_PcPresets[0], sizeof g_PcPresets);
        QueueRead();
        EXPECT_EQ(FeedAsReads(cmd, frame), kFeedDone);
        EXPECT_EQ(cmd.GetCount(), 0);
        EXPECT_EQ(Bytes(g_PcPresets[0], sizeof g_PcPresets), presets);
    }
    EXPECT_EQ(g_ParamImage[kOutputBlockOffset], before);
    // A group the program does not know is not a reply to its request.
    QueueRead();
    EXPECT_EQ(FeedAsReads(cmd, Data(0, 5, 0, Pattern(8))), kFeedMore);
    EXPECT_EQ(cmd.GetCount(), 1);
}

TEST_F(AssemblerTest, DataRepliesCopyNoMoreThanArrivedNorMoreThanTheRecord) {
    // A longer payload than the block must not spill into the next block.
    const std::vector<uint8_t> next = Bytes(OutputBlock(4), kOutputBlockSize);
    QueueRead();
    FeedAsReads(cmd, Data(0, kGroupOutput, 3, Pattern(kOutputBlockSize + 40)));
    EXPECT_EQ(Bytes(OutputBlock(3), kOutputBlockSize), Pattern(kOutputBlockSize));
    EXPECT_EQ(Bytes(OutputBlock(4), kOutputBlockSize), next);
    // A shorter one changes only what arrived.
    const std::vector<uint8_t> tail = Bytes(OutputBlock(2) + 10, kOutputBlockSize - 10);
    QueueRead();
    FeedAsReads(cmd, Data(0, kGroupOutput, 2, Pattern(10, 0xA0)));
    EXPECT_EQ(Bytes(OutputBlock(2), 10), Pattern(10, 0xA0));
    EXPECT_EQ(Bytes(OutputBlock(2) + 10, kOutputBlockSize - 10), tail);
    // System records likewise.
    std::fill(std::begin(g_DeviceRecords.Bytes().sourceSetup),
              std::end(g_DeviceRecords.Bytes().sourceSetup), 0x77);
    std::fill(std::begin(g_DeviceRecords.Bytes().deviceKept),
              std::end(g_DeviceRecords.Bytes().deviceKept), 0x55);
    const uint8_t afterBlock9 = g_DeviceRecords.Bytes().presetSelect[0];
    QueueRead();
    FeedAsReads(cmd, Data(0, kGroupSystem, 8, {1, 2, 3}));
    EXPECT_EQ(Bytes(g_DeviceRecords.Bytes().sourceSetup, 8), Hex("01 02 03 77 77 77 77 77"));
    QueueRead();
    FeedAsReads(cmd, Data(0, kGroupSystem, 9, Pattern(60)));
    EXPECT_EQ(Bytes(g_DeviceRecords.Bytes().deviceKept, 8), Pattern(8));
    EXPECT_EQ(g_DeviceRecords.Bytes().presetSelect[0], afterBlock9);
}

TEST_F(AssemblerTest, SystemRecords) {
    struct Case {
        const char* name;
        int record;
        int slot;
        std::vector<uint8_t> payload;
        std::function<std::vector<uint8_t>()> stored;
        std::vector<uint8_t> expected;
        std::vector<Message> messages;
    } cases[] = {
        {"name of stored preset 3",
         0,
         3,
         Hex("41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F"),
         [] { return Bytes(g_PcPresets[2], 16); },
         Hex("41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 00 00 20"),
         {}},
        {"current name",
         0,
         0,
         Hex("41 42 43"),
         [] { return Bytes(g_ParamImage, 4); },
         Hex("41 42 43 00"),
         {}},
        {"record 2",
         2,
         0,
         Pattern(8),
         [] { return Bytes(g_DeviceRecords.Bytes().sources, 8); },
         Pattern(8),
         {}},
        {"record 5",
         5,
         0,
         Pattern(8),
         [] { return Bytes(g_DeviceRecords.Bytes().master, 8); },
         Pattern(8),
         {}},
        {"record 6 is sent",
         6,
         0,
         Pattern(8),
         [] { return Bytes(g_DeviceRecords.Bytes().outputMapA, 8); },
         Pattern(8),
         {Sent(WM_OUTPUT_MAP, 0, 0)}},
        {"record 7 is sent",
         7,
         0,
         Pattern(8),
         [] { return Bytes(g_DeviceRecords.Bytes().outputMapB, 8); },
         Pattern(8),
         {Sent(WM_OUTPUT_MAP, 1, 0)}},
        {"record 64",
         64,
         0,
         Pattern(98),
         [] { return Bytes(g_DeviceRecords.Bytes().pageTable, 98); },
         Pattern(98),
         {Posted(WM_OUTPUT_MAP, 0, 0)}},
        {"version",
         4,
         0,
         {'V', 'E', 'L', 'K', '-', 'F', 'V', '1', '.', '0', '0', '!', '!'},
         [] { return Bytes(g_DeviceRecords.Bytes().versionText, 12); },
         {'V', 'E', 'L', 'K', '-', 'F', 'V', '1', '.', '0', '0', 0},
         {Posted(WM_DEVICE_VERSION)}},
        {"other record",
         77,
         0,
         Pattern(8),
         [] { return Bytes(g_DeviceRecords.Bytes().sources, 1); },
         {0},
         {}},
    };
    for (const Case& c : cases) {
        ResetModelState();
        std::fill(std::begin(g_DeviceRecords.Bytes().sources),
                  std::end(g_DeviceRecords.Bytes().sources), 0);
        std::memset(g_PcPresets[2], 0x20, 16);
        view.Clear();
        QueueRead();
        EXPECT_EQ(FeedAsReads(cmd, Data(c.slot, kGroupSystem, c.record, c.payload, 0)), kFeedDone)
            << c.name;
        EXPECT_EQ(c.stored(), c.expected) << c.name;
        EXPECT_EQ(view.All(), c.messages) << c.name;
        EXPECT_EQ(cmd.GetCount(), 0) << c.name;
    }
}

TEST_F(AssemblerTest, AShortVersionLeavesNothingOfTheOldOne) {
    std::memcpy(g_DeviceRecords.Bytes().versionText, "VELK-FV1.00", 11);
    QueueRead();
    FeedAsReads(cmd, Data(0, kGroupSystem, 4, {'X', 'Y'}, 0));
    EXPECT_EQ(Bytes(g_DeviceRecords.Bytes().versionText, 12),
              Hex("58 59 00 00 00 00 00 00 00 00 00 00"));
}

TEST_F(AssemblerTest, StatusRecordFillsAtMost37Words) {
    std::fill(std::begin(g_DeviceRecords.Bytes().status), std::end(g_DeviceRecords.Bytes().status),
              -1);
    QueueRead();
    FeedAsReads(cmd, Data(0, kGroupSystem, 3, Pattern(40, 200), 0));
    EXPECT_EQ(g_DeviceRecords.Bytes().status[0], 200);
    EXPECT_EQ(g_DeviceRecords.Bytes().status[36], 236);
    EXPECT_EQ(g_DeviceRecords.Bytes().status[37], -1);
    EXPECT_THAT(view.All(), ElementsAre(Posted(WM_DEVICE_STATUS, 0, 40)));
    QueueRead();
    FeedAsReads(cmd, Data(0, kGroupSystem, 3, {9, 8}, 0));
    EXPECT_EQ(g_DeviceRecords.Bytes().status[1], 8);
    EXPECT_EQ(g_DeviceRecords.Bytes().status[2], 202) << "beyond the payload nothing changes";
}

TEST_F(AssemblerTest, TheViewHearsOfTheStatusWhenItChangesOrIsAskedFor) {
    enum class Before { Nothing, Ask, Clear };
    const struct Case {
        const char* name;
        Before before;
        std::vector<uint8_t> payload;
        bool posted;
    } cases[] = {
        {"the first", Before::Nothing, {1, 2, 3}, true},
        {"the same again", Before::Nothing, {1, 2, 3}, false},
        {"a byte changed", Before::Nothing, {1, 2, 4}, true},
        {"unchanged after the change", Before::Nothing, {1, 2, 4}, false},
        {"shorter", Before::Nothing, {1, 2}, true},
        {"asked for", Before::Ask, {1, 2}, true},
        {"the ask is used up", Before::Nothing, {1, 2}, false},
        {"a new connection clears the queue", Before::Clear, {1, 2}, true},
    };
    for (const Case& c : cases) {
        if (c.before == Before::Ask) cmd.AskForStatus();
        if (c.before == Before::Clear) cmd.Clear();
        view.Clear();
        QueueRead();
        FeedAsReads(cmd, Data(0, kGroupSystem, 3, c.payload, 0));
        EXPECT_EQ(view.Count(WM_DEVICE_STATUS), c.posted ? 1 : 0) << c.name;
        EXPECT_EQ(g_DeviceRecords.Bytes().status[c.payload.size() - 1], c.payload.back()) << c.name;
    }
}

TEST_F(AssemblerTest, PresetNumberRecord) {
    std::memcpy(g_PcPresets[3], "Fourth preset\0\0\0", 16);
    std::memcpy(g_ParamImage, "Current\0\0\0\0\0\0\0\0\0", 16);
    QueueRead();
    FeedAsReads(cmd, Data(0, kGroupSystem, 52, {0}, 0));
    EXPECT_EQ(FieldToString(g_ParamImage, 16), "Current");
    EXPECT_EQ(g_DeviceRecords.Bytes().presetSelect[0], 0);
    QueueRead();
    FeedAsReads(cmd, Data(0, kGroupSystem, 52, {4}, 0));
    EXPECT_EQ(FieldToString(g_ParamImage, 16), "Fourth preset");
    EXPECT_EQ(g_DeviceRecords.Bytes().presetSelect[0], 4);
}

TEST_F(AssemblerTest, EmptyDataReplyMarksTheDeviceAbnormal) {
    QueueRead();
    EXPECT_EQ(FeedAsReads(cmd, Data(0, kGroupSystem, 2, {})), kFeedDone);
    EXPECT_EQ(g_DeviceAbnormal.load(), 1);
    EXPECT_EQ(cmd.GetCount(), 1);
    EXPECT_THAT(view.All(), ElementsAre(Posted(WM_DEVICE_ABNORMAL)));
}

TEST_F(AssemblerTest, InitialReadPhaseTakesOnlyTheQuickReadsZeroByte) {
    g_StateFlags[kFlagInitialRead] = 1;
    cmd.AddPacket(BuildSystemReadPacket(204, 0));
    cmd.AddPacket(BuildSystemReadPacket(4, 0));
    // A version reply, a status reply and a 204 reply with another byte are stale.
    EXPECT_EQ(FeedAsReads(cmd, Data(0, kGroupSystem, 4, {'V', 'E', 'L', 'K'}, 0)), kFeedMore);
    EXPECT_EQ(FeedAsReads(cmd, Data(0, kGroupSystem, 3, Pattern(37), 0)), kFeedMore);
    EXPECT_EQ(FeedAsReads(cmd, Data(0, kGroupSystem, 204, {1}, 0)), kFeedMore);
    EXPECT_EQ(FeedAsReads(cmd, Data(0, kGroupSystem, 204, {0, 0}, 0)), kFeedMore);
    EXPECT_EQ(FeedAsReads(cmd, Data(0, kGroupSystem, 204, {}, 0)), kFeedMore)
        << "not abnormal in this phase";
    EXPECT_EQ(cmd.GetCount(), 2);
    EXPECT_EQ(g_DeviceRecords.Bytes().versionText[0], 0);
    EXPECT_THAT(view.All(), IsEmpty());
    EXPECT_EQ(FeedAsReads(cmd, Data(0, kGroupSystem, 204, {0}, 0)), kFeedDone);
    EXPECT_EQ(g_StateFlags[kFlagInitialRead].load(), 0);
    EXPECT_EQ(cmd.GetCount(), 1);
    EXPECT_EQ(FeedAsReads(cmd, Data(0, kGroupSystem, 4, {'V', 'E', 'L', 'K', '-', 'F'}, 0)),
              kFeedDone);
    EXPECT_THAT(view.All(), ElementsAre(Posted(WM_DEVICE_VERSION)));
}

TEST_F(AssemblerTest, TheViewIsToldOnlyAfterTheLockIsReleased) {
    // The view's handlers take the device lock; one on another thread must get it
    // while the output map is being delivered.
    bool lockFree = false;
    view.onSend = [&](unsigned) {
        std::thread other([&] {
            if (g_DeviceLock.try_lock()) {
                lockFree = true;
                g_DeviceLock.unlock();
            }
        });
        other.join();
    };
    QueueRead();
    FeedAsReads(cmd, Data(0, kGroupSystem, 6, Pattern(8), 0));
    EXPECT_TRUE(lockFree);
}

} // namespace
