#include "runpicker.h"

#include "platform/numerics.h"
#include "settings/colorpicker/frmcolorpicker.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace zimbrel::picker {

std::optional<BgrColor> runColorPicker(QWidget *parent, BgrColor seed, std::optional<QPoint> where,
                                       const std::function<void(frmColorPicker &)> &prepare)
{
    frmColorPicker dialog(parent);
    dialog.setINIFileName(QStringLiteral("zimbrel.ini"));
    if (prepare)
        prepare(dialog);
    dialog.Form_Load();
    if (!where) {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        where = screen.center() - QPoint(dialog.width() / 2, dialog.height() / 2);
    }
    dialog.move(*where);
    dialog.setHexColor(hexText(redOf(seed), greenOf(seed), blueOf(seed)));
    QCoreApplication::processEvents();
    dialog.txtHexColor_LostFocus();
    dialog.exec();
    std::optional<BgrColor> chosen;
    // Cancel empties the hex box; OK leaves the boxes as the user left them.
    if (!dialog.hexColor().isEmpty()) {
        auto channel = [&](int box) { return std::clamp(wholeNumber(leadingNumber(dialog.numValue(box))), 0, 255); };
        chosen = bgr(channel(3), channel(4), channel(5));
    }
    dialog.Form_QueryUnload();
    return chosen;
}

} // namespace zimbrel::picker
