#pragma once
// The settings editor's window: the password length and the allowed character set, saved to
// settings.ini (the current folder's or the user's, see core/settingslocation.h) or left alone.

#include "controls/xpbutton/dialogbuttons.h"
#include "controls/xpbutton/winxpbutton.h"
#include "settings/textboxes.h"
#include "shared/settingsfile.h"
#include "shared/placement.h"

#include <QImage>
#include <QLabel>
#include <QStringList>
#include <QWidget>
#include <array>

namespace zimbrel {

// A label that keeps its mouse events, so a drag of the window never starts from it.
class InfoLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

class FormSettings : public QWidget, public ButtonContainer
{
    Q_OBJECT
public:
    static constexpr QSize kClientSize{386, 181};
    static constexpr QRgb kBackColor = 0xFFD7D9DD; // RGB(215, 217, 221)

    explicit FormSettings(QWidget *parent = nullptr);

    // Colours the window, places it where the generator was left and shows the settings.
    void Form_Load();

    // Lets the user choose a colour (0x00BBGGRR) in the colour picker, starting from `color`;
    // on OK `color` receives the choice, on Cancel it keeps its value.
    void PickColor(quint32 &color);

    // The band that stands in for a title bar: 2560 x 29 pixels, one colour a row.
    static QImage titleBand();

    // The controls and the lines read, by the names the form knows them by.
    LimitedLineEdit *Param1() const { return m_param1; }
    CharacterSetEdit *Param2() const { return m_param2; }
    InfoLabel *lblInfo(int index) const { return m_info.at(index); }
    WinXPButton *CmdOK() const { return m_ok; }
    WinXPButton *CmdCancel() const { return m_cancel; }
    // The strength read-out under Cancel.
    QLabel *strengthLabel() const { return m_strength; }
    const QStringList &SettingsLines() const { return m_settingsLines; }
    // The file read at loading, and the one Save writes.
    const SettingsFiles &settingsFiles() const { return m_files; }

    // ButtonContainer
    QString ambientDisplayName(const WinXPButton *button) const override;
    QFont ambientFont() const override;
    bool ambientDisplayAsDefault(const WinXPButton *button) const override;
    void propertyChanged(WinXPButton *button, const QString &key) override;

Q_SIGNALS:
    // The window was closed by Save (after a successful write) or Cancel.
    void unloaded();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void ReadSettings();
    void ShowSettings();
    bool SaveSettings();
    void CmdOK_Click();
    void CmdCancel_Click();
    void unload();
    void showStrength();

    std::array<InfoLabel *, 2> m_info{};
    LimitedLineEdit *m_param1;
    CharacterSetEdit *m_param2;
    WinXPButton *m_ok;
    WinXPButton *m_cancel;
    QLabel *m_strength;
    QStringList m_settingsLines;
    SettingsFiles m_files;
    QImage m_band;
    DragSurface m_drag;
    DialogButtons *m_buttons = nullptr;
};

} // namespace zimbrel
