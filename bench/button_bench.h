#pragma once

#include <QString>

// The XP-style button's redraw figures; printed through `print`.
void benchButton(void (*print)(const char *name, const QString &value));
