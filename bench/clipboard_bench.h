#pragma once
// The clipboard figures: how soon a password can be pasted after the generator starts, against a
// shell pipe into xclip, and how much memory a clipboard keeper holds.

#include <QString>

#include <functional>

namespace zimbrel::bench {

void benchClipboard(const QString &binFolder, const std::function<void(const char *, const QString &)> &print);

} // namespace zimbrel::bench
