// The scene picker and the name prompt in the program, against the simulated
// device: the captions before and after the device's data in both languages,
// naming a scene and every refusal of a name, the keys that must not end the
// picker, deleting a scene's name, and a scene stored and recalled end to end.
#include "tests/app/PresetTestSupport.h"

#include "model/KTV_Data.h"
#include "model/KTV_OutData.h"
#include "model/TextCodec.h"
#include "tests/model/ModelFixture.h"

#include <gmock/gmock.h>

#include <QLabel>

#include <cstring>

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

std::vector<uint8_t> NameField(const std::string& utf8) {
    std::vector<uint8_t> field(16, 0);
    const std::string gbk = Utf8ToGbk(utf8).value();
    std::copy(gbk.begin(), gbk.end(), field.begin());
    return field;
}

std::string StoredName(int n) {
    DeviceLockGuard lock(g_DeviceLock);
    return FieldToString(g_PcPresets[n - 1], 16);
}

std::string DeviceName(const std::vector<uint8_t>& block) {
    return FieldToString(block.data(), 16);
}

class ScenePickerTest : public PresetTest {
protected:
    // The device's six scenes under names that show every caption rule.
    void NameDeviceScenes() {
        const char* names[6] = {"Club", "", "中文名字测试一", "ABCDEFGHIJKLMN", "Evening", "   "};
        for (int n = 1; n <= 6; ++n)
            device.SetStoredPresetBytes(n, 0, NameField(names[n - 1]));
    }
    // Opens the picker from its top-bar button and runs the step in it.
    void InPicker(int mode, std::function<void(CScenePickerDialog&)> step) {
        ASSERT_TRUE(PumpUntil([this] { return Ready(); }));
        user.Then<CScenePickerDialog>(std::move(step));
        view->BitButton(mode == CScenePickerDialog::kLoad ? CLumaraView::IDC_SCENE_LOAD
                                                          : CLumaraView::IDC_SCENE_STORE)
            ->click();
        EXPECT_TRUE(user.steps.empty());
        EXPECT_EQ(g_ScenePickerOpen, 0);
        EXPECT_EQ(g_StateFlags[kFlagScenePickerOpen].load(), 0);
    }
};

// ---------------------------------------------------------------------------
// Captions
// ---------------------------------------------------------------------------

