#include "model/Globals.h"
#include "model/LinkKeys.h"

#include <algorithm>
#include <cctype>

std::atomic<int> g_LanguageFlag{0};
CDeviceLock g_DeviceLock;
std::atomic<int> g_StateFlags[kStateFlagCount];
std::atomic<uint8_t> g_CommStatusFlags[kCommStatusFlagCount];

void ClearCommStatusFlags() {
    for (auto& f : g_CommStatusFlags)
        f.store(0);
}

std::atomic<int> g_DeviceSynced{0};
std::atomic<int> g_UnsentEdits{0};
std::atomic<int> g_ConnectionKind{0};
std::atomic<int> g_DeviceVariant{2};
std::atomic<int> g_UsbLinkUp{0};
std::atomic<int> g_NetLinkUp{0};
std::atomic<int> g_DeviceAbnormal{0};
std::atomic<int> g_TransferRunning{0};
std::atomic<int> g_SendCmd0Pending{0};
std::atomic<int> g_ParamSentFlag{0};
std::atomic<int> g_StartChoice{1};
std::atomic<int64_t> g_PerfFrequency{1000000000};

int ChangeMark() {
    const int synced = g_DeviceSynced.load();
    if (!synced) g_UnsentEdits = 1;
    return synced;
}

UiThreadOnly<int> g_CurrentPage{0};
UiThreadOnly<int> g_CurrentOutput{0};
UiThreadOnly<int> g_ActiveSource{0};
UiThreadOnly<int> g_InputMode{0};
UiThreadOnly<int[12]> g_ShowCurve;
UiThreadOnly<int> g_DelayUnit{0};
UiThreadOnly<int> g_DistanceUnit{1};
UiThreadOnly<int> g_ScenePickerOpen{0};

int g_LinkKey[12] = {};

int LinkKeyOf(int output) {
    if (output < 0 || output >= 12) return -1;
    DeviceLockGuard lock(g_DeviceLock);
    return g_LinkKey[output];
}

bool SameLinkKey(int a, int b) {
    if (a < 0 || a >= 12 || b < 0 || b >= 12) return false;
    DeviceLockGuard lock(g_DeviceLock);
    return g_LinkKey[a] == g_LinkKey[b];
}

void SetLinkKey(int output, int key) {
    if (output < 0 || output >= 12) return;
    DeviceLockGuard lock(g_DeviceLock);
    g_LinkKey[output] = key;
}

LinkKeyTable LinkKeys() {
    DeviceLockGuard lock(g_DeviceLock);
    LinkKeyTable keys{};
    std::copy(std::begin(g_LinkKey), std::end(g_LinkKey), keys.begin());
    return keys;
}

void SetLinkKeys(const LinkKeyTable& keys) {
    DeviceLockGuard lock(g_DeviceLock);
    std::copy(keys.begin(), keys.end(), std::begin(g_LinkKey));
}
UiThreadOnly<CKTV_OutData* [12]> g_LinkedOutData;
UiThreadOnly<int> g_LinkActive{0};
UiThreadOnly<int> g_LRLinkOn{0};

UiThreadOnly<CChannelFlags> g_ChannelFlags;

void CChannelFlags::Reset() {
    index = -1;
    std::fill(std::begin(flags), std::end(flags), 0);
}

const int g_ThirdOctaveFreqs[31] = {
    20,  25,   32,   40,   50,   63,   80,   100,  125,  160,  200,  250,   315,   400,   500,  630,
    800, 1000, 1250, 1600, 2000, 2500, 3150, 4000, 5000, 6300, 8000, 10000, 12500, 16000, 20000};

const BiText g_UsbFailText{"连接失败  请检查USB线缆是否插好或\n该设备已经连接上了另一软件!",
                           "Connection failure!"};
const BiText g_NetFailText{"连接失败  请检查WIFI是否已连接到设备或\n该设备已经连接上了另一软件!",
                           "Connection failure!"};
