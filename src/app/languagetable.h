#pragma once

// The window's two built-in languages as constant data: which control shows which text in
// Chinese and in English, plus the texts that are the same in both languages. The language
// switch of the main window applies these rows; nothing here touches a widget.
//
// All texts are UTF-8 (`const char *`); they pass through tr() in the "Widget" context.

#include "parameters.h"

#include <QString>
#include <QStringList>

#include <array>

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

// The item texts of `combo` in the language of `index`, in item order (empty for other
// indexes and for controls that are not combo boxes of the table).
QStringList comboItems(const QString &combo, int index);

// Object names of the two choice combos the switch refills.
constexpr const char *SuspensionCombo = "colorComboBox";
constexpr const char *ResponseCombo = "colorComboBox_2";

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

// A message to the user. Boxes follow the system locale, not the window's language.
struct Message
{
    const char *chinese;
    const char *english;
};
// The text of `message` for the system locale (a default-constructed QLocale).
QString messageText(const Message &message);

// clang-format off
// The title of every information box.
constexpr Message InformationTitle{"信息", "information"};
// Device link notices.
constexpr Message BaseInUseMessage{
    "方向盘基座正被另一个程序占用。请关闭该程序，基座空闲后本软件会自动连接。",
    "The wheel base is being used by another program. Close that program; this tool connects "
    "to the base as soon as it is free."};
constexpr Message BaseAccessDeniedMessage{
    "系统拒绝访问方向盘基座。请关闭其他使用基座的程序，或以有权限的用户运行本软件。",
    "The system refused access to the wheel base. Close other programs that use it, or run "
    "this tool as a user who may open it."};
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
// clang-format on

} // namespace language
