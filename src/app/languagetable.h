#pragma once

// The window's two built-in languages as constant data: which control shows which text in
// Chinese and in English, plus the texts that are the same in both languages. The language
// switch of the main window applies these rows; nothing here touches a widget.
//
// All texts are UTF-8 (`const char *`); they pass through tr() in the "Widget" context.

#include "formcatalogue.h"
#include "parameters.h"

#include <QString>
#include <QStringList>

#include <array>

namespace profiles {
struct CheckedProfile;
}

namespace language {

// The items of the form's language combo box.
enum Index
{
    Other = 0,   // "其他": no language applied
    Chinese = 1, // "中文(Chinese)"
    English = 2, // "英文(English)"
};

struct TextRow
{
    const char *control; // object name in the form
    const char *chinese;
    const char *english;
};

// Our maker, shown on the state page.
constexpr const char *MakerCompanyChinese = "维罗拉克斯科技";
constexpr const char *MakerCompanyEnglish = "Velorax Technology";
constexpr const char *MakerContact = "support@velorax.example";

constexpr int TextRowCount = 56;
// Every text of the language table. Rows naming a combo box are that combo's items, in item
// order; every other row is the text of a label or button. The tab buttons' words follow six
// line feeds, which put the word under the button's picture.
const std::array<TextRow, TextRowCount> &languageTable();

// The text of `row` for a language index; a null string for indexes other than Chinese and
// English, which change no text.
QString textOf(const TextRow &row, int index);

// The text of the label or button `control` in the language of `index`; a null string when
// the table has no row for it or for other indexes.
QString controlText(const QString &control, int index);

// The item texts of `combo` in the language of `index`, in item order (empty for other
// indexes and for controls that are not combo boxes of the table).
QStringList comboItems(const QString &combo, int index);

// The two choice combos the switch refills.
using form::ResponseCombo;
using form::SuspensionCombo;

struct FixedText
{
    const char *control;
    const char *text;
};

constexpr int FixedTextCount = 2;
// The texts every switch writes whatever the language: the voltage unit and the maker's
// contact address.
const std::array<FixedText, FixedTextCount> &fixedTexts();

// The text of a slider row's range label, "[0~100]", from its parameter's range in the
// catalogue; the switch writes it whatever the language (tools/formgen writes the same).
QString rangeText(const protocol::IntRange &range);

// A message to the user. Boxes follow the system locale, not the window's language; a command
// answers in the language of the terminal that started it.
struct Message
{
    const char *chinese;
    const char *english;
};
// The text of `message` in the message language: the one set below, else the system locale's
// (a default-constructed QLocale).
QString messageText(const Message &message);
// Why the profile at `path` is refused, for a box or a command's error stream; empty when it
// may be loaded.
QString profileRefusalText(const profiles::CheckedProfile &checked, const QString &path);
// The text of `message` in the language of `index` (Chinese or English).
QString messageText(const Message &message, int index);

// Chinese or English: what the message language is now.
int messageLanguage();
// Makes messages use the language of `index`; Other goes back to the system locale.
void setMessageLanguage(int index);

// Sets the message language for as long as it lives (GUI thread only).
class MessageLanguageScope
{
public:
    explicit MessageLanguageScope(int index) : m_previous(overriddenLanguage())
    {
        setMessageLanguage(index);
    }
    ~MessageLanguageScope() { setMessageLanguage(m_previous); }
    MessageLanguageScope(const MessageLanguageScope &) = delete;
    MessageLanguageScope &operator=(const MessageLanguageScope &) = delete;

private:
    static int overriddenLanguage();
    int m_previous;
};

// The language the environment asks messages to be in, as the C library reads it: LC_ALL, else
// LC_MESSAGES, else LANG; Chinese for a "zh" locale, English for any other.
int environmentLanguage();

// A snapshot's reason (the English words the window names it with, "before store") in the
// message language, for the snapshot's file name.
QString snapshotReason(const QString &english);

// clang-format off
// The title of every information box.
constexpr Message InformationTitle{"信息", "information"};
// Device link notices.
constexpr Message BaseInUseMessage{
    "方向盘基座正被另一个程序占用。请关闭该程序，基座空闲后本软件会自动连接。",
    "The wheel base is being used by another program. Close that program; this tool connects "
    "to the base as soon as it is free."};
#ifdef Q_OS_LINUX
constexpr Message BaseAccessDeniedMessage{
    "已检测到方向盘基座，但当前用户无权访问它。\n"
    "请安装 velorax-manager 软件包（或把其 udev 规则 60-velorax-wheelbase.rules 复制到 "
    "/etc/udev/rules.d），然后拔下并重新插入基座。",
    "The wheel base is connected, but this user may not open it.\nInstall the velorax-manager "
    "package (or copy its udev rule 60-velorax-wheelbase.rules to /etc/udev/rules.d), then "
    "unplug the wheel base and plug it in again."};
#else
constexpr Message BaseAccessDeniedMessage{
    "系统拒绝访问方向盘基座。请关闭其他使用基座的程序，或以有权限的用户运行本软件。",
    "The system refused access to the wheel base. Close other programs that use it, or run "
    "this tool as a user who may open it."};
#endif
constexpr Message FirmwareTooOldMessage{
    "方向盘基座的固件版本为 %1，本软件需要 %2 或更高版本。请先更新基座固件，然后重新插入基座。",
    "The wheel base's firmware is version %1; this tool needs version %2 or later. Update the "
    "base's firmware, then plug the base in again."};
// Profile file problems other than a missing file; %1 is the file's path.
constexpr Message ProfileIsFolderMessage{"“%1”是一个文件夹，不是配置文件。",
                                         "\"%1\" is a folder, not a profile file."};
constexpr Message ProfileTooLargeMessage{"“%1”大于 1 MiB，不是配置文件。",
                                         "\"%1\" is larger than 1 MiB and is not a profile."};
constexpr Message ProfileNoAccessMessage{"没有权限读写“%1”。",
                                         "You do not have permission to read or write \"%1\"."};
constexpr Message ProfileBusyMessage{
    "“%1”正被另一个程序修改，请稍后再试。",
    "\"%1\" is being changed by another program. Try again in a moment."};
constexpr Message ProfileIoErrorMessage{"无法读写“%1”：%2",
                                        "\"%1\" could not be read or written: %2"};
constexpr Message ProfileReplaceMessage{"“%1”已存在，是否替换？",
                                        "\"%1\" already exists. Do you want to replace it?"};
// clang-format on

// clang-format off
// What reaches the base.
constexpr Message BaseRefusesSettingsMessage{
    "基座多次拒绝了发送给它的设置。\n请检查基座的连接；若仍如此，请拔下基座再重新插入。",
    "The wheel base refused the settings sent to it several times.\nCheck its connection; if "
    "this goes on, unplug the wheel base and plug it in again."};
constexpr Message FactoryResetUnconfirmedMessage{
    "基座没有确认恢复出厂设置。\n正在重新读取基座的设置。",
    "The wheel base did not confirm the factory reset.\nIts settings are being read again."};
constexpr Message FactoryResetLinkLostMessage{
    "恢复出厂设置期间基座已断开。\n基座重新连接后会读取它的设置。",
    "The wheel base was disconnected during the factory reset.\nIts settings are read again "
    "when it is back."};
// %1: the missing keys, one "group/key" per line.
constexpr Message DamagedProfileMessage{"该配置文件已损坏，未载入。缺少：\n%1",
                                        "This profile is damaged and was not loaded. Missing:\n%1"};
// What an undo or redo of the base changed; %1: "WheelSpring 33 → 26, …".
constexpr Message UndoneMessage{"已撤销：%1", "Undone: %1"};
constexpr Message RedoneMessage{"已重做：%1", "Redone: %1"};
// %1: one "group/key=value [minimum..maximum]" per line.
constexpr Message InvalidProfileMessage{
    "该配置文件含有基座无法接受的数值，未载入，也未发送任何设置：\n%1",
    "This profile holds values the wheel base cannot take; nothing was loaded or sent:\n%1"};
// clang-format on

// clang-format off
// Why a profile given to a command was not sent; %1 is the file's path.
constexpr Message ProfileUnreadableMessage{"无法读取配置文件“%1”。",
                                           "The profile \"%1\" cannot be read."};
constexpr Message ProfileUnmarkedMessage{
    "“%1”未标记为本软件的配置文件；请先在窗口中载入它并确认转换。",
    "\"%1\" is not marked as a profile of this tool; load it in the window once and agree to "
    "convert it."};
constexpr Message ProfileForeignMessage{"“%1”是另一版本软件的配置文件。",
                                        "\"%1\" is a profile of the other edition."};
constexpr Message BaseSettingsUnknownMessage{
    "尚未读到基座的设置，未发送任何内容。",
    "The wheel base's settings have not been read yet; nothing was sent."};
constexpr Message SnapshotFailedMessage{
    "无法保存基座当前设置的快照，未发送任何内容。",
    "The wheel base's present settings could not be saved as a snapshot; nothing was sent."};
constexpr Message BaseRequestFailedMessage{"基座没有接受该请求。",
                                           "The wheel base did not take the request."};
// clang-format on

// clang-format off
// The command line. The help is wrapped to 80 columns where it is printed; %1 is the program.
constexpr Message CommandUsageMessage{
    "用法：%1 [命令]\n不带参数时打开窗口。窗口正在运行时，命令交给窗口执行；否则命令自己打开基座，完成后退出。",
    "Usage: %1 [COMMAND]\nWithout arguments the window opens. While the window runs, a command goes "
    "through it; otherwise the command opens the wheel base itself and ends."};
constexpr Message HelpOptionMessage{"显示本帮助并退出。", "Show this help and exit."};
constexpr Message VersionOptionMessage{"显示版本并退出。", "Show the version and exit."};
constexpr Message ListOptionMessage{"列出配置和快照。", "List the profiles and the snapshots."};
constexpr Message WhereOptionMessage{"显示配置文件夹。", "Print the profile folder."};
constexpr Message StatusOptionMessage{"显示连接、固件、电压和故障状态。",
                                      "Show the link, firmware, voltage and fault state."};
constexpr Message JsonOptionMessage{"与 --status 一起使用：以 JSON 输出。",
                                    "With --status: print JSON for scripts."};
constexpr Message ReadOptionMessage{
    "把基座的设置作为配置写入 FILE；FILE 为 - 或不给时写到标准输出。",
    "Write the base's settings as a profile to FILE, or to standard output when FILE is - or "
    "not given."};
constexpr Message SaveOptionMessage{
    "把基座的设置保存为配置文件夹中的配置 NAME（已有则替换）。",
    "Save the base's settings as profile NAME in the profile folder (replacing it)."};
constexpr Message ApplyOptionMessage{
    "先保存快照，再把 PROFILE 发送给基座（与窗口相同的检查）；PROFILE 为 - 时从标准输入读取。",
    "Save a snapshot, then send PROFILE to the base (with the checks the window makes); - reads "
    "it from standard input."};
constexpr Message StoreOptionMessage{"让基座保存当前设置。",
                                     "Make the base store the settings it has."};
constexpr Message DiffOptionMessage{
    "逐行列出 A 与 B 不同的参数：配置文件中的键名、A 的值、B 的值，以制表符分隔。A、B 为配置名、文件、- 或 base。相同时退出码为 0，不同时为 1，出错时为 2 或更大。",
    "Print each parameter in which A and B differ: its key in the profile file, A's value and "
    "B's value, separated by tabs. A and B are profile names, files, - or base. Exit code 0 when "
    "they are the same, 1 when they differ, 2 or more on trouble."};
constexpr Message ProfileOptionMessage{
    "发送 PROFILE，运行 -- 后面的命令并等待，然后恢复基座原来的设置；以该命令的退出码退出。",
    "Send PROFILE, run the command after --, wait for it, then restore what the base had "
    "before; exit with the command's exit code."};
constexpr Message BindOptionMessage{
    "当名为 PROGRAM 的程序（可执行文件或其第一个参数的文件名，不分大小写，可省略 .exe）运行时，窗口把 PROFILE 发送给基座，程序结束后恢复原来的设置。",
    "While a program named PROGRAM runs (the file name of its executable or of its first "
    "argument, in any case, .exe optional), the window sends PROFILE to the base, and restores "
    "what it had when the program ends."};
constexpr Message UnbindOptionMessage{"删除 PROGRAM 的绑定。", "Remove PROGRAM's binding."};
constexpr Message BindingsOptionMessage{"列出绑定：程序和配置，以制表符分隔。",
                                        "List the bindings: program and profile, separated by "
                                        "a tab."};
constexpr Message NamesHelpMessage{
    "PROFILE、A、B：名称指配置文件夹中的配置（见 --where），history/NAME 指快照；含“/”的路径，或当前文件夹中存在的 NAME.ini，指文件。",
    "PROFILE, A, B: a name is a profile in the profile folder (see --where), history/NAME a "
    "snapshot; a path with \"/\", or a NAME.ini present in the current folder, is a file."};
constexpr Message ExitCodesMessage{
    "退出码：0 完成，1 被拒绝或失败，2 用法错误，3 没有基座。",
    "Exit codes: 0 done, 1 refused or failed, 2 usage error, 3 no wheel base."};
// A usage error: %1 the program, %2 what is wrong (one of the rows below).
constexpr Message UsageErrorMessage{"%1：%2\n请尝试执行“%1 --help”来获取更多信息。",
                                    "%1: %2\nTry '%1 --help'."};
constexpr Message UnknownOptionMessage{"未知选项“%1”", "unknown option '%1'"};
constexpr Message MissingValueMessage{"选项“%1”需要一个值", "option '%1' needs a value"};
constexpr Message UnexpectedValueMessage{"选项“%1”不带值", "option '%1' takes no value"};
constexpr Message NoCommandMessage{"没有给出命令", "no command given"};
constexpr Message NotACommandMessage{"“%1”不是命令；命令以 -- 开头",
                                     "'%1' is not a command; commands begin with --"};
constexpr Message OneCommandMessage{"一次只能给出一个命令", "give one command at a time"};
constexpr Message UnexpectedArgumentMessage{"多余的参数“%1”", "unexpected argument '%1'"};
constexpr Message DiffNeedsTwoMessage{"--diff 需要两个参数：配置名、文件、- 或 base",
                                      "--diff needs two profiles: names, files, - or base"};
constexpr Message JsonNeedsStatusMessage{"--json 只能与 --status 一起使用",
                                         "--json goes with --status only"};
constexpr Message ProfileNeedsCommandMessage{"--profile 需要在 -- 之后给出要运行的命令",
                                             "--profile needs the command to run after --"};
constexpr Message NotAProfileNameMessage{
    "“%1”不是配置名：名称中不能有“/”（文件请用 --read FILE）",
    "'%1' is not a profile name: a name has no \"/\" (use --read FILE for a file)"};
constexpr Message NoBaseMessage{"没有找到方向盘基座。", "No wheel base found."};
constexpr Message BaseSilentMessage{"基座没有及时发送它的设置。",
                                    "The wheel base did not send its settings in time."};
constexpr Message ProfileAppliedMessage{"已把“%1”发送给基座。",
                                        "Sent \"%1\" to the wheel base."};
// The background instance's tray icon: its menu and tooltip.
constexpr Message TrayOpenWindowMessage{"打开窗口", "Open the window"};
constexpr Message TrayApplyProfileMessage{"应用配置", "Apply a profile"};
constexpr Message TrayQuitMessage{"退出", "Quit"};
constexpr Message TrayLinkedMessage{"方向盘基座已连接", "Wheel base connected"};
constexpr Message TrayNotLinkedMessage{"方向盘基座未连接", "No wheel base connected"};
constexpr Message TrayProfileMessage{"基座上的配置：%1", "Profile on the base: %1"};
constexpr Message TrayNoGameMessage{"没有运行中的绑定游戏", "No bound game running"};
constexpr Message TrayGameMessage{"运行中的游戏：%1", "Game running: %1"};
constexpr Message BackgroundOptionMessage{
    "在后台运行，不打开窗口：托盘图标，其他命令和绑定的游戏由它处理；再次启动本软件会打开它的窗口。",
    "Run in the background without the window: a tray icon, and the commands of other copies "
    "and the bound games go through it; starting the tool again opens its window."};
constexpr Message AutostartOptionMessage{
    "on：随桌面启动后台实例；off：不再随桌面启动。",
    "on: start the background instance with the desktop; off: no longer."};
constexpr Message AutostartOnMessage{"Velorax Manager 将随桌面在后台启动（%1）。",
                                     "Velorax Manager starts in the background with the desktop "
                                     "(%1)."};
constexpr Message AutostartOffMessage{"Velorax Manager 不再随桌面启动。",
                                      "Velorax Manager no longer starts with the desktop."};
constexpr Message NotOnOffMessage{"“%1”应为 on 或 off", "'%1' should be on or off"};
// The state page's background settings and the bindings dialog.
constexpr Message AutostartSwitchMessage{"随桌面在后台启动", "Start with the desktop"};
constexpr Message BindingsTitleMessage{"游戏绑定", "Game bindings"};
constexpr Message BindingsProgramMessage{"程序", "Program"};
constexpr Message BindingsProfileMessage{"配置", "Profile"};
constexpr Message BindingsAddMessage{"添加运行中的游戏…", "Add the running game…"};
constexpr Message BindingsRemoveMessage{"删除", "Remove"};
constexpr Message BoundMessage{"“%1”运行时将使用配置“%2”。",
                                "'%1' gets profile '%2' while it runs."};
constexpr Message UnboundMessage{"已删除“%1”的绑定。", "Removed the binding of '%1'."};
constexpr Message NotBoundMessage{"“%1”没有绑定。", "'%1' has no binding."};
constexpr Message NotAProgramNameMessage{"“%1”不是程序名", "'%1' is no program name"};
constexpr Message SettingsStoredMessage{"基座已保存它的设置。",
                                        "The wheel base stored its settings."};
constexpr Message SettingsWrittenMessage{"已把基座的设置写入“%1”。",
                                         "Wrote the wheel base's settings to \"%1\"."};
constexpr Message ProfileSavedMessage{"已把基座的设置保存为配置“%1”（%2）。",
                                      "Saved the wheel base's settings as profile \"%1\" (%2)."};
// %2: the system's reason.
constexpr Message FileNotWrittenMessage{"无法写入“%1”，系统的说明：%2",
                                        "\"%1\" could not be written; the system says: %2"};
// %1 the name as given, %2 the folder looked in.
constexpr Message ProfileNotFoundMessage{"没有配置“%1”：在 %2 中找过。",
                                         "No profile \"%1\": looked in %2."};
// %1 the file as given, %2 the path looked for.
constexpr Message FileNotFoundMessage{"没有文件“%1”：找的是 %2。",
                                      "No file \"%1\": looked for %2."};
constexpr Message StandardInputName{"标准输入", "standard input"};
// %1 the reason the system gives.
constexpr Message StandardInputFailedMessage{"无法读取标准输入：%1",
                                             "Standard input could not be read: %1"};
constexpr Message StandardOutputFailedMessage{"无法写入标准输出：%1",
                                              "Standard output could not be written: %1"};
// %1 firmware, %2 voltage, %3 the state's name, %4 its code.
constexpr Message StatusLinkedMessage{
    "连接：已连接\n固件：%1\n供电电压：%2 V\n系统状态：%3 (%4)",
    "Link: connected\nFirmware: %1\nVoltage: %2 V\nState: %3 (%4)"};
constexpr Message StatusNotReportedMessage{"连接：已连接\n基座尚未发送状态。",
                                           "Link: connected\nThe base has not sent its state yet."};
constexpr Message RelayFailedMessage{"正在运行的本软件没有应答。",
                                     "The running copy of the tool did not answer."};
// %1 the profile as the wrapper named it, %2 the wrapper's process id.
constexpr Message RunFinishedMessage{
    "使用“%1”的运行（进程 %2）结束时没有恢复基座，现已替它恢复。",
    "The run with \"%1\" (process %2) ended without restoring the wheel base; it has been finished now."};
constexpr Message RunKeptMessage{
    "使用“%1”的运行（进程 %2）结束时没有恢复基座；连接基座后将恢复。",
    "The run with \"%1\" (process %2) ended without restoring the wheel base; that is done once the base is connected."};
// %1 the profile, %2 the snapshot's path.
constexpr Message ChangesKeptMessage{
    "使用“%1”运行期间基座的设置被改动过，已保存为快照 %2。",
    "The wheel base's settings were changed during the run with \"%1\"; they are kept as the snapshot %2."};
constexpr Message RestoreLaterMessage{
    "基座没有接受原来的设置；本软件下次启动时会再次发送。",
    "The wheel base did not take its earlier settings; they are sent again at the next start of the tool."};
constexpr Message RunWithoutProfileMessage{"%1\n命令将在不使用该配置的情况下运行。",
                                           "%1\nThe command runs without the profile."};
constexpr Message RestoreFailedMessage{"无法恢复基座原来的设置：%1",
                                       "The base's earlier settings could not be restored: %1"};
constexpr Message CommandNotFoundMessage{"找不到命令“%1”（在 PATH 中找过）。",
                                         "Command \"%1\" not found (looked in PATH)."};
// %2 the reason the system gives.
constexpr Message CommandNotStartedMessage{"无法启动“%1”，系统的说明：%2",
                                           "Cannot start \"%1\"; the system says: %2"};
// The reasons in snapshot names.
constexpr Message SnapshotReasons[] = {
    {"载入配置之前", "before profile load"},
    {"存储之前", "before store"},
    {"恢复出厂之前", "before factory reset"},
    {"恢复之前", "before restore"},
};
// clang-format on

} // namespace language