const BiText g_RestoreEqText{"是否恢复所有均衡?", "Whether Restore All EQ?"};
const BiText g_BypassEqText{"是否直通所有均衡?", "Whether ByPass All EQ?"};
const BiText g_ResetEqText{"是否重置所有均衡?", "Whether the reset All EQ?"};
const BiText g_PeqToGeqText{"是否把参量均衡模式转换为图示均衡模式?",
                            "Whether the P.EQ Mode convert to G.EQ Mode?"};
const BiText g_GeqToPeqText{"是否把图示均衡模式转换为参量均衡模式?",
                            "Whether the G.EQ Mode convert to P.EQ Mode?"};
const BiText g_NotConnectedText{"未连接设备", "Not connected devices"};
const BiText g_ConnectedText{"已连接设备", "Connected device"};
const BiText g_WifiResetOkText{"恢复WIFI出厂设置成功", "Load WIFI factory default success"};
const BiText g_WifiResetFailText{"恢复WIFI出厂设置失败", "Load WIFI factory default failure"};
const BiText g_PromptCaption{"提示", "Prompting"};
const BiText g_WarningCaption{"警告", "Warning"};
const BiText g_CharLenErrorText{"字符长度错误!", "Char len error!"};
// Text that cannot be written in the device's character set.
const BiText g_CharInvalidText{"字符无效!", "Invalid characters!"};
const BiText g_CustomNameText{"自定义", "Custom"};

const char* const g_ProductTitle = "Quellmark";
const char* const g_ModelName = "Quellmark";
const char* const g_CaptionKey = "m_S_Caption";
const char* const g_SoftwareVersion1 = "HOLV-FV1.10 (Zentro)";
const char* const g_SoftwareVersion2 = "HOLV-WV1.00";
const char* const g_SoftwareVersion3 = "";
const char* const g_PresetFileExt = "jssh";
const char* const g_PresetFileFilter = ".jssh|*.jssh||";
const char* const g_AllPresetsFileExt = "jsah";
const char* const g_AllPresetsFileFilter = ".jsah|*.jsah||";
const char* const g_UpdateFileExt = "bin";
const char* const g_UpdateFileFilter = ".bin|*.bin||";
const char* const g_AccessCode = "60397150";
const char* const g_CustomName = "Custom";
const char* const g_NullPresetName = "NULL";

// The network module's own access point hands out this address range; the
// module itself answers on the first address.
const char* const g_DefaultDeviceAddress = "10.10.100.254";

UiThreadOnly<std::string> g_LockPassword;
UiThreadOnly<std::string> g_UnlockEntry{"@#$%^&"};
std::string g_EmptyName;
std::string g_DeviceIpAddress = g_DefaultDeviceAddress;
UiThreadOnly<std::string> g_HexFilePath;
UiThreadOnly<std::string> g_NetMenuText{"WIFI"};
std::string g_UsbDevicePath;
std::vector<std::string> g_UsbDevicePaths;
UiThreadOnly<std::vector<std::string>> g_UsbDevicePathsCopy;

std::string DeviceAddress() {
    DeviceLockGuard lock(g_DeviceLock);
    return g_DeviceIpAddress;
}

std::string NumberToText(long value, int radix) {
    if (radix < 2 || radix > 36) radix = 10;
    const bool negative = value < 0;
    unsigned long v =
        negative ? 0UL - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    std::string digits;
    do {
        const unsigned d = static_cast<unsigned>(v % static_cast<unsigned long>(radix));
        digits.insert(digits.begin(), static_cast<char>(d < 10 ? '0' + d : 'A' + (d - 10)));
        v /= static_cast<unsigned long>(radix);
    } while (v != 0);
    if (negative) digits.insert(digits.begin(), '-');
    if (radix == 16 && digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
    return digits;
}

#include "model/Notify.h"
std::atomic<IViewNotify*> g_MainView{nullptr};
