// The yardsticks for the generator, as programs of their own so that start-up costs count:
//   zimbrel-bench-start minimal         a plain Qt window with one label, shown and painted
//   zimbrel-bench-start generator       the generator's window through its whole load sequence
// Each ends once its window is on screen; with --stay it waits to be ended instead.

#include "benchutil.h"
#include "generator/mainform.h"

#include <QApplication>
#include <QLabel>
#include <QWindow>

#include <cstring>

using namespace zimbrel::bench;

int main(int argc, char **argv)
{
    const bool generator = argc > 1 && std::strcmp(argv[1], "generator") == 0;
    const bool stay = argc > 2 && std::strcmp(argv[2], "--stay") == 0;
    QApplication app(argc, argv);
    std::unique_ptr<QWidget> window;
    if (generator) {
        auto form = std::make_unique<zimbrel::MainForm>();
        form->Form_Load();
        window = std::move(form);
    } else {
        auto label = std::make_unique<QLabel>(QStringLiteral("Your password: abcdefghijkl"));
        label->resize(401, 29);
        label->show();
        window = std::move(label);
    }
    waitUntilExposed(window.get());
    return stay ? app.exec() : 0;
}
