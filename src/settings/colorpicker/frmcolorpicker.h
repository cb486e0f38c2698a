#pragma once
// frmColorPicker: the modal colour chooser. A 256 x 256 colour field and a slider strip show the
// colour in one of six modes (hue, saturation, brightness, red, green, blue); boxes show and take
// hue in degrees, saturation and brightness in percent, red, green and blue, and the hex text
// RRGGBB; two swatches hold the new colour and an old one to go back to.
//
// A caller sets INIFileName, calls Form_Load, puts a colour into the hex box and applies it with
// txtHexColor_LostFocus, shows the dialog modally, and reads the result from the boxes: an empty
// hex box means Cancel. Form_QueryUnload writes the state file; it runs once, at the latest when
// the dialog is destroyed.

#include "controls/xpbutton/dialogbuttons.h"
#include "controls/xpbutton/winxpbutton.h"
#include "settings/colorpicker/pickercontrols.h"
#include "settings/colorpicker/pickercore.h"
#include "shared/placement.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <array>
#include <functional>

namespace zimbrel::picker {

class PictureBox;
class MouseArea;
class Swatch;
class FilteredBox;
class ClientArea;

class frmColorPicker : public QDialog, public PickerControls, public ButtonContainer
{
    Q_OBJECT
public:
    static constexpr QSize kClientSize{511, 309};
    // The fixed dialog frame (border style 3) around the client area.
    static constexpr int kFrameWidth = 3;

    explicit frmColorPicker(QWidget *parent = nullptr);
    ~frmColorPicker() override;

    // The state file's name, relative to the program's folder.
    const QString &INIFileName() const { return m_iniFileName; }
    void setINIFileName(const QString &name) { m_iniFileName = name; }
    // The list of paths the state file carries along.
    const QStringList &mStrPaths() const { return m_paths; }
    // A drag on the field or the strip is under way.
    bool mBlnMouseDown() const { return m_core.mBlnMouseDown(); }

    ColorPickerCore &core() { return m_core; }
    QString stateFilePath() const;

    void Form_Load();
    // Writes the state file (once); also run by the destructor when the caller did not.
    void Form_QueryUnload();
    void ExecuteIniFile(int &selectedMode);

    // Handlers.
    void objOption_Click(int Index);
    void picBigBox_MouseDown(int Button, float X, float Y);
    void picBigBox_MouseMove(int Button, float X, float Y);
    void picBigBox_MouseUp(int Button, float X, float Y);
    void picThinBox_MouseDown(int Button, float X, float Y);
    void picThinBox_MouseMove(int Button, float X, float Y);
    void picThinBox_MouseUp(int Button, float X, float Y);
    void lblThinContainer_MouseDown(int Button, float X, float Y);
    void lblThinContainer_MouseMove(int Button, float X, float Y);
    void lblThinContainer_MouseUp(int Button, float X, float Y);
    void picThinBox_KeyDown(int KeyCode);
    void txtNumValue_LostFocus(int Index);
    void txtHexColor_LostFocus();
    void lblNewColor_Click();
    void lblOldColor_Click();
    void lblComplementaryColor_Click();
    void CmdOK_Click();
    void CmdCancel_Click();

    // The widgets, for tests and for the caller.
    QWidget *clientArea() const;
    QLineEdit *txtNumValue(int index) const;
    QLineEdit *txtHexColor() const;
    QRadioButton *objOption(int index) const { return m_options.at(index); }
    PictureBox *picBigBox() const { return m_field; }
    PictureBox *picThinBox() const { return m_strip; }
    MouseArea *lblThinContainer() const { return m_margin; }
    Swatch *lblNewColor() const { return m_newSwatch; }
    Swatch *lblOldColor() const { return m_oldSwatch; }
    QLabel *lblSuffix(int index) const { return m_suffix.at(index); }
    WinXPButton *CmdOK() const { return m_ok; }
    WinXPButton *CmdCancel() const { return m_cancel; }

    // ButtonContainer
    QString ambientDisplayName(const WinXPButton *button) const override;
    QFont ambientFont() const override;
    bool ambientDisplayAsDefault(const WinXPButton *button) const override;
    void propertyChanged(WinXPButton *, const QString &) override { }

    // The title band: 2560 x 29 pixels, one colour a row.
    static QImage titleBand();

public Q_SLOTS:
    void reject() override;

protected:
    void controlChanged(PickerControl control, int index) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void applyFocusedBox();
    // Runs a box's LostFocus once, not again from within, and shows the message it gives.
    void applyBoxOnce(const std::function<QString()> &apply);
    void paintClient(QPainter &p);

    ColorPickerCore m_core{*this};
    QString m_iniFileName;
    QStringList m_paths;
    ClientArea *m_client = nullptr;
    std::array<QRadioButton *, 6> m_options{};
    std::array<FilteredBox *, 6> m_boxes{};
    FilteredBox *m_hexBox = nullptr;
    Swatch *m_newSwatch = nullptr;
    Swatch *m_oldSwatch = nullptr;
    PictureBox *m_field = nullptr;
    PictureBox *m_strip = nullptr;
    MouseArea *m_margin = nullptr;
    std::array<QLabel *, 5> m_suffix{};
    WinXPButton *m_ok = nullptr;
    WinXPButton *m_cancel = nullptr;
    QImage m_band;
    DragSurface m_drag;
    bool m_loaded = false;
    bool m_unloaded = false;
    bool m_inLostFocus = false;
    DialogButtons *m_buttons = nullptr;
};

} // namespace zimbrel::picker