TEST_F(ScenePickerTest, BeforeTheDeviceDataThePickerShowsTheDefaultCaptionsAndRefusesClicks) {
    NetworkModuleAway();
    Start();
    struct Case {
        int language;
        int mode;
        int background;
        std::vector<std::string> captions;
        const char* refusal;
    };
    const std::vector<std::string> en = {"Memory1", "Memory2", "Memory3",
                                         "Memory4", "Memory5", "Memory6"};
    const std::vector<std::string> cn = {"场景1", "场景2", "场景3", "场景4", "场景5", "场景6"};
    const Case cases[] = {
        {0, CScenePickerDialog::kLoad, 1269, en, "Not connected to device!"},
        {0, CScenePickerDialog::kSave, 1270, en, "Not connected to device!"},
        {1, CScenePickerDialog::kLoad, 1271, cn, "未连接设备!"},
        {1, CScenePickerDialog::kSave, 1272, cn, "未连接设备!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.language) + " mode " + std::to_string(c.mode));
        g_LanguageFlag = c.language;
        boxes.clear();
        InPicker(c.mode, [&](CScenePickerDialog& p) {
            EXPECT_EQ(g_ScenePickerOpen, 1);
            EXPECT_EQ(g_StateFlags[kFlagScenePickerOpen].load(), 1);
            EXPECT_EQ(p.Mode(), c.mode);
            EXPECT_EQ(p.BackgroundId(), c.background);
            EXPECT_EQ(Captions(p), c.captions);
            // A click says that there is no device data; no prompt opens and
            // the caption stays.
            p.SceneButton(3)->click();
            EXPECT_EQ(Captions(p), c.captions);
            // A right click deletes nothing without the device's data.
            RightClick(p.SceneButton(2));
            ASSERT_TRUE(PumpUntil([this] { return boxes.size() >= 2; }));
            EXPECT_EQ(Captions(p), c.captions);
            p.CloseButton()->click();
        });
        ASSERT_EQ(boxes.size(), 2u);
        for (const auto& b : boxes) {
            EXPECT_EQ(Text(b.text), c.refusal);
            EXPECT_EQ(Text(b.caption), "Quellmark");
            EXPECT_EQ(b.autoCloseMs, 0);
        }
        EXPECT_EQ(user.opened, 1); // the picker only
        user.opened = 0;
    }
}

TEST_F(ScenePickerTest, WithTheDeviceDataTheCaptionsAreTheScenesNamesWrappedByBytes) {
    NameDeviceScenes();
    StartConnected();
    // The device's names arrive as at most 13 bytes, never half a character.
    EXPECT_EQ(StoredName(3), "中文名字测试");
    EXPECT_EQ(StoredName(4), "ABCDEFGHIJKLM");
    struct Case {
        int language;
        std::vector<std::string> captions;
    };
    const Case cases[] = {
        {0, {"Club", "Memory2", "中文名字测试", "ABCDEFGHIJKLM", "Evening", "Memory6"}},
        {1, {"Club", "场景2", "中文名字测试", "ABCDEFGHIJKLM", "Evening", "场景6"}},
    };
    for (const Case& c : cases) {
        g_LanguageFlag = c.language;
        for (int mode : {CScenePickerDialog::kLoad, CScenePickerDialog::kSave}) {
            SCOPED_TRACE(std::to_string(c.language) + " mode " + std::to_string(mode));
            InPicker(mode, [&](CScenePickerDialog& p) {
                EXPECT_EQ(Captions(p), c.captions);
                p.CloseButton()->click();
            });
        }
    }
    // Longer names (a whole-device file keeps 15 bytes) break after 13 bytes,
    // between characters.
    {
        DeviceLockGuard lock(g_DeviceLock);
        StringToField(g_PcPresets[2], 16, "中文名字测试一");
        StringToField(g_PcPresets[3], 16, "ABCDEFGHIJKLMNO");
    }
    InPicker(CScenePickerDialog::kLoad, [&](CScenePickerDialog& p) {
        EXPECT_EQ(Text(p.SceneButton(3)->text()), "中文名字测试\n一");
        EXPECT_EQ(Text(p.SceneButton(4)->text()), "ABCDEFGHIJKLM\nNO");
        p.CloseButton()->click();
    });
    EXPECT_TRUE(boxes.empty());
}

// ---------------------------------------------------------------------------
// Naming a scene
// ---------------------------------------------------------------------------

TEST_F(ScenePickerTest, InSaveModeAClickNamesTheSceneAndStoresTheSettingsUnderIt) {
    NameDeviceScenes();
    StartConnected();
    g_LanguageFlag = 1;
    InPicker(CScenePickerDialog::kSave, [&](CScenePickerDialog& p) {
        user.Then<CPresetNamePrompt>([](CPresetNamePrompt& prompt) {
            // The prompt shows scene 4's name cut to what the field takes.
            EXPECT_EQ(prompt.windowTitle().toStdString(), "请输入场景名");
            EXPECT_EQ(prompt.NumberLabel()->text().toStdString(), "序号:4");
            EXPECT_EQ(prompt.OkButton()->text().toStdString(), "确定");
            EXPECT_EQ(prompt.CancelButton()->text().toStdString(), "取消");
            EXPECT_EQ(prompt.NameEdit()->text().toStdString(), "ABCDEFGHIJKLM");
            EXPECT_EQ(prompt.focusWidget(), prompt.NameEdit());
            // Double-byte characters stay whole and within 13 bytes.
            prompt.NameEdit()->selectAll();
            prompt.NameEdit()->TypeText(QStringLiteral("舞台灯光音响效果"));
            EXPECT_EQ(prompt.NameEdit()->text().toStdString(), "舞台灯光音响");
            prompt.NameEdit()->TypeText(QStringLiteral("B"));
            EXPECT_EQ(prompt.NameEdit()->text().toStdString(), "舞台灯光音响B");
            prompt.OkButton()->click();
        });
        p.SceneButton(4)->click();
        EXPECT_EQ(Text(p.SceneButton(4)->text()), "舞台灯光音响B");
        p.CloseButton()->click();
    });
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(StoredName(4), "舞台灯光音响B");
    // The name is the current preset's, shown and stored in the image.
    EXPECT_EQ(Caption(CLumaraView::IDC_PRESET_NAME), "舞台灯光音响B");
    EXPECT_EQ(Text(view->PresetNameEdit()->text()), "舞台灯光音响B");
    {
        DeviceLockGuard lock(g_DeviceLock);
        EXPECT_EQ(FieldToString(g_ParamImage, 16), "舞台灯光音响B");
    }
    ASSERT_TRUE(Settled());
    EXPECT_EQ(DeviceName(device.StoredPreset(4)), "舞台灯光音响B");
    EXPECT_EQ(device.Record(52), std::vector<uint8_t>{4});
}

TEST_F(ScenePickerTest, ARefusedNameKeepsTheCaptionThePresetsAndTheDevice) {
    NameDeviceScenes();
    StartConnected();
    ASSERT_TRUE(Settled());
    struct Case {
        const char* what;
        std::function<void(CPresetNamePrompt&)> act;
        std::vector<std::string> boxTexts;
        int autoCloseMs;
    };
    auto typed = [](const char* name) {
        return [name](CPresetNamePrompt& p) {
            p.NameEdit()->selectAll();
            p.NameEdit()->TypeText(QString::fromUtf8(name));
            p.OkButton()->click();
        };
    };
    const Case cases[] = {
        {"another scene's name", typed("Club"), {"Have been the same machine preset name!"}, 0},
        {"the same first 13 bytes as scene 4",
         typed("ABCDEFGHIJKLM"),
         {"Have been the same machine preset name!"},
         0},
        {"empty",
         [](CPresetNamePrompt& p) {
             p.NameEdit()->clear();
             p.OkButton()->click();
         },
         {"请输入场景名!"},
         2000},
        {"blanks", typed("   "), {"The machine preset name can not be all spaces!"}, 0},
        // Thirteen Chinese characters cannot be typed; should they reach the
        // field all the same (26 bytes), the name is refused, not stored under
        // the old one.
        {"a name the device cannot keep",
         [](CPresetNamePrompt& p) {
             p.NameEdit()->setText(QStringLiteral("一二三四五六七八九十甲乙丙"));
             p.OkButton()->click();
         },
         {"Char len error!"},
         0},
        {"cancelled", [](CPresetNamePrompt& p) { p.CancelButton()->click(); }, {}, 0},
        {"closed by Escape",
         [](CPresetNamePrompt& p) { SendKey(p.NameEdit(), Qt::Key_Escape); },
         {},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.clear();
        Mark();
        const ModelBytes before = ModelBytes::Take();
        const std::string shown = Caption(CLumaraView::IDC_PRESET_NAME);
        InPicker(CScenePickerDialog::kSave, [&](CScenePickerDialog& p) {
            const std::vector<std::string> captions = Captions(p);
            user.Then<CPresetNamePrompt>(c.act);
            p.SceneButton(5)->click();
            EXPECT_EQ(Captions(p), captions);
            EXPECT_EQ(p.LastName(), "");
            p.CloseButton()->click();
        });
        EXPECT_EQ(BoxTexts(), c.boxTexts);
        if (!boxes.empty()) {
            EXPECT_EQ(boxes[0].autoCloseMs, c.autoCloseMs);
            if (c.autoCloseMs == 0) {
                EXPECT_EQ(Text(boxes[0].caption), "Prompting");
            }
        }
        EXPECT_TRUE(ModelBytes::Take() == before);
        EXPECT_EQ(Caption(CLumaraView::IDC_PRESET_NAME), shown);
        EXPECT_EQ(g_TransferRunning.load(), 0);
        // Nothing but status requests went out.
        QApplication::processEvents();
        EXPECT_TRUE(WithoutStatus(SinceMark()).empty());
    }
    EXPECT_EQ(DeviceName(device.StoredPreset(5)), "Evening");
}

// ---------------------------------------------------------------------------
// Keys and the end of the picker
// ---------------------------------------------------------------------------

TEST_F(ScenePickerTest, EnterEscapeAndTabLeaveThePickerOpenAndItsFlagGoesHoweverItEnds) {
    StartConnected();
    struct Case {
        const char* what;
        std::function<void(CScenePickerDialog&)> end;
        int result;
    };
    const Case cases[] = {
        {"close button", [](CScenePickerDialog& p) { p.CloseButton()->click(); },
         QDialog::Accepted},
        {"left open by the user's script", [](CScenePickerDialog&) {}, QDialog::Rejected},
        {"rejected from outside", [](CScenePickerDialog& p) { p.reject(); }, QDialog::Rejected},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int result = -1;
        user.Then<CScenePickerDialog>([&](CScenePickerDialog& p) {
            p.SceneButton(2)->setFocus();
            for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                SendKey(p.SceneButton(2), key);
                EXPECT_TRUE(p.isVisible()) << key;
                SendKey(&p, key);
                EXPECT_TRUE(p.isVisible()) << key;
            }
            p.SceneButton(2)->setFocus();
            SendKey(p.SceneButton(2), Qt::Key_Tab);
            EXPECT_EQ(p.focusWidget(), p.SceneButton(2));
            EXPECT_EQ(g_ScenePickerOpen, 1);
            c.end(p);
        });
        CScenePickerDialog picker(view);
        picker.m_View = view;
        picker.SetMode(CScenePickerDialog::kLoad);
        result = ctl::RunModal(picker);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(g_ScenePickerOpen, 0);
        EXPECT_EQ(g_StateFlags[kFlagScenePickerOpen].load(), 0);
    }
    EXPECT_TRUE(boxes.empty());
}

// ---------------------------------------------------------------------------
// Deleting a scene's name
// ---------------------------------------------------------------------------

TEST_F(ScenePickerTest, ARightClickDeletesTheScenesNameAfterAYes) {
    NameDeviceScenes();
    DeviceRunsPreset1();
    StartConnected();
    ASSERT_TRUE(Settled());
    ASSERT_EQ(g_DeviceRecords.Bytes().presetSelect[0], 1); // the device runs scene 1
    struct Case {
        int language;
        int scene;
        bool yes;
        const char* question;
        const char* caption;
        std::vector<FrameWant> frames;
    };
    const Case cases[] = {
        {0, 5, false, "Are you delete No.5 preset?", "Prompting", {}},
        {0, 5, true, "Are you delete No.5 preset?", "Prompting", {{0xA1, 5, 9, 0, 0}}},
        // The scene the device runs: it is no longer current either.
        {1, 1, true, "是否删除第1组场景?", "提示", {{0xA1, 1, 9, 0, 0}, {0xA1, 0, 9, 52, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.question + std::string(c.yes ? " yes" : " no"));
        g_LanguageFlag = c.language;
        boxes.clear();
        CMessageBox::SetResponder([&](const CMessageBox::Shown& s) {
            boxes.push_back(s);
            return c.yes ? CMessageBox::Action::Ok : CMessageBox::Action::Cancel;
        });
        const std::string before = StoredName(c.scene);
        Mark();
        std::string caption;
        InPicker(CScenePickerDialog::kLoad, [&](CScenePickerDialog& p) {
            RightClick(p.SceneButton(c.scene));
            ASSERT_TRUE(PumpUntil([this] { return !boxes.empty(); }));
            QApplication::processEvents();
            caption = Text(p.SceneButton(c.scene)->text());
            p.CloseButton()->click();
        });
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(Text(boxes[0].text), c.question);
        EXPECT_EQ(Text(boxes[0].caption), c.caption);
        EXPECT_EQ(boxes[0].buttons.size(), 2);
        if (!c.yes) {
            EXPECT_EQ(caption, before);
            EXPECT_EQ(StoredName(c.scene), before);
            continue;
        }
        EXPECT_EQ(caption, CScenePickerDialog::DefaultCaption(c.scene));
        EXPECT_EQ(StoredName(c.scene), "");
        ASSERT_TRUE(Settled());
        ExpectFramesStartWith(SinceMark(), c.frames);
        // Only the name goes: the scene's settings stay on the device.
        EXPECT_EQ(DeviceName(device.StoredPreset(c.scene)), "");
        EXPECT_EQ(device.StoredPreset(c.scene)[kOutputBlockOffset + 248], 1);
    }
    EXPECT_EQ(g_DeviceRecords.Bytes().presetSelect[0], 0);
    EXPECT_EQ(device.Record(52), std::vector<uint8_t>{0});
}

// ---------------------------------------------------------------------------
// End to end: store, then recall
// ---------------------------------------------------------------------------

TEST_F(ScenePickerTest, StoringScene3UnderANameThenRecallingItReachesTheDeviceInOrder) {
    StartConnected();
    ASSERT_TRUE(Settled());
    // The current settings differ from scene 3 on the device.
    {
        DeviceLockGuard lock(g_DeviceLock);
        g_DeviceSynced = 0;
        view->Data()->GetOut(7)->GetFilter(12)->SetGainCode(420);
        g_DeviceSynced = 1;
    }

    Mark();
    InPicker(CScenePickerDialog::kSave, [&](CScenePickerDialog& p) {
        user.Name(QStringLiteral("Stage"));
        p.SceneButton(3)->click();
        EXPECT_EQ(Text(p.SceneButton(3)->text()), "Stage");
        p.CloseButton()->click();
    });
    ASSERT_TRUE(Settled());
    // Storing with the model: the marker, the scene's name, the map, the
    // current name and scene number, 4 input and 12 output blocks to slot 3.
    std::vector<FrameWant> store = {{0xA1, 0, 9, 97, 0}, {0xA1, 3, 9, 0, 0}, {0xA1, 0, 9, 6, 0},
                                    {0xA1, 0, 9, 7, 0},  {0xA1, 0, 9, 0, 0}, {0xA1, 0, 9, 52, 0}};
    for (int i = 0; i < 4; ++i)
        store.push_back({0xA1, 3, 3, i, 0});
    for (int o = 0; o < 12; ++o)
        store.push_back({0xA1, 3, 4, o, 0});
    store.push_back({0xA1, 0, 9, 97, 0});
    ExpectFramesStartWith(SinceMark(), store);
    EXPECT_EQ(DeviceName(device.StoredPreset(3)), "Stage");
    const size_t band = kOutputBlockOffset + 7 * kOutputBlockSize + 12 * kItemSize + 2;
    uint16_t stored;
    {
        DeviceLockGuard lock(g_DeviceLock);
        stored = GetU16(g_ParamImage + band);
    }
    EXPECT_NE(stored, 600);
    EXPECT_EQ(GetU16(device.StoredPreset(3).data() + band), stored);

    // Another scene runs meanwhile; then scene 3 is recalled.
    device.SetImageBytes(band, {0x58, 0x02});
    const int loads = view->Count(WM_DEVICE_DATA_DONE);
    Mark();
    InPicker(CScenePickerDialog::kLoad, [&](CScenePickerDialog& p) {
        p.SceneButton(3)->click();
        EXPECT_EQ(Text(p.SceneButton(3)->text()), "Stage"); // a load leaves the caption
        p.CloseButton()->click();
    });
    ASSERT_TRUE(PumpUntil([&] { return view->Count(WM_DEVICE_DATA_DONE) > loads; }, 20000));
    ASSERT_TRUE(Settled());
    std::vector<FrameWant> recall = {{0xA1, 0, 9, 5, 0}};
    for (int i = 0; i < 4; ++i)
        recall.push_back({0xA2, 3, 3, i, 0});
    for (int o = 0; o < 12; ++o)
        recall.push_back({0xA2, 3, 4, o, 0});
    recall.push_back({0xA1, 0, 9, 0, 0});
    recall.push_back({0xA1, 0, 9, 5, 0});
    ExpectFramesStartWith(SinceMark(), recall);
    // The device runs scene 3 under its name; the program shows it.
    EXPECT_EQ(DeviceName(device.Image()), "Stage");
    EXPECT_EQ(GetU16(device.Image().data() + band), stored);
    EXPECT_EQ(view->Data()->GetOut(7)->GetFilter(12)->GetGainCode(), 420);
    EXPECT_EQ(g_StateFlags[kFlagLastDeliveredSlot].load(), 3);
    EXPECT_EQ(Caption(CLumaraView::IDC_PRESET_NAME), "Stage");
    EXPECT_EQ(device.Record(5)[6], 1); // the master is on again
    EXPECT_TRUE(boxes.empty());
}

} // namespace
