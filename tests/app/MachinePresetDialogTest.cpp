// The machine-preset dialog in the program, against the simulated device:
// its texts in each mode and language, its grid as drawn, a preset loaded by
// a double click and by the grid's menu with the frames the device takes,
// the name checks of a save, a preset stored under a new name, and deleting
// with the Delete key (a No puts the name back).
#include "tests/app/PresetTestSupport.h"

#include "app/MachinePresetDialog.h"
#include "controls/grid/GridCtrl.h"

#include <gmock/gmock.h>

#include <QFontMetrics>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QPalette>

#include <functional>

namespace {

using ::testing::ElementsAre;

std::string StoredName(int n) {
    DeviceLockGuard lock(g_DeviceLock);
    return FieldToString(g_PcPresets[n - 1], 16);
}

std::string DeviceName(const std::vector<uint8_t>& block) {
    return FieldToString(block.data(), 16);
}

class MachinePresetDialogTest : public PresetTest {
protected:
    void TearDown() override {
        CGridCtrl::SetMenuChooser({});
        PresetTest::TearDown();
    }
    // Opens the dialog in a mode as the view does and runs the step in it.
    void InDialog(int mode, std::function<void(CMachinePresetDialog&)> step) {
        ASSERT_TRUE(PumpUntil([this] { return Ready(); }));
        user.Then<CMachinePresetDialog>(std::move(step));
        view->OpenMachinePresetDialog(mode);
        EXPECT_TRUE(user.steps.empty());
        EXPECT_EQ(g_PresetDlg.Get().data(), nullptr);
    }
    static QPoint CellPoint(CGridCtrl* g, int row, int col) {
        GridRect r;
        EXPECT_TRUE(g->GetCellRect(row, col, &r)) << row << "," << col;
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    static void Mouse(CGridCtrl* g, QEvent::Type type, Qt::MouseButton button, QPoint at) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
        QMouseEvent e(type, at, g->viewport()->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(g->viewport(), &e);
    }
    static void Click(CGridCtrl* g, int row, int col) {
        Mouse(g, QEvent::MouseButtonPress, Qt::LeftButton, CellPoint(g, row, col));
        Mouse(g, QEvent::MouseButtonRelease, Qt::LeftButton, CellPoint(g, row, col));
        QApplication::processEvents();
    }
    static void DoubleClick(CGridCtrl* g, int row, int col) {
        const QPoint at = CellPoint(g, row, col);
        Mouse(g, QEvent::MouseButtonPress, Qt::LeftButton, at);
        Mouse(g, QEvent::MouseButtonRelease, Qt::LeftButton, at);
        Mouse(g, QEvent::MouseButtonDblClick, Qt::LeftButton, at);
        Mouse(g, QEvent::MouseButtonRelease, Qt::LeftButton, at);
        QApplication::processEvents();
    }
    // A right press on a cell, choosing a command of the grid's menu.
    static void MenuCommand(CGridCtrl* g, int row, int col, int command) {
        CGridCtrl::SetMenuChooser([command](QMenu&, const QPoint&) { return command; });
        Mouse(g, QEvent::MouseButtonPress, Qt::RightButton, CellPoint(g, row, col));
        Mouse(g, QEvent::MouseButtonRelease, Qt::RightButton, CellPoint(g, row, col));
        QApplication::processEvents();
    }
    static std::vector<std::string> NameColumn(CGridCtrl* g) {
        std::vector<std::string> out;
        for (int r = 1; r <= 6; ++r)
            out.push_back(g->GetItemText(r, 1));
        return out;
    }
    // The frames of loading stored preset n: the master muted, its 4 input
    // and 12 output blocks read, its name made current, the master back.
    static std::vector<FrameWant> LoadFrames(int n) {
        std::vector<FrameWant> f = {{0xA1, 0, 9, 5, 0}};
        for (int i = 0; i < 4; ++i)
            f.push_back({0xA2, n, 3, i, 0});
        for (int o = 0; o < 12; ++o)
            f.push_back({0xA2, n, 4, o, 0});
        f.push_back({0xA1, 0, 9, 0, 0});
        f.push_back({0xA1, 0, 9, 5, 0});
        return f;
    }
    // Until the transfer started by the dialog has ended and the dialog takes clicks again.
    bool TransferDone(CMachinePresetDialog& d) {
        return PumpUntil(
            [&] {
                return !g_TransferRunning.load() && view->Session().Command().GetCount() == 0 &&
                       !g_TransferDlg->IsShown() && d.isEnabled();
            },
            20000);
    }
};

// ---------------------------------------------------------------------------
// Texts and the grid
// ---------------------------------------------------------------------------

TEST_F(MachinePresetDialogTest, TextsOfEachModeInBothLanguagesWithTheStoredNames) {
    StartConnected();
    struct Case {
        int language;
        int mode;
        const char* caption;
        const char* action;
        const char* number;
        const char* name;
        const char* quit;
    } cases[] = {
        {0, CMachinePresetDialog::kLoad, "Load Machine Preset", "Load", "No.", "Preset", "Quit"},
        {0, CMachinePresetDialog::kSaveAs, "Save As Machine Preset", "Save", "No.", "Preset",
         "Quit"},
        {0, CMachinePresetDialog::kDelete, "Delete Machine Preset", "Delete", "No.", "Preset",
         "Quit"},
        {1, CMachinePresetDialog::kLoad, "加载 机器预置场景", "加载", "序号", "场景名", "退出"},
        {1, CMachinePresetDialog::kSaveAs, "另存为 机器预置场景", "保存", "序号", "场景名", "退出"},
        {1, CMachinePresetDialog::kDelete, "删除 机器预置场景", "删除", "序号", "场景名", "退出"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        g_LanguageFlag = c.language;
        InDialog(c.mode, [&](CMachinePresetDialog& d) {
            EXPECT_EQ(g_PresetDlg.Get().data(), &d);
            EXPECT_EQ(Text(d.windowTitle()), c.caption);
            EXPECT_EQ(Text(d.ActionButton()->text()), c.action);
            EXPECT_EQ(Text(d.QuitButton()->text()), c.quit);
            CComboGridCtrl* g = d.Grid();
            EXPECT_EQ(g->GetItemText(0, 0), c.number);
            EXPECT_EQ(g->GetItemText(0, 1), c.name);
            EXPECT_THAT(NameColumn(g), ElementsAre("Preset 1", "Preset 2", "Preset 3", "Preset 4",
                                                   "Preset 5", "Preset 6"));
            for (int r = 1; r <= 6; ++r)
                EXPECT_EQ(g->GetItemText(r, 0), std::to_string(r));
            // Row 1 selected, its name cell the focus cell.
            EXPECT_EQ(g->GetFocusCell(), CellId(1, 1));
            EXPECT_EQ(g->SelectedCells().size(), 2u);
            EXPECT_NE(g->GetItemState(1, 0) & CELLSTATE_SELECTED, 0u);
            d.QuitButton()->click();
        });
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MachinePresetDialogTest, TheGridIsSetUpAndDrawnWithThePressedHeadingsOfTheFocusCell) {
    StartConnected();
    InDialog(CMachinePresetDialog::kLoad, [&](CMachinePresetDialog& d) {
        CComboGridCtrl* g = d.Grid();
        EXPECT_EQ(g->GetRowCount(), 7);
        EXPECT_EQ(g->GetFixedRowCount(), 1);
        EXPECT_EQ(g->GetColumnCount(), 2);
        EXPECT_EQ(g->GetFixedColumnCount(), 1);
        EXPECT_EQ(g->GetColumnWidth(1), 262);
        // Column 0 and the rows keep the sizes of the system font the grid
        // started with; the dialog's font changes only the cells' font.
        const QFontMetrics system(CGridCtrl::ToQFont(GridFont()));
        const int space = system.horizontalAdvance(QLatin1Char(' '));
        EXPECT_EQ(g->GetColumnWidth(0), 12 * system.averageCharWidth() + 2 * space);
        EXPECT_EQ(g->GetRowHeight(3), system.height() + 2 * space);
        EXPECT_FALSE(g->IsEditable());
        EXPECT_TRUE(g->GetSingleSelection());
        EXPECT_FALSE(g->GetRowResize());
        EXPECT_EQ(g->GetGridLineColour(), RgbColor(51, 154, 255));
        EXPECT_EQ(g->GetItemFormat(4, 1), 0x8025u);
        EXPECT_EQ(g->GetItemFont(4, 1).face, "Arial");

        Click(g, 3, 0); // a press in the number column focuses the name
        ASSERT_EQ(g->GetFocusCell(), CellId(3, 1));
        auto colour = [](QPalette::ColorRole role) {
            return QApplication::palette().color(QPalette::Active, role).rgb();
        };
        auto at = [](const QImage& img, int x, int y) { return img.pixelColor(x, y).rgb(); };
        GridRect focus, rowHeading, colHeading, otherHeading, otherCell;
        ASSERT_TRUE(g->GetCellRect(3, 1, &focus));
        ASSERT_TRUE(g->GetCellRect(3, 0, &rowHeading));
        ASSERT_TRUE(g->GetCellRect(0, 1, &colHeading));
        ASSERT_TRUE(g->GetCellRect(2, 0, &otherHeading));
        ASSERT_TRUE(g->GetCellRect(2, 1, &otherCell));
        QImage img = g->viewport()->grab().toImage();
        EXPECT_EQ(at(img, rowHeading.left, rowHeading.top), colour(QPalette::Shadow));
        EXPECT_EQ(at(img, colHeading.left, colHeading.top), colour(QPalette::Shadow));
        EXPECT_EQ(at(img, otherHeading.left, otherHeading.top), colour(QPalette::Light));
        EXPECT_EQ(at(img, focus.left + 3, focus.top + 3), colour(QPalette::Highlight));
        EXPECT_EQ(at(img, otherCell.left + 3, otherCell.top + 3), colour(QPalette::Base));
        // The grid lines in the dialog's blue.
        EXPECT_EQ(at(img, otherCell.left + 3, otherCell.bottom), qRgb(51, 154, 255));
        // An editable grid frames its focus cell instead.
        g->SetEditable(true);
        img = g->viewport()->grab().toImage();
        EXPECT_EQ(at(img, focus.left, focus.top + 5), qRgb(0, 0, 0));
        EXPECT_EQ(at(img, focus.left + 3, focus.top + 3), colour(QPalette::Base));
        d.QuitButton()->click();
    });
}

// ---------------------------------------------------------------------------
// Loading
// ---------------------------------------------------------------------------

TEST_F(MachinePresetDialogTest, ADoubleClickOnRow4LoadsStoredPreset4AndTheDialogStaysOpen) {
    StartConnected();
    ASSERT_TRUE(Settled());
    const int loads = view->Count(WM_DEVICE_DATA_DONE);
    Mark();
    InDialog(CMachinePresetDialog::kLoad, [&](CMachinePresetDialog& d) {
        DoubleClick(d.Grid(), 4, 1);
        EXPECT_EQ(d.CurrentPreset(), 4);
        // The transfer window holds the dialog meanwhile.
        EXPECT_TRUE(g_TransferRunning.load() || !d.isEnabled() ||
                    view->Count(WM_DEVICE_DATA_DONE) > loads);
        ASSERT_TRUE(PumpUntil([&] { return view->Count(WM_DEVICE_DATA_DONE) > loads; }, 20000));
        ASSERT_TRUE(TransferDone(d));
        EXPECT_TRUE(d.isVisible());
        d.QuitButton()->click();
    });
    ASSERT_TRUE(Settled());
    ExpectFramesStartWith(SinceMark(), LoadFrames(4));
    EXPECT_EQ(g_StateFlags[kFlagLastDeliveredSlot].load(), 4);
    EXPECT_EQ(Caption(CLumaraView::IDC_PRESET_NAME), "Preset 4");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MachinePresetDialogTest, TheMenusLoadInAnyModeAndTheActionButtonFollowsTheFocus) {
    StartConnected();
    ASSERT_TRUE(Settled());
    Mark();
    InDialog(CMachinePresetDialog::kDelete, [&](CMachinePresetDialog& d) {
        CComboGridCtrl* g = d.Grid();
        // No menu over the headings.
        bool opened = false;
        CGridCtrl::SetMenuChooser([&](QMenu&, const QPoint&) {
            opened = true;
            return 0;
        });
        Mouse(g, QEvent::MouseButtonPress, Qt::RightButton, CellPoint(g, 0, 1));
        EXPECT_FALSE(opened);
        const int loads = view->Count(WM_DEVICE_DATA_DONE);
        MenuCommand(g, 5, 1, CGridCtrl::ID_GRID_LOAD_PRESET);
        ASSERT_TRUE(PumpUntil([&] { return view->Count(WM_DEVICE_DATA_DONE) > loads; }, 20000));
        ASSERT_TRUE(TransferDone(d));
        // The right press on another row took the focus away: the button does nothing.
        EXPECT_EQ(g->GetFocusCell(), CellId());
        boxes.clear();
        d.ActionButton()->click();
        QApplication::processEvents();
        EXPECT_TRUE(boxes.empty());
        d.QuitButton()->click();
    });
    ASSERT_TRUE(Settled());
    ExpectFramesStartWith(SinceMark(), LoadFrames(5));
    EXPECT_EQ(StoredName(5), "Preset 5"); // a load deletes nothing
}

// ---------------------------------------------------------------------------
// Saving
// ---------------------------------------------------------------------------

TEST_F(MachinePresetDialogTest, ARefusedNameChangesNothing) {
    StartConnected();
    ASSERT_TRUE(Settled());
    struct Case {
        const char* what;
        QString typed;
        const char* said;
    } cases[] = {
        {"another preset's name", QStringLiteral("Preset 1"),
         "Have been the same machine preset name!"},
        {"empty", QString(), "The machine preset name can not be empty!"},
        {"blanks", QStringLiteral("   "), "The machine preset name can not be all spaces!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.clear();
        Mark();
        InDialog(CMachinePresetDialog::kSaveAs, [&](CMachinePresetDialog& d) {
            user.Then<CPresetNamePrompt>([&](CPresetNamePrompt& prompt) {
                EXPECT_EQ(prompt.PresetNumber(), 2);
                EXPECT_EQ(Text(prompt.NameEdit()->text()), "Preset 2");
                prompt.NameEdit()->selectAll();
                if (c.typed.isEmpty())
                    prompt.NameEdit()->clear();
                else
                    prompt.NameEdit()->TypeText(c.typed);
                prompt.OkButton()->click();
            });
            DoubleClick(d.Grid(), 2, 1);
            EXPECT_EQ(d.Grid()->GetItemText(2, 1), "Preset 2");
            d.QuitButton()->click();
        });
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(Text(boxes[0].text), c.said);
        EXPECT_EQ(Text(boxes[0].caption), "Prompting");
        EXPECT_EQ(StoredName(2), "Preset 2");
        QApplication::processEvents();
        EXPECT_TRUE(WithoutStatus(SinceMark()).empty());
    }
    EXPECT_EQ(DeviceName(device.StoredPreset(2)), "Preset 2");
}

TEST_F(MachinePresetDialogTest, SavingAsStoresTheSettingsUnderTheNewName) {
    StartConnected();
    ASSERT_TRUE(Settled());
    Mark();
    InDialog(CMachinePresetDialog::kSaveAs, [&](CMachinePresetDialog& d) {
        user.Name(QStringLiteral("Stage"));
        Click(d.Grid(), 6, 1);
        d.ActionButton()->click();
        EXPECT_EQ(d.Grid()->GetItemText(6, 1), "Stage");
        ASSERT_TRUE(TransferDone(d));
        d.QuitButton()->click();
    });
    ASSERT_TRUE(Settled());
    EXPECT_EQ(StoredName(6), "Stage");
    EXPECT_EQ(DeviceName(device.StoredPreset(6)), "Stage");
    EXPECT_EQ(device.Record(52), std::vector<uint8_t>{6});
    EXPECT_EQ(Caption(CLumaraView::IDC_PRESET_NAME), "Stage");
    EXPECT_TRUE(boxes.empty());
}

// ---------------------------------------------------------------------------
// Deleting
// ---------------------------------------------------------------------------

TEST_F(MachinePresetDialogTest, TheDeleteKeyAsksAndANoPutsTheNameBack) {
    DeviceRunsPreset1();
    StartConnected();
    ASSERT_TRUE(Settled());
    ASSERT_EQ(g_DeviceRecords.Bytes().presetSelect[0], 1);
    struct Case {
        int language;
        bool yes;
        const char* question;
        std::vector<FrameWant> frames;
    } cases[] = {
        {0, false, "Are you delete No.3 preset?", {}},
        {1, true, "是否删除第3组场景?", {{0xA1, 3, 9, 0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.question);
        g_LanguageFlag = c.language;
        boxes.clear();
        std::string shownWhileAsked = "unset";
        CComboGridCtrl* grid = nullptr;
        CMessageBox::SetResponder([&](const CMessageBox::Shown& s) {
            boxes.push_back(s);
            if (grid) shownWhileAsked = grid->GetItemText(3, 1);
            return c.yes ? CMessageBox::Action::Ok : CMessageBox::Action::Cancel;
        });
        Mark();
        InDialog(CMachinePresetDialog::kLoad, [&](CMachinePresetDialog& d) {
            grid = d.Grid();
            Click(grid, 3, 1);
            SendKey(grid, Qt::Key_Delete);
            QApplication::processEvents();
            // The cell was empty while the question was asked.
            EXPECT_EQ(shownWhileAsked, "");
            EXPECT_EQ(grid->GetItemText(3, 1), c.yes ? "" : "Preset 3");
            EXPECT_TRUE(d.isVisible());
            grid = nullptr;
            d.QuitButton()->click();
        });
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(Text(boxes[0].text), c.question);
        EXPECT_EQ(Text(boxes[0].caption), c.language ? "提示" : "Prompting");
        EXPECT_EQ(boxes[0].buttons.size(), 2);
        ASSERT_TRUE(Settled());
        if (!c.yes) {
            EXPECT_EQ(StoredName(3), "Preset 3");
            EXPECT_TRUE(WithoutStatus(SinceMark()).empty());
            continue;
        }
        EXPECT_EQ(StoredName(3), "");
        ExpectFramesStartWith(SinceMark(), c.frames);
        EXPECT_EQ(DeviceName(device.StoredPreset(3)), "");
    }
}

TEST_F(MachinePresetDialogTest, EnterAndEscapeCloseNothing) {
    StartConnected();
    InDialog(CMachinePresetDialog::kLoad, [&](CMachinePresetDialog& d) {
        for (QWidget* w : {static_cast<QWidget*>(d.Grid()), static_cast<QWidget*>(d.ActionButton()),
                           static_cast<QWidget*>(&d)}) {
            for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                SendKey(w, key);
                EXPECT_TRUE(d.isVisible()) << key;
            }
        }
        // Tab walks the grid's cells and the arrows its rows.
        d.Grid()->SetFocusCellAt(2, 1);
        SendKey(d.Grid(), Qt::Key_Down);
        EXPECT_EQ(d.Grid()->GetFocusCell(), CellId(3, 1));
        EXPECT_TRUE(boxes.empty());
        d.QuitButton()->click();
    });
    EXPECT_TRUE(boxes.empty());
}

} // namespace
