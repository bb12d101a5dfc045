#pragma once
// The word lists shipped with the program, written for it: common Danish and English
// words, the abbreviations of CW contacts and the Q-codes. Upper case, every
// character sendable.

#include <QStringView>

#include <span>

namespace words {

enum class List { Danish, English, Abbreviations, QCodes };
constexpr int kListCount = 4;

std::span<const QStringView> list(List which);

} // namespace words
