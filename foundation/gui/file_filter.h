// The file-type filters of the pickers, written as the programs were made to give them:
// "text|masks|text|masks", masks separated by ";" ("全てのファイル(*.*)|*.*").
#pragma once

#include <QFileDialog>
#include <string>

// The filter in Qt's form ("text (masks);;text (masks)"). On Linux "*.*" would miss names
// without an extension and a mask would miss names in the other letter case: "*.*" becomes
// "*" and every mask is given in both cases.
std::string QtFileFilter(const std::string& filter);

// What a picker shows of the filters: their texts alone, which carry their masks already
// (the masks of Qt's form would follow them a second time).
inline constexpr QFileDialog::Option kFilterTextsOnly = QFileDialog::HideNameFilterDetails;

// The position among the picker's filters of the one chosen (-1 when none), also when the
// picker shows their texts only (it then names the chosen one by its text).
int SelectedFilterIndex(const QFileDialog& picker);
