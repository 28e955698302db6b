#pragma once
// The order in which the grid sorts texts.
//
// Texts compare level by level, each level deciding only when the earlier ones tie:
//  1. base characters: blanks, punctuation and symbols (by code) before "_", "_" before
//     the digits, digits before the letters; letters by their base letter with accents
//     removed and case folded, so "é" sorts with "e" and "ç" with "c"; "œ", "æ" and "ß"
//     count as "oe", "ae" and "ss";
//  2. accents: the plain letter first, then acute, grave, circumflex, diaeresis, cedilla;
//  3. case: lower case before upper case;
//  4. the UTF-16 code units, so that only identical texts compare equal.
// Every text sort of the grid (codes 1, 2, 5 and 6) uses this one order: letter case
// never decides before the last two levels. Levels 3 and 4 only make the order total,
// which the multi-key sort needs: rows whose texts differ are never interleaved.
#include "model/Text_Pool.h"

#include <QStringView>
#include <QtGlobal>
#include <array>

// The first 32 base-level weights of a text (enough for most labels and for the
// multi-key sort's group codes), packed so that comparing two keys as integers, word
// by word, orders them as level 1 of those characters does.
struct Text_Order_Key {
    std::array<quint64, 8> Prefix{};

    auto operator<=>(const Text_Order_Key&) const = default;
};
constexpr int Text_Order_Key_Slots = 32;

Text_Order_Key Text_Order_Key_Of(QStringView text);
// The same for a text of the record store, read where it lies (Windows-1252 bytes or
// UTF-16). With `from`, the key starts where *from says the one before ended (0: at the
// start) and *from is moved on to where this one ends: texts whose first keys tie are told
// apart by their next ones without walking their beginnings again.
Text_Order_Key Text_Order_Key_Of(const Text_View& text, quint32* from = nullptr);

// The full comparison: negative, 0 (identical texts only) or positive.
int Text_Order_Compare(QStringView a, QStringView b);
int Text_Order_Compare(const Text_View& a, const Text_View& b);
// Whether the two hold the same characters, however each is held.
bool Text_Order_Same(const Text_View& a, const Text_View& b);

// Compares by key first and by the texts only when the keys tie. Same result as
// Text_Order_Compare(a, b), faster in a sort.
int Text_Order_Compare(const Text_Order_Key& ka, QStringView a, const Text_Order_Key& kb, QStringView b);
int Text_Order_Compare(const Text_Order_Key& ka, const Text_View& a, const Text_Order_Key& kb, const Text_View& b);

// True when the text is empty or its first base character sorts before the digits
// (a blank, punctuation, a symbol or "_").
bool Text_Order_Leads_Before_Digits(const Text_Order_Key& key);
