// zimbrel-gallery: the XP-style button with pictures in every position and every relief,
// enabled, disabled and in grey, and a label that a mouse-leave tracker keeps informed.
//
//   zimbrel-gallery [PICTURE [OVER-PICTURE]]   image files for the pictures (PNG, BMP, ICO, ...)

#include "controls/trackmouse/clstrackmouse.h"
#include "controls/xpbutton/winxpbutton.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>

#include <cstdio>

using namespace zimbrel;

namespace {

// A 16 x 16 bitmap on the light grey that the buttons treat as transparent.
PicturePtr drawnPicture(QColor ink)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(qRgb(192, 192, 192));
    QPainter p(&image);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    const QPointF star[] = {{8, 1}, {10, 6}, {15, 6}, {11, 9}, {13, 15}, {8, 11}, {3, 15}, {5, 9}, {1, 6}, {6, 6}};
    p.drawPolygon(star, 10);
    p.end();
    return std::make_shared<const ButtonPicture>(image, ButtonPicture::Bitmap);
}

class Gallery : public QWidget, public ButtonContainer
{
public:
    Gallery(PicturePtr normal, PicturePtr over)
    {
        setWindowTitle(QStringLiteral("zimbrel-gallery"));
        setAutoFillBackground(true);
        QPalette background = palette();
        background.setColor(QPalette::Window, QColor(215, 217, 221));
        setPalette(background);

        const char *positions[] = {"&Left", "&Right", "&Above", "Bel&ow", "&Behind"};
        const char *effects[] = {"none", "raised", "sunken", "shadow"};
        constexpr int kWidth = 110;
        constexpr int kHeight = 48;
        int y = 30;
        auto rowLabel = [this](const QString &text, int top) {
            auto *label = new QLabel(text, this);
            label->setGeometry(8, top, 90, 48);
        };
        for (int column = 0; column < 5; ++column) {
            auto *heading = new QLabel(QString::fromLatin1(positions[column]).remove(u'&'), this);
            heading->setGeometry(100 + column * (kWidth + 8), 8, kWidth, 20);
            heading->setAlignment(Qt::AlignCenter);
        }
        auto addRow = [&](const QString &title, int effect, bool enabled, bool grey) {
            rowLabel(title, y);
            for (int column = 0; column < 5; ++column) {
                auto *button = new WinXPButton(this, this);
                button->InitProperties();
                button->DisableRefresh();
                button->setGeometry(100 + column * (kWidth + 8), y, kWidth, kHeight);
                button->setCaption(QString::fromLatin1(positions[column]));
                button->setPictureNormal(normal);
                button->setPictureOver(over);
                button->setPicturePosition(column);
                button->setSpecialEffect(effect);
                button->setUseGreyscale(grey);
                button->setButtonEnabled(enabled);
                button->Refresh();
            }
            y += kHeight + 8;
        };
        for (int effect = 0; effect < 4; ++effect)
            addRow(QStringLiteral("Effect %1\n(%2)").arg(effect).arg(QLatin1String(effects[effect])), effect, true,
                   false);
        addRow(QStringLiteral("Greyscale"), 1, true, true);
        addRow(QStringLiteral("Disabled"), 1, false, false);

        m_watched = new QLabel(QStringLiteral("  Point at this label: the tracker reports here."), this);
        m_watched->setGeometry(100, y + 4, 5 * (kWidth + 8) - 8, 30);
        m_watched->setFrameShape(QFrame::Box);
        m_tracker.setTrackObject(m_watched);
        QObject::connect(&m_tracker, &clsTrackMouse::MouseOver, this, [this] {
            m_watched->setText(QStringLiteral("  MouseOver #%1: the pointer rests on the label").arg(++m_overs));
        });
        QObject::connect(&m_tracker, &clsTrackMouse::MouseOut, this, [this] {
            m_watched->setText(QStringLiteral("  MouseOut #%1: the pointer left the label").arg(++m_outs));
        });
        setFixedSize(100 + 5 * (kWidth + 8), y + 44);
    }

    ~Gallery() override { m_tracker.setTrackObject(nullptr); }

    QString ambientDisplayName(const WinXPButton *) const override { return QStringLiteral("WinXPButton"); }
    QFont ambientFont() const override { return font(); }
    bool ambientDisplayAsDefault(const WinXPButton *) const override { return false; }
    void propertyChanged(WinXPButton *, const QString &) override { }

private:
    QLabel *m_watched;
    clsTrackMouse m_tracker;
    int m_overs = 0;
    int m_outs = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("zimbrel-gallery"));
    PicturePtr normal =
        argc > 1 ? ButtonPicture::load(QString::fromLocal8Bit(argv[1])) : drawnPicture(QColor(30, 110, 200));
    PicturePtr over =
        argc > 2 ? ButtonPicture::load(QString::fromLocal8Bit(argv[2])) : drawnPicture(QColor(220, 120, 0));
    if (!normal) {
        std::fprintf(stderr, "zimbrel-gallery: cannot read the picture %s\n", argv[1]);
        return 2;
    }
    Gallery gallery(normal, over);
    gallery.show();
    return app.exec();
}
