#include "languagetable.h"

#include "parameterprofile.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>

namespace language {

namespace {

// A tab button's word sits under its picture, six lines down.
#define TAB(word) "\n\n\n\n\n\n" word

// clang-format off
constexpr std::array<TextRow, TextRowCount> Rows = {{
    {"label_52", "滤波频率", "FilterFrequency"},
    {"label_14", "悬挂硬度", "Suspension"},
    {SuspensionCombo, "偏软", "Soft"},
    {SuspensionCombo, "适中", "Normal"},
    {SuspensionCombo, "偏硬", "Hard"},
    {"label_63", "响应模式", "Response"},
    {ResponseCombo, "稳定", "Stable"},
    {ResponseCombo, "狂野", "Wild"},
    {"toolButton_3", "对中", "Center"},
    {"label_17", "方向盘角度", "Angle"},
    {"labelJump_8", "游戏力调整", "GAME FORCE"},
    {"label_20", "游戏恒力", "ConstantForce"},
    {"label_19", "游戏周期力", "PeriodForce"},
    {"tbt_readdata", "读取基座", "ReadBase"},
    {"tbt_savedata", "写入存储", "WriteStorage"},
    {"toolButton_5", "另存为", "SaveAs"},
    {"tBtn_ReadFile", "读取文件", "ReadFile"},
    {"labelJump_4", "机械设置", "MECHANICAL SETTING"},
    {"label_18", "力反馈大小", "TotalForce"},
    {"label_3", "回盘速度", "WheelSpeed"},
    {"label", "机械回中", "WheelSpring"},
    {"label_2", "机械阻尼", "WheelDamper"},
    {"label_4", "机械摩擦", "WheelFriction"},
    {"labelJump_6", "游戏效果", "GAME EFFECT"},
    {"label_5", "游戏回中", "GameSpring"},
    {"label_6", "游戏阻尼", "GameDamper"},
    {"label_7", "游戏惯量", "GameInertia"},
    {"label_8", "游戏摩擦", "GameFriction"},
    {"ValueSet", TAB("参数设置"), TAB("Setting")},
    {"ValueSet_3", TAB("参数设置"), TAB("Setting")},
    {"ValueSet_2", TAB("参数设置"), TAB("Setting")},
    {"toolButton_4", TAB("外设校准"), TAB("Calibration")},
    {"toolButton_9", TAB("外设校准"), TAB("Calibration")},
    {"toolButton_7", TAB("外设校准"), TAB("Calibration")},
    {"toolButton_6", TAB("电机设置"), TAB("State")},
    {"toolButton_10", TAB("电机设置"), TAB("State")},
    {"toolButton_8", TAB("电机设置"), TAB("State")},
    {"labelJump_12", "系统状态", "SYSTEM STATE"},
    {"labelJump_11", "软件信息", "SYSTEM MESSAGE"},
    {"label_12", "正常", "Normal"},
    {"label_23", "系统过流", "OverCur"},
    {"label_24", "硬件错误", "TestCur"},
    {"label_26", "系统读取", "ROMErr"},
    {"label_25", "系统过压", "OverVol"},
    {"label_27", "角度超限", "OutOfAng"},
    {"label_29", "系统缺项", "LosingPhase"},
    {"label_30", "系统超速", "OverSpeed"},
    {"label_31", "未找零点", "AssErr"},
    {"label_9", "固件", "Firmware"},
    {"label_10", "公司名称", "Company"},
    {"label_11", "联系方式", "Contact"},
    {"label_32", "供电电压", "Voltage"},
    {"label_46", "中英文切换", "Language"},
    {"lb_software", "软件版本号", "Software"},
    {"label_15", MakerCompanyChinese, MakerCompanyEnglish},
    {"tbt_original_state", "恢复出厂", "FactoryReset"},
}};

constexpr std::array<FixedText, FixedTextCount> Fixed = {{
    {"label_34", "V"},
    {"label_13", MakerContact},
}};
// clang-format on

#undef TAB

// A row count larger than the rows written would leave empty rows at the end.
template <typename Row, std::size_t N> constexpr bool allRowsFilled(const std::array<Row, N> &rows)
{
    for (const Row &row : rows) {
        if (!row.control)
            return false;
    }
    return true;
}
static_assert(allRowsFilled(Rows), "TextRowCount exceeds the rows of the language table");
static_assert(allRowsFilled(Fixed), "FixedTextCount exceeds the fixed texts");

} // namespace

const std::array<TextRow, TextRowCount> &languageTable()
{
    return Rows;
}

QString textOf(const TextRow &row, int index)
{
    switch (index) {
    case Chinese:
        return QCoreApplication::translate("Widget", row.chinese);
    case English:
        return QCoreApplication::translate("Widget", row.english);
    default:
        return QString();
    }
}

QString controlText(const QString &control, int index)
{
    for (const TextRow &row : Rows) {
        if (control == QLatin1String(row.control))
            return textOf(row, index);
    }
    return QString();
}

QStringList comboItems(const QString &combo, int index)
{
    QStringList items;
    if (index != Chinese && index != English)
        return items;
    for (const TextRow &row : Rows) {
        if (combo == QLatin1String(row.control) &&
            (combo == QLatin1String(SuspensionCombo) || combo == QLatin1String(ResponseCombo)))
            items << textOf(row, index);
    }
    return items;
}

const std::array<FixedText, FixedTextCount> &fixedTexts()
{
    return Fixed;
}

QString rangeText(const protocol::IntRange &range)
{
    return QStringLiteral("[%1~%2]").arg(range.minimum).arg(range.maximum);
}

namespace {
int g_messageLanguage = Other; // Other: the system locale's
} // namespace

int MessageLanguageScope::overriddenLanguage()
{
    return g_messageLanguage;
}

void setMessageLanguage(int index)
{
    g_messageLanguage = index == Chinese || index == English ? index : Other;
}

int messageLanguage()
{
    if (g_messageLanguage != Other)
        return g_messageLanguage;
    return QLocale().language() == QLocale::Chinese ? Chinese : English;
}

QString messageText(const Message &message, int index)
{
    return QCoreApplication::translate("Widget",
                                       index == Chinese ? message.chinese : message.english);
}

QString messageText(const Message &message)
{
    return messageText(message, messageLanguage());
}

int environmentLanguage()
{
    QByteArray locale;
    for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = qgetenv(variable);
        if (!locale.isEmpty())
            break;
    }
    return locale.startsWith("zh") ? Chinese : English;
}

QString snapshotReason(const QString &english)
{
    for (const Message &reason : SnapshotReasons) {
        if (english == QLatin1String(reason.english))
            return messageText(reason);
    }
    return english;
}

QString profileRefusalText(const profiles::CheckedProfile &checked, const QString &path)
{
    const QString name = QDir::toNativeSeparators(path);
    switch (checked.verdict) {
    case profiles::ProfileVerdict::Loadable:
        return QString();
    case profiles::ProfileVerdict::Unreadable:
        return messageText(ProfileUnreadableMessage).arg(name);
    case profiles::ProfileVerdict::Unmarked:
        return messageText(ProfileUnmarkedMessage).arg(name);
    case profiles::ProfileVerdict::Foreign:
        return messageText(ProfileForeignMessage).arg(name);
    case profiles::ProfileVerdict::Damaged:
        return messageText(DamagedProfileMessage).arg(checked.missingKeys.join(QLatin1Char('\n')));
    case profiles::ProfileVerdict::Invalid:
        return messageText(InvalidProfileMessage).arg(checked.badValues.join(QLatin1Char('\n')));
    }
    return QString();
}

} // namespace language
