#pragma once

// The window's two built-in languages as constant data: which control shows which text in
// Chinese and in English, plus the texts that are the same in both languages. The language
// switch of the main window applies these rows; nothing here touches a widget.
//
// All texts are UTF-8 (`const char *`); they pass through tr() in the "Widget" context.

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

constexpr int FixedTextCount = 14;
// The texts every switch writes whatever the language: the value ranges beside the sliders,
// the voltage unit and the maker's contact address.
const std::array<FixedText, FixedTextCount> &fixedTexts();

} // namespace language
