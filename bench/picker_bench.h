#pragma once

#include <QString>

// The colour picker's painting figures; printed through `print`.
void benchColorPicker(void (*print)(const char *name, const QString &value));

// Opening the picker dialog against opening Qt's own colour dialog.
void benchPickerOpen(void (*print)(const char *name, const QString &value));

// Writes the field and strip of every mode as PNG files into `folder`, for looking at them.
bool writePickerImages(const QString &folder);
