#pragma once

#include <QString>
#include <QStringView>

#include <cstddef>

namespace ondrel::ui {

/// Orders two names as the user's locale sorts them, ignoring letter case: negative, zero or
/// positive.
int localizedCaseInsensitiveCompare(QStringView a, QStringView b);

/// Whether part occurs in text under the user's locale, ignoring letter case but not accents.
/// An empty part occurs nowhere.
bool localizedCaseInsensitiveContains(QStringView text, QStringView part);

/// The number of user-perceived characters (extended grapheme clusters) in text.
std::size_t characterCount(QStringView text);

} // namespace ondrel::ui
